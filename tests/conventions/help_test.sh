#!/bin/sh
# Every program answers --help with its usage on standard output and exit
# code 0, and a wrong argument with its usage on standard error and exit
# code 2, doing nothing else (each runs in an empty directory, which it must
# leave empty).
# Usage: help_test.sh <program>...
set -u
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"
failed=0
for program in "$@"; do
  name=$(basename "$program")
  code=0
  "$program" --help >"$dir/../help-out.$$" 2>"$dir/../help-err.$$" || code=$?
  if [ $code != 0 ] || ! grep -q "usage:" "$dir/../help-out.$$" || [ -s "$dir/../help-err.$$" ]; then
    echo "$name --help: exit code $code, usage on standard output: $(grep -c usage: "$dir/../help-out.$$")"
    cat "$dir/../help-err.$$"
    failed=1
  fi
  code=0
  "$program" --no-such-option >"$dir/../help-out.$$" 2>"$dir/../help-err.$$" || code=$?
  if [ $code != 2 ] || ! grep -q "usage:" "$dir/../help-err.$$" || [ -s "$dir/../help-out.$$" ]; then
    echo "$name --no-such-option: exit code $code, usage on standard error: $(grep -c usage: "$dir/../help-err.$$")"
    failed=1
  fi
  if [ -n "$(ls -A "$dir")" ]; then
    echo "$name left files behind: $(ls -A "$dir")"
    rm -rf "${dir:?}"/* "${dir:?}"/.[!.]* 2>/dev/null
    failed=1
  fi
done
rm -f "$dir/../help-out.$$" "$dir/../help-err.$$"
[ $failed = 0 ] && echo "$# programs answer --help and refuse a wrong argument"
exit $failed
