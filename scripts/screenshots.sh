#!/usr/bin/env bash
# Remakes the README's pictures in docs/ with the headless modes of obx-demo,
# obx-view and the examples (the frame-rate read-out is whatever this machine
# makes). With --examples: the examples' pictures only.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build >/dev/null
cmake --build build -j"$(nproc)"
# Each example's frame 240, in docs/examples/.
mkdir -p docs/examples
for program in build/run/example-*; do
  name=${program##*/example-}
  "$program" --headless --frames 240 --shot "docs/examples/$name.png" >/dev/null
done
if [ "${1:-}" = "--examples" ]; then
  ls -l docs/examples/*.png
  exit 0
fi
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
build/run/obx-demo --headless --frames 2130 --shots 870,1320,2130 --out "$out" >/dev/null
cp "$out/obx-demo-00870.png" docs/demo.png
cp "$out/obx-demo-01320.png" docs/demo-fog.png
cp "$out/obx-demo-02130.png" docs/demo-sunward.png
# The tank's barrel points along 3D Studio's +y, away from its front view:
# turned round, it shows its front and its left side.
build/run/obx-view build/run/tank.3ds --headless --yaw 120 --shot docs/obx-view.png >/dev/null
ls -l docs/*.png docs/examples/*.png
