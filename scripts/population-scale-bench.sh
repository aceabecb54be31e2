#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# How census, lineage, report and the pedigree layout grow with the
# population: generated populations of 10,000, 50,000 and 100,000 genomes
# (a fifth founders, then four rounds of births: many families, as a long
# game's folder holds), one run each, page cache warm. Per command the
# processor time (user + system), the wall time and the peak memory, and the
# ratios to the census's that the targets bound: lineage <= 2x and report <= 3x
# the census's processor time, peak memory <= 2x the census's. The layout is
# the pedigree benchmark's run of the same shape (bredPedigree), timed alone.
# The load average beside each row tells how busy the machine was.
#
#   bash scripts/population-scale-bench.sh [BUILD_DIR [SIZES...]]
#
# Needs make-population, helixplot-cli and pedigreeBench built in BUILD_DIR
# (build/default), and /usr/bin/time (Debian package time).
set -euo pipefail

build=${1:-build/default}
shift || true
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(10000 50000 100000)
for tool in make-population helixplot-cli pedigreeBench; do
  [ -x "$build/$tool" ] || { echo "population-scale-bench: build $build/$tool first" >&2; exit 2; }
done
[ -x /usr/bin/time ] || { echo "population-scale-bench: needs /usr/bin/time (Debian package time)" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/helixplot-scale-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

calc() { awk "BEGIN { print $1 }"; }

# Runs a command under /usr/bin/time: "cpu_s wall_s peak_MB".
measure() {
  /usr/bin/time -o "$work/time" -f '%U %S %e %M' "$@" >/dev/null 2>"$work/err" || {
    cat "$work/err" >&2
    return 1
  }
  read -r user system wall peakKb <"$work/time"
  echo "$(calc "$user + $system") $wall $(calc "$peakKb / 1024")"
}

printf '%-8s %-8s %8s %8s %8s %9s %9s  %s\n' genomes command cpu_s wall_s peak_MB cpu_ratio mem_ratio load
for n in "${sizes[@]}"; do
  founders=$((n / 5))
  perRound=$(((n - founders) / 4))
  dir=$work/population-$n
  "$build/make-population" "$dir" "$founders" 4 "$perRound" >/dev/null
  find "$dir" -name '*.gen' -exec cat {} + >/dev/null # warm the cache
  genomes=$(find "$dir" -name '*.gen' | wc -l)
  read -r censusCpu censusWall censusPeak < <(measure "$build/helixplot-cli" census --format csv "$dir")
  row() {
    printf '%-8s %-8s %8.2f %8.2f %8.1f %9.2f %9.2f  %s\n' "$genomes" "$1" "$2" "$3" "$4" \
      "$(calc "$2 / $censusCpu")" "$(calc "$4 / $censusPeak")" "$(cut -d' ' -f1-3 /proc/loadavg)"
  }
  row census "$censusCpu" "$censusWall" "$censusPeak"
  read -r cpu wall peak < <(measure "$build/helixplot-cli" lineage --format json "$dir")
  row lineage "$cpu" "$wall" "$peak"
  read -r cpu wall peak < <(measure "$build/helixplot-cli" report -o "$work/report.html" "$dir")
  row report "$cpu" "$wall" "$peak"
  printf '%-8s %-8s %8s MB\n' "$genomes" page "$(calc "$(stat -c %s "$work/report.html") / 1048576")"
  rm -f "$work/report.html"
  # The benchmark's own times of one layout (milliseconds), the process's peak.
  /usr/bin/time -o "$work/time" -f '%M' "$build/pedigreeBench" --benchmark_format=csv \
    --benchmark_filter="BM_LayoutPedigree/$founders/4/$perRound/" --benchmark_min_time=0.01 >"$work/layout" 2>/dev/null
  IFS=, read -r _ _ real cpu _ < <(grep '^"BM_LayoutPedigree' "$work/layout")
  printf '%-8s %-8s %8.2f %8.2f %8.1f %9s %9s  %s\n' "$genomes" layout "$(calc "$cpu / 1000")" \
    "$(calc "$real / 1000")" "$(calc "$(cat "$work/time") / 1024")" - - "$(cut -d' ' -f1-3 /proc/loadavg)"
  rm -rf "$dir"
done
