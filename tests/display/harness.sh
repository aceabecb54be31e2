# Drives the real desktop program on a private X server (Xvfb) with xdotool.
# Sourced by the scenario scripts; needs HELIXPLOT (the program), SOURCE_DIR
# and optionally HELIXPLOT_CLI in the environment.
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
  exit 1
}

# Starts a private X server on the first free display; Xvfb picks it and
# reports its number, so parallel tests never meet.
start_x() {
  local fd_file=$work/display
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fd_file" >/dev/null 2>&1 &
  xvfb=$!
  for _ in $(seq 200); do
    [ -s "$fd_file" ] && break
    kill -0 "$xvfb" 2>/dev/null || fail "Xvfb did not start"
    sleep 0.05
  done
  [ -s "$fd_file" ] || fail "Xvfb reported no display"
  export DISPLAY=:$(head -1 "$fd_file")
}

# Starts the program with the samples' settings, a home and a configuration
# folder of the test's own (the dump and Helixplot's settings land there).
start_app() {
  mkdir -p "$work/home" "$work/config"
  HOME=$work/home XDG_CONFIG_HOME=$work/config HELIXPLOT_SETTINGS=$SOURCE_DIR/samples/settings.ini \
    QT_QPA_PLATFORM=xcb "$HELIXPLOT" "$@" >>"$work/app.log" 2>&1 &
  app=$!
}

# Prints the id of the visible window titled exactly $1, waiting up to $2 s.
wait_window() {
  local id
  id=$(timeout "${2:-30}" xdotool search --sync --onlyvisible --name "^$1\$" 2>/dev/null | head -1) ||
    fail "no window '$1'"
  [ -n "$id" ] || fail "no window '$1'"
  echo "$id"
}

# Waits up to $2 s until no visible window is titled $1.
wait_gone() {
  for _ in $(seq $((${2:-30} * 20))); do
    xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || return 0
    sleep 0.05
  done
  fail "window '$1' still there"
}

# How many visible windows are titled exactly $1.
count_windows() {
  { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null || true; } | wc -l
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
