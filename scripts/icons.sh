#!/usr/bin/env bash
# Redraws the program's PNG icons from its SVG after the SVG changed (needs rsvg-convert, from
# Debian's librsvg2-bin). The PNGs are kept in the repository, so a build needs neither.
set -euo pipefail
icons=$(cd "$(dirname "$0")/../app/resources/icons" && pwd)
for size in 16 32 48 64 128 256; do
  mkdir -p "$icons/$size"
  rsvg-convert -w $size -h $size "$icons/org.dorvane.Plenwick.svg" \
    -o "$icons/$size/org.dorvane.Plenwick.png"
done
