#!/usr/bin/env bash
# The release artifacts as a user meets them, under Wine in a fresh copy of the test prefix:
# the zip's contents, a silent installation (files, Start menu, uninstall entry, autostart),
# the installed Quillet's first start, an update over both running programs, and a silent
# uninstallation that keeps the user's library.
#
# usage: tests/package/run_package_tests.sh [DIST_DIR]    (default build/dist)
# Prints "ok - ..." / "not ok - ..." per check and "package: N passed, M failed" at the end.
set -u
cd "$(dirname "$0")/../.."
root=$(pwd)
dist=$(cd "${1:-build/dist}" && pwd) || exit 2
version=$(tr -d '[:space:]' <VERSION)
zip=$dist/quillet-mantello-$version-win64.zip
setup=$dist/quillet-mantello-$version-setup.exe

passed=0; failed=0
check() {  # description, then a command that succeeds when the check holds
  local what=$1; shift
  if "$@"; then passed=$((passed + 1)); echo "ok - $what"
  else failed=$((failed + 1)); echo "not ok - $what"; fi
}
finish() {
  echo "package: $passed passed, $failed failed"
  [ "$failed" -eq 0 ]
  exit
}

check "the zip and the installer carry the version $version in their names" test -f "$zip" -a -f "$setup"
[ -f "$zip" ] && [ -f "$setup" ] || finish

# ---- the zip, without Wine

# The help folder ships whole, its pictures included.
expected_files=$({ printf '%s\n' LIESMICH.txt Mantello.exe Quillet.exe SID1.jpg SID2.jpg quillet-yaml.dll sample.ini \
                     signatur.txt
                   (cd help && find . -type f | sed 's|^\./|hilfe/|'); } | LC_ALL=C sort)
check "the zip holds the programs, sample.ini, the hint pictures, hilfe/ and LIESMICH.txt" \
  test "$(unzip -Z1 "$zip" | grep -v '/$' | LC_ALL=C sort)" = "$expected_files"

work=$(mktemp -d "${TMPDIR:-/tmp}/qm-package-test.XXXXXX")
unzip -q "$zip" -d "$work/zip"
readme=$work/zip/LIESMICH.txt
check "LIESMICH.txt starts with a UTF-8 byte-order mark and is valid UTF-8" \
  bash -c '[ "$(head -c3 "$1" | od -An -tx1 | tr -d " ")" = efbbbf ] && iconv -f UTF-8 -t UTF-16 "$1" >/dev/null' _ "$readme"
check "every line of LIESMICH.txt ends with CR LF" \
  bash -c '[ "$(grep -c $'"'"'\r$'"'"' "$1")" = "$(wc -l <"$1")" ] && [ "$(wc -l <"$1")" -gt 10 ]' _ "$readme"
check "the help start page leads to both programs' pages" \
  bash -c 'grep -q "href=\"quillet.html\"" "$1/index.html" && grep -q "href=\"mantello.html\"" "$1/index.html"' _ "$work/zip/hilfe"
# Every picture and page a help page names is in the folder: a renamed screenshot would show
# as a broken picture only to the user.
help_refs_resolve() {
  local page ref
  for page in "$1"/*.html; do
    for ref in $(grep -oE '(src|href)="[^"#:]+"' "$page" | sed -E 's/^(src|href)="//; s/"$//'); do
      [ -f "$1/$ref" ] || { echo "  $(basename "$page") names $ref, which is missing"; return 1; }
    done
  done
}
check "every picture and page the help names is there" help_refs_resolve "$work/zip/hilfe"
under_2mb() { [ "$(stat -c %s "$1")" -lt $((2 * 1024 * 1024)) ]; }
check "Quillet.exe stays under 2 MB" under_2mb "$work/zip/Quillet.exe"
check "Mantello.exe stays under 2 MB" under_2mb "$work/zip/Mantello.exe"
check "quillet-yaml.dll stays under 2 MB" under_2mb "$work/zip/quillet-yaml.dll"
version_utf16=$(printf '%s' "$version" | iconv -t UTF-16LE | od -An -tx1 | tr -d ' \n')
check "the installer's version information says $version" \
  bash -c 'od -An -tx1 -v "$1" | tr -d " \n" | grep -q "$2"' _ "$setup" "$version_utf16"

# ---- under Wine: a fresh copy of the prefix that the Wine tests use, our own X server and desktop

template=build/windows/wineprefix
export WINEPREFIX=$root/build/package-test/wineprefix
export WINEARCH=win64 WINEDEBUG=-all
# No Mono or Gecko questions, and no menu entries of the host made from the shortcuts.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export XDG_DATA_HOME=$work/xdg
xvfb_pid=; desktop_pid=
cleanup() {
  wineserver -k >/dev/null 2>&1
  timeout 30 wineserver -w >/dev/null 2>&1
  [ -n "$desktop_pid" ] && kill "$desktop_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
  # The prefix stays for a look after a failure only; it is as big as the test prefix.
  [ "$failed" -eq 0 ] && rm -rf "$root/build/package-test"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

rm -rf "$root/build/package-test"
mkdir -p "$root/build/package-test"
if [ -f "$template/system.reg" ]; then
  # Copied under the Wine tests' lock, so that no run changes it meanwhile.
  mkdir -p "$template.d"
  (flock -w 600 9 && cp -a "$template" "$WINEPREFIX") 9>"$template.d/lock"
fi
Xvfb -displayfd 8 -screen 0 1280x1024x24 -nolisten tcp 8>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(tr -d '[:space:]' <"$work/display")"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  timeout 300 wineboot -i >/dev/null 2>&1
  timeout 120 wineserver -w
fi
# Every program opens its windows on the one virtual desktop.
timeout 60 wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d qmpackage /f >/dev/null 2>&1
wine explorer /desktop=qmpackage,1280x1024 >/dev/null 2>&1 &
desktop_pid=$!

user=$(id -un)
home_c=$WINEPREFIX/drive_c/users/$user
instdir_win="C:\\users\\$user\\AppData\\Local\\Programs\\Quillet-Mantello"
instdir=$home_c/AppData/Local/Programs/Quillet-Mantello
startmenu="$home_c/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Quillet und Mantello"
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillet-Mantello'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'

reg_value() {  # key, value name: prints the data, fails when the value is missing
  timeout 60 wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' |
    awk -v n="$2" '{ line = $0; sub(/^ +/, "", line) }
                   index(line, n " ") == 1 { sub(/^[^ ]+ +REG_[A-Z_]+ +/, "", line); print line; found = 1 }
                   END { exit !found }'
}
value_is() { [ "$(reg_value "$1" "$2")" = "$3" ]; }
no_value() { ! reg_value "$1" "$2" >/dev/null; }
no_key() { ! timeout 60 wine reg query "$1" >/dev/null 2>&1; }
wait_for() {  # seconds, then a command: polls until it succeeds
  local deadline=$((SECONDS + $1)); shift
  until "$@"; do [ "$SECONDS" -ge "$deadline" ] && return 1; sleep 0.5; done
}
ended() { ! kill -0 "$1" 2>/dev/null; }
same_file() { cmp -s "$1" "$2"; }
export -f reg_value value_is no_value ended

# ---- the zip: Quillet runs from wherever it was unpacked and ends on a close request

mkdir -p "$WINEPREFIX/drive_c/Entpackt"
cp -r "$work/zip/." "$WINEPREFIX/drive_c/Entpackt/"
wine 'C:\Entpackt\Quillet.exe' >/dev/null 2>&1 &
zip_quillet=$!
check "Quillet from the unpacked zip starts with a copy of the sample library" \
  wait_for 60 same_file "$WINEPREFIX/drive_c/Entpackt/Quillet.ini" "$work/zip/sample.ini"
timeout 60 wine taskkill /im Quillet.exe >/dev/null 2>&1
check "Quillet from the zip ends on a close request" wait_for 30 ended "$zip_quillet"
# That copy's library is not the installed one's business.
timeout 60 wine reg delete 'HKCU\Software\Ferrandel Software\Quillet' /v path /f >/dev/null 2>&1

# ---- silent installation, with Quillet's autostart chosen

timeout 300 wine "$setup" /S /AUTOSTART=Quillet >/dev/null 2>&1
check "the silent installation succeeds" test $? -eq 0
installed=$(cd "$instdir" 2>/dev/null && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
check "the program folder holds the zip's files and the uninstaller" \
  test "$installed" = "$(printf '%s\nuninstall.exe' "$expected_files" | LC_ALL=C sort)"
check "the installed files are the zip's" \
  bash -c 'cd "$1" && for f in Quillet.exe Mantello.exe sample.ini hilfe/index.html; do cmp -s "$f" "$2/$f" || exit 1; done' _ "$instdir" "$work/zip"
check "the Start menu holds Quillet, Mantello and the help" \
  test "$(cd "$startmenu" 2>/dev/null && ls | LC_ALL=C sort | tr '\n' '|')" = \
       "Hilfe zu Quillet und Mantello.lnk|Mantello.lnk|Quillet.lnk|"
check "the Quillet shortcut starts the installed program" \
  bash -c 'iconv -f UTF-16LE -t UTF-8 "$1" 2>/dev/null | grep -q "Quillet.exe" || grep -aq "Quillet.exe" "$1"' _ "$startmenu/Quillet.lnk"
check "the uninstall entry names the product, version and publisher" \
  bash -c 'value_is "$1" DisplayName "Quillet und Mantello" && value_is "$1" DisplayVersion "$2" &&
           value_is "$1" Publisher "Ferrandel Software"' _ "$uninstall_key" "$version"
check "the uninstall entry points to the installation" \
  bash -c 'value_is "$1" InstallLocation "$2" && value_is "$1" DisplayIcon "$2\\Quillet.exe,0" &&
           value_is "$1" UninstallString "\"$2\\uninstall.exe\"" &&
           value_is "$1" QuietUninstallString "\"$2\\uninstall.exe\" /S"' _ "$uninstall_key" "$instdir_win"
check "the uninstall entry offers no change or repair and gives a size" \
  bash -c 'value_is "$1" NoModify 0x1 && value_is "$1" NoRepair 0x1 &&
           [ $(( $(reg_value "$1" EstimatedSize) )) -gt 500 ]' _ "$uninstall_key"
check "the chosen autostart is Quillet's own Run value" \
  value_is "$run_key" Quillet "$instdir_win\\Quillet.exe /AUTOSTART"
check "Mantello, not chosen, gets no Run value" no_value "$run_key" Mantello

# ---- the installed Quillet's first start, and an update while both programs run

wine "$instdir_win\\Quillet.exe" >/dev/null 2>&1 &
quillet=$!
check "the installed Quillet starts with a copy of the sample library" \
  wait_for 60 same_file "$instdir/Quillet.ini" "$instdir/sample.ini"
wine "$instdir_win\\Mantello.exe" >/dev/null 2>&1 &
mantello=$!
sleep 3
check "the installed Mantello runs" bash -c '! ended "$1"' _ "$mantello"
timeout 300 wine "$setup" /S >/dev/null 2>&1
check "an update over the running programs succeeds" test $? -eq 0
check "the update has closed Quillet" wait_for 10 ended "$quillet"
check "the update has closed Mantello" wait_for 10 ended "$mantello"
check "the update keeps the library" same_file "$instdir/Quillet.ini" "$instdir/sample.ini"
check "an update without /AUTOSTART keeps the autostart as it was" \
  bash -c 'value_is "$1" Quillet "$2\\Quillet.exe /AUTOSTART" && no_value "$1" Mantello' _ "$run_key" "$instdir_win"

# ---- silent uninstallation after the user has changed the library

printf '[Eigene]\r\nText=Von Hand ergaenzt\r\n' >>"$instdir/Quillet.ini"
cp "$instdir/Quillet.ini" "$work/changed.ini"
timeout 60 wine reg add "$run_key" /v Mantello /d 'C:\Anderswo\Mantello.exe /AUTOSTART' /f >/dev/null 2>&1
# _?= makes the uninstaller run in place and return when it is done.
timeout 300 wine "$instdir_win\\uninstall.exe" /S "_?=$instdir_win" >/dev/null 2>&1
check "the silent uninstallation succeeds" test $? -eq 0
left=$(cd "$instdir" 2>/dev/null && find . -mindepth 1 | sed 's|^\./||' | LC_ALL=C sort | tr '\n' ' ')
# The library stays, and with it the file that its writers lock.
check "the programs, sample, pictures, read-me and help are gone" \
  test "$left" = "Quillet.ini Quillet.ini.lock uninstall.exe "
check "the changed Quillet.ini stays as the user left it" same_file "$instdir/Quillet.ini" "$work/changed.ini"
check "the Start-menu folder is gone" test ! -e "$startmenu"
check "the uninstall entry is gone" no_key "$uninstall_key"
check "Quillet's Run value is gone" no_value "$run_key" Quillet
check "a Run value that starts a copy elsewhere stays" \
  value_is "$run_key" Mantello 'C:\Anderswo\Mantello.exe /AUTOSTART'
check "the per-user settings stay" \
  value_is 'HKCU\Software\Ferrandel Software\Quillet' path "$instdir_win\\Quillet.ini"

finish
