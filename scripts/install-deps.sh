#!/usr/bin/env bash
# Installs the Debian 12 packages Ombrix needs to build, test and run
# (with --windows, also to build and test the Windows binaries).
set -euo pipefail
packages=(
  build-essential cmake pkg-config clang libclang-rt-14-dev
  libglide3-dev libglide3 libsdl2-dev libpng-dev
  libgtest-dev libbenchmark-dev
  xvfb xauth xdotool imagemagick
  lib3ds-dev libassimp-dev assimp-utils
  libfreetype-dev fonts-dejavu-core libstb-dev
)
# --windows: also what scripts/build-windows.sh needs (MinGW-w64, Wine, stb).
if [ "${1:-}" = "--windows" ]; then
  packages+=(g++-mingw-w64-x86-64 g++-mingw-w64-i686 wine64 libstb-dev googletest)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi
