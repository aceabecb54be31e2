#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Peak memory and time of helixplot-cli on the worst genomes it accepts: files
# just under the input size limit made of the genes that cost the most memory
# per byte on disk.
#   scripts/peak-memory.sh [BUILD_DIR]   (default build/default)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/default}
cli=$build/helixplot-cli
limit=$(sed -n 's/.*MaxInputBytes = \([0-9]*\)u << 20;.*/\1/p' src/genetics/inOutError.h)
bytes=$((limit << 20))
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# gene TYPE SUBTYPE ID BODYBYTES: one gene, body filled with 0..BODYBYTES-1.
gene() {
  printf 'gene'
  printf "\\x$(printf %02x "$1")\\x$(printf %02x "$2")\\x$(printf %02x "$3")\\x00\\x00\\x00\\x00"
  local i
  for ((i = 0; i < $4; i++)); do printf "\\x$(printf %02x $((i % 256)))"; done
}

# genome FILE HEAD REPEATED: "dna2", HEAD once, then REPEATED as often as
# fits in the limit.
genome() {
  local head=$work/head repeated=$work/one
  printf 'dna2' >"$head"
  cat "$2" >>"$head" 2>/dev/null || true
  cp "$3" "$repeated"
  local size count
  size=$(stat -c %s "$repeated")
  count=$(((bytes - $(stat -c %s "$head")) / size))
  cp "$head" "$1"
  # Doubling, so that the file is made in a few dozen appends.
  cp "$repeated" "$work/run"
  while (($(stat -c %s "$work/run") < count * size)); do
    cat "$work/run" "$work/run" >"$work/run2"
    mv "$work/run2" "$work/run"
  done
  head -c $((count * size)) "$work/run" >>"$1"
}

gene 1 3 1 256 >"$work/halflives"
gene 4 0 1 0 >"$work/unknown"
gene 2 1 0 0 >"$work/genus"
printf '\x00momaDADA' >>"$work/genus"
gene 1 3 2 256 >"$work/halflives2"
gene 1 3 3 256 >"$work/halflives3"
# The same key as halflives, another first body byte: every gene mutated.
cp "$work/halflives" "$work/changed"
printf '\xaa' | dd of="$work/changed" bs=1 seek=11 conv=notrunc status=none

genome "$work/halflives.gen" /dev/null "$work/halflives"
genome "$work/unknown.gen" /dev/null "$work/unknown"
# Parental: every gene of the child differs in key from the parents', so each
# is decoded in the additional and the breakdown trees, and each of the
# parents' in the missing tree.
genome "$work/child.gen" "$work/genus" "$work/halflives"
genome "$work/moma.gen" "$work/genus" "$work/halflives2"
genome "$work/DADA.gen" "$work/genus" "$work/halflives3"
mkdir "$work/mutated"
genome "$work/mutated/child.gen" "$work/genus" "$work/halflives"
genome "$work/mutated/moma.gen" "$work/genus" "$work/changed"
genome "$work/mutated/DADA.gen" "$work/genus" "$work/changed"

# run WHAT ARGS...: the text output, then the same as JSON.
run() {
  local what=$1 format
  shift
  for format in text json; do
    /usr/bin/time -f "%e %M" -o "$work/time" "$cli" "$@" --chemicals samples/allchemicals.str --format $format \
      >"$work/out"
    read -r seconds kb <"$work/time"
    printf '%-38s %-4s %6.2f s %8d KiB peak  %5.0fx input  %s MiB output\n' "$what" $format "$seconds" "$kb" \
      "$(echo "$kb * 1024 / $bytes" | bc -l)" $(($(stat -c %s "$work/out") >> 20))
  done
}
echo "input limit: $limit MiB"
run "breakdown, half-lives genes" breakdown "$work/halflives.gen"
run "breakdown, unknown-kind genes" breakdown "$work/unknown.gen"
run "map, parental, all genes differ" map --mode parental "$work/child.gen"
run "map, parental, every gene mutated" map --mode parental "$work/mutated/child.gen"
run "diff, parental, all genes differ" diff --mode parental "$work/child.gen"
run "diff, parental, every gene mutated" diff --mode parental "$work/mutated/child.gen"
