#!/usr/bin/env bash
# Remakes the README's pictures in docs/ with the headless modes of obx-demo
# and obx-view (the frame-rate read-out is whatever this machine makes).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build >/dev/null
cmake --build build -j"$(nproc)" --target obx-demo obx-view obx-data
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
build/run/obx-demo --headless --frames 2130 --shots 870,1320,2130 --out "$out" >/dev/null
cp "$out/obx-demo-00870.png" docs/demo.png
cp "$out/obx-demo-01320.png" docs/demo-fog.png
cp "$out/obx-demo-02130.png" docs/demo-sunward.png
# The tank's barrel points along 3D Studio's +y, away from its front view:
# turned round, it shows its front and its left side.
build/run/obx-view build/run/tank.3ds --headless --yaw 120 --shot docs/obx-view.png >/dev/null
ls -l docs/*.png
