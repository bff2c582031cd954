#!/usr/bin/env bash
# Renders the SVG drawings here into the icon and bitmaps that res/Velmora.rc embeds.
# The build never calls this: the rendered files are committed, so run it after changing a drawing.
set -euo pipefail
cd "$(dirname "$0")"

../../scripts/setup.sh art
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# icon.svg lays out one drawing per size, left to right, each on whole pixels; the small ones are
# simplified by hand, which a scaled-down 128 px drawing would not be.
rsvg-convert icon.svg -o "$tmp/icon.png"
entries=()
for size_x in 128:0 48:136 32:192 16:232; do
    size=${size_x%:*} x=${size_x#*:}
    convert "$tmp/icon.png" -crop "${size}x${size}+${x}+0" +repage "PNG32:$tmp/icon-$size.png"
    entries+=("$tmp/icon-$size.png")
done
# Below 256 px ImageMagick writes each entry as a 32-bit DIB with alpha, which every icon loader reads.
convert "${entries[@]}" ../Velmora.ico

# Windows wants the classic BMP header for a picture control: BMP3, 24 bits, no alpha.
for name in banner logo; do
    rsvg-convert "$name.svg" -o "$tmp/$name.png"
    convert "$tmp/$name.png" -background white -alpha remove -alpha off -type TrueColor "BMP3:../$name.bmp"
done
echo "rendered res/Velmora.ico, res/banner.bmp, res/logo.bmp"
