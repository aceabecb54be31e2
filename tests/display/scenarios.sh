#!/usr/bin/env bash
# Scenarios of the real desktop program on a real X server: bash scenarios.sh NAME.
source "$(dirname "$0")/harness.sh"

samples=$SOURCE_DIR/samples

# Cancelling the selection at start-up ends the program, with no main window.
cancelAtStartup() {
  start_app
  local dialog
  dialog=$(wait_window "$DialogTitle")
  keys "$dialog" Escape
  expect_exit 20 0
}

# The steps that once ended the program: after a mapping, "Load New Genome",
# a damaged genome through the browse button's file dialog, OK on the error
# box. The dialog stays, a good genome maps, and "Close Helixplot" ends.
damagedGenomeKeepsTheDialog() {
  head -c 3000 "$samples/tibb.gen" >"$work/damaged.gen"
  local dialog files box
  start_and_map
  keys "$main" Return # "Load New Genome" is the default button
  wait_gone "$MainTitle"
  dialog=$(wait_window "$DialogTitle")
  # The examined genome's name has the focus; the browse button is next.
  keys "$dialog" Tab space
  files=$(wait_window "Open")
  type_into "$files" "$work/damaged.gen"
  keys "$files" Return
  box=$(wait_window "$MainTitle")
  keys "$box" Return
  wait_gone "$MainTitle"
  sleep 0.5 # the program used to end a moment after the box closed
  expect_running
  [ "$(count_windows "$DialogTitle")" -eq 1 ] || fail "the selection dialog is gone"

  # A name typed right after the box fails the same way and keeps the dialog.
  keys "$dialog" shift+Tab ctrl+a # back from the browse button to the name
  type_into "$dialog" "$work/damaged.gen"
  box=$(wait_window "$MainTitle")
  keys "$box" Return
  wait_gone "$MainTitle"
  sleep 0.5
  expect_running
  [ "$(count_windows "$DialogTitle")" -eq 1 ] || fail "the selection dialog is gone"

  keys "$dialog" ctrl+a
  type_into "$dialog" "$samples/nela.gen"
  keys "$dialog" Return
  wait_window "$ProgressTitle" >/dev/null
  main=$(wait_window "$MainTitle" 60)
  wait_gone "$ProgressTitle"
  click_close "$main"
  expect_exit 20 0
}

# A double-click on the breakdown writes it to moop.txt in the home folder,
# exactly as the command-line tool prints it, with CRLF line ends.
doubleClickWritesTheDump() {
  start_and_map
  click_at "$main" 200 150 # into the statistics, so that Ctrl+Tab turns the page
  keys "$main" ctrl+Tab     # a breakdown run shows only the statistics and the breakdown
  click_at "$main" 200 150 2
  wait_file "$work/home/moop.txt"
  if [ -n "${HELIXPLOT_CLI:-}" ]; then
    "$HELIXPLOT_CLI" breakdown --chemicals "$samples/allchemicals.str" "$samples/tibb.gen" |
      sed 's/$/\r/' >"$work/expected.txt"
    cmp "$work/expected.txt" "$work/home/moop.txt" || fail "the dump differs from helixplot-cli breakdown"
  fi
  click_close "$main"
  expect_exit 20 0
}

[ $# -eq 1 ] && declare -F "$1" >/dev/null || {
  echo "usage: $0 SCENARIO" >&2
  exit 2
}
start_x
"$1"
echo "PASS: $1"
