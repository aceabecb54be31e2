#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Renders the icon's PNG sizes and the Windows .ico from
# packaging/icons/helixplot.svg (needs rsvg-convert from librsvg2-bin and
# icotool from icoutils). Run after changing the SVG; the results are
# committed so that building needs neither.
set -euo pipefail
cd "$(dirname "$0")/../packaging/icons"
for size in 16 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" helixplot.svg -o "helixplot-$size.png"
done
# The Windows icon resource of helixplot.exe (needs icotool from icoutils);
# the largest size is kept as PNG, as Windows expects.
icotool --create -o helixplot.ico helixplot-16.png helixplot-32.png helixplot-48.png \
  --raw=helixplot-256.png
