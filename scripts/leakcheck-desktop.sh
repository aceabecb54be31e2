#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the sanitizer build of the desktop program in a real X session (a
# private Xvfb): start-up, a breakdown mapping of the sample child, shutdown.
# Fails when LeakSanitizer or AddressSanitizer reports anything beyond the
# system libraries' leaks listed in tests/lsan.supp.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize -j "$(nproc)" --target helixplot

export SOURCE_DIR=$PWD HELIXPLOT=$PWD/build/sanitize/helixplot
export ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp
# shellcheck source=tests/display/harness.sh
source tests/display/harness.sh # a private Xvfb and xdotool helpers; cleans up $work
start_x
start_and_map
sleep 1
click_close "$main"
# A leak report makes the program end with a failure status; fail shows it.
expect_exit 60 0
grep -v XDG_RUNTIME_DIR "$work/app.log" || true
echo "leak check: clean"
