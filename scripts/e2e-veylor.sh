#!/usr/bin/env bash
# End-to-end check of the desktop program: starts Veylor on a route under a virtual X server,
# waits until the map shows the route (white centre line and red station labels on the black
# map), and fails when it does not appear within the time limit. Then it starts the program again
# with map layers from examples/ (a DXF sketch, parcels, control points), waits until their colours
# appear under the route, quits, starts it once more without naming any layer and expects the same
# picture: the layer list is kept in the configuration folder.
#   usage: e2e-veylor.sh path/to/Veylor path/to/route.RE
set -euo pipefail
veylor=$(realpath "$1")
route=$(realpath "$2")
for tool in xvfb-run import convert; do
  if ! command -v "$tool" >/dev/null; then
    echo "e2e-veylor: $tool is missing (scripts/install-deps.sh installs it); skipped"
    exit 77
  fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Opening a route writes it back with its curve file beside it: work on a copy. The settings go
# to the scratch folder too.
cp "$route" "$work/"
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

cat > "$work/inside.sh" <<'INSIDE'
set -u
veylor=$1; route=$2; shot=$3
"$veylor" "$route" --config "$(dirname "$shot")/config-route" >"$shot.log" 2>&1 &
pid=$!
result=1
for _ in $(seq 1 40); do
  sleep 0.5
  kill -0 "$pid" 2>/dev/null || { echo "e2e-veylor: Veylor exited early"; cat "$shot.log"; break; }
  import -window root "$shot" 2>/dev/null || continue
  # The map area lies below the toolbar and above the input pane.
  map="$shot.map.png"
  convert "$shot" -crop 1600x480+0+90 +repage "$map"
  black=$(convert "$map" -fill white +opaque black -fill black -opaque black -negate -format '%[fx:mean]' info:)
  white=$(convert "$map" -fill black +opaque white -format '%[fx:mean*w*h]' info:)
  red=$(convert "$map" -fill black +opaque red -fill white -opaque red -format '%[fx:mean*w*h]' info:)
  if awk -v b="$black" -v w="$white" -v r="$red" 'BEGIN { exit !(b > 0.5 && w > 300 && r > 100) }'; then
    echo "e2e-veylor: route drawn (black $black, white pixels $white, red pixels $red)"
    result=0
    break
  fi
done
[ "$result" -eq 0 ] || echo "e2e-veylor: no route on the screen (last: black ${black:-?}, white ${white:-?}, red ${red:-?})"
kill "$pid" 2>/dev/null
wait "$pid" 2>/dev/null
exit $result
INSIDE

mkdir -p "$work/config-route"
xvfb-run -a -s "-screen 0 1600x1000x24" bash "$work/inside.sh" "$veylor" "$work/$(basename "$route")" "$work/shot.png"

# The same route over map layers. Opening a shapefile writes caches beside it: copies again.
examples=$(dirname "$route")
for f in site-jinggangao.dxf parcels-jinggangao.shp parcels-jinggangao.shx parcels-jinggangao.dbf \
         parcels-jinggangao.prj parcels-jinggangao.cpg points-jinggangao.dat; do
  cp "$examples/$f" "$work/"
done
mkdir -p "$work/config-layers"
cat > "$work/layers.sh" <<'LAYERS'
set -u
veylor=$1; work=$2
# Counts in the map area: the layers get the colours of their places in the list (yellow parcels,
# cyan DXF sketch, magenta control points); the centre line is white.
measure() {
  convert "$1" -crop 1600x480+0+90 +repage "$1.map.png"
  yellow=$(convert "$1.map.png" -fuzz 10% -fill black +opaque yellow -fill white -opaque yellow -format '%[fx:mean*w*h]' info:)
  cyan=$(convert "$1.map.png" -fuzz 10% -fill black +opaque cyan -fill white -opaque cyan -format '%[fx:mean*w*h]' info:)
  magenta=$(convert "$1.map.png" -fuzz 10% -fill black +opaque magenta -fill white -opaque magenta -format '%[fx:mean*w*h]' info:)
  white=$(convert "$1.map.png" -fill black +opaque white -format '%[fx:mean*w*h]' info:)
}
# Starts Veylor with the arguments given and waits until every layer shows; the screenshot stays.
run() {
  local shot=$1; shift
  "$veylor" "$work/element-jinggangao.RE" --config "$work/config-layers" "$@" >"$shot.log" 2>&1 &
  local pid=$! ok=1
  for _ in $(seq 1 40); do
    sleep 0.5
    kill -0 "$pid" 2>/dev/null || { echo "e2e-veylor: Veylor exited early"; cat "$shot.log"; break; }
    import -window root "$shot" 2>/dev/null || continue
    measure "$shot"
    if awk -v y="$yellow" -v c="$cyan" -v m="$magenta" -v w="$white" \
        'BEGIN { exit !(y > 500 && c > 20 && m > 100 && w > 300) }'; then
      # Once more after the loads have settled, for the picture that is compared.
      sleep 1
      import -window root "$shot"
      measure "$shot"
      ok=0
      break
    fi
  done
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  [ "$ok" -eq 0 ] || echo "e2e-veylor: layers not on the screen (yellow ${yellow:-?}, cyan ${cyan:-?}, magenta ${magenta:-?}, white ${white:-?})"
  return $ok
}
run "$work/first.png" --layer "$work/parcels-jinggangao.shp" --layer "$work/site-jinggangao.dxf" \
  --layer "$work/points-jinggangao.dat" || exit 1
echo "e2e-veylor: layers drawn under the route (yellow $yellow, cyan $cyan, magenta $magenta, white $white)"
[ -s "$work/config-layers/MapLayer.cfg" ] || { echo "e2e-veylor: the layer list was not saved"; exit 1; }
run "$work/second.png" || { echo "e2e-veylor: the layers did not come back at the second start"; exit 1; }
differing=$(compare -metric AE -fuzz 3% "$work/first.png.map.png" "$work/second.png.map.png" null: 2>&1 || true)
if awk -v d="$differing" 'BEGIN { exit !(d + 0 < 1600 * 480 / 100) }'; then
  echo "e2e-veylor: the second start shows the same map ($differing pixels differ)"
else
  echo "e2e-veylor: the second start shows another map ($differing pixels differ)"
  exit 1
fi
LAYERS
cp "$route" "$work/element-jinggangao.RE" 2>/dev/null || true
xvfb-run -a -s "-screen 0 1600x1000x24" bash "$work/layers.sh" "$veylor" "$work"
