#!/bin/sh
# One example run as a user runs it, headless, in a directory of its own
# holding links to the data files (so its log lands there and the run
# directory stays as the build made it): it answers --help on standard output
# with exit code 0, refuses a wrong argument with its usage on standard error
# and exit code 2, then draws its frames and saves the last one, a full
# picture of many colours, and prints what it is expected to print.
# Usage: example_test.sh <program> <run directory> <frames> [<line its output must hold (grep -E)>]
set -eu
program=$1 run=$2 frames=$3 expected=${4:-}
name=$(basename "$program" | sed 's/^example-//')
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"
for file in "$run"/*.3df "$run"/*.3ds "$run"/font; do
  ln -s "$file" .
done

"$program" --help >out.txt 2>err.txt
grep -q "^usage: $name " out.txt
test ! -s err.txt
code=0
"$program" --frames 2 --bogus >out.txt 2>err.txt || code=$?
test $code = 2 || { echo "a wrong argument gave exit code $code"; exit 1; }
grep -q "^usage: $name " err.txt
test ! -s out.txt

OBX_GLIDE_DISPLAY=headless "$program" --frames "$frames" --shot shot.png >out.txt 2>err.txt || {
  cat out.txt err.txt; exit 1; }
cat out.txt
grep -q "^frame $frames saved as $dir/shot.png$" out.txt
if [ -n "$expected" ]; then
  grep -Eq "$expected" out.txt || { echo "no line like: $expected"; exit 1; }
fi
set -- $(identify -format '%w %h %k' shot.png)
test "$1 $2" = "640 480" || { echo "the picture is $1 x $2"; exit 1; }
test "$3" -ge 200 || { echo "only $3 colours in the picture"; exit 1; }
echo "$name: $3 colours"
