#!/bin/sh
# The README's example program run as the README says, next to the data
# files (here in a directory of its own), headless: it draws its 300 frames
# and ends.
# Usage: example_runs.sh <obx-example> <run directory>
set -eu
program=$1 run=$2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
for file in white.3df Init.3df DefaultCS.3df tank.3ds CAMO.3df TREAD.3df; do
  ln -s "$run/$file" "$dir/$file"
done
cd "$dir"
out=$(OBX_GLIDE_DISPLAY=headless OBX_GLIDE_DUMP=frame%d.png "$program")
echo "$out"
echo "$out" | grep -Eq '^300 frames, [1-9][0-9]* polygons drawn$'
# Frame 0 is the start-up picture; 300 frames follow it.
test -f frame300.png && test ! -f frame301.png
grep -q "Loading object: tank.3ds" Ombrix.log
