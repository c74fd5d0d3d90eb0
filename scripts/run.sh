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
  exec scripts/with-display.sh scripts/wine-run build/run/tolvane.exe "$@"
fi
