#!/usr/bin/env bash
# The program's icon for Windows, drawn from its SVG at the sizes Windows
# asks for (the largest kept as PNG, as Windows reads it):
#   windows-icon.sh SVG ICO
set -euo pipefail
svg=$1 ico=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
pngs=()
for size in 16 20 24 32 40 48 64; do
  rsvg-convert -w $size -h $size "$svg" -o "$work/$size.png"
  pngs+=("$work/$size.png")
done
rsvg-convert -w 256 -h 256 "$svg" -o "$work/256.png"
icotool -c -o "$ico" "${pngs[@]}" -r "$work/256.png"
