#!/usr/bin/env bash
# Round trips of mantello-cli's scripts through Node and headless Chromium; needs both.
# Usage: run_js_tests.sh MANTELLO_CLI
set -uo pipefail
cli=${1:?usage: run_js_tests.sh MANTELLO_CLI}
cli=$(cd "$(dirname "$cli")" && pwd)/$(basename "$cli")
here=$(cd "$(dirname "$0")" && pwd)
passed=0
failed=0

run() {  # runs one test script and adds its RESULT line; a missing line counts as a failure
  local out result
  out=$("$@" 2>&1)
  local rc=$?
  grep -v '^RESULT ' <<<"$out"
  result=$(grep '^RESULT ' <<<"$out" | tail -1)
  if [[ -z $result ]]; then
    echo "not ok - $* ended without a result (exit $rc)"
    failed=$((failed + 1))
    return
  fi
  read -r _ p f <<<"$result"
  passed=$((passed + p))
  failed=$((failed + f))
}

if ! command -v node >/dev/null; then
  echo "not ok - node is not installed"
  failed=$((failed + 1))
elif [[ ! -x $cli ]]; then
  echo "not ok - $cli is not an executable"
  failed=$((failed + 1))
else
  run node "$here/node_roundtrip.js" "$cli"
  if browser=$(command -v chromium || command -v chromium-browser); then
    run node "$here/browser_roundtrip.js" "$cli" "$browser"
  else
    echo "not ok - chromium is not installed (apt-get install -y chromium)"
    failed=$((failed + 1))
  fi
fi

echo "js: $passed passed, $failed failed"
[[ $failed -eq 0 ]]
