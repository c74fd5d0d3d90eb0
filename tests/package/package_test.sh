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
  rm -rf "$work" && mkdir -p "$work/elsewhere"
  # No menu entries of the test prefix on the Linux desktop.
  export WINEDLLOVERRIDES="mscoree,mshtml=;winealsa.drv=;winemenubuilder.exe=d"
  TOLVANE_WINEPREFIX="$work/wineprefix" exec "$root/scripts/with-display.sh" "$0" --inside
fi

failures=0
check() {  # check DESCRIPTION COMMAND...
  local what=$1; shift
  if "$@"; then echo "ok   $what"; else echo "FAIL $what"; failures=$((failures + 1)); fi
}
# Programs in the prefix are started by their Windows path: Wine turns a
# Linux path into one through Z: and "dosdevices\c:", which no Windows
# program expects.
wine_run() { timeout 120 "$root/scripts/wine-run" "$@" </dev/null; }
linux_path() { winepath -u "$1" 2>/dev/null | tr -d '\r'; }
# Up to a minute: the uninstaller runs on as a copy of itself after the started process has ended.
eventually() { local i; for i in $(seq 120); do "$@" && return 0; sleep 0.5; done; return 1; }
absent() { local f; for f; do [ ! -e "$f" ] || return 1; done; }
present() { local f; for f; do [ -e "$f" ] || return 1; done; }
same() { [ "$1" = "$2" ]; }

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

# The log in folder $1 holds $2 bytes: the 54-byte header, then 54-byte
# records, the first two a start and an end of ISP 1 (magic "LS", kind at +2,
# ISP number at +10).
logged() {
  local log=$1/tolvane.log at fields=
  [ "$(stat -c %s "$log" 2>/dev/null)" = "$2" ] && [ "$(head -c 56 "$log" | tail -c 2)" = LS ] || return 1
  for at in 56 64 110 118; do fields+=$(od -An -t d4 -j $at -N 4 "$log" | tr -d ' '); done
  [ "$fields" = 0111 ]
}
# The copy in the folder $1 (as Windows names it; $2 as Linux does), given
# -b -i 1 and -e -i 1 from another folder, ends with 0 both times without a
# box and logs beside the exe.
use_program() {
  (cd "$work/elsewhere" && wine_run "$1\tolvane.exe" -b -i 1 && wine_run "$1\tolvane.exe" -e -i 1) &&
    logged "$2" 162 && absent "$work/elsewhere/tolvane.log"
}
# Every file of the package is in the folder, unchanged.
holds_package() { (cd "$stage" && find . -type f) | while read -r f; do cmp -s "$stage/$f" "$1/$f" || exit 1; done; }

echo "== installer $(basename "$setup")"
inst_win='C:\pkgtest\Tolvane'
check "silent install into a chosen folder" wine_run "$setup" /S "/D=$inst_win"
inst=$(linux_path "$inst_win")
check "the package's files are installed" holds_package "$inst"
check "-b -i 1 and -e -i 1 log a session in the install folder" use_program "$inst_win" "$inst"
check "a Start-menu shortcut" test -n "$(shortcut)"
entry() { local v; for v in DisplayVersion UninstallString QuietUninstallString; do reg_value "$uninstall_key" $v; done; }
check "the uninstall entry has the version, the uninstaller and its silent form" same "$(entry)" \
  "$(printf '%s\n' "$version" "\"$inst_win\\uninstall.exe\"" "\"$inst_win\\uninstall.exe\" /S")"

echo "== upgrade"
printf '[Global]\r\nDateFormat=1\r\n' >>"$inst/tolvane.ini"
for f in tolvane.bak tolvane.err march.txt; do printf '%s of the user\r\n' $f >"$inst/$f"; done
mine() { (cd "$inst" && md5sum tolvane.ini tolvane.log tolvane.bak tolvane.err march.txt); }
before=$(mine)
check "installing again (no folder given) ends well" wine_run "$setup" /S
check "it goes into the folder of the first installation" holds_package "$inst"
check "the user's files are unchanged" same "$(mine)" "$before"
check "the upgraded program logs on" bash -c 'cd / && timeout 120 "$0" "$1\tolvane.exe" -b -i 1 </dev/null' \
  "$root/scripts/wine-run" "$inst_win"
check "beside the log of before" logged "$inst" 216

echo "== uninstall"
before=$(mine)
# Started without scripts/wine-run from here on: its wineboot would start
# the Run key's copy, and a running copy stops the uninstaller (as it should).
export WINEDEBUG=-all
wine_bare() { timeout 120 wine "$@" </dev/null; }
wine_bare reg add "$run_key" /v Tolvane /d "\"$inst_win\\tolvane.exe\" -m" /f >/dev/null 2>&1
check "silent uninstall ends well" wine_bare "$inst_win\\uninstall.exe" /S
check "the uninstaller finishes" eventually absent "$inst/uninstall.exe"
check "the program is removed" absent "$inst/tolvane.exe" "$inst/tolvane.chm" "$inst/import"
check "the user's files and the folder stay" same "$(mine)" "$before"
check "the shortcut is removed" eventually no_shortcut
check "the uninstall entry is removed" no_uninstall_entry
check "the start with Windows of this copy is removed" test -z "$(reg_value "$run_key" Tolvane)"

echo "== default folder"
check "silent install without a folder" wine_run "$setup" /S
default_win=$(reg_value "$uninstall_key" InstallLocation)
local_win=$(wine_run cmd /c echo %LOCALAPPDATA% | tr -d '\r')
check "it goes under the local application folder" same "$default_win" "$local_win\\Programs\\Tolvane"
default=$(linux_path "$default_win")
# A running copy holds its exe: the uninstaller (here run in place, so that
# its exit code is seen) stops with code 2 and removes nothing.
wine "$default_win\\tolvane.exe" </dev/null >/dev/null 2>&1 &
running=$!
check "the program started from the install folder runs" eventually present "$default/tolvane.ini"
wine_bare "$default_win\\uninstall.exe" /S "_?=$default_win"
check "the uninstaller refuses while it runs" same $? 2
check "nothing is removed then, nor the uninstall entry" bash -c '[ -e "$0/tolvane.exe" ] && [ -e "$0/uninstall.exe" ] &&
  [ -n "$1" ]' "$default" "$(reg_value "$uninstall_key" DisplayVersion)"
kill "$running"; wait "$running" 2>/dev/null
# That copy wrote files of the user's; without them the folder may go.
rm -f "$default"/tolvane.ini "$default"/tolvane.log "$default"/tolvane.err
check "silent uninstall ends well" wine_bare "$default_win\\uninstall.exe" /S
check "with no files of the user the folder goes too" eventually absent "$default"

files() { (cd "$1" && find . -type f | sort); }
# The machine field of the PE header: 014c for 32-bit x86, 8664 for x64.
pe_machine() { local at; at=$(od -An -t u4 -j 60 -N 4 "$1" | tr -d ' '); od -An -t x2 -j $((at + 4)) -N 2 "$1" | tr -d ' '; }
for arch in x64:8664 i686:014c; do
  zip=$pkg/tolvane-$version-${arch%:*}.zip unpacked=$work/zip-${arch%:*}
  echo "== $(basename "$zip")"
  check "it unpacks into one folder" bash -c 'unzip -q "$0" -d "$1" && [ "$(ls "$1")" = Tolvane ]' "$zip" "$unpacked"
  check "it holds what the installer holds" same "$(files "$unpacked/Tolvane")" "$(files "$stage")"
  check "its exe is for ${arch%:*}" same "$(pe_machine "$unpacked/Tolvane/tolvane.exe")" "${arch#*:}"
done
# No 32-bit Wine here: the i686 copy is not started.
check "the x64 copy logs a session in its own folder" \
  use_program "$(winepath -w "$work/zip-x64/Tolvane" | tr -d '\r')" "$work/zip-x64/Tolvane"

if [ $failures -ne 0 ]; then
  echo "package_test: $failures checks failed"
  exit 1
fi
echo "package_test: all checks passed"
