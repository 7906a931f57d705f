#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, ASan, UBSan) and runs each for SECONDS.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
CC=clang CXX=clang++ cmake -S . -B build/fuzz -DQM_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/fuzz -j"$(nproc)"
for target in build/fuzz/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus=build/fuzz/corpus/$name
  mkdir -p "$corpus"
  echo "fuzz: $name for ${seconds}s"
  "$target" -max_total_time="$seconds" -max_len=4096 -artifact_prefix=build/fuzz/ "$corpus" \
      >"build/fuzz/$name.log" 2>&1 || { tail -40 "build/fuzz/$name.log"; echo "fuzz: $name FAILED"; exit 1; }
done
