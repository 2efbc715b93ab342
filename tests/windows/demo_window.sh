#!/bin/sh
# obx-demo.exe in its own Win32 window, under Wine on a virtual X display (run
# this under xvfb-run): the scene shows (sky above, grass below), the keys 2
# and F choose the orbit and the fog, as the program says, and Escape ends
# it with 0.
# Usage: demo_window.sh <wine> <run dir> <screenshot.png>
set -eu
wine=$1 run=$2 shot=$3
dir=$(mktemp -d)
pid=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$dir"' EXIT
cd "$dir"
# The data files linked here, so that the run folder stays as built.
for file in white.3df Init.3df DefaultCS.3df tank.3ds CAMO.3df TREAD.3df terrain256.3df grass.3df \
  sky_front.3df sky_left.3df sky_back.3df sky_right.3df sky_top.3df sky_bottom.3df flare1.3df \
  flare2.3df flare3.3df flare4.3df flare5.3df particle.3df smoke.3df envmap.3df logo.3df panel.3df font; do
  ln -s "$run/$file" "$file"
done
fail() { echo "FAILED: $*"; cat stdout.txt; exit 1; }

"$wine" "$run/obx-demo.exe" >stdout.txt 2>stderr.txt &
pid=$!
window=""
for _ in $(seq 1 120); do
  window=$(xdotool search --onlyvisible --name "^Ombrix Demo\$" 2>/dev/null | head -1) && [ -n "$window" ] && break
  sleep 0.5
done
[ -n "$window" ] || fail "no window"
# The window's top band is bright sky, its bottom half (above the read-outs)
# green grass, once the landscape is built and the tour runs (up to 90 s).
skyOverGrass() {
  import -window root "$shot"
  sky=$(convert "$shot" -crop 600x60+20+70 +repage -format "%[fx:mean.b]" info:)
  grass=$(convert "$shot" -crop 600x120+20+300 +repage -format "%[fx:mean.g] %[fx:mean.b]" info:)
  awk -v s="$sky" -v g="$grass" 'BEGIN { split(g, c, " "); exit !(s > 0.5 && c[1] > c[2] * 1.2) }'
}
seen=0
for _ in $(seq 1 45); do
  skyOverGrass && { seen=1; break; }
  sleep 2
done
echo "sky blue $sky, grass green and blue $grass"
[ $seen -eq 1 ] || fail "no sky over grass in the window"

# Each key says what it did (up to 20 s each).
said() {
  for _ in $(seq 1 40); do
    grep -q "$1" stdout.txt && return 0
    sleep 0.5
  done
  return 1
}
xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus --sync "$window"
xdotool key 2
said "^obx-demo: camera 2 ORBIT" || fail "the key 2 did not choose the orbit"
xdotool key f
said "^obx-demo: fog on" || fail "the key F did not turn the fog on"

xdotool key Escape
code=124
for _ in $(seq 1 60); do
  kill -0 "$pid" 2>/dev/null || { code=0; wait "$pid" || code=$?; break; }
  sleep 0.5
done
pid=""
[ "$code" -eq 0 ] || fail "exit code $code after Escape"
echo "obx-demo.exe: its window, its keys and Escape"
