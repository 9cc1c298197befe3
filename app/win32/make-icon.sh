#!/usr/bin/env bash
# Makes the program's Windows icon from its artwork: the three images Windows has always asked for
# (32 x 32 in two colours, 32 x 32 and 16 x 16 in sixteen), then the 32-bit images of 16, 32 and
# 48 pixels and the PNG-compressed 256-pixel one that today's Windows shows.
#
#   make-icon.sh ICONS_DIR OUTPUT.ico      (ICONS_DIR holds quadrant.svg, quadrant-16/-32.png)
set -euo pipefail

icons=$1
output=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The hand-tuned bitmaps for the two small sizes, the artwork rendered for the larger ones.
cp "$icons/quadrant-16.png" "$work/16.png"
cp "$icons/quadrant-32.png" "$work/32.png"
for size in 48 256; do
  rsvg-convert -w "$size" -h "$size" "$icons/quadrant.svg" -o "$work/$size.png"
done

# Fewer colours have only opaque and transparent pixels: the icon's mask.
opaque=(-channel A -threshold 50% +channel)
# Sixteen colours are the standard palette, which every display of that depth shows alike.
palette=(000000 800000 008000 808000 000080 800080 008080 c0c0c0
         808080 ff0000 00ff00 ffff00 0000ff ff00ff 00ffff ffffff)
convert "${palette[@]/#/xc:#}" +append "$work/palette.png"
for size in 16 32; do
  convert "$work/$size.png" "${opaque[@]}" -dither None -remap "$work/palette.png" \
    "$work/$size-16colours.png"
done
# Two colours: what is darker than light grey is black, so that the frame and axes stay.
convert "$work/32.png" "${opaque[@]}" -colorspace gray -channel RGB -threshold 60% +channel \
  -type TrueColorAlpha "$work/32-2colours.png"

icotool --create --output="$output" \
  --bit-depth=1 "$work/32-2colours.png" \
  --bit-depth=4 "$work/32-16colours.png" "$work/16-16colours.png" \
  --bit-depth=32 "$work/16.png" "$work/32.png" "$work/48.png" --raw="$work/256.png"
