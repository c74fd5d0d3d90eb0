#!/usr/bin/env bash
# Runs a command with one Xvfb display and one persistent wineserver for the
# project's prefix, and shuts the wineserver down afterwards.
set -uo pipefail
self="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/$(basename "${BASH_SOURCE[0]}")"
root=$(dirname "$(dirname "$self")")
export WINEPREFIX="${TOLVANE_WINEPREFIX:-$root/build/wineprefix}"

if [ "${1:-}" = "--inside" ]; then
  shift
  # Bring up the prefix, the persistent wineserver and Wine's services now,
  # with no inherited output: started from inside a test they would hold
  # ctest's output pipe open and keep it waiting forever.
  "$root/scripts/wine-run" cmd /c exit </dev/null >/dev/null 2>&1 || true
  "$@"
  rc=$?
  wineserver -k >/dev/null 2>&1 || true
  exit $rc
fi

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  exec "$self" --inside "$@"
fi
exec xvfb-run -a -s "-screen 0 1280x1024x24" "$self" --inside "$@"
