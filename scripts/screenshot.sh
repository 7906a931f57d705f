#!/usr/bin/env bash
# Takes the help's screenshots as a German user on Windows would see the program: Quillet.exe
# and the sample library in C:\Quillet of a prefix of their own, Wine's symbol fonts and Wine
# in German (QM_WINE_LOOK), on a screen of 1280 x 1024.
#
# usage: scripts/screenshot.sh OUT_PREFIX "STEP;STEP;..."
#   a STEP is "shot NAME" (the screen into OUT_PREFIX-NAME.png), "sleep SECONDS", or the
#   arguments of one xdotool command ("key alt+o", "mousemove 1269 1013 click 3").
#   The tray icon sits at 1269,1013; a right click on it shows the main window.
#   QM_SCREENSHOT_BIN names another folder with Quillet.exe and hilfe (default build/windows/bin).
set -euo pipefail
cd "$(dirname "$0")/.."
[ $# -eq 2 ] || { echo "usage: $0 OUT_PREFIX STEPS" >&2; exit 2; }
out=$1
steps=$2
build=build/screenshots
prefix="$PWD/$build/wineprefix"
program="$prefix/drive_c/Quillet"

Xvfb :77 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
trap 'WINEPREFIX=$prefix wineserver -k 2>/dev/null || true; kill $xvfb_pid 2>/dev/null || true' EXIT
export DISPLAY=:77
sleep 1
mkdir -p "$build"
# The first run makes the prefix (and is the program's first start: its notification shows);
# later runs keep the library the earlier ones made and take the program anew.
if [ ! -f "$prefix/system.reg" ]; then
  WINEPREFIX=$prefix WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all \
    timeout 300 wineboot -i >/dev/null 2>&1
  WINEPREFIX=$prefix timeout 120 wineserver -w
fi
mkdir -p "$program"
bin=${QM_SCREENSHOT_BIN:-build/windows/bin}
cp "$bin/Quillet.exe" samples/sample.ini "$program/"
[ -d "$bin/hilfe" ] && cp -r "$bin/hilfe" "$program/"
QM_WINE_LOOK=1 scripts/wine-run.sh "$build" "$program/Quillet.exe" >/dev/null 2>&1 &
sleep 10
IFS=';' read -ra parts <<<"$steps"
for step in "${parts[@]}"; do
  step=$(echo "$step" | sed 's/^ *//; s/ *$//')
  case "$step" in
    shot\ *) import -window root "$out-${step#shot }.png" ;;
    sleep\ *) sleep "${step#sleep }" ;;
    *) xdotool $step; sleep 1.5 ;;
  esac
done
