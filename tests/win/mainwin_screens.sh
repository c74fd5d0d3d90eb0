#!/usr/bin/env bash
# Pictures of the About, Enter Date and Confirm Exit dialogs for people to
# look at: runs the layout tests, which wait while each dialog is taken.
#   mainwin_screens.sh WINE_RUN TEST_EXE ARTIFACTS_DIR
set -uo pipefail
wine_run=$1 exe=$2 artifacts=$3
mkdir -p "$artifacts"
shots=$(mktemp -d)
trap 'rm -rf "$shots"' EXIT
TOLVANE_SHOT_DIR="Z:${shots//\//\\}" "$wine_run" "$exe" --gtest_filter='Dialogs/SmallDialogLayout.*' &
pid=$!
taken=0
while kill -0 "$pid" 2>/dev/null; do
  for ready in "$shots"/*.ready; do
    [ -e "$ready" ] || continue
    name=$(basename "$ready" .ready)
    read -r x y w h <"$ready"
    sleep 0.3
    import -window root -crop "${w}x${h}+${x}+${y}" +repage "$artifacts/$name.png" && taken=$((taken + 1))
    rm -f "$ready"
    touch "$shots/$name.done"
  done
  sleep 0.1
done
wait "$pid"
rc=$?
echo "$taken pictures in $artifacts"
[ "$rc" -eq 0 ] && [ "$taken" -eq 3 ]
