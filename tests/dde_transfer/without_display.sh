#!/usr/bin/env bash
# without_display.sh BUILD_DIR PROGRAM.exe [ARGS...]
# Runs a Windows test program of the build in its Wine session, but with a
# DISPLAY that names no X server: neither the program nor what it starts can
# reach a window system. Works inside a session and outside one.
set -uo pipefail
build=$(cd "$1" && pwd)
if [ "${QOR_WINE_SESSION:-}" != "$build/wineprefix" ]; then
  exec "$(dirname "${BASH_SOURCE[0]}")/../harness/wine-session" "$build" bash "${BASH_SOURCE[0]}" "$@"
fi
shift
DISPLAY=kein-fenstersystem exec wine "$@"
