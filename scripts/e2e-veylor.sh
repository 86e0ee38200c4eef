#!/usr/bin/env bash
# End-to-end check of the desktop program: starts Veylor on a route under a virtual X server,
# waits until the map shows the route (white centre line and red station labels on the black
# map), and fails when it does not appear within the time limit.
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
"$veylor" "$route" >"$shot.log" 2>&1 &
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

xvfb-run -a -s "-screen 0 1600x1000x24" bash "$work/inside.sh" "$veylor" "$work/$(basename "$route")" "$work/shot.png"
