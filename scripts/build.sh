#!/usr/bin/env bash
# Builds the Linux side (build/linux) and the Windows side (build/windows).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
cmake -S . -B build/linux -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/linux -j"$jobs"
cmake -S . -B build/windows -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake >/dev/null
cmake --build build/windows -j"$jobs"
