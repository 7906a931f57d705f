#!/usr/bin/env bash
# Runs one Windows program under Wine, inside Xvfb and a Wine virtual desktop, and exits with its status.
#
# usage: scripts/wine-run.sh BUILD_DIR EXE [ARGS...]
#
# The Wine prefix lives in BUILD_DIR/wineprefix and is created on first use. Runs that share
# a prefix are serialised, because the end of a run shuts that prefix's wineserver down.
# QM_WINE_TIMEOUT (seconds, default 1200) bounds the program's run. QM_WINE_LOOK=1 runs it as
# a user sees it: the symbol fonts that Wine ships (the title bar's buttons, the editor's
# Enter and Tab marks) registered in the prefix, and Wine in German.
set -u

if [ $# -lt 2 ]; then
  echo "usage: $0 BUILD_DIR EXE [ARGS...]" >&2
  exit 2
fi
build_dir=$(cd "$1" && pwd) || exit 2
exe=$2
shift 2
[ -f "$exe" ] || { echo "wine-run: no such program: $exe" >&2; exit 2; }
exe=$(cd "$(dirname "$exe")" && pwd)/$(basename "$exe")

export WINEPREFIX="$build_dir/wineprefix"
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
# Without these, a new prefix asks to install Mono and Gecko and waits for an answer.
export WINEDLLOVERRIDES="mscoree,mshtml="
desktop_name=qmtest
desktop_size=1280x1024
run_timeout=${QM_WINE_TIMEOUT:-1200}

work=$(mktemp -d "${TMPDIR:-/tmp}/qm-wine-run.XXXXXX") || exit 2
xvfb_pid=
desktop_pid=
locked=

cleanup() {
  # Stops whatever the run left in the prefix (the desktop, stray children) and waits for it.
  # Only a run that holds the prefix may stop it; another one may be using it.
  if [ -n "$locked" ] && [ -d "$WINEPREFIX" ]; then
    wineserver -k >/dev/null 2>&1
    timeout 30 wineserver -w >/dev/null 2>&1
  fi
  [ -n "$desktop_pid" ] && kill "$desktop_pid" 2>/dev/null
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
  fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# One run per prefix at a time; another run's cleanup would kill ours. Wine's processes do
# not inherit the lock (9>&-), so a lingering wineserver cannot hold it.
mkdir -p "$WINEPREFIX.d"
exec 9>"$WINEPREFIX.d/lock"
if ! flock -w "$run_timeout" 9; then
  echo "wine-run: the prefix $WINEPREFIX stays busy" >&2
  exit 2
fi
locked=1

# Our own X server unless the caller gives one; Xvfb picks a free display number itself.
if [ -z "${DISPLAY:-}" ]; then
  Xvfb -displayfd 8 -screen 0 1920x1080x24 -nolisten tcp -noreset 8>"$work/display" \
    >"$work/xvfb.log" 2>&1 9>&- &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
  done
  if [ ! -s "$work/display" ]; then
    echo "wine-run: Xvfb did not start:" >&2
    cat "$work/xvfb.log" >&2
    exit 2
  fi
  export DISPLAY=":$(tr -d '[:space:]' <"$work/display")"
fi

if [ "${QM_WINE_LOOK:-}" = 1 ]; then
  export LANG=de_DE.UTF-8
  unset LC_ALL
fi

# Wine takes its language and its Unix file-name encoding from the locale; one that is not
# installed silently falls back to C, where file names beyond ASCII cannot be opened. Such a
# locale is compiled into the build folder instead.
if [ -n "${LANG:-}" ] && [ "$LANG" != C ] && [ "$LANG" != POSIX ] &&
   [ "$(LC_ALL=$LANG locale charmap 2>/dev/null)" = ANSI_X3.4-1968 ]; then
  locale_dir="$WINEPREFIX.d/locale"
  if [ ! -d "$locale_dir/$LANG" ]; then
    mkdir -p "$locale_dir"
    charset=${LANG#*.}
    [ "$charset" = "$LANG" ] && charset=UTF-8
    localedef -i "${LANG%%.*}" -f "$charset" "$locale_dir/$LANG" >/dev/null 2>&1 ||
      echo "wine-run: the locale $LANG is not available; Wine falls back to C" >&2
  fi
  [ -d "$locale_dir/$LANG" ] && export LOCPATH="$locale_dir"
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "wine-run: creating the Wine prefix $WINEPREFIX" >&2
  timeout 300 wineboot -i >"$work/wineboot.log" 2>&1 9>&-
  timeout 120 wineserver -w
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "wine-run: wineboot failed:" >&2
    cat "$work/wineboot.log" >&2
    exit 2
  fi
fi
if [ ! -f "$WINEPREFIX.d/configured-2" ]; then
  # Every program of the prefix, not only one started through explorer, then opens its
  # windows on the virtual desktop.
  timeout 60 wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d "$desktop_name" /f \
    >/dev/null 2>&1
  timeout 60 wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v "$desktop_name" \
    /d "$desktop_size" /f >/dev/null 2>&1
  # A crashing program ends with its exception code instead of waiting in the debugger.
  timeout 60 wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
    /v Debugger /d "" /f >/dev/null 2>&1
  timeout 60 wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
    /v Auto /d 0 /f >/dev/null 2>&1
  timeout 60 wineserver -w
  touch "$WINEPREFIX.d/configured-2"
fi

# Marlett draws the title bar's buttons, Wingdings the editor's marks; without them Wine shows
# letters and boxes. They are Debian's fonts-wine, copied into the prefix and registered; Wine's
# Wingdings lacks the Enter and Tab marks and the picture's mark, so its copy gets them.
if [ "${QM_WINE_LOOK:-}" = 1 ] && [ ! -f "$WINEPREFIX.d/fonts-3" ]; then
  fonts_dir="$WINEPREFIX/drive_c/windows/Fonts"
  mkdir -p "$fonts_dir"
  for font in "marlett.ttf:Marlett" "wingding.ttf:Wingdings" "symbol.ttf:Symbol"; do
    file=${font%%:*}
    [ -f "/usr/share/wine/fonts/$file" ] || continue
    if [ "$file" = wingding.ttf ]; then
      python3 "$(dirname "$0")/wingdings_marks.py" "/usr/share/wine/fonts/$file" \
        "$fonts_dir/$file" || cp "/usr/share/wine/fonts/$file" "$fonts_dir/"
    else
      cp "/usr/share/wine/fonts/$file" "$fonts_dir/"
    fi
    timeout 60 wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\Fonts' \
      /v "${font#*:} (TrueType)" /d "$file" /f >/dev/null 2>&1
  done
  timeout 60 wineserver -w
  touch "$WINEPREFIX.d/fonts-3"
fi

# The desktop runs on its own, so that the program below is started by plain wine and its
# exit status and output are its own (explorer /desktop=... would swallow them).
wine explorer "/desktop=$desktop_name,$desktop_size" >"$work/desktop.log" 2>&1 9>&- &
desktop_pid=$!

timeout --kill-after=15 "$run_timeout" wine "$exe" "$@" 9>&-
rc=$?
if [ "$rc" -eq 124 ]; then
  echo "wine-run: $exe did not finish within $run_timeout s" >&2
fi
exit "$rc"
