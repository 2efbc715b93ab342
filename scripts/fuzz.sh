#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a while
# (seconds per target, default 60). Crashes fail the run.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
./scripts/install-deps.sh
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DOBX_FUZZ=ON -DOBX_TESTS=OFF -DOBX_BENCH=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j"$(nproc)"
shopt -s nullglob
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
