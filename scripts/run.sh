#!/usr/bin/env bash
# Sets up, builds both sides and starts Mantello.exe: under Wine on Linux, in a Wine desktop
# window on the user's display (or on a virtual X server when there is no display).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
if [ -z "${DISPLAY:-}" ]; then
  echo "run: no DISPLAY; Mantello runs on a virtual X server that nobody sees (end it with Ctrl+C)"
fi
echo "run: starting Mantello.exe; its icon sits at the right of the Wine desktop's taskbar"
exec env QM_WINE_TIMEOUT=${QM_WINE_TIMEOUT:-86400} scripts/wine-run.sh build/windows build/windows/bin/Mantello.exe
