#!/bin/sh
# The same headless scenes drawn by the Windows build under Wine and by the
# Linux build give the same pixels, bit for bit: OmbrixTest's frames, the
# README example's 301 frames and obx-demo's first frame, dumped by the
# device as PNG and compared pixel by pixel (ImageMagick's compare), the
# frames obx-demo, obx-view and the examples write themselves, and obx-demo's
# tour (obx-demo-tour), the hash of the middle frame of each camera path.
# Usage: same_pixels.sh <wine> <Windows run dir> <Linux run dir>
set -eu
wine=$1 win=$2 linux=$3
top=$(mktemp -d)
trap 'rm -rf "$top"' EXIT
data="white.3df Init.3df DefaultCS.3df tank.3ds CAMO.3df TREAD.3df"
failed=0

# scene name, Linux program, Windows program, data files, arguments...
scene() {
  name=$1 lin=$2 exe=$3 files=$4
  shift 4
  for side in linux windows; do
    mkdir -p "$top/$name/$side"
    for file in $files; do ln -s "$linux/$file" "$top/$name/$side/$file"; done
  done
  (cd "$top/$name/linux" && env -u DISPLAY -u WAYLAND_DISPLAY OBX_GLIDE_DISPLAY=headless \
     OBX_GLIDE_DUMP=frame%04d.png "$lin" "$@" >stdout.txt 2>&1) || true
  (cd "$top/$name/windows" && env -u DISPLAY -u WAYLAND_DISPLAY OBX_GLIDE_DISPLAY=headless \
     OBX_GLIDE_DUMP=frame%04d.png "$wine" "$exe" "$@" >stdout.txt 2>&1) || true
  frames=0 differ=0
  for png in "$top/$name/linux"/frame*.png; do
    [ -f "$png" ] || break
    frames=$((frames + 1))
    # Of a long run every 30th frame (compare is slow under load).
    [ "$frames" -le 2 ] || [ $(((frames - 1) % 30)) -eq 0 ] || continue
    other="$top/$name/windows/$(basename "$png")"
    if [ ! -f "$other" ] || ! compare -metric AE "$png" "$other" null: 2>/dev/null; then
      differ=$((differ + 1))
      [ $differ -le 3 ] && echo "$name: $(basename "$png") differs"
    fi
  done
  extra=$(ls "$top/$name/windows" | grep -c '^frame' || true)
  echo "$name: $frames frames from Linux, $extra from Windows, $differ differ"
  if [ "$frames" -eq 0 ] || [ "$differ" -ne 0 ] || [ "$extra" -ne "$frames" ]; then failed=1; fi
}

scene OmbrixTest "$linux/OmbrixTest" "$win/OmbrixTest.exe" "$data"
scene README-example "$linux/obx-example" "$win/obx-example.exe" "$data"
demo="$data terrain256.3df grass.3df sky_front.3df sky_left.3df sky_back.3df sky_right.3df sky_top.3df
  sky_bottom.3df flare1.3df flare2.3df flare3.3df flare4.3df flare5.3df particle.3df smoke.3df envmap.3df
  logo.3df panel.3df font"
# obx-demo itself, headless: its first frame (the frame-rate read-out shows
# no rate yet), dumped by the device and written by the program.
scene obx-demo "$linux/obx-demo" "$win/obx-demo.exe" "$demo" --headless --frames 1 --shots 1 --out .
if ! compare -metric AE "$top/obx-demo/linux/obx-demo-00001.png" \
       "$top/obx-demo/windows/obx-demo-00001.png" null: 2>/dev/null; then
  echo "obx-demo: the screenshots of frame 1 differ"; cat "$top/obx-demo/windows/stdout.txt"
  failed=1
fi
# The last frame a program writes itself (--shot), on both systems: obx-view
# on the tank, and each example at frame 90.
shot() {
  name=$1 lin=$2 exe=$3
  shift 3
  mkdir -p "$top/$name/linux" "$top/$name/windows"
  for file in $demo; do
    ln -s "$linux/$file" "$top/$name/linux/$file"
    ln -s "$linux/$file" "$top/$name/windows/$file"
  done
  (cd "$top/$name/linux" && env -u DISPLAY -u WAYLAND_DISPLAY "$lin" "$@" --headless --shot shot.png \
     >stdout.txt 2>&1) || true
  (cd "$top/$name/windows" && env -u DISPLAY -u WAYLAND_DISPLAY "$wine" "$exe" "$@" --headless \
     --shot shot.png >stdout.txt 2>&1) || true
  if [ ! -f "$top/$name/linux/shot.png" ] || [ ! -f "$top/$name/windows/shot.png" ] ||
     ! compare -metric AE "$top/$name/linux/shot.png" "$top/$name/windows/shot.png" null: 2>/dev/null; then
    echo "$name: the frames differ or were not written"; cat "$top/$name/windows/stdout.txt"
    failed=1
  else
    echo "$name: the same frame"
  fi
}
shot obx-view "$linux/obx-view" "$win/obx-view.exe" tank.3ds
for program in "$linux"/example-*; do
  name=${program##*/}
  shot "$name" "$program" "$win/$name.exe" --frames 90
done
# The demo scene's tour: the hash of the middle frame of each camera path.
mkdir -p "$top/tour"
for file in $demo; do ln -s "$linux/$file" "$top/tour/$file"; done
(cd "$top/tour" && env -u DISPLAY OBX_GLIDE_DISPLAY=headless "$linux/obx-demo-tour" >linux.txt) || true
(cd "$top/tour" && env -u DISPLAY OBX_GLIDE_DISPLAY=headless "$wine" "$win/obx-demo-tour.exe" 2>/dev/null |
   tr -d '\r' >windows.txt) || true
if [ "$(grep -c '^frame ' "$top/tour/linux.txt")" -ne 5 ]; then
  echo "obx-demo's tour did not run on Linux"; cat "$top/tour/linux.txt"
  failed=1
elif [ "$(grep -c '^frame ' "$top/tour/windows.txt")" -ne 5 ]; then
  echo "obx-demo's tour did not run on Windows"; cat "$top/tour/windows.txt"
  failed=1
elif cmp -s "$top/tour/linux.txt" "$top/tour/windows.txt"; then
  echo "obx-demo's tour: the same 5 frames"
else
  echo "obx-demo's tour: $(diff "$top/tour/linux.txt" "$top/tour/windows.txt" | grep -c '^>') of 5 frames differ"
  diff "$top/tour/linux.txt" "$top/tour/windows.txt" || true
  failed=1
fi
exit $failed
