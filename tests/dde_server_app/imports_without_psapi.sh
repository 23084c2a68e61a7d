#!/usr/bin/env bash
# imports_without_psapi.sh OBJDUMP PROGRAM.exe
# The program binds psapi.dll by name at the first call, so it also starts
# where the library is missing: the library must not be in its import table.
set -uo pipefail
objdump=$1
program=$2

imports=$("$objdump" -p "$program" | sed -n 's/^[[:space:]]*DLL Name:[[:space:]]*//p') || exit 1
if [ -z "$imports" ]; then
  echo "no import table read from $program" >&2
  exit 1
fi
echo "imports of $(basename "$program"):" $imports
if grep -qix 'psapi.dll' <<<"$imports"; then
  echo "psapi.dll is imported at load time" >&2
  exit 1
fi
