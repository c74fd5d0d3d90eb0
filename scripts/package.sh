#!/usr/bin/env bash
# Makes what a Windows user downloads, in build/package/:
#   tolvane-<version>-setup.exe   per-user installer (x64)
#   tolvane-<version>-x64.zip     portable folder (x64)
#   tolvane-<version>-i686.zip    portable folder (32-bit Windows)
# each holding tolvane.exe, the user guide tolvane.chm and the sample ISP
# files of import/. The exes are optimised release builds without -Werror
# (a user's compiler may warn where ours does not); here any warning fails
# the packaging instead, and the release build folder goes with it, so that
# the next run compiles every file again and sees the warning again.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
scripts/setup.sh

jobs=${TOLVANE_JOBS:-2}
out=build/package
rm -rf "$out"
mkdir -p "$out"

build_release() {
  local preset=$1 log="$out/build-$1.log"
  echo "== release build $preset"
  cmake --preset "$preset" >/dev/null
  if ! cmake --build --preset "$preset" -j "$jobs" >"$log" 2>&1; then
    cat "$log"
    echo "package: the $preset build failed" >&2
    return 1
  fi
  if grep -qi 'warning:' "$log"; then
    grep -i -B2 -A4 'warning:' "$log"
    rm -rf "build/$preset"
    echo "package: the $preset build has warnings" >&2
    return 1
  fi
}

# The version as the build made it from the project version.
version_of() {
  sed -n "s/^#define $1 \"\(.*\)\"$/\1/p" build/win64-release/generated/version.h
}

# Copies the program's files into the folder $2 for the release preset $1;
# a release without its user guide or its sample files is no release.
stage() {
  local preset=$1 dir=$2
  mkdir -p "$dir"
  cp "build/$preset/tolvane.exe" "$dir/"
  if [ ! -f "build/$preset/tolvane.chm" ]; then
    echo "package: no user guide (build/$preset/tolvane.chm)" >&2
    return 1
  fi
  cp "build/$preset/tolvane.chm" "$dir/"
  local samples=()
  if [ -d import ]; then
    mapfile -t samples < <(find import -maxdepth 1 -type f -iname '*.isp' | sort)
  fi
  if [ ${#samples[@]} -gt 0 ]; then
    mkdir -p "$dir/import"
    cp "${samples[@]}" "$dir/import/"
  else
    echo "package: no sample ISP files (import/*.ISP)" >&2
    return 1
  fi
}

# The installer's list of the staged files besides tolvane.exe.
nsis_files() {
  local dir=$1 f name
  echo '!macro INSTALL_FILES'
  for f in "$dir"/tolvane.chm "$dir"/import/*; do
    [ -f "$f" ] || continue
    name=${f#"$dir"/}; name=${name//\//\\}; name=${name//\$/\$\$}
    case $name in
      import\\*) echo "  SetOutPath \"\$INSTDIR\\import\""; echo "  File \"\${STAGE}\\$name\""; echo "  SetOutPath \"\$INSTDIR\"" ;;
      *) echo "  File \"\${STAGE}\\$name\"" ;;
    esac
  done
  echo '!macroend'
  echo '!macro UNINSTALL_FILES'
  for f in "$dir"/tolvane.chm "$dir"/import/*; do
    [ -f "$f" ] || continue
    name=${f#"$dir"/}; name=${name//\//\\}; name=${name//\$/\$\$}
    echo "  Delete \"\$INSTDIR\\$name\""
  done
  echo '  RMDir "$INSTDIR\import"'
  echo '!macroend'
}

make_zip() {
  local dir=$1 zip=$2
  (cd "$(dirname "$dir")" && zip -q -X -r "$root/$zip" "$(basename "$dir")")
}

build_release win64-release
build_release win32-release

version=$(version_of TOLVANE_VERSION)
[ -n "$version" ] || { echo "package: no version in build/win64-release/generated/version.h" >&2; exit 1; }

stage win64-release "$out/x64/Tolvane"
stage win32-release "$out/i686/Tolvane"
nsis_files "$out/x64/Tolvane" >"$out/files.nsh"

echo "== installer"
makensis -V2 -WX -NOCD \
  "-DVERSION=$version" "-DVERSION_TEXT=$(version_of TOLVANE_VERSION_TEXT)" \
  "-DVERSION_FULL=$(version_of TOLVANE_VERSION_FULL)" \
  "-DSTAGE=$root/$out/x64/Tolvane" "-DFILES=$root/$out/files.nsh" \
  "-DICON=$root/resources/icons/program.ico" "-DOUTFILE=$root/$out/tolvane-$version-setup.exe" \
  packaging/tolvane.nsi

echo "== zips"
make_zip "$out/x64/Tolvane" "$out/tolvane-$version-x64.zip"
make_zip "$out/i686/Tolvane" "$out/tolvane-$version-i686.zip"

ls -l "$out"/tolvane-*
