#!/bin/sh
# The engine library exports exactly the names of the export list, each a
# function of its own (C linkage, undecorated), and nothing else: what
# `nm -D --defined-only` lists is the list.
# Usage: check_exports.sh <libOmbrixDll.so> <exports.txt>
set -eu
lib=$1 list=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
nm -D --defined-only "$lib" >"$tmp/nm"
awk '{print $NF}' "$tmp/nm" | sort >"$tmp/exported"
sort "$list" >"$tmp/list"
if ! cmp -s "$tmp/exported" "$tmp/list"; then
  echo "exported but not in the list (<) / in the list but not exported (>):"
  diff "$tmp/exported" "$tmp/list" || true
  exit 1
fi
# Every one of them code, none data or a weak or versioned alias.
if awk '$2 != "T"' "$tmp/nm" | grep .; then
  echo "exported names that are not plain functions (above)"
  exit 1
fi
if grep -q '@' "$tmp/exported"; then
  echo "versioned names exported"
  exit 1
fi
echo "$(wc -l <"$tmp/exported") names exported, exactly the list"
