#!/usr/bin/env bash
# Sets up a fresh machine, builds both sides and runs every test: native, under Wine, fuzzing.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh

passed=0; failed=0
count() {  # adds the counts of a GoogleTest log
  local p f
  p=$(grep -oE '^\[  PASSED  \] [0-9]+' "$1" | grep -oE '[0-9]+$' | tail -1 || true)
  # One line with its time per failed test; --gtest_brief prints no closing list to count.
  f=$(grep -cE '^\[  FAILED  \] [A-Za-z0-9_/]+\.[A-Za-z0-9_/]+.* \([0-9]+ ms\)$' "$1" || true)
  passed=$((passed + ${p:-0})); failed=$((failed + ${f:-0}))
}

mkdir -p build/logs
status=0
echo "== native tests"
if build/linux/tests/qm_tests --gtest_brief=1 >build/logs/native.log 2>&1; then
  tail -1 build/logs/native.log
else
  tail -60 build/logs/native.log; status=1
fi
count build/logs/native.log

echo "== script round trips in Node.js and headless Chromium"
if bash tests/js/run_js_tests.sh build/linux/cli/mantello-cli >build/logs/js.log 2>&1; then
  tail -1 build/logs/js.log
else
  tail -40 build/logs/js.log; status=1
fi
js=$(grep -oE '^js: [0-9]+ passed, [0-9]+ failed' build/logs/js.log | tail -1 || true)
if [ -n "$js" ]; then
  passed=$((passed + $(echo "$js" | awk '{print $2}'))); failed=$((failed + $(echo "$js" | awk '{print $4}')))
else
  failed=$((failed + 1))
fi

echo "== tests under Wine"
if scripts/wine-run.sh build/windows build/windows/bin/qm_wine_tests.exe --gtest_brief=1 \
      >build/logs/wine.log 2>&1; then
  tail -3 build/logs/wine.log
else
  cat build/logs/wine.log | tail -60; status=1
fi
count build/logs/wine.log
grep -q 'PASSED' build/logs/wine.log || { echo "the Wine tests did not run"; status=1; failed=$((failed + 1)); }

echo "== the Windows command-line tools under Wine, against the Linux ones"
cli_check() {  # name, expected, actual
  if [ "$2" = "$3" ]; then passed=$((passed + 1)); echo "ok - $1";
  else failed=$((failed + 1)); status=1; echo "not ok - $1"; fi
}
win=build/windows/bin
cli_check "quillet-cli.exe shows an enciphered sample entry" \
  "$(build/linux/cli/quillet-cli samples/sample.ini show 4 | od -c)" \
  "$(scripts/wine-run.sh build/windows $win/quillet-cli.exe samples/sample.ini show 4 2>/dev/null | od -c)"
sample=$(printf '<a href="mailto:info@example.org">Gr\303\274\303\237e \342\202\254</a>')
cli_check "mantello-cli.exe encodes what mantello-cli decodes" \
  "$(printf '%s' "$sample" | build/linux/cli/mantello-cli encode | build/linux/cli/mantello-cli decode)" \
  "$(printf '%s' "$sample" | scripts/wine-run.sh build/windows $win/mantello-cli.exe encode 2>/dev/null | build/linux/cli/mantello-cli decode)"

echo "== two machines writing one library at once: two Wine prefixes, one file system"
if bash tests/store/two_machines.sh build/windows build/linux/cli/quillet-cli \
      >build/logs/two-machines.log 2>&1; then
  tail -1 build/logs/two-machines.log
else
  tail -20 build/logs/two-machines.log; status=1
fi
machines=$(grep -oE '^two-machines: [0-9]+ passed, [0-9]+ failed' build/logs/two-machines.log | tail -1 || true)
if [ -n "$machines" ]; then
  passed=$((passed + $(echo "$machines" | awk '{print $2}'))); failed=$((failed + $(echo "$machines" | awk '{print $4}')))
else
  failed=$((failed + 1)); status=1
fi

echo "== the release artifacts: the zip and the installer under Wine"
rm -f build/logs/package.log
if scripts/package.sh >build/logs/package-build.log 2>&1; then
  grep '^package:' build/logs/package-build.log
  tests/package/run_package_tests.sh build/dist >build/logs/package.log 2>&1 || status=1
  grep '^not ok' build/logs/package.log || true
  tail -1 build/logs/package.log
else
  tail -40 build/logs/package-build.log; status=1
fi
pkg=$(grep -oE '^package: [0-9]+ passed, [0-9]+ failed' build/logs/package.log 2>/dev/null | tail -1 || true)
if [ -n "$pkg" ]; then
  passed=$((passed + $(echo "$pkg" | awk '{print $2}'))); failed=$((failed + $(echo "$pkg" | awk '{print $4}')))
else
  failed=$((failed + 1)); status=1
fi

echo "== start-up and memory against a minimal program (a warning only: a loaded machine is slow)"
if scripts/wine-run.sh build/windows build/windows/bin/footprint_bench.exe 5 \
      >build/logs/footprint.log 2>&1; then
  grep -E 'times the minimal' build/logs/footprint.log
else
  grep -E 'times the minimal|footprint_bench:' build/logs/footprint.log || tail -5 build/logs/footprint.log
  echo "warning: the start-up or memory targets are not met on this run (see build/logs/footprint.log)"
fi

echo "== fuzzing"
if scripts/fuzz.sh "${QM_FUZZ_SECONDS:-20}"; then passed=$((passed + 1)); else failed=$((failed + 1)); status=1; fi

echo "tests: $passed passed, $failed failed"
exit $status
