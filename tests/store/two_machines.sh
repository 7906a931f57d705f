#!/usr/bin/env bash
# Two machines add entries to one library at once: two Wine prefixes, each with a wineserver of
# its own, share only the file system; afterwards every entry is there exactly once. And a
# library reached through a symbolic link stays linked when it is written.
#
# usage: tests/store/two_machines.sh WINDOWS_BUILD_DIR LINUX_QUILLET_CLI [COUNT]
# Prints "two-machines: N passed, M failed" last; exits 1 when a check failed.
set -u

if [ $# -lt 2 ]; then
  echo "usage: $0 WINDOWS_BUILD_DIR LINUX_QUILLET_CLI [COUNT]" >&2
  exit 2
fi
build_dir=$(cd "$1" && pwd) || exit 2
linux_cli=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
count=${3:-200}
exe=$build_dir/bin/quillet-cli.exe
[ -f "$exe" ] || { echo "two-machines: no such program: $exe" >&2; exit 2; }
[ -x "$linux_cli" ] || { echo "two-machines: no such program: $linux_cli" >&2; exit 2; }

export WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY  # a console program needs no X server
# Machine A is the prefix of the Wine tests, held under their lock for the run; machine B is
# a copy of it, kept for the next run. Copies have their own wineserver (it goes by folder).
prefix_a=$build_dir/wineprefix
prefix_b=$build_dir/wineprefix-second-machine
work=$(mktemp -d "$build_dir/two-machines.XXXXXX") || exit 2
passed=0; failed=0
cleanup() {
  for p in "$prefix_a" "$prefix_b"; do
    WINEPREFIX=$p wineserver -k >/dev/null 2>&1
    WINEPREFIX=$p timeout 30 wineserver -w >/dev/null 2>&1
  done
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

mkdir -p "$prefix_a.d"
exec 9>"$prefix_a.d/lock"
flock -w 1200 9 || { echo "two-machines: the prefix $prefix_a stays busy" >&2; exit 2; }
if [ ! -f "$prefix_a/system.reg" ]; then
  WINEPREFIX=$prefix_a timeout 300 wineboot -i >/dev/null 2>&1 9>&-
  WINEPREFIX=$prefix_a timeout 120 wineserver -w 9>&-
fi
if [ ! -f "$prefix_b/system.reg" ]; then
  rm -rf "$prefix_b"
  cp -a "$prefix_a" "$prefix_b"
fi

check() {  # description, then the command that must succeed
  local what=$1; shift
  if "$@"; then passed=$((passed + 1)); echo "ok - $what"
  else failed=$((failed + 1)); echo "not ok - $what"; fi
}

file=$work/Quillet.ini
cp "$exe" "$work/"
# Each machine runs its adds one after another, as a user's script would; the wineserver
# stays up between them.
machine() {  # prefix, name prefix
  export WINEPREFIX=$1
  wineserver -p 9>&-
  local i
  local i status retried
  for i in $(seq "$count"); do
    retried=0
    while :; do
      echo "Text $i von $2" | timeout 120 wine quillet-cli.exe Quillet.ini add "$2$i" \
        >>"$2.out" 2>"$2.last" 9>&-
      status=$?
      cat "$2.last" >>"$2.err"
      # Now and then, with two wine servers busy, a process ends with 1 before it has run
      # and says nothing; quillet-cli never ends an add so. It is started once more (a write
      # that did happen would show as an entry twice), and the count is told.
      if [ "$status" -eq 1 ] && [ ! -s "$2.last" ] && [ "$retried" -eq 0 ]; then
        retried=1
        echo "add $i" >>"$2.restarted"
        continue
      fi
      [ "$status" -eq 0 ] || echo "add $i ended with exit status $status" >>"$2.err"
      break
    done
  done
}
cd "$work" || exit 2
start=$(date +%s)
machine "$prefix_a" A &
a=$!
machine "$prefix_b" B &
b=$!
wait $a; wait $b
echo "two-machines: $((2 * count)) adds in $(($(date +%s) - start)) s"
for m in A B; do
  [ -s "$work/$m.restarted" ] &&
    echo "two-machines: machine $m started $(grep -c . "$work/$m.restarted") add(s) again after a silent exit 1"
done

every_add_succeeded() {
  local ok=0
  for m in A B; do
    if [ -s "$work/$m.err" ]; then echo "machine $m:"; sort "$work/$m.err" | uniq -c | head; ok=1; fi
    [ "$(grep -c . "$work/$m.out" 2>/dev/null || echo 0)" -eq "$count" ] || ok=1
  done
  return $ok
}
check "each machine's $count adds all succeeded" every_add_succeeded

"$linux_cli" "$file" list >"$work/list" 2>"$work/list.err"
check "the library reads back" test $? -eq 0 -a ! -s "$work/list.err"
every_entry_once() {
  local expected got
  expected=$(for m in A B; do seq -f "$m%g" 1 "$count"; done | sort)
  got=$(cut -f2 "$work/list" | sort)
  [ "$expected" = "$got" ] && return 0
  echo "missing: $(comm -23 <(echo "$expected") <(echo "$got") | wc -l)," \
       "twice: $(echo "$got" | uniq -d | wc -l), entries: $(grep -c . "$work/list")"
  return 1
}
check "all $((2 * count)) entries are there, each once" every_entry_once

mkdir "$work/share"
printf '[Name]\r\n1=a\r\n' >"$work/share/Quillet.ini"
ln -s share/Quillet.ini "$work/linked.ini"
echo Text | WINEPREFIX=$prefix_a wine quillet-cli.exe linked.ini add b >/dev/null 2>&1 9>&-
check "a write through a link changes the file it leads to, and the link stays" \
  test -L "$work/linked.ini" -a "$(cut -f2 <(2>/dev/null "$linux_cli" "$work/share/Quillet.ini" list) | tr '\n' ,)" = a,b,

echo "two-machines: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
