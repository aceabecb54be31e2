#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Smoke test of the Windows zip under Wine on a private X server: unpacks it
# into a scratch folder, starts helixplot.exe on a sample (Windows' own
# platform plugin, only the zip's DLLs, a Wine prefix of its own with the
# game's registry values pointing at the samples), accepts the selection
# dialog, exports the statistics with Ctrl+S and compares them with what the
# zip's helixplot-cli.exe prints, closes the main window and checks the exit
# status and that Wine showed no crash dialog.
#
#   bash scripts/smoke-windows-desktop.sh build/windows-desktop/helixplot-VERSION-win64.zip
set -euo pipefail

main() {
  cd "$(dirname "$0")/.."
  zip=$(realpath "$1")
  samples=$PWD/samples
  # shellcheck source=tests/display/harness.sh
  source tests/display/harness.sh # Xvfb and xdotool helpers; cleans up $work

  # Nothing of the build, the host's Qt or the test presets may leak in:
  # Wine hands the environment to the Windows program.
  unset WINEPATH QT_QPA_PLATFORM QT_PLUGIN_PATH QT_QPA_PLATFORM_PLUGIN_PATH HELIXPLOT_SETTINGS
  export WINEPREFIX=$work/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  trap 'wineserver -k 2>/dev/null || true; cleanup' EXIT

  unzip -q "$zip" -d "$work/unpacked"
  folder=$(find "$work/unpacked" -mindepth 1 -maxdepth 1 -type d)
  [ -f "$folder/helixplot.exe" ] || fail "no helixplot.exe at the top of $(basename "$zip")"
  bash scripts/windows-notices.sh check "$folder" || fail "the zip's licence notices"

  echo "=== smoke test of $(basename "$zip") under Wine"
  # The X server first: Wine's desktop process, started with the prefix,
  # keeps the display it was started with.
  start_x
  wineboot --init >/dev/null 2>&1 || true
  wineserver -w
  [ -f "$WINEPREFIX/system.reg" ] || fail "wineboot made no prefix"
  key='HKLM\Software\Brindlecove Technology\Mirelings 2\1.0'
  wine reg add "$key" /v "Main Directory" /t REG_SZ /d "$(winepath -w "$samples")\\" /f >/dev/null
  wine reg add "$key" /v "Genetics Directory" /t REG_SZ /d "$(winepath -w "$samples")" /f >/dev/null

  wine "$folder/helixplot.exe" --mode single "$(winepath -w "$samples/tibb.gen")" \
    "$(winepath -w "$samples/nela.gen")" >"$work/app.log" 2>&1 &
  app=$!
  dialog=$(wait_window "$DialogTitle" 120)
  no_crash
  keys "$dialog" Return # every name was loaded: accepted at once
  main=$(wait_window "$MainTitle" 120)
  wait_gone "$ProgressTitle" 120
  no_crash
  # An error box has the main window's title too.
  sleep 1
  [ "$(count_windows "$MainTitle")" -eq 1 ] || fail "a box over the main window"
  echo "  the main window mapped: $(xdotool getwindowgeometry "$main" | sed -n 's/ *Geometry: //p')"

  # Ctrl+S on the statistics: the same counts as the command-line tool's.
  keys "$main" ctrl+s
  save=$(wait_window "Export page" 60)
  exported=$(winepath -w "$work/statistics.csv")
  # Wine's file name box has no Ctrl+A: the suggested name selected by hand.
  keys "$save" End shift+Home BackSpace
  type_into "$save" "$exported"
  keys "$save" Return
  wine "$folder/helixplot-cli.exe" map --mode single --chemicals "$(winepath -w "$samples/allchemicals.str")" \
    "$(winepath -w "$samples/tibb.gen")" "$(winepath -w "$samples/nela.gen")" |
    sed -n '2,21p' | tr '\t' ',' | sed 's/$/\r/' >"$work/expected.csv"
  [ -s "$work/expected.csv" ] || fail "helixplot-cli.exe printed nothing"
  wait_same "$work/statistics.csv" 30 "$work/expected.csv"
  echo "  Ctrl+S exported the statistics as helixplot-cli.exe counts them"

  keys "$main" alt+F4 # as "Close Helixplot": the program ends
  expect_exit 60 0
  no_crash
  wineserver -k 2>/dev/null || true
  echo "Windows smoke test: passed"
}

# Wine's crash dialog ("Program Error") means the program died.
no_crash() {
  [ "$(count_windows "Program Error")" -eq 0 ] || fail "Wine's crash dialog appeared"
}

# The whole file is read before anything runs.
main "$@"
exit
