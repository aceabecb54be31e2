#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a command on a private X server. Unlike xvfb-run -a, two of these
# started at once never race for the same display: Xvfb takes the display's
# lock itself and the loser moves on to the next one.
set -euo pipefail

xvfb=""
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
cleanup() {
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
  wait 2>/dev/null || true
}
trap cleanup EXIT

# shellcheck source=xserver.sh
source "$(dirname "${BASH_SOURCE[0]}")/xserver.sh"
start_x
status=0
"$@" || status=$?
exit "$status"
