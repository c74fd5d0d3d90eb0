#!/usr/bin/env bash
# What a new Windows user does with the packages of scripts/package.sh, under
# Wine in a fresh prefix of its own (the test suites' prefix stays as it is):
# install silently, use the program, upgrade, uninstall; then the portable
# zips. Exits non-zero when a check fails.
#
#   tests/package/package_test.sh      (after scripts/package.sh)
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
pkg=$root/build/package
work=$root/build/package-test

if [ "${1:-}" != --inside ]; then
  rm -rf "$work"
  mkdir -p "$work"
  # No menu entries of the test prefix on the Linux desktop.
  export WINEDLLOVERRIDES="mscoree,mshtml=;winealsa.drv=;winemenubuilder.exe=d"
  TOLVANE_WINEPREFIX="$work/wineprefix" exec "$root/scripts/with-display.sh" "$0" --inside
fi

failures=0
check() {  # check DESCRIPTION COMMAND...
  local what=$1; shift
  if "$@"; then echo "ok   $what"; else echo "FAIL $what"; failures=$((failures + 1)); fi
}
wine_run() { timeout 120 "$root/scripts/wine-run" "$@" </dev/null; }
linux_path() { winepath -u "$1" 2>/dev/null | tr -d '\r'; }
# Waits up to a minute for a condition (the uninstaller runs on as a copy
# of itself after the started process has ended).
eventually() {
  local i
  for i in $(seq 120); do "$@" && return 0; sleep 0.5; done
  return 1
}
absent() { [ ! -e "$1" ]; }

version=$(sed -n 's/^#define TOLVANE_VERSION "\(.*\)"$/\1/p' "$root/build/win64-release/generated/version.h")
setup=$pkg/tolvane-$version-setup.exe
stage=$pkg/x64/Tolvane
[ -f "$setup" ] || { echo "package_test: no $setup (run scripts/package.sh first)"; exit 1; }

uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tolvane'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
reg_value() { timeout 120 wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z]* *//p"; }
no_uninstall_entry() { ! timeout 120 wine reg query "$uninstall_key" >/dev/null 2>&1; }
shortcut() { find "$WINEPREFIX/drive_c/users" -path '*Start Menu/Programs/Tolvane.lnk' 2>/dev/null | head -1; }
no_shortcut() { [ -z "$(shortcut)" ]; }

# The log holds a start and then an end of ISP 1 and nothing else: the 54-byte
# header, then 54-byte records (magic "LS", kind at +2, ISP number at +10).
start_then_end() {
  local log=$1/tolvane.log
  [ "$(stat -c %s "$log" 2>/dev/null)" = 162 ] || return 1
  field() { od -An -t d4 -j "$1" -N 4 "$log" | tr -d ' '; }
  [ "$(od -An -c -j 54 -N 2 "$log" | tr -d ' ')" = LS ] && [ "$(field 56)" = 0 ] && [ "$(field 64)" = 1 ] &&
    [ "$(field 110)" = 1 ] && [ "$(field 118)" = 1 ]
}

# Starts the copy in the folder $1 (as Windows names it; $2 as Linux does)
# with -b -i 1 and -e -i 1 from another folder: both end with 0 without a
# box, and the log is written beside the exe. Programs in the prefix are
# started by their Windows path: Wine turns a Linux path into one through
# Z: and "dosdevices\c:", which no Windows program expects.
use_program() {
  local elsewhere=$work/elsewhere
  mkdir -p "$elsewhere"
  (cd "$elsewhere" && wine_run "$1\tolvane.exe" -b -i 1) || return 1
  (cd "$elsewhere" && wine_run "$1\tolvane.exe" -e -i 1) || return 1
  start_then_end "$2" && [ ! -e "$elsewhere/tolvane.log" ]
}

# Every file of the package is in the folder, unchanged.
holds_package() {
  local dir=$1 f
  (cd "$stage" && find . -type f) | while read -r f; do cmp -s "$stage/$f" "$dir/$f" || exit 1; done
}

echo "== installer $(basename "$setup")"
inst_win='C:\pkgtest\Tolvane'
check "silent install into a chosen folder" wine_run "$setup" /S "/D=$inst_win"
inst=$(linux_path "$inst_win")
check "the package's files are installed" holds_package "$inst"
check "an uninstaller beside them" test -f "$inst/uninstall.exe"
check "-b -i 1 and -e -i 1 log a session in the install folder" use_program "$inst_win" "$inst"
check "a Start-menu shortcut" test -n "$(shortcut)"
check "the uninstall entry has the version" test "$(reg_value "$uninstall_key" DisplayVersion)" = "$version"
check "the uninstall entry names the uninstaller" \
  test "$(reg_value "$uninstall_key" UninstallString)" = "\"$inst_win\\uninstall.exe\""
check "the uninstall entry has a silent form" \
  test "$(reg_value "$uninstall_key" QuietUninstallString)" = "\"$inst_win\\uninstall.exe\" /S"

echo "== upgrade"
printf '[Global]\r\nDateFormat=1\r\n' >>"$inst/tolvane.ini"
printf 'backup\r\n' >"$inst/tolvane.bak"
printf 'an error\r\n' >"$inst/tolvane.err"
printf 'a saved report\r\n' >"$inst/march.txt"
mine() { (cd "$inst" && md5sum tolvane.ini tolvane.log tolvane.bak tolvane.err march.txt); }
unchanged() { local now; now=$(mine) && [ "$now" = "$before" ]; }
before=$(mine)
check "installing again (no folder given) ends well" wine_run "$setup" /S
check "it goes into the folder of the first installation" holds_package "$inst"
check "the user's files are unchanged" unchanged
check "the upgraded program logs on" \
  bash -c '(cd / && timeout 120 "$0/scripts/wine-run" "$1\tolvane.exe" -b -i 1 </dev/null) && [ "$(stat -c %s "$2/tolvane.log")" = 216 ]' \
  "$root" "$inst_win" "$inst"

echo "== uninstall"
before=$(mine)
# Started without scripts/wine-run from here on: its wineboot would start
# the Run key's copy, and a running copy stops the uninstaller (as it should).
export WINEDEBUG=-all
wine_bare() { timeout 120 wine "$@" </dev/null; }
wine_bare reg add "$run_key" /v Tolvane /d "\"$inst_win\\tolvane.exe\" -m" /f >/dev/null 2>&1
check "silent uninstall ends well" wine_bare "$inst_win\\uninstall.exe" /S
check "the uninstaller finishes" eventually absent "$inst/uninstall.exe"
check "the program is removed" bash -c '[ ! -e "$0/tolvane.exe" ] && [ ! -e "$0/tolvane.chm" ] && [ ! -e "$0/import" ]' "$inst"
check "the user's files and the folder stay" unchanged
check "the shortcut is removed" eventually no_shortcut
check "the uninstall entry is removed" no_uninstall_entry
check "the start with Windows of this copy is removed" test -z "$(reg_value "$run_key" Tolvane)"

echo "== default folder"
check "silent install without a folder" wine_run "$setup" /S
default_win=$(reg_value "$uninstall_key" InstallLocation)
local_win=$(wine_run cmd /c echo %LOCALAPPDATA% | tr -d '\r')
check "it goes under the local application folder" test "$default_win" = "$local_win\\Programs\\Tolvane"
default=$(linux_path "$default_win")
check "the package's files are installed" holds_package "$default"
# A running copy holds its exe: the uninstaller (here run in place, so that
# its exit code is seen) stops with code 2 and removes nothing.
wine "$default_win\\tolvane.exe" </dev/null >/dev/null 2>&1 &
running=$!
check "the program started from the install folder runs" eventually test -f "$default/tolvane.ini"
wine_bare "$default_win\\uninstall.exe" /S "_?=$default_win"
check "the uninstaller refuses while it runs" test $? = 2
check "nothing is removed then" bash -c '[ -f "$0/tolvane.exe" ] && [ -f "$0/uninstall.exe" ]' "$default"
check "nor the uninstall entry" test -n "$(reg_value "$uninstall_key" DisplayVersion)"
kill "$running"; wait "$running" 2>/dev/null
# That copy wrote files of the user's; without them the folder may go.
rm -f "$default"/tolvane.ini "$default"/tolvane.log "$default"/tolvane.err
check "silent uninstall ends well" wine_bare "$default_win\\uninstall.exe" /S
check "with no files of the user the folder goes too" eventually absent "$default"

for arch in x64 i686; do
  zip=$pkg/tolvane-$version-$arch.zip
  echo "== $(basename "$zip")"
  unpacked=$work/zip-$arch
  check "it unpacks into one folder" bash -c 'unzip -q "$0" -d "$1" && [ "$(ls "$1")" = Tolvane ]' "$zip" "$unpacked"
  check "it holds what the installer holds" bash -c \
    'diff <(cd "$0" && find . -type f | sort) <(cd "$1" && find . -type f | sort) >/dev/null' "$stage" "$unpacked/Tolvane"
done
check "the x64 copy logs a session in its own folder" use_program "$(winepath -w "$work/zip-x64/Tolvane" | tr -d '\r')" "$work/zip-x64/Tolvane"
# No 32-bit Wine here: the i686 exe is only checked to be a 32-bit x86 program.
pe_machine() { local at; at=$(od -An -t u4 -j 60 -N 4 "$1" | tr -d ' '); od -An -t x2 -j $((at + 4)) -N 2 "$1" | tr -d ' '; }
check "the i686 exe is a 32-bit x86 program" test "$(pe_machine "$work/zip-i686/Tolvane/tolvane.exe")" = 014c
check "the x64 exe is an x64 program" test "$(pe_machine "$work/zip-x64/Tolvane/tolvane.exe")" = 8664

if [ $failures -ne 0 ]; then
  echo "package_test: $failures checks failed"
  exit 1
fi
echo "package_test: all checks passed"
