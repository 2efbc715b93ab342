#!/usr/bin/env bash
# Builds the Windows binaries with Debian's MinGW-w64 on a Debian 12 machine
# (installing what is missing): build-windows/x86_64/run and
# build-windows/i686/run each hold OmbrixDll.dll, glide3x.dll, OmbrixUtil.dll,
# OmbrixTest.exe, obx-demo.exe, obx-view.exe, the examples and the data
# files. The data files come from the Linux build in build/ (their
# generators need FreeType and libpng).
#
# With --test: the x86_64 tests under Wine (wine64) and the static checks of
# both builds (exports, imports, PE32 for i686).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh --windows
jobs="$(nproc)"

# The Linux build's data files (and its programs, which the tests compare
# pictures with).
cmake -S . -B build >/dev/null
examples="example-model-lights example-dynamic-lights example-landscape-flyover
  example-particles-smoke example-text-bitmaps example-flares-skybox example-embedded-model example-focus"
# shellcheck disable=SC2086
cmake --build build -j"$jobs" --target obx-data OmbrixTest obx-demo obx-demo-tour obx-view obx-example \
  $examples

for arch in x86_64 i686; do
  dir="build-windows/$arch"
  cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DOBX_WINDOWS_ARCH="$arch" \
    -DOBX_BENCH=OFF -DOBX_HOST_RUN_DIR="$PWD/build/run" >/dev/null
  cmake --build "$dir" -j"$jobs"
done

if [ "${1:-}" = "--test" ]; then
  # A Wine prefix of the build's own, made once; the Wine server is kept for
  # the whole run, so each test program starts in about a second.
  export WINEPREFIX="$PWD/build-windows/wine-prefix" WINEDEBUG=-all
  mkdir -p "$WINEPREFIX"
  /usr/lib/wine/wineserver -p
  # Made before the tests start many programs at once (a first start takes
  # seconds).
  /usr/lib/wine/wine64 wineboot -u >/dev/null 2>&1 || true
  trap '/usr/lib/wine/wineserver -k || true' EXIT
  status=0
  for arch in x86_64 i686; do
    # A test whose program Wine fails to start (seen once among hundreds: no
    # output at all, 0.00 s) runs once more; one that fails twice still fails.
    (cd "build-windows/$arch" && ctest --output-on-failure -j"$jobs" --timeout 900 --repeat until-pass:2) || status=1
  done
  exit $status
fi
