#!/usr/bin/env bash
# Writes the example raster pyramid examples/raster-jinggangao.img (with its container
# raster-jinggangao.imgS) around the route element-jinggangao.RE, from a generated picture: no
# downloaded imagery. ImageMagick draws fields, a river and a 500 m grid; a world file places the
# picture at 4 m per pixel over x 3,400,800 - 3,405,000 (north), y 498,400 - 502,800 (east);
# `tesvane pyramid` cuts it. Build the tool first. Run from the repository root:
#   bash scripts/make-image-example.sh [build/cli/tesvane]
# Running it again writes the same files.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
tool="${1:-$root/build/cli/tesvane}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# 1100 x 1050 pixels of 4 m: columns run east from y 498,400, rows south from x 3,405,000.
grid=""
for i in $(seq 0 125 1100); do grid+=" line $i,0 $i,1050"; done
for i in $(seq 0 125 1050); do grid+=" line 0,$i 1100,$i"; done
convert -size 1100x1050 gradient:'#6f8f4f'-'#b5a76a' \
  -fill '#8aa860' -draw "rectangle 100,80 420,360" \
  -fill '#c9b77a' -draw "rectangle 600,500 980,820" \
  -fill '#5d7d45' -draw "circle 300,750 300,880" \
  -stroke '#3f6fa8' -strokewidth 14 -fill none -draw "bezier 0,200 400,420 700,260 1100,640" \
  -stroke '#e8e8e8' -strokewidth 1 -draw "$grid" \
  -quality 92 "$work/raster-jinggangao.jpg"
# World file: pixel size, two rotation terms, negative pixel height, then the centre of the
# upper-left pixel (east, north).
printf '4\n0\n0\n-4\n498402\n3404998\n' > "$work/raster-jinggangao.jgw"
"$tool" pyramid "$work/raster-jinggangao.jpg" "$root/examples/raster-jinggangao.img" --tile 256 --quality 85
