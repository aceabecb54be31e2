#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# What a screen reader finds in each window of the real program: run as
# with-atspi.sh bash accessibility.sh NAME, which provides the X server and
# the accessibility bus. atspi-walk.py reads the bus as a screen reader does
# and fails on any control without a name.
source "$(dirname "$0")/harness.sh"

samples=$SOURCE_DIR/samples
walker=$(dirname "$0")/atspi-walk.py

# Walks the program's showing windows once window $1 is on the bus.
walk_windows() {
  /usr/bin/python3 "$walker" "$app" "$1" 20 || fail "the accessibility walk of '$1' failed"
}

selectionDialog() {
  start_app
  local dialog
  dialog=$(wait_window "$DialogTitle")
  walk_windows "$DialogTitle"
  keys "$dialog" Escape
  expect_exit 20 0
}

mainWindow() {
  start_and_map
  walk_windows "$MainTitle"
  click_close "$main"
  expect_exit 20 0
}

populationWindow() {
  local population
  "$MAKE_POPULATION" "$work/pop" 6 2 5 >/dev/null
  start_app --population "$work/pop"
  population=$(wait_window "Population - pop")
  walk_windows "Population - pop"
  keys "$population" ctrl+w
  expect_exit 20 0
}

genomeEditor() {
  local editor
  start_app --edit "$samples/tibb.gen"
  editor=$(wait_window "tibb.gen - Genome Editor")
  walk_windows "tibb.gen - Genome Editor"
  keys "$editor" ctrl+w
  expect_exit 20 0
}

[ $# -eq 1 ] && declare -F "$1" >/dev/null || {
  echo "usage: $0 SCENARIO" >&2
  exit 2
}
[ -n "${DISPLAY:-}" ] || fail "no X server: run through with-atspi.sh"
"$1"
echo "PASS: $1"
