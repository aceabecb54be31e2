#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The census's speed and memory on generated populations of 1,000 and 10,000
# genomes, against reading the same files with cat (page cache warm for
# both), and lineage's processor time against the census's on the same
# folder (JSON: the core without the text's diffs). The populations go to a temporary folder that is removed afterwards.
#
#   bash scripts/census-bench.sh [BUILD_DIR [REPEATS]]
#
# Needs make-population and helixplot-cli built in BUILD_DIR (build/default).
set -euo pipefail

build=${1:-build/default}
repeats=${2:-3}
for tool in make-population helixplot-cli; do
  [ -x "$build/$tool" ] || { echo "census-bench: build $build/$tool first" >&2; exit 2; }
done
[ -x /usr/bin/time ] || { echo "census-bench: needs /usr/bin/time (Debian package time)" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/helixplot-census-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

now() { date +%s.%N; }
seconds() { awk -v a="$1" -v b="$2" 'BEGIN { print b - a }'; }
calc() { awk "BEGIN { print $1 }"; }

median() { sort -g | awk '{ v[NR] = $1 } END { print NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

printf '%-7s %7s %9s %9s %7s %8s %9s %9s %9s %9s  %s\n' genomes MB cat_s census_s ratio peak_MB cpu_s lin_cpu_s lin_ratio lin_peak load
# genomes founders rounds per-round
for sizes in "1000 10 11 90" "10000 10 10 999"; do
  read -r n founders rounds perRound <<<"$sizes"
  dir=$work/population-$n
  "$build/make-population" "$dir" "$founders" "$rounds" "$perRound" >/dev/null
  megabytes=$(du -sm "$dir" | cut -f1)
  find "$dir" -name '*.gen' -exec cat {} + >/dev/null # warm the cache
  : >"$work/runs"
  for _ in $(seq "$repeats"); do
    load=$(cut -d' ' -f1 /proc/loadavg)
    start=$(now)
    find "$dir" -name '*.gen' -exec cat {} + >/dev/null
    catSeconds=$(seconds "$start" "$(now)")
    start=$(now)
    /usr/bin/time -o "$work/time" -f '%U %S %M' "$build/helixplot-cli" census --format csv "$dir" >/dev/null
    censusSeconds=$(seconds "$start" "$(now)")
    read -r user system peakKb <"$work/time"
    /usr/bin/time -o "$work/time" -f '%U %S %M' "$build/helixplot-cli" lineage --format json "$dir" >/dev/null
    read -r linUser linSystem linPeakKb <"$work/time"
    cpu=$(calc "$user + $system")
    linCpu=$(calc "$linUser + $linSystem")
    printf '%-7s %7s %9.3f %9.3f %7.2f %8.1f %9.2f %9.2f %9.2f %9.1f  %s\n' "$n" "$megabytes" "$catSeconds" \
      "$censusSeconds" "$(calc "$censusSeconds / $catSeconds")" "$(calc "$peakKb / 1024")" "$cpu" "$linCpu" \
      "$(calc "$linCpu / $cpu")" "$(calc "$linPeakKb / 1024")" "$load" | tee -a "$work/runs"
  done
  # Medians of each column; the ratio is that of the medians.
  column() { awk -v c="$1" '{ print $c }' "$work/runs" | median; }
  catMedian=$(column 3)
  censusMedian=$(column 4)
  cpuMedian=$(column 7)
  linMedian=$(column 8)
  printf '%-7s %7s %9.3f %9.3f %7.2f %8.1f %9.2f %9.2f %9.2f %9.1f  %s\n' "median" "$megabytes" "$catMedian" \
    "$censusMedian" "$(calc "$censusMedian / $catMedian")" "$(column 6)" "$cpuMedian" "$linMedian" \
    "$(calc "$linMedian / $cpuMedian")" "$(column 10)" "$(column 11)"
  rm -rf "$dir"
done
