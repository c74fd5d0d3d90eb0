#!/usr/bin/env bash
# Runs a command with one Xvfb display and one persistent wineserver for the
# project's prefix, and shuts the wineserver down afterwards.
set -uo pipefail
self="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/$(basename "${BASH_SOURCE[0]}")"
root=$(dirname "$(dirname "$self")")
export WINEPREFIX="${TOLVANE_WINEPREFIX:-$root/build/wineprefix}"

if [ "${1:-}" = "--inside" ]; then
  shift
  "$@"
  rc=$?
  wineserver -k >/dev/null 2>&1 || true
  exit $rc
fi

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  exec "$self" --inside "$@"
fi
exec xvfb-run -a -s "-screen 0 1280x1024x24" "$self" --inside "$@"
