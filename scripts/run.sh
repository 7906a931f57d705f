#!/usr/bin/env bash
# Sets up, builds both sides and shows the sample snippet library through quillet-cli,
# natively and as the Windows build under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
echo "== quillet-cli (Linux) on samples/sample.ini"
build/linux/cli/quillet-cli samples/sample.ini list
echo "== quillet-cli.exe (Windows, under Wine): entry 1"
scripts/wine-run.sh build/windows build/windows/bin/quillet-cli.exe samples/sample.ini show 1
echo
