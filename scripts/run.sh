#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds Helixplot and starts the desktop program. When the user's settings
# name no game installation, it runs on the bundled samples; without a
# display it prints the sample child's mapping against its parents instead.
# Only what building and running need is installed (the tests need more:
# scripts/test.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh --run
cmake --preset run >/dev/null
cmake --build --preset run -j "$(nproc)"

settings=${HELIXPLOT_SETTINGS:-${XDG_CONFIG_HOME:-$HOME/.config}/helixplot/settings.ini}
if ! grep -Eq '^[[:space:]]*Main Directory[[:space:]]*=[[:space:]]*[^[:space:]]' "$settings" 2>/dev/null; then
  export HELIXPLOT_SETTINGS=$PWD/samples/settings.ini
  echo "No game installation in $settings: using the bundled samples."
fi

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec build/run/helixplot "$@"
fi
echo "No display found (DISPLAY and WAYLAND_DISPLAY are unset): printing the mapping of"
echo "the sample child samples/tibb.gen against its parents with the command-line tool instead."
exec build/run/helixplot-cli map --mode parental samples/tibb.gen
