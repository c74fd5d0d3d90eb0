#!/usr/bin/env bash
# A picture of the Connection Made dialog for people to look at: the dialog
# test holds it open while ImageMagick takes the screen.
#   connectionmade_screenshot.sh WINE_RUN TEST_EXE ARTIFACTS_DIR
set -uo pipefail
wine_run=$1 exe=$2 artifacts=$3
mkdir -p "$artifacts"
TOLVANE_HOLD_DIALOG_MS=4000 "$wine_run" "$exe" --gtest_filter='ConnectionMadeTest.HeldOpenForAScreenshot' >/dev/null &
pid=$!
sleep 3
import -window root "$artifacts/connection-made-screen.png"
wait "$pid"
rc=$?
echo "picture in $artifacts/connection-made-screen.png"
exit "$rc"
