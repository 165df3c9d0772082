#!/usr/bin/env bash
# Renders the edition icons from their SVG sources (packaging/icons/src) into the PNG sizes that are
# installed into the hicolor icon theme (packaging/icons/png/<size>/). The PNGs are committed; run this
# after changing an SVG. Needs rsvg-convert (Debian package librsvg2-bin).
# A source named <icon>-16.svg is drawn on the 16-pixel grid and used for 16x16 instead of <icon>.svg.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
icons=$root/packaging/icons
command -v rsvg-convert >/dev/null || { echo "rsvg-convert is missing (apt-get install librsvg2-bin)" >&2; exit 1; }

for svg in "$icons"/src/*.svg; do
  name=$(basename "$svg" .svg)
  [[ $name == *-16 ]] && continue
  for size in 16 32 48 64 128 256; do
    source=$svg
    [ "$size" = 16 ] && [ -f "$icons/src/$name-16.svg" ] && source=$icons/src/$name-16.svg
    mkdir -p "$icons/png/$size"
    rsvg-convert --width "$size" --height "$size" --output "$icons/png/$size/$name.png" "$source"
  done
done
echo "Rendered: $(ls "$icons"/png/*/*.png | wc -l) pictures"
