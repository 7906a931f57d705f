#!/usr/bin/env bash
# Builds the Windows programs and writes the release artifacts to build/dist/: the zip and the
# installer, both named after the version in VERSION.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v makensis >/dev/null && command -v zip >/dev/null || scripts/setup.sh

version=$(tr -d '[:space:]' <VERSION)
[[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || { echo "package: VERSION is not major.minor.revision: $version" >&2; exit 2; }

# Only the Windows side is needed; an up-to-date build folder costs nothing here.
cmake -S . -B build/windows -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake >/dev/null
cmake --build build/windows -j"${QM_JOBS:-$(nproc)}" --target Quillet Mantello

bin=build/windows/bin
dist=build/dist
stage=$dist/stage
zip_name=quillet-mantello-$version-win64.zip
setup_name=quillet-mantello-$version-setup.exe
rm -rf "$stage" "$dist/$zip_name" "$dist/$setup_name"
mkdir -p "$stage"

# What a user gets: the programs, the sample library Quillet copies at its first start, the
# pictures of Mantello's hints beside Mantello.exe (where it looks for them), the help folder
# both programs look for beside themselves, and the German read-me.
cp "$bin/Quillet.exe" "$bin/Mantello.exe" "$bin/quillet-yaml.dll" "$stage/"
# Symbols help nobody who runs the programs and double their size.
x86_64-w64-mingw32-strip "$stage/Quillet.exe" "$stage/Mantello.exe" "$stage/quillet-yaml.dll"
cp samples/sample.ini samples/signatur.txt mantello/hints/SID1.jpg mantello/hints/SID2.jpg "$stage/"
cp -r help "$stage/hilfe"
# Windows' editor shows the umlauts of a UTF-8 file correctly only with a byte-order mark.
{ printf '\357\273\277'; sed 's/\r*$/\r/' packaging/LIESMICH.txt; } >"$stage/LIESMICH.txt"

for exe in Quillet.exe Mantello.exe quillet-yaml.dll; do
  size=$(stat -c %s "$stage/$exe")
  echo "package: $exe $size bytes"
  if [ "$size" -ge $((2 * 1024 * 1024)) ]; then
    echo "package: $exe is 2 MB or larger" >&2
    exit 1
  fi
done

# Fixed times and order make the zip depend on the files alone.
find "$stage" -exec touch -d "@$(git log -1 --format=%ct 2>/dev/null || date +%s)" {} +
(cd "$stage" && find . -type f | sed 's|^\./||' | LC_ALL=C sort | zip -q -X -D "../$zip_name" -@)

makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DSTAGE="$(pwd)/$stage" -DSOURCE="$(pwd)" \
         -DOUTFILE="$(pwd)/$dist/$setup_name" packaging/installer.nsi

echo "package: $dist/$zip_name ($(stat -c %s "$dist/$zip_name") bytes)"
echo "package: $dist/$setup_name ($(stat -c %s "$dist/$setup_name") bytes)"
