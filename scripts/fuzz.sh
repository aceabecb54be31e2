#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs each libFuzzer target for SECONDS seconds (default 60):
#   scripts/fuzz.sh [SECONDS] [TARGET...]
# Corpora grow in build/fuzz/corpus/TARGET, seeded from fuzz/seeds/TARGET and
# the sample genomes; crashing inputs land in build/fuzz/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shift || true
targets=("$@")
((${#targets[@]})) || targets=(genomeReaderFuzz chemicalNamesFuzz mappingFuzz settingsFuzz wineRegistryFuzz genomeDecompileFuzz genomeTextFuzz)

bash scripts/setup.sh
CC=clang CXX=clang++ cmake -S . -B build/fuzz -DHELIXPLOT_FUZZ=ON -DHELIXPLOT_UI=OFF \
  -DHELIXPLOT_TESTS=OFF -DHELIXPLOT_BENCHMARKS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/fuzz -j "$(nproc)" --target "${targets[@]}"

mkdir -p build/fuzz/artifacts
for target in "${targets[@]}"; do
  corpus=build/fuzz/corpus/$target
  mkdir -p "$corpus"
  [ -d "fuzz/seeds/$target" ] && cp -n fuzz/seeds/"$target"/* "$corpus"/ 2>/dev/null || true
  case $target in
    genomeReaderFuzz | genomeDecompileFuzz) cp -n samples/*.gen "$corpus"/ 2>/dev/null || true ;;
    chemicalNamesFuzz) cp -n samples/allchemicals.str "$corpus"/ 2>/dev/null || true ;;
    mappingFuzz)
      # One seed per mode: the sample genomes one after another.
      for mode in 0 1 2; do
        { printf "\\x0$mode"; cat samples/*.gen; } >"$corpus/samples-$mode" 2>/dev/null || true
      done ;;
  esac
  echo "=== $target for ${seconds}s"
  "build/fuzz/$target" "$corpus" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix=build/fuzz/artifacts/"$target"- -print_final_stats=1 2>&1 | grep -E '^(#|stat::|=|SUMMARY|ERROR)' | tail -12
done
