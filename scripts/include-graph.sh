#!/bin/sh
# Prints which engine subsystems each subsystem includes (its headers and its
# sources together, one line per subsystem) and fails when the graph has a
# cycle: headers point one way, from the world down to the core and maths.
# Usage: scripts/include-graph.sh [engine directory]
set -eu
engine=${1:-"$(dirname "$0")/../engine"}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
: >"$tmp/edges"
for dir in "$engine"/*/; do
  from=$(basename "$dir")
  # '#include "view/view.h"' names subsystem view.
  uses=$(cat "$dir"*.h "$dir"*.cpp 2>/dev/null |
    sed -n 's|^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([a-z0-9_]*\)/.*|\1|p' |
    grep -vx "$from" | sort -u | tr '\n' ' ' | sed 's/ $//')
  echo "$from -> ${uses:-(nothing)}"
  for to in $uses; do
    echo "$from $to" >>"$tmp/edges"
  done
  echo "$from $from" >>"$tmp/edges"
done
# tsort names the subsystems of each cycle it finds on standard error.
if ! tsort "$tmp/edges" >/dev/null 2>"$tmp/loops"; then
  echo "subsystems on an include cycle:" \
    $(grep -v 'input contains a loop' "$tmp/loops" | sed 's/^tsort: //' | sort -u)
  exit 1
fi
