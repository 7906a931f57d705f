#!/usr/bin/env bash
# Installs what a fresh Debian machine lacks to build and test both sides; quick when all is there.
set -euo pipefail

packages=(cmake make g++ googletest libgtest-dev libgmock-dev libbenchmark-dev
          g++-mingw-w64-x86-64-posix wine wine64 xvfb x11-utils imagemagick
          clang libclang-rt-14-dev fonts-dejavu-core nodejs chromium)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  sudo=""; [ "$(id -u)" = 0 ] || sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
fi
