#!/usr/bin/env bash
# Builds everything and runs every test. With --sanitize: a separate build
# under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
build=build
flags=()
if [ "${1:-}" = "--sanitize" ]; then
  build=build-asan
  flags=(-DOBX_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug)
fi
cmake -S . -B "$build" "${flags[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)"
cd "$build"
# The tests leave the run directory as the build made it: no file in it is
# written, made or has its mode changed while they run.
stamp=$(mktemp)
ctest --output-on-failure -j"$(nproc)" --timeout 900
changed=$(find run -cnewer "$stamp" ! -type d)
rm -f "$stamp"
if [ -n "$changed" ]; then
  echo "the tests changed these files of $build/run:"
  echo "$changed"
  exit 1
fi
