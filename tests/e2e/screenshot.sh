#!/usr/bin/env bash
# Starts the real program under Wine, takes a picture of the screen and of
# the main window for people to look at, then closes it with Exit and checks
# that it ended with code 0.
#   screenshot.sh WINE_RUN TOLVANE_EXE DRIVER_EXE ARTIFACTS_DIR
set -uo pipefail
wine_run=$1 exe=$2 driver=$3 artifacts=$4
mkdir -p "$artifacts"
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
cp "$exe" "$folder/tolvane.exe"

"$wine_run" "$folder/tolvane.exe" &
pid=$!
rect=$("$wine_run" "$driver" wait-main 60 | tr -d '\r')
if [ -z "$rect" ]; then
  echo "the main window did not appear"
  kill "$pid" 2>/dev/null
  exit 1
fi
read -r x y w h <<<"$rect"
echo "main window at ${x},${y} size ${w}x${h}"
import -window root "$artifacts/screen.png"
import -window root -crop "${w}x${h}+${x}+${y}" +repage "$artifacts/main-window.png"

"$wine_run" "$driver" close-main
wait "$pid"
rc=$?
if [ "$rc" -ne 0 ]; then
  echo "tolvane.exe ended with $rc after Exit"
  exit 1
fi
echo "pictures in $artifacts"
