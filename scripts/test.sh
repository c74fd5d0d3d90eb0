#!/usr/bin/env bash
# Sets up, builds everything and runs every test: native, native under
# ASan+UBSan, a short fuzz run, the Windows tests under Wine + Xvfb, and
# the release packages, installed, used and uninstalled under Wine.
# Exits non-zero when any test fails or none ran.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
scripts/setup.sh

jobs=${TOLVANE_JOBS:-2}
for preset in native native-asan win64 win32 fuzz; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
done

status=0
run_ctest() {
  local preset=$1
  echo "== ctest $preset"
  ctest --preset "$preset" -j "$jobs" --no-tests=error || status=1
}

run_ctest native
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 run_ctest native-asan

echo "== fuzz (bounded)"
mkdir -p build/fuzz/work
for target in build/fuzz/tests/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target"); short=${name#fuzz_}
  mkdir -p "build/fuzz/work/$short"
  "$target" -artifact_prefix="build/fuzz/work/$short-" -max_total_time="${TOLVANE_FUZZ_SECONDS:-20}" -rss_limit_mb=2048 \
    "build/fuzz/work/$short" "tests/fuzz/corpus/$short" >"build/fuzz/work/$short.log" 2>&1 \
    || { echo "fuzz target $short failed:"; tail -40 "build/fuzz/work/$short.log"; status=1; }
done

echo "== ctest win64 (Wine)"
scripts/with-display.sh ctest --preset win64 -j 1 --no-tests=error || status=1

echo "== packages"
if scripts/package.sh; then
  tests/package/package_test.sh || status=1
else
  status=1
fi

if [ $status -ne 0 ]; then
  echo "Some tests failed."
fi
exit $status
