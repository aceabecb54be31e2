# SPDX-License-Identifier: GPL-3.0-or-later
# Drives the real desktop program on a private X server (Xvfb) with xdotool.
# Sourced by the scenario scripts; needs HELIXPLOT (the program),
# HELIXPLOT_CLI (the command-line tool) and SOURCE_DIR in the environment.
set -euo pipefail

DialogTitle='Load Genome into Helixplot'
MainTitle='Mirelings2 Helixplot'
ProgressTitle='Generating Genetics Map of Creature...'

work=$(mktemp -d)
xvfb=""
app=""

cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null || true
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  echo "visible windows:" >&2
  xdotool search --onlyvisible --name . getwindowname %@ >&2 2>/dev/null || true
  if [ -n "$app" ] && ! kill -0 "$app" 2>/dev/null; then
    local status=0
    wait "$app" || status=$?
    echo "the program ended with status $status" >&2
  fi
  echo "program output:" >&2
  grep -v XDG_RUNTIME_DIR "$work/app.log" >&2 2>/dev/null || true
  exit 1
}

# shellcheck source=xserver.sh
source "$(dirname "${BASH_SOURCE[0]}")/xserver.sh"

# Starts the program with the samples' settings, a home and a configuration
# folder of the test's own (the dump and Helixplot's settings land there).
start_app() {
  mkdir -p "$work/home" "$work/config"
  HOME=$work/home XDG_CONFIG_HOME=$work/config HELIXPLOT_SETTINGS=$SOURCE_DIR/samples/settings.ini \
    QT_QPA_PLATFORM=xcb "$HELIXPLOT" "$@" >>"$work/app.log" 2>&1 &
  app=$!
}

# Prints the id of the visible window titled exactly $1, waiting up to $2 s.
# A search fails now and then when a window goes away while it runs, so it
# is repeated rather than left waiting (--sync).
wait_window() {
  local id
  for _ in $(seq $((${2:-30} * 20))); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.05
  done
  fail "no window '$1'"
}

# Waits up to $2 s until no visible window is titled $1 (twice in a row: a
# failed search also finds nothing).
wait_gone() {
  local missed=0
  for _ in $(seq $((${2:-30} * 20))); do
    if xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1; then
      missed=0
    else
      missed=$((missed + 1))
      ((missed < 2)) || return 0
    fi
    sleep 0.05
  done
  fail "window '$1' still there"
}

# How many visible windows are titled exactly $1.
count_windows() {
  { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null || true; } | wc -l
}

# Waits up to $3 s until at least $2 visible windows are titled $1 (a box
# over a window of the same title).
wait_count() {
  for _ in $(seq $((${3:-30} * 20))); do
    [ "$(count_windows "$1")" -ge "$2" ] && return 0
    sleep 0.05
  done
  fail "fewer than $2 windows '$1'"
}

# Gives window $1 the keyboard focus (there is no window manager to do it).
focus() {
  xdotool windowfocus --sync "$1"
  # Qt takes the focus change from the event queue.
  for _ in $(seq 40); do
    [ "$(xdotool getwindowfocus)" = "$1" ] && return 0
    sleep 0.05
  done
}

# Types $2 into window $1 (into its focused control).
type_into() {
  focus "$1"
  xdotool type --delay 2 "$2"
}

keys() {
  local window=$1
  shift
  focus "$window"
  xdotool key --delay 30 "$@"
}

# Clicks at ($2, $3) relative to window $1; negative offsets count from the
# right and bottom edges.
click_at() {
  local X Y WIDTH HEIGHT SCREEN WINDOW x=$2 y=$3
  eval "$(xdotool getwindowgeometry --shell "$1")"
  ((x < 0)) && x=$((WIDTH + x))
  ((y < 0)) && y=$((HEIGHT + y))
  xdotool mousemove --sync $((X + x)) $((Y + y)) click --repeat "${4:-1}" --delay 80 1
}

# "Close Helixplot" lies at the main window's bottom right.
click_close() {
  click_at "$1" -77 -21
}

# Waits up to $1 s for the program to end and checks its status is $2.
expect_exit() {
  local status=0
  for _ in $(seq $(($1 * 20))); do
    kill -0 "$app" 2>/dev/null || break
    sleep 0.05
  done
  kill -0 "$app" 2>/dev/null && fail "the program did not end"
  wait "$app" || status=$?
  app=""
  [ "$status" -eq "$2" ] || fail "the program ended with status $status, not $2"
}

expect_running() {
  kill -0 "$app" 2>/dev/null || fail "the program ended"
}

# Waits up to $2 s until file $1 holds exactly what file $3 holds.
wait_same() {
  for _ in $(seq $((${2:-30} * 10))); do
    cmp -s "$1" "$3" && return 0
    sleep 0.1
  done
  cmp "$1" "$3" || true
  fail "$1 differs from what was expected"
}

# Waits up to $2 s until file $1 exists and stops growing.
wait_file() {
  local size=-1
  for _ in $(seq $((${2:-30} * 10))); do
    if [ -f "$1" ]; then
      local now
      now=$(stat -c %s "$1")
      [ "$now" = "$size" ] && [ "$now" -gt 0 ] && return 0
      size=$now
    fi
    sleep 0.1
  done
  fail "no file $1"
}

# Starts the program (with arguments $@), names the sample child as the
# examined genome and accepts; sets main to the main window once the run is
# over.
start_and_map() {
  start_app "$@"
  local dialog
  dialog=$(wait_window "$DialogTitle")
  type_into "$dialog" "$SOURCE_DIR/samples/tibb.gen"
  keys "$dialog" Return
  main=$(wait_window "$MainTitle" 60)
  wait_gone "$ProgressTitle"
}
