#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The report's size and how long headless Chromium takes to show it, for
# generated populations of 2,101 genomes (1,400 founders, one round of births)
# and 10,000 (ten dense rounds). The time is measured in the page, from the
# start of navigation to the first frame after the load event, through a
# measuring copy of the report; the median of REPEATS runs is printed.
#
#   bash scripts/report-bench.sh [BUILD_DIR [REPEATS]]
#
# Needs make-population and helixplot-cli built in BUILD_DIR (build/default)
# and Debian's chromium.
set -euo pipefail

build=${1:-build/default}
repeats=${2:-3}
for tool in make-population helixplot-cli; do
  [ -x "$build/$tool" ] || { echo "report-bench: build $build/$tool first" >&2; exit 2; }
done
command -v chromium >/dev/null || { echo "report-bench: needs chromium (bash scripts/setup.sh chromium)" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/helixplot-report-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

median() { sort -g | awk '{ v[NR] = $1 } END { print NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# Milliseconds from navigation to the first frame after load.
renderMs() {
  local profile
  profile=$(mktemp -d "$work/profile.XXXXXX")
  timeout 300 chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync --user-data-dir="$profile" \
    --window-size=1600,1000 --enable-logging=stderr --v=0 --screenshot="$profile/shot.png" "file://$1" \
    2>"$profile/log" >/dev/null || true
  grep -o 'RENDERED [0-9]*' "$profile/log" | head -1 | cut -d' ' -f2
  rm -rf "$profile"
}

printf '%-7s %8s %10s  %s\n' genomes MB render_ms load
# genomes founders rounds per-round
for sizes in "2101 1400 1 701" "10000 10 10 999"; do
  read -r n founders rounds perRound <<<"$sizes"
  dir=$work/population-$n
  "$build/make-population" "$dir" "$founders" "$rounds" "$perRound" >/dev/null
  "$build/helixplot-cli" report -o "$work/report.html" "$dir" 2>/dev/null
  megabytes=$(awk -v b="$(stat -c %s "$work/report.html")" 'BEGIN { printf "%.1f", b / 1048576 }')
  cp "$work/report.html" "$work/measured.html"
  echo "<script>addEventListener('load', function () { requestAnimationFrame(function () {" \
    "setTimeout(function () { console.log('RENDERED ' + Math.round(performance.now())); }, 0); }); });</script>" \
    >>"$work/measured.html"
  : >"$work/runs"
  for _ in $(seq "$repeats"); do
    renderMs "$work/measured.html" >>"$work/runs"
  done
  printf '%-7s %8s %10s  %s\n' "$n" "$megabytes" "$(median <"$work/runs")" "$(cut -d' ' -f1 /proc/loadavg)"
  rm -rf "$dir"
done
