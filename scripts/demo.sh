#!/usr/bin/env bash
# Builds everything on a Debian 12 machine (installing what is missing) and runs
# the test program OmbrixTest: in a window on a desktop (Escape ends it),
# headless otherwise, where it renders the same frame into a PNG and names it.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake -S . -B build >/dev/null
cmake --build build -j"$(nproc)"
cd build/run
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec ./OmbrixTest
fi
# Every swapped frame is written: 0 is the start-up picture, the last one the
# tank.
rm -f OmbrixTest-frame*.png
SDL_VIDEODRIVER=dummy OBX_GLIDE_DISPLAY=headless OBX_GLIDE_DUMP=OmbrixTest-frame%d.png ./OmbrixTest
frame=$(ls OmbrixTest-frame*.png | sort -V | tail -n 1)
echo "The frame OmbrixTest rendered: $PWD/$frame"
