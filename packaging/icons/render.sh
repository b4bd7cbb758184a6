#!/bin/sh
# Renders the hicolor PNG icons from hourwise.svg (needs rsvg-convert, from
# librsvg2-bin). The PNGs are kept in the repository, so building needs no
# SVG renderer; run this after changing the SVG.
set -eu
cd "$(dirname "$0")"
for size in 16 22 24 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" hourwise.svg -o "hourwise-$size.png"
done
