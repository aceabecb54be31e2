#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Times the desktop program on a real X server (a private Xvfb): from Enter on
# the selection dialog to the main window's first paint, less the run's
# 1.6 s of fixed waits, in breakdown mode, for the sample child and for
# generated genomes of 1,000 and 4,000 genes. The program measures itself
# (HELIXPLOT_TRACE_TIMING, in helixplot-timed, the benchmark's build of the
# program with its timing probe); the script drives it with xdotool and prints each
# run with the load average at its start, then the median per genome.
#
#   bash scripts/bench-desktop.sh [RUNS]     (default 7 runs per genome)
#
# HELIXPLOT=PATH times another build of the program (one that knows
# HELIXPLOT_TRACE_TIMING), e.g. a copy of an older one.
#
# The program runs with settings of its own, as in a first session (window
# sizes, last mode and folder): what earlier sessions left in the user's
# settings does not change the figures, and the runs do not change them.
# SETTINGS_FROM=DIR starts them from a copy of DIR/Helixplot (DIR as
# XDG_CONFIG_HOME, e.g. ~/.config) instead.
#
# Other work on the machine shows in the wall-clock figures: compare medians
# taken at a similar load. The processor time the program used in the same
# span (the waits cost next to none) hardly depends on the load.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-7}
program=${HELIXPLOT:-build/default/helixplot-timed}

bash scripts/setup.sh >/dev/null
cmake --preset default >/dev/null
cmake --build --preset default -j2 --target helixplot-timed make-samples >/dev/null

export SOURCE_DIR=$PWD HELIXPLOT=$program
# shellcheck source=tests/display/harness.sh
source tests/display/harness.sh # a private Xvfb and xdotool helpers; cleans up $work
start_x
mkdir "$work/config"
if [ -n "${SETTINGS_FROM:-}" ]; then
  cp -r "$SETTINGS_FROM/Helixplot" "$work/config/"
fi

for genes in 1000 4000; do
  build/default/make-samples --genes "$genes" "$work/generated-$genes.gen" >/dev/null
done

# One run on genome $1: prints the milliseconds beyond the fixed waits.
# Always run in a subshell: a lost window fails this run only (the caller
# tries once more), and the program goes with the subshell.
run_once() {
  local log=$work/app.log
  trap '[ -n "$app" ] && kill "$app" 2>/dev/null || true' EXIT
  HELIXPLOT_TRACE_TIMING=1 HELIXPLOT_SETTINGS=$PWD/samples/settings.ini XDG_CONFIG_HOME=$work/config \
    "$program" 2>"$log" &
  app=$!
  local dialog
  dialog=$(wait_window "$DialogTitle" 60)
  keys "$dialog" ctrl+a
  type_into "$dialog" "$1"
  # Loading the genome happens while its name is typed; let it settle.
  sleep 0.5
  keys "$dialog" Return
  for _ in $(seq 300); do
    grep -q "helixplot timing" "$log" && break
    sleep 0.1
  done
  kill "$app" 2>/dev/null || true
  wait "$app" 2>/dev/null || true
  app=""
  sed -n 's/.*main window [0-9.]* ms, \([0-9.-]*\) ms beyond.*waits, \([0-9.]*\) ms of processor.* after \([0-9]*\) paint events/\1 \2 \3/p' "$log"
}

median() {
  sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else printf "%.1f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

printf '%-28s %s\n' "genome" "ms beyond the fixed waits (load average at the start of each run)"
for genome in "$PWD/samples/tibb.gen" "$work/generated-1000.gen" "$work/generated-4000.gen"; do
  name=$(basename "$genome")
  : >"$work/figures"
  : >"$work/cpu"
  line=""
  for _ in $(seq "$runs"); do
    load=$(cut -d' ' -f1 /proc/loadavg)
    # A run that the window system loses is tried once more.
    result=$(run_once "$genome") || result=$(run_once "$genome")
    [ -n "$result" ] || { echo "no timing line for $name" >&2; exit 1; }
    read -r ms cpu paints <<<"$result"
    echo "$ms" >>"$work/figures"
    echo "$cpu" >>"$work/cpu"
    line="$line $ms ($load)"
  done
  printf '%-28s%s\n' "$name" "$line"
  printf '%-28s median %s ms beyond the waits, %s ms of processor time; %s paint events in the progress dialog\n' \
    "" "$(median <"$work/figures")" "$(median <"$work/cpu")" "$paints"
done
