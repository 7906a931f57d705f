#!/usr/bin/env bash
# Installs what a fresh Debian machine lacks to build and test both sides; quick when all is there.
set -euo pipefail

sudo=""; [ "$(id -u)" = 0 ] || sudo=sudo
updated=0
install_missing() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  ((${#missing[@]})) || return 0
  echo "setup: installing ${missing[*]}"
  if [ "$updated" = 0 ]; then $sudo apt-get update -qq; updated=1; fi
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
}

install_missing cmake make g++ googletest libgtest-dev libgmock-dev libbenchmark-dev \
  g++-mingw-w64-x86-64-posix wine wine64 xvfb x11-utils imagemagick fonts-dejavu-core \
  clang nodejs chromium nsis zip unzip xdotool x11-xkb-utils
# The sanitizer runtimes of whichever clang the distribution ships.
clang_major=$(clang --version | grep -oE 'version [0-9]+' | grep -oE '[0-9]+$')
install_missing "libclang-rt-${clang_major}-dev"
