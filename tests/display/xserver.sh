# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced: start_x for scripts that need a private X server. The sourcing
# script defines fail and cleans up the server in $xvfb on exit.

# Starts a private X server on a free display between :90 and :150. Xvfb
# takes the display's lock itself; when another server holds it, this one
# ends at once and the next display is tried. Ready once a client gets in.
start_x() {
  local first=$((90 + RANDOM % 61)) n display
  for ((n = 0; n < 61; n++)); do
    display=$((90 + (first - 90 + n) % 61))
    [ -e "/tmp/.X$display-lock" ] && continue
    # No reset when the last client leaves: a client connecting just then
    # would be turned away.
    Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
    xvfb=$!
    for _ in $(seq 100); do
      kill -0 "$xvfb" 2>/dev/null || break
      if DISPLAY=":$display" xdotool getdisplaygeometry >/dev/null 2>&1; then
        export DISPLAY=":$display"
        return 0
      fi
      sleep 0.05
    done
    kill "$xvfb" 2>/dev/null || true
    wait "$xvfb" 2>/dev/null || true
    xvfb=""
  done
  fail "no free display for Xvfb"
}
