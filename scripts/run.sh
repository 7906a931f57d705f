#!/usr/bin/env bash
# Sets up, builds both sides and starts Quillet.exe with the sample library (or, with the
# argument "mantello", Mantello.exe): under Wine on Linux, in a Wine desktop window on the
# user's display (or on a virtual X server when there is no display).
set -euo pipefail
cd "$(dirname "$0")/.."
program=Quillet
[ "${1:-}" = mantello ] && program=Mantello
scripts/setup.sh
scripts/build.sh
if [ -z "${DISPLAY:-}" ]; then
  echo "run: no DISPLAY; $program runs on a virtual X server that nobody sees (end it with Ctrl+C)"
fi
echo "run: starting $program.exe; its icon sits at the right of the Wine desktop's taskbar"
[ "$program" = Quillet ] &&
  echo "run: a right click on the icon shows the main window; the library is build/windows/bin/Quillet.ini"
# As a German user sees it: Wine's symbol fonts in the prefix, Wine in German.
exec env QM_WINE_LOOK=1 QM_WINE_TIMEOUT=${QM_WINE_TIMEOUT:-86400} \
  scripts/wine-run.sh build/windows "build/windows/bin/$program.exe"
