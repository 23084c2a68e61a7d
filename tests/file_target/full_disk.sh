#!/usr/bin/env bash
# full_disk.sh BUILD_DIR TEST_PROGRAM.exe
# Runs TEST_PROGRAM under Wine with a small disk as drive N: of the build's
# prefix: a 256 KB tmpfs, mounted for the run and removed afterwards. Mounting
# needs root; without it the test is skipped (exit 77).
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
harness=$here/../harness
build=$(cd "$1" && pwd) || exit 1
program=$2

if [ "$(id -u)" -ne 0 ]; then
  echo "full_disk: mounting a small disk needs root; skipped"
  exit 77
fi
prefix=$build/wineprefix
# A prefix that is not ready yet would be made afresh, link and all.
[ -f "$prefix/.qor-ready" ] || "$harness/wine-session" "$build" true || exit 1
link=$prefix/dosdevices/n:
if [ -e "$link" ] || [ -L "$link" ]; then
  echo "full_disk: drive N: is taken in $prefix" >&2
  exit 1
fi

disk=$(mktemp -d /tmp/qor-full-disk.XXXXXX) || exit 1
cleanup() {
  rm -f "$link"
  umount "$disk" 2>/dev/null
  rmdir "$disk"
}
trap cleanup EXIT
if ! mount -t tmpfs -o size=256k,mode=0777 qor-full-disk "$disk"; then
  echo "full_disk: cannot mount a tmpfs" >&2
  exit 1
fi
ln -s "$disk" "$link" || exit 1
"$harness/wine-run" "$program"
