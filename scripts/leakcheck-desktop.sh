#!/usr/bin/env bash
# Runs the sanitizer build of the desktop program in a real X session (Xvfb):
# start-up, a breakdown mapping of the sample child, shutdown. Fails when
# LeakSanitizer or AddressSanitizer reports anything beyond the system
# libraries' leaks listed in tests/lsan.supp.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize -j "$(nproc)" --target helixplot

export DISPLAY=:97
Xvfb "$DISPLAY" -screen 0 1024x768x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT

log=build/sanitize/leakcheck.log
HELIXPLOT_SETTINGS=$PWD/samples/settings.ini ASAN_OPTIONS=detect_leaks=1 \
  LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp build/sanitize/helixplot 2>"$log" &
app=$!

# Waits up to 60 s for a visible window titled $1 and prints its id.
window() {
  for _ in $(seq 120); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 || true)
    [ -n "$id" ] && { echo "$id"; return; }
    sleep 0.5
  done
  echo "no window '$1'" >&2
  return 1
}

# The selection dialog: the examined genome's name into its edit, Enter accepts.
dialog=$(window "Load Genome into Helixplot")
eval "$(xdotool getwindowgeometry --shell "$dialog")"
xdotool mousemove $((X + 150)) $((Y + 107)) click 1
xdotool key ctrl+a
xdotool type --delay 5 "$PWD/samples/tibb.gen"
xdotool key Return

# The main window after the run: "Close Helixplot" sits in its bottom right.
main=$(window "Mirelings2 Helixplot")
sleep 1
eval "$(xdotool getwindowgeometry --shell "$main")"
xdotool mousemove $((X + WIDTH - 77)) $((Y + HEIGHT - 21)) click 1

status=0
wait "$app" || status=$?
grep -v XDG_RUNTIME_DIR "$log" || true
if [ "$status" -ne 0 ]; then
  echo "leak check: the program ended with status $status"
  exit 1
fi
echo "leak check: clean"
