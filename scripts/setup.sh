#!/usr/bin/env bash
# Installs what a fresh Debian machine lacks to build and test both sides; quick when all is there.
set -euo pipefail
cd "$(dirname "$0")/.."

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
  clang nodejs chromium nsis zip unzip xdotool x11-xkb-utils fonts-wine locales \
  nlohmann-json3-dev libyaml-cpp-dev dpkg-dev curl xz-utils
# The sanitizer runtimes of whichever clang the distribution ships.
clang_major=$(clang --version | grep -oE 'version [0-9]+' | grep -oE '[0-9]+$')
install_missing "libclang-rt-${clang_major}-dev"

# The YAML library for the Windows side: Debian's source package of the version the Linux side
# links, checked against the sums below and unpacked with Debian's patches into .deps/, where
# CMake compiles it statically.
yaml_dir=.deps/yaml-cpp
yaml_dsc=yaml-cpp_0.7.0+dfsg-8.dsc
if [ ! -f "$yaml_dir/.unpacked" ]; then
  pool=http://deb.debian.org/debian/pool/main/y/yaml-cpp
  work=$(mktemp -d)
  (
    cd "$work"
    for f in "$yaml_dsc" yaml-cpp_0.7.0+dfsg.orig.tar.xz yaml-cpp_0.7.0+dfsg-8.debian.tar.xz; do
      curl -fsSL --retry 3 -o "$f" "$pool/$f"
    done
    sha256sum -c --quiet - <<'SUMS'
94bd9098d501f91c2570c8e8cb98d46bc6de7627c30e9f94ebb39dc0cd2d65c2  yaml-cpp_0.7.0+dfsg-8.dsc
dc63708605404e0b963e0ca3a9619d1c8270eda2839603e6fa0384e5e51e5312  yaml-cpp_0.7.0+dfsg.orig.tar.xz
d2d09d2e54215b5865d5dfd4a92ec887c261f9c19c0b2521303647505127163e  yaml-cpp_0.7.0+dfsg-8.debian.tar.xz
SUMS
    dpkg-source --no-check -x "$yaml_dsc" src >/dev/null
  )
  rm -rf "$yaml_dir" && mkdir -p .deps && mv "$work/src" "$yaml_dir" && rm -rf "$work"
  touch "$yaml_dir/.unpacked"
  echo "setup: unpacked the yaml-cpp source into $yaml_dir"
fi
