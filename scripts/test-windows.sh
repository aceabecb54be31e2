#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Cross-builds the core, helixplot-cli.exe and the core tests for 64-bit
# Windows with MinGW-w64 and runs them under Wine in a private prefix: the
# core tests, the registry path of the settings, and the samples' outputs,
# which must match the Linux build's byte for byte.
#
# GoogleTest for MinGW is built once from Debian's source into
# $HELIXPLOT_CACHE (default ~/.cache/helixplot) and reused.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
jobs=$(nproc)
start=$SECONDS

cache=${HELIXPLOT_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/helixplot}
toolchain=$PWD/cmake/mingw-w64.cmake
build=$PWD/build/windows

# Wine in a prefix of its own, quiet, without the Mono and Gecko installers.
export WINEPREFIX=$build/wineprefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$build"
trap 'wineserver -k 2>/dev/null || true' EXIT
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "=== creating the Wine prefix"
  # wineboot returns before the prefix is written; the server's end says it is.
  wineboot --init >/dev/null 2>&1 || true
  wineserver -w
  [ -f "$WINEPREFIX/system.reg" ] || { echo "wineboot made no prefix in $WINEPREFIX"; exit 1; }
fi
# A server that stays up between the many Wine runs below, and Wine's own
# services started now: started by a test, they would keep its output open
# and ctest would wait for them.
wineserver -p
wine cmd /c exit >/dev/null 2>&1 </dev/null

echo "=== GoogleTest for MinGW"
gtest=$cache/googletest-mingw
gtestVersion=$(dpkg-query -W -f='${Version}' googletest 2>/dev/null || echo unknown)
if [ "$(cat "$gtest/.version" 2>/dev/null)" != "$gtestVersion" ]; then
  rm -rf "$gtest" "$cache/googletest-mingw-build"
  cmake -S /usr/src/googletest -B "$cache/googletest-mingw-build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$gtest" >/dev/null
  cmake --build "$cache/googletest-mingw-build" -j "$jobs" >/dev/null
  cmake --install "$cache/googletest-mingw-build" >/dev/null
  echo "$gtestVersion" >"$gtest/.version"
  rm -rf "$cache/googletest-mingw-build"
fi

# CLI11 and nlohmann-json are headers only, but their Debian package configs
# name /usr/include, whose C headers must not mix with MinGW's: copies in a
# prefix of their own.
headers=$cache/headers-mingw
rm -rf "$headers" "$cache/cli11-mingw"
mkdir -p "$headers/include" "$headers/share/cmake"
cp -r /usr/include/CLI /usr/include/nlohmann "$headers/include/"
cp -r /usr/share/cmake/CLI11 /usr/share/cmake/nlohmann_json "$headers/share/cmake/"

echo "=== Windows build"
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_PREFIX_PATH="$gtest;$headers" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHELIXPLOT_UI=OFF -DHELIXPLOT_BENCHMARKS=OFF >/dev/null
cmake --build "$build" -j "$jobs" --target helixplot-cli helixplot_tests

echo "=== Linux build of helixplot-cli, for the comparison"
cmake --preset default >/dev/null
cmake --build --preset default -j "$jobs" --target helixplot-cli

echo "=== core tests under Wine"
# A Wine process now and then fails to start under load (a test "fails" in
# 0.01 s without running); a real failure fails its second run as well.
ctest --test-dir "$build" -j "$jobs" --output-on-failure --timeout 120 --repeat until-pass:2

echo "=== helixplot-cli.exe against the Linux build"
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"; wineserver -k 2>/dev/null || true' EXIT
linux=build/default/helixplot-cli
windows=$build/helixplot-cli.exe
chemicals="--chemicals samples/allchemicals.str"
cases=(
  "breakdown $chemicals samples/tibb.gen"
  "summary samples/quin.gen"
  "breakdown --chemicals $PWD/samples/allchemicals.str $PWD/samples/tibb.gen" # rooted paths, not options
  "map $chemicals samples/yeva.gen"
  "map --mode parental $chemicals samples/tibb.gen"
  "map --trace-progress $chemicals samples/tibb.gen samples/nela.gen"
  "map $chemicals samples/tibb.gen samples/quin.gen samples/yeva.gen"
  "summary samples/missing.gen"
  "breakdown $chemicals samples"
  "map --mode dual samples/tibb.gen"
  "census --format csv samples"
  "diff --mode parental $chemicals samples/tibb.gen"
  "map --format json $chemicals samples/tibb.gen samples/quin.gen"
  "census --format json --chemicals samples/allchemicals.str samples"
  "frobnicate samples/tibb.gen"
  "--help"
  "--version"
)
# Compares stdout, stderr and the exit status of the two programs.
compare() {
  local what=$1 expected=$2
  shift 2
  local a b
  a=$(wine "$windows" "$@" >"$scratch/w.out" 2>"$scratch/w.err"; echo $?)
  b=$(eval "$expected" >"$scratch/l.out" 2>"$scratch/l.err"; echo $?)
  if [ "$a" != "$b" ] || ! cmp -s "$scratch/w.out" "$scratch/l.out" || ! cmp -s "$scratch/w.err" "$scratch/l.err"; then
    fail "$what: status $a against $b"
    diff "$scratch/l.out" "$scratch/w.out" | head -5 || true
    diff "$scratch/l.err" "$scratch/w.err" | head -5 || true
  fi
}
for args in "${cases[@]}"; do
  # shellcheck disable=SC2086
  compare "helixplot-cli $args" "$linux $args" $args
done

echo "=== the game's installation from the registry"
key='HKLM\Software\Brindlecove Technology\Mirelings 2\1.0'
samples=$(winepath -w "$PWD/samples")
wine reg add "$key" /v "Main Directory" /t REG_SZ /d "$samples\\" /f >/dev/null
wine reg add "$key" /v "Genetics Directory" /t REG_SZ /d "$samples" /f >/dev/null
compare "chemical names from the registry" "$linux breakdown $chemicals samples/tibb.gen" breakdown samples/tibb.gen
wine reg add "$key" /v "Main Directory" /t REG_DWORD /d 7 /f >/dev/null
wine "$windows" breakdown samples/tibb.gen >/dev/null 2>"$scratch/err" || true
grep -qx "helixplot-cli: warning: chemical names not loaded: Invalid data type for 'Main Directory'" "$scratch/err" ||
  fail "a DWORD Main Directory: $(cat "$scratch/err")"
wine reg delete "$key" /v "Main Directory" /f >/dev/null
# Without the value, the names are looked for in the current folder.
(cd samples && wine "$windows" breakdown tibb.gen >"$scratch/w.out" 2>"$scratch/w.err") || true
"$linux" breakdown $chemicals samples/tibb.gen >"$scratch/l.out"
cmp -s "$scratch/w.out" "$scratch/l.out" && [ ! -s "$scratch/w.err" ] ||
  fail "without Main Directory, allchemicals.str in the current folder"
wine reg delete "$key" /f >/dev/null

if ((failures)); then
  echo "Windows test: $failures failure(s)"
  exit 1
fi
echo "Windows test: passed in $((SECONDS - start)) s"
