#!/usr/bin/env bash
# `make run`: starts Veylor with a bundled example route open and drawn. Without a display it
# says how to run it under a virtual X server and shows what the command-line tool computes for
# the same route instead.
set -euo pipefail
build=${1:-build}
route_name=${ROUTE:-element-jinggangao.RE}
veylor="$build/app/Veylor"
cli="$build/cli/tesvane"

# Opening a route writes it back with its curve file beside it: work on a copy, so the bundled
# examples stay as they are.
work="$build/run-example"
mkdir -p "$work"
cp "examples/$route_name" "$work/"
route="$work/$route_name"

# The example background under the route: the tile set, the parcels, the DXF sketch and the
# control points (later layers are drawn on top), on the route's Beijing 1954 grid. Opening a
# tile set or a shapefile writes caches beside it, so they are copies too.
for f in tiles-jinggangao.db parcels-jinggangao.{shp,shx,dbf,prj,cpg} site-jinggangao.dxf points-jinggangao.dat; do
  cp -u "examples/$f" "$work/"
done
cp examples/coord/beijing54_114.xml "$work/"
layers=()
for f in tiles-jinggangao.db parcels-jinggangao.shp site-jinggangao.dxf points-jinggangao.dat; do
  layers+=(--layer "$work/$f")
done

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  echo "Veylor: opening $route"
  exec "$veylor" "$route" "${layers[@]}" --coord "$work/beijing54_114.xml"
fi

cat <<MSG
There is no display (\$DISPLAY and \$WAYLAND_DISPLAY are empty), so the desktop program cannot
open a window here. To run it under a virtual X server:

  Xvfb :99 -screen 0 1600x1000x24 &
  DISPLAY=:99 $veylor $route ${layers[*]} --coord $work/beijing54_114.xml &
  DISPLAY=:99 import -window root /tmp/veylor.png     # a screenshot

or in one go: xvfb-run -a -s "-screen 0 1600x1000x24" $veylor $route ${layers[*]} --coord $work/beijing54_114.xml

Meanwhile, this is what the command-line tool computes for the example route $route_name:
MSG
echo
echo "\$ tesvane mainpoints $route_name"
"$cli" mainpoints "$route"
echo
echo "\$ tesvane stakes $route_name stakes.dat --interval 500"
"$cli" stakes "$route" "$work/stakes.dat" --interval 500
cat "$work/stakes.dat"
