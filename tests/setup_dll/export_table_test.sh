#!/usr/bin/env bash
# export_table_test.sh OBJDUMP DLL
# The setup library exports exactly one function, "CheckMimeType", undecorated,
# at ordinal 1.
set -uo pipefail
objdump=$1 dll=$2
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

dump=$("$objdump" -p "$dll") || { echo "FAIL: $objdump could not read $dll"; exit 1; }

base=$(awk '/^Ordinal Base/ {print $3}' <<<"$dump")
addresses=$(awk '/^\tExport Address Table[ \t]+[0-9a-f]+$/ {print $4; exit}' <<<"$dump")
# Lines "[   i] name" under the name table; i indexes the address table.
names=$(sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" | sed -n 's/^\t\[ *\([0-9]*\)\] \(.*\)$/\1 \2/p')

[ "$base" = 1 ] || fail "ordinal base is '$base', not 1"
[ "$addresses" = 00000001 ] || fail "export address table holds '$addresses' entries, not 1"
[ "$names" = "0 CheckMimeType" ] || fail "named exports are '$names', not CheckMimeType at ordinal 1"

if [ $failures -eq 0 ]; then
  echo "export table of $(basename "$dll"): CheckMimeType @1 only"
fi
exit $((failures > 0))
