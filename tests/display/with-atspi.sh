#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a command on a private X server with a private session bus and the
# accessibility bus a screen reader listens on, so that Qt's accessibility
# bridge comes up as it does on a desktop with a screen reader.
set -euo pipefail

if [ -z "${HELIXPLOT_ATSPI_SESSION:-}" ]; then
  HELIXPLOT_ATSPI_SESSION=1 exec dbus-run-session -- "$0" "$@"
fi
# The launcher keeps its socket under XDG_RUNTIME_DIR (else in the home
# folder, where runs side by side would take each other's): one of its own.
runtime=$(mktemp -d)
export XDG_RUNTIME_DIR=$runtime
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
launcher=$!
trap 'kill "$launcher" 2>/dev/null || true; rm -rf "$runtime"' EXIT
# Ready once it answers for the bus's address on the session bus.
for _ in $(seq 100); do
  dbus-send --session --dest=org.a11y.Bus --print-reply /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null 2>&1 && break
  sleep 0.05
done
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
status=0
"$(dirname "${BASH_SOURCE[0]}")/on-xvfb.sh" "$@" || status=$?
exit "$status"
