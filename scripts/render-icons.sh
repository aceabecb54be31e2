#!/usr/bin/env bash
# Renders the icon's PNG sizes from packaging/icons/helixplot.svg (needs
# rsvg-convert from librsvg2-bin). Run after changing the SVG; the PNGs are
# committed so that building needs no SVG renderer.
set -euo pipefail
cd "$(dirname "$0")/../packaging/icons"
for size in 16 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" helixplot.svg -o "helixplot-$size.png"
done
