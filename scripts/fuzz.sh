#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a while
# (seconds per target, default 60). Crashes and every sanitizer report fail
# the run.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
./scripts/install-deps.sh
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DOBX_FUZZ=ON -DOBX_TESTS=OFF -DOBX_BENCH=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j"$(nproc)"
shopt -s nullglob
# The canary overflows a signed add: unless that ends it with an error, the
# targets are built so that undefined behaviour would pass unnoticed.
canary_input=build-fuzz/canary-input
printf '\001' >"$canary_input"
if build-fuzz/fuzz/sanitizer-canary "$canary_input" >build-fuzz/canary.log 2>&1; then
  cat build-fuzz/canary.log
  echo "fuzz.sh: a sanitizer report did not fail the canary; the fuzz build would pass on undefined behaviour" >&2
  exit 1
fi
grep -q 'runtime error' build-fuzz/canary.log || { cat build-fuzz/canary.log; echo "fuzz.sh: the canary failed without a sanitizer report" >&2; exit 1; }
for target in build-fuzz/fuzz/fuzz-*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus="build-fuzz/corpus/$name"
  mkdir -p "$corpus"
  seeds="fuzz/seeds/${name#fuzz-}"
  [ -d "$seeds" ] || seeds=""
  echo "== $name for ${seconds}s"
  (cd build-fuzz/run && "../fuzz/$name" -max_total_time="$seconds" -print_final_stats=1 \
     "../corpus/$name" ${seeds:+"../../$seeds"})
done
