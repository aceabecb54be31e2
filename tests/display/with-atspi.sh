#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a command on a private X server with a private session bus and the
# accessibility bus a screen reader listens on, so that Qt's accessibility
# bridge comes up as it does on a desktop with a screen reader.
set -euo pipefail

if [ -z "${HELIXPLOT_ATSPI_SESSION:-}" ]; then
  HELIXPLOT_ATSPI_SESSION=1 exec dbus-run-session -- "$0" "$@"
fi
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
launcher=$!
trap 'kill "$launcher" 2>/dev/null || true' EXIT
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
status=0
"$(dirname "${BASH_SOURCE[0]}")/on-xvfb.sh" "$@" || status=$?
exit "$status"
