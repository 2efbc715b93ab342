#!/usr/bin/env bash
# Builds everything on a Debian 12 machine (installing what is missing) and runs
# the demo: in a window on a desktop, headless otherwise (it then writes PNGs
# and says where).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake -S . -B build >/dev/null
cmake --build build -j"$(nproc)"
cd build/run
demo=./obx-demo
[ -x "$demo" ] || demo=./glide-demo
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$demo" "$@"
else
  exec "$demo" --headless "$@"
fi
