#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds Helixplot and runs every test: each fuzz target for a short fixed
# time, then the whole suite twice, in a normal build and in a build with
# AddressSanitizer and UndefinedBehaviorSanitizer, then the Debian package,
# then the Windows build of the core and the command-line tool under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

echo "=== licence lines"
bash scripts/check-spdx.sh

# A short fixed fuzzing budget per target, so that a regression is caught.
echo "=== fuzzing"
bash scripts/fuzz.sh "${HELIXPLOT_FUZZ_SECONDS:-60}"

for preset in default sanitize; do
  echo "=== $preset build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  echo "=== $preset tests"
  ctest --preset "$preset" -j "$jobs"
done

echo "=== Debian package"
bash scripts/test-package.sh

echo "=== Windows build under Wine"
bash scripts/test-windows.sh
