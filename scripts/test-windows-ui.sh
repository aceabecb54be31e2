#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the UI tests for Windows (the configuration of
# scripts/build-windows-desktop.sh with the tests on) and runs each under
# Wine on a private X server: Qt's `windows` platform plugin, Qt's and the
# C++ runtime's DLLs on WINEPATH, a fresh copy of one Wine prefix per test
# program (their settings live in its registry) with the game's registry
# values pointing at the samples. Run before a release, like the zip
# script; needs Qt and GoogleTest for MinGW in the cache (those scripts and
# scripts/test-windows.sh build them).
#
#   bash scripts/test-windows-ui.sh [TEST ...]   # e.g. geneChangeViewTest
set -euo pipefail

main() {
  cd "$(dirname "$0")/.."
  cache=${HELIXPLOT_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/helixplot}
  jobs=${HELIXPLOT_JOBS:-2}
  build=$PWD/build/windows-ui
  triple=x86_64-w64-mingw32
  qt=${HELIXPLOT_QT_MINGW:-$cache/qt6-mingw}
  for needed in "$qt/bin" "$cache/googletest-mingw/lib" "$cache/headers-mingw-desktop/include"; do
    [ -d "$needed" ] || { echo "missing $needed: run scripts/build-windows-desktop.sh and scripts/test-windows.sh first"; exit 1; }
  done
  start=$SECONDS

  cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64.cmake" \
    -DHELIXPLOT_MINGW_SHARED_RUNTIME=ON \
    -DCMAKE_PREFIX_PATH="$qt;$cache/headers-mingw-desktop;$cache/googletest-mingw" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHELIXPLOT_TESTS=ON -DHELIXPLOT_BENCHMARKS=OFF \
    -DHELIXPLOT_TOOLS=OFF >/dev/null
  mapfile -t tests < <(if (($#)); then printf '%s\n' "$@"; else
    find tests/ui -name '*Test.cpp' -printf '%f\n' | sed 's/\.cpp$//' | sort; fi)
  nice -n 19 cmake --build "$build" -j "$jobs" --target helixplot-cli "${tests[@]/#/ui_}"

  # Nothing of the host's Qt or the test presets may leak in: Wine hands
  # the environment to the Windows programs.
  unset QT_QPA_PLATFORM_PLUGIN_PATH HELIXPLOT_SETTINGS
  gccLib=$(dirname "$("$triple-g++-posix" -print-libgcc-file-name)")
  WINEPATH="$(dosPath "$qt/bin");$(dosPath "$gccLib");$(dosPath "/usr/$triple/lib")"
  export WINEPATH QT_PLUGIN_PATH=$qt/plugins QT_QPA_PLATFORM=windows
  export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  work=$build/wine
  rm -rf "$work"
  mkdir -p "$work"
  trap 'wineserver -k 2>/dev/null || true; [ -z "${xvfb:-}" ] || kill "$xvfb" 2>/dev/null || true; wait' EXIT
  # shellcheck source=tests/display/xserver.sh
  source tests/display/xserver.sh
  start_x # before the prefix: Wine's desktop keeps the display it started with

  echo "=== a Wine prefix with the game's registry values"
  export WINEPREFIX=$work/template
  wineboot --init >/dev/null 2>&1 || true
  wineserver -w
  [ -f "$WINEPREFIX/system.reg" ] || fail "wineboot made no prefix"
  samples=$(dosPath "$PWD/samples")
  key='HKLM\Software\Brindlecove Technology\Mirelings 2\1.0'
  wine reg add "$key" /v "Main Directory" /t REG_SZ /d "$samples\\" /f >/dev/null
  wine reg add "$key" /v "Genetics Directory" /t REG_SZ /d "$samples" /f >/dev/null
  wineserver -w

  failed=0
  for test in "${tests[@]}"; do
    export WINEPREFIX=$work/$test
    cp -a "$work/template" "$WINEPREFIX"
    status=0
    # Qt Test's own log file: its standard output is lost under Wine.
    wine "$build/ui_$test.exe" -o "$(dosPath "$work/$test.log"),txt" >"$work/$test.err" 2>&1 || status=$?
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    rm -rf "$WINEPREFIX" # large; the logs stay
    totals=$(grep -a '^Totals:' "$work/$test.log" || echo "Totals: none (status $status)")
    echo "$test: ${totals#Totals: }"
    if [ "$status" -ne 0 ] || ! grep -aq '^Totals: .*, 0 failed' "$work/$test.log"; then
      failed=$((failed + 1))
      grep -a -A4 '^FAIL!\|^QFATAL' "$work/$test.log" | sed 's/^/  /' || true
    fi
  done
  echo "Windows UI tests: $failed of ${#tests[@]} programs failed, $((SECONDS - start)) s (logs in $work)"
  ((failed == 0))
}

# A Linux path as Wine's drive Z: names it; winepath would need a prefix.
dosPath() {
  local path=$1
  echo "Z:${path//\//\\}"
}

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# The whole file is read before anything runs.
main "$@"
exit
