#!/usr/bin/env bash
# End-to-end round of the desk tools: opens a crossing-point route in Veylor under a virtual X
# server, waits for the route, then drives the keyboard as a user would: + and − zoom (the picture
# changes), the arrows pan, Home brings the whole route back (the first picture again), Ctrl+Z and
# Ctrl+Y with nothing to undo leave the program running, the calculator answers a K-mark and
# centres the map on it, the label modes hide and show the labels, 导出图片 writes the view; and the
# command-line tool prints the route's curve table with K-marks. 打印 is tested offscreen only:
# a virtual X server has no printer.
#   usage: e2e-veylor-desk.sh path/to/Veylor path/to/tesvane path/to/route.RP
set -euo pipefail
veylor=$(realpath "$1")
tool=$(realpath "$2")
route=$(realpath "$3")
for t in xvfb-run import convert compare identify xdotool; do
  if ! command -v "$t" >/dev/null; then
    echo "e2e-veylor-desk: $t is missing (scripts/install-deps.sh installs it); skipped"
    exit 77
  fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$route" "$work/"
copy="$work/$(basename "$route")"
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

# The curve table from the command line: the first crossing point after the start, with K-marks.
table=$("$tool" curve-table "$copy")
echo "$table" | grep -q '^JD1,K[0-9]*+[0-9][0-9][0-9]\.[0-9][0-9][0-9],' ||
  { echo "e2e-veylor-desk: no K-marked JD1 row in the curve table"; echo "$table" | head -3; exit 1; }

cat > "$work/inside.sh" <<'INSIDE'
set -u
veylor=$1; route=$2; dir=$3
mkdir -p "$dir/veylor-config"
# A configuration folder of its own, so that layers a user added (make run) stay out of the picture.
"$veylor" "$route" --config "$dir/veylor-config" >"$dir/log" 2>&1 &
pid=$!
shot() { import -window root "$dir/$1.png" 2>/dev/null && convert "$dir/$1.png" -crop 1600x480+0+90 +repage "$dir/$1.map.png"; }
red() { convert "$dir/$1.map.png" -fill black +opaque red -fill white -opaque red -format '%[fx:mean*w*h]' info:; }
differs() { [ "$(compare -metric AE "$dir/$1.map.png" "$dir/$2.map.png" null: 2>&1 | cut -d' ' -f1)" != 0 ]; }
fail() { echo "e2e-veylor-desk: $1"; kill "$pid" 2>/dev/null; exit 1; }
alive() { kill -0 "$pid" 2>/dev/null || fail "Veylor exited after $1"; }

drawn=0
for _ in $(seq 1 40); do
  sleep 0.5
  alive "start"
  shot first || continue
  if awk -v r="$(red first)" 'BEGIN { exit !(r > 100) }'; then drawn=1; break; fi
done
[ "$drawn" -eq 1 ] || fail "no labelled route on the screen"
sleep 1; shot first

# The keys go to the map: click an empty corner of it first (a click without a tool picks nothing).
xdotool mousemove 20 120 click 1; sleep 0.5
xdotool key plus; sleep 0.3; xdotool key plus; sleep 1.0; alive "+"; shot zoomed
differs first zoomed || fail "+ did not zoom"
xdotool key minus Left Up; sleep 1.0; alive "− and arrows"; shot moved
differs zoomed moved || fail "− and the arrows changed nothing"
xdotool key Home; sleep 1.5; alive "Home"; shot home
differs first home && fail "Home did not bring the whole route back"
xdotool key ctrl+z ctrl+y; sleep 0.5; alive "Ctrl+Z and Ctrl+Y"

# The calculator: its tab, a K-mark typed, 计算, then 转到里程 centres the map on the station.
# The positions are those of the maximised window on the 1600 x 1000 screen.
xdotool mousemove 158 960 click 1; sleep 0.5
xdotool mousemove 159 752 click 1; sleep 0.3; xdotool type "K15+000"
xdotool mousemove 66 810 click 1; sleep 0.5
import -window root "$dir/calc.png" 2>/dev/null
results=$(convert "$dir/calc.png" -crop 400x24+270+740 +repage -fill black +opaque white -format '%[fx:(1-mean)*w*h]' info:)
awk -v n="$results" 'BEGIN { exit !(n > 200) }' || fail "计算 showed no result row"
xdotool mousemove 197 810 click 1; sleep 1.5; alive "转到里程"; shot centred
differs home centred || fail "转到里程 did not move the map"

# Label modes from the 视图 menu: none leaves no red text on the map, both brings it back.
xdotool key Home; sleep 1.0
xdotool key alt+v; sleep 0.5; xdotool key l; sleep 0.5; xdotool key n; sleep 1.5; alive "主点标注 none"; shot bare
awk -v r="$(red bare)" 'BEGIN { exit !(r < 20) }' || fail "labels stayed after 不标注"
# 导出图片 with the proposed size and name: the view without labels, beside the route.
xdotool key alt+r; sleep 0.5; xdotool key i; sleep 1.0; xdotool key Return; sleep 1.5; xdotool key Return; sleep 2.0
alive "导出图片"
picture="${route%.*}.png"
[ -s "$picture" ] || fail "导出图片 wrote no $picture"
[ "$(identify -format '%w' "$picture")" -gt 800 ] || fail "the picture is smaller than the view"
# Without a window manager the focus does not come back from the dialogs by itself.
xdotool mousemove 20 120 click 1; sleep 0.5
xdotool key alt+v; sleep 0.5; xdotool key l; sleep 0.5; xdotool key b; sleep 1.5; shot labelled
awk -v r="$(red labelled)" 'BEGIN { exit !(r > 100) }' || fail "名称和里程 brought no labels back"
echo "e2e-veylor-desk: keys, zoom, pan, full extent, undo and redo, the calculator, label modes and 导出图片 went through"
kill "$pid" 2>/dev/null
wait "$pid" 2>/dev/null
exit 0
INSIDE

xvfb-run -a -s "-screen 0 1600x1000x24" bash "$work/inside.sh" "$veylor" "$copy" "$work"
