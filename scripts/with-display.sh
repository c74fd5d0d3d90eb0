#!/usr/bin/env bash
# Runs a command with one Xvfb display and one persistent wineserver for the
# project's prefix, and shuts both down afterwards.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX="${TOLVANE_WINEPREFIX:-$root/build/wineprefix}"
inner() {
  "$@"
  local rc=$?
  WINEPREFIX="$WINEPREFIX" wineserver -k >/dev/null 2>&1 || true
  return $rc
}
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  inner "$@"
else
  export -f inner
  xvfb-run -a -s "-screen 0 1280x1024x24" bash -c 'inner "$@"' inner "$@"
fi
