#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Processor time of helixplot-cli map on a family of generated genomes (a
# child of about 1,000 genes and its two parents) against cat of the same
# files, and the peak memory of every command's text and JSON output on the
# worst inputs of scripts/peak-memory.sh plus three 2 MiB genomes compared
# with diff.
#   scripts/map-bench.sh [BUILD_DIR] [RUNS]   (default build/default, 100 runs a
#   batch; BATCHES=7, BENCH_LARGE=0 leaves out the 85,000-gene family, the largest under the input limit)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/default}
runs=${2:-100}
cli=$build/helixplot-cli
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HELIXPLOT_SETTINGS=$work/none.ini

# family GENES: child.gen naming moma and DADA, each parent with one gene in
# eight changed in its first body byte (a different eighth for each).
family() {
  "$build/make-samples" --genes "$1" "$work/base.gen" >/dev/null
  python3 - "$work" <<'PY'
import sys
work = sys.argv[1]
data = bytearray(open(work + "/base.gen", "rb").read())
starts = []
i = data.find(b"gene", 4)
while i != -1:
    starts.append(i)
    i = data.find(b"gene", i + 11)
starts.append(len(data))
# The first gene is the genus gene: a byte of genus, then both parents' names.
assert data[starts[0] + 4:starts[0] + 6] == b"\x02\x01"
child = bytearray(data)
child[starts[0] + 12:starts[0] + 20] = b"momaDADA"
open(work + "/child.gen", "wb").write(child)
for name, offset in (("moma", 3), ("DADA", 6)):
    parent = bytearray(data)
    for k in range(1, len(starts) - 1):
        body = starts[k] + 11
        if k % 8 == offset and body < starts[k + 1]:
            parent[body] ^= 0x5A
    open(work + "/" + name + ".gen", "wb").write(parent)
PY
}

# cpu N COMMAND...: processor seconds (user + system) of N runs.
cpu() {
  local n=$1
  shift
  /usr/bin/time -f "%U %S" -o "$work/cpu" bash -c 'for ((i = 0; i < '"$n"'; i++)); do "$@" >/dev/null; done' _ "$@"
  awk '{ printf "%.3f", $1 + $2 }' "$work/cpu"
}

family 1000
files=("$work/child.gen" "$work/moma.gen" "$work/DADA.gen")
mapArgs=(map --mode parental --chemicals samples/allchemicals.str "$work/child.gen")
"$cli" "${mapArgs[@]}" >/dev/null
# Batches of map and cat taken in turn, so that both see the same load; the
# median of the batches' ratios.
batches=${BATCHES:-7}
ratios=()
for ((b = 0; b < batches; b++)); do
  catTime=$(cpu "$runs" cat "${files[@]}")
  mapTime=$(cpu "$runs" "$cli" "${mapArgs[@]}")
  ratios+=("$(echo "$mapTime / $catTime" | bc -l)")
  printf 'batch %d: map %s s, cat %s s for %d runs each\n' "$b" "$mapTime" "$catTime" "$runs"
done
printf 'map of a 1,000-gene family: %.2f times cat (median of %d batches; load %s)\n' \
  "$(printf '%s\n' "${ratios[@]}" | sort -g | sed -n "$(((batches + 1) / 2))p")" "$batches" \
  "$(cut -d' ' -f1-3 /proc/loadavg)"

# peak KIND WHAT ARGS...: peak memory of the text and the JSON output.
peak() {
  local what=$1
  shift
  /usr/bin/time -f "%M" -o "$work/text" "$cli" "$@" --chemicals samples/allchemicals.str >/dev/null
  /usr/bin/time -f "%M" -o "$work/json" "$cli" "$@" --chemicals samples/allchemicals.str --format json >/dev/null
  printf '%-40s text %8d KiB  json %8d KiB  json/text %.2f\n' "$what" "$(cat "$work/text")" "$(cat "$work/json")" \
    "$(echo "$(cat "$work/json") / $(cat "$work/text")" | bc -l)"
}
peak "breakdown, 1,000 genes" breakdown "$work/child.gen"
peak "map --mode parental, 1,000 genes" map --mode parental "$work/child.gen"
peak "diff --mode parental, 1,000 genes" diff --mode parental "$work/child.gen"
[ "${BENCH_LARGE:-1}" = 0 ] && exit 0
family 85000
peak "map --mode parental, 85k genes" map --mode parental "$work/child.gen"
peak "diff --mode parental, 85k genes" diff --mode parental "$work/child.gen"
