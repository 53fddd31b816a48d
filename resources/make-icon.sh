#!/usr/bin/env bash
# Draws icon 100 (quillon.ico): a beige compact Macintosh whose file, a
# dashed-edge sheet, crosses an orange arrow and becomes a plain PC document
# page. Each size is drawn four times larger and scaled down, so the small
# sizes stay sharp. Needs ImageMagick 6; the output is byte-for-byte the same
# on every run (no time stamps in the BMP entries of an .ico).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Coordinates are for a 192 x 192 canvas (4 x 48).
draw() { # size output
  local size=$1 out=$2
  convert -size 192x192 xc:none \
    -stroke '#3a3a3a' -strokewidth 5 \
    -fill '#e6dcc0' -draw 'roundrectangle 6,10 104,132 10,10' \
    -fill '#2f64b3' -draw 'rectangle 22,24 88,78' \
    -fill '#3a3a3a' -draw 'rectangle 52,100 90,106' \
    -fill '#cfc3a2' -draw 'rectangle 14,132 96,146' \
    -stroke none -fill '#ffffff' -draw 'rectangle 34,36 52,64' \
    -fill '#f08c00' -stroke '#8a4d00' -strokewidth 4 \
    -draw 'polygon 60,112 112,112 112,96 148,128 112,160 112,144 60,144' \
    -stroke '#3a3a3a' -strokewidth 5 -fill '#ffffff' \
    -draw 'polygon 120,62 164,62 186,84 186,186 120,186' \
    -fill '#c8c8c8' -draw 'polygon 164,62 164,84 186,84' \
    -stroke '#2f64b3' -strokewidth 6 \
    -draw 'line 132,104 174,104' -draw 'line 132,124 174,124' \
    -draw 'line 132,144 174,144' -draw 'line 132,164 160,164' \
    -filter Box -resize "${size}x${size}" \
    +set date:create +set date:modify -strip "$out"
}

for size in 16 32 48; do
  draw "$size" "$work/icon-$size.png"
done
convert "$work/icon-16.png" "$work/icon-32.png" "$work/icon-48.png" \
  -define icon:format=bmp "$here/quillon.ico"
echo "wrote $here/quillon.ico"
