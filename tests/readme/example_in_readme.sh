#!/bin/sh
# The example program of the README is docs/example.c, byte for byte: the
# code block after the line "<!-- docs/example.c -->".
# Usage: example_in_readme.sh README.md docs/example.c
set -eu
readme=$1 example=$2
tmp=$(mktemp)
trap 'rm -f "$tmp"' EXIT
awk '
  found == 0 && $0 == "<!-- docs/example.c -->" { found = 1; next }
  found == 1 && /^```c$/ { found = 2; next }
  found == 2 && /^```$/ { exit }
  found == 2 { print }
' "$readme" >"$tmp"
if ! cmp -s "$tmp" "$example"; then
  echo "the README's example differs from $example:"
  diff "$tmp" "$example" || true
  exit 1
fi
echo "the README shows $example ($(wc -l <"$example") lines)"
