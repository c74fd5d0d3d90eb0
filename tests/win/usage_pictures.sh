#!/usr/bin/env bash
# Opens the Usage and Save Usage Report dialogs with a computed report, takes
# their pictures from the screen and keeps them as PNG files.
#   usage_pictures.sh WINE_RUN TEST_EXE ARTIFACTS_DIR
set -uo pipefail
wine_run=$1 exe=$2 artifacts=$3
mkdir -p "$artifacts"
export TOLVANE_PICTURES="Z:$(echo "$artifacts" | tr / '\\')"
"$wine_run" "$exe" --gtest_filter='*.Pictures' --gtest_brief=1 || exit 1
status=0
for name in usage-dialog usage-dialog-excess save-usage-report; do
  if [ ! -s "$artifacts/$name.bmp" ]; then
    echo "no picture $name"
    status=1
    continue
  fi
  convert "$artifacts/$name.bmp" "$artifacts/$name.png" && rm -f "$artifacts/$name.bmp"
done
[ "$status" -eq 0 ] && echo "pictures in $artifacts"
exit $status
