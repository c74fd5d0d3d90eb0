#!/usr/bin/env bash
# Runs a command with one Xvfb display and one persistent wineserver for the
# project's prefix, and shuts the server down afterwards. Every Wine process
# the command starts (ctest and its tests) shares that display and server.
#
#   scripts/with-display.sh ctest --preset win64
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX="${TOLVANE_WINEPREFIX:-$root/build/wineprefix}"

if [ "${1:-}" = "--inside" ]; then
  shift
  # A server left from an earlier run would still talk to that run's display.
  wineserver -k >/dev/null 2>&1 || true
  # Also when the command is interrupted: no server outlives its display.
  trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
  "$root/scripts/wine-run" --prepare || exit 1
  "$@"
  exit $?
fi

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  exec "$0" --inside "$@"
fi
# xvfb-run is a POSIX sh script: hand it this script, not a shell function.
exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" "$0" --inside "$@"
