#!/usr/bin/env bash
# Builds everything on a Debian 12 machine (installing what is missing) and runs
# the demo, obx-demo: in a window on a desktop (Escape ends it), headless
# otherwise, where it renders one tour of its five camera paths, writes a
# frame of each into build/run/demo-frames as PNG and prints their paths.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake -S . -B build >/dev/null
cmake --build build -j"$(nproc)"
cd build/run
mkdir -p demo-frames
exec ./obx-demo --out demo-frames "$@"
