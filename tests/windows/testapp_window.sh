#!/bin/sh
# OmbrixTest.exe run as a user runs it, under Wine on a virtual X display (run
# this under xvfb-run), from a folder holding what a Windows user copies:
# - it shows the lit tank in its window (the screen's centre in the tank's
#   colours), ignores other keys, ends with 0 on Escape and leaves
#   "Loading object: tank.3ds\n\n" in Ombrix.log;
# - on a machine without a board it shows "Couldn't initialize Ombrix!" in a
#   message box and ends with 1 once the box is closed.
# Usage: testapp_window.sh <wine> <run dir> <screenshot.png>
set -eu
wine=$1 run=$2 shot=$3
dir=$(mktemp -d)
pid=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$dir"' EXIT
for file in OmbrixTest.exe OmbrixDll.dll glide3x.dll white.3df Init.3df DefaultCS.3df tank.3ds CAMO.3df TREAD.3df; do
  cp "$run/$file" "$dir/"
done
cd "$dir"
fail() { echo "FAILED: $*"; exit 1; }

# Without a window manager on the X display nothing maximises a window: Wine
# is asked for a desktop window of its own, the size of the screen, which
# manages its windows as Windows does (for this test only).
desktop='HKCU\Software\Wine\Explorer'
"$wine" reg add "$desktop" /v Desktop /d Ombrix /f >/dev/null 2>&1
"$wine" reg add "$desktop\Desktops" /v Ombrix /d 640x480 /f >/dev/null 2>&1
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; "$wine" reg delete "$desktop" /v Desktop /f >/dev/null 2>&1; rm -rf "$dir"' EXIT

# The id of the first window named $1, waiting up to 60 s for it.
windowWait() {
  for _ in $(seq 1 120); do
    w=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1) && [ -n "$w" ] && { echo "$w"; return 0; }
    sleep 0.5
  done
  return 1
}

# Until the program ends (up to 30 s): its exit code, or 124.
exitWait() {
  for _ in $(seq 1 60); do
    kill -0 "$pid" 2>/dev/null || { wait "$pid"; return $?; }
    sleep 0.5
  done
  return 124
}

# The 160 x 160 box about the screen's centre in the tank's colours:
# the share of pixels that are not black, and the mean colour's ratios.
centre() {
  convert "$1" -gravity center -crop 160x160+0+0 +repage -format \
    "%[fx:mean.r] %[fx:mean.g] %[fx:mean.b]\n" info: >"$dir/mean"
  convert "$1" -gravity center -crop 160x160+0+0 +repage \
    -fx "(r>0.035||g>0.035||b>0.035)?1:0" -format "%[fx:mean]\n" info: >"$dir/share"
  read -r r g b <"$dir/mean"
  read -r share <"$dir/share"
  echo "centre: share $share covered, mean rgb $r $g $b"
  awk -v s="$share" -v r="$r" -v g="$g" -v b="$b" 'BEGIN { exit !(s > 0.4 && g / s > 0.047 && g > b * 1.2 && r >= b) }'
}

"$wine" OmbrixTest.exe >stdout.txt 2>stderr.txt &
pid=$!
window=$(windowWait "Ombrix Test Application") || fail "no window"
sleep 4   # the engine starts, loads the tank and shows its frame
import -window root "$shot"
centre "$shot" || fail "the tank is not in the middle of the screen"

xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus --sync "$window"
xdotool key a space Return F1
sleep 2
kill -0 "$pid" 2>/dev/null || fail "other keys ended it"
import -window root "$dir/after-keys.png"
centre "$dir/after-keys.png" || fail "other keys changed the picture"

xdotool key Escape
code=0
exitWait || code=$?
[ "$code" -eq 0 ] || fail "exit code $code after Escape"
pid=""
grep -A1 -x "Loading object: tank.3ds" Ombrix.log | tail -1 | grep -qx "" || fail "no 'Loading object: tank.3ds' in the log"

# Without a board: the error box, then exit code 1.
rm -f Ombrix.log
OBX_GLIDE_NO_BOARD=1 "$wine" OmbrixTest.exe >stdout.txt 2>stderr.txt &
pid=$!
box=$(windowWait "Error") || fail "no message box"
import -window root "$dir/error-box.png"
xdotool windowactivate --sync "$box" 2>/dev/null || xdotool windowfocus --sync "$box"
xdotool key Return
code=0
exitWait || code=$?
[ "$code" -eq 1 ] || fail "exit code $code without a board"
pid=""
grep -q "No glide3 compatible hardware found!" Ombrix.log || fail "the log does not say why"
echo "OmbrixTest.exe: the tank shown, other keys ignored, 0 on Escape; without a board the box and 1"
