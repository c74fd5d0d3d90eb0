#!/usr/bin/env bash
# Sets up, builds Tolvane for Windows and starts it (under Wine on Linux).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
scripts/setup.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target tolvane
# The program keeps its files beside its exe: give it a folder of its own.
mkdir -p build/run
cp build/win64/tolvane.exe build/run/
if [ -n "${DISPLAY:-}" ]; then
  # No lingering Wine server once the program has ended.
  TOLVANE_WINESERVER_PERSIST=0 exec scripts/wine-run build/run/tolvane.exe "$@"
else
  # No screen to show it on: say so, and how to look at it and stop it,
  # instead of running silently on an invisible display.
  echo "run.sh: no X display (DISPLAY is not set); starting Tolvane on a private virtual display."
  exec scripts/with-display.sh bash -c '
    group=$(ps -o pgid= $$ | tr -d " ")
    echo "run.sh: Tolvane runs on virtual display $DISPLAY."
    echo "run.sh: to see it:  DISPLAY=$DISPLAY import -window root tolvane.png"
    echo "run.sh: to stop it: press Ctrl+C here, or run: kill -- -$group"
    exec "$@"' run.sh scripts/wine-run build/run/tolvane.exe "$@"
fi
