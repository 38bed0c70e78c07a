#!/bin/bash
# Draws the installed desktop icon at 16, 32 and 256 pixels the way the program's own 48-pixel icon
# (src/resources/pictures/aaaa.png) is drawn: Tango's utilities-terminal three times, stacked like
# tabs, the back one at 70 % and the middle one at 85 % brightness. The 48-pixel layout puts 30-pixel
# terminals at (0,0) and (8,8) and a 34-pixel one at (14,14); 32 and 256 are that layout drawn at
# 768 pixels and reduced. At 16 pixels three terminals are a blur, so two are drawn there.
# Run by hand after a change; the PNGs are committed. Needs tango-icon-theme, librsvg2-bin and
# imagemagick (none of them is needed to build or install Shellyard).
set -euo pipefail
cd "$(dirname "$0")"
svg=/usr/share/icons/Tango/scalable/apps/utilities-terminal.svg
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

terminal() {  # terminal SIZE BRIGHTNESS OUT
    rsvg-convert -w "$1" -h "$1" "$svg" -o "$work/raw.png"
    convert "$work/raw.png" -modulate "$2" "$3"
}

k=16
terminal $((30 * k)) 70 "$work/back.png"
terminal $((30 * k)) 85 "$work/middle.png"
terminal $((34 * k)) 100 "$work/front.png"
convert -size $((48 * k))x$((48 * k)) xc:none \
    "$work/back.png" -geometry +0+0 -composite \
    "$work/middle.png" -geometry +$((8 * k))+$((8 * k)) -composite \
    "$work/front.png" -geometry +$((14 * k))+$((14 * k)) -composite "$work/large.png"
for size in 256 32; do
    convert "$work/large.png" -filter Lanczos -resize ${size}x${size} -strip -define png:exclude-chunks=date,time -depth 8 "PNG32:shellyard-$size.png"
done

terminal 11 70 "$work/back16.png"
terminal 13 100 "$work/front16.png"
convert -size 16x16 xc:none "$work/back16.png" -geometry +0+0 -composite \
    "$work/front16.png" -geometry +3+3 -composite -strip -define png:exclude-chunks=date,time -depth 8 PNG32:shellyard-16.png
