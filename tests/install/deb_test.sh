#!/bin/sh
# The Debian package: made by CPack, installed with apt, the program of
# consumer/ built against it through find_package(Ombrix) and pkg-config and
# run headless, then the package removed again. Debian's own libglide3, when
# installed, is left as it was. Needs root (as CI runs); skipped otherwise,
# and when an ombrix package is already installed.
# Usage: deb_test.sh <build dir> <consumer dir> <C compiler>
set -eu
build=$1 consumer=$2 cc=$3
if [ "$(id -u)" != 0 ]; then
  echo "skipped: installing a package needs root"
  exit 77
fi
# One package test at a time on this machine: it installs into /usr.
exec 9>/var/lock/ombrix-deb-test.lock
flock 9
if dpkg-query -W -f='${Status}' ombrix 2>/dev/null | grep -q "install ok installed"; then
  echo "skipped: an ombrix package is installed already"
  exit 77
fi
tmp=$(mktemp -d)
cleanup() {
  DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq ombrix >/dev/null 2>&1 || true
  rm -rf "$tmp"
}
trap cleanup EXIT
glide_before=$(ls -l /usr/lib/libglide3.so.3 2>/dev/null || true)

cpack -G DEB -B "$tmp/deb" --config "$build/CPackConfig.cmake" >"$tmp/cpack.log" ||
  { cat "$tmp/cpack.log"; exit 1; }
deb=$(ls "$tmp"/deb/ombrix_0.37_*.deb)
dpkg-deb -I "$deb" | sed -n 's/^ Depends: /depends on: /p'
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq -o DPkg::Lock::Timeout=300 "$deb" \
  >"$tmp/apt.log" 2>&1 || { cat "$tmp/apt.log"; exit 1; }
dpkg -L ombrix | grep -x /usr/include/ombrix.h

run() {
  mkdir -p "$tmp/work" && rm -f "$tmp/work/"*
  (cd "$tmp/work" && OBX_GLIDE_DISPLAY=headless "$@")
}
cmake -S "$consumer" -B "$tmp/cm" -DCMAKE_C_COMPILER="$cc" >"$tmp/cm.log" ||
  { cat "$tmp/cm.log"; exit 1; }
cmake --build "$tmp/cm" >"$tmp/cm-build.log" || { cat "$tmp/cm-build.log"; exit 1; }
out=$(run "$tmp/cm/consumer" shot.png)
echo "find_package: $out"
echo "$out" | grep -Eq '^consumer: Ombrix 0\.37, [1-9][0-9]* polygons drawn, frame saved$'
ldd "$tmp/cm/consumer" | grep -Eq "=> (/usr)?/lib/.*libOmbrixDll.so.0"
ldd "$tmp/cm/consumer" | grep -Eq "=> (/usr)?/lib/.*ombrix/libglide3.so.3"

# shellcheck disable=SC2046
"$cc" -o "$tmp/pc-consumer" "$consumer/consumer.c" $(pkg-config --cflags --libs ombrix-util)
out=$(run "$tmp/pc-consumer" shot.png)
echo "pkg-config: $out"
echo "$out" | grep -Eq '^consumer: Ombrix 0\.37, [1-9][0-9]* polygons drawn, frame saved$'
test -s "$tmp/work/shot.png"
# The installed demo runs from anywhere.
run obx-demo --frames 2 --out . >/dev/null
# The programs ran in /usr/share/ombrix, where the engine writes its log.
rm -f /usr/share/ombrix/Ombrix.log

DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq ombrix >"$tmp/apt.log" 2>&1 ||
  { cat "$tmp/apt.log"; exit 1; }
test ! -e /usr/include/ombrix.h
test "$(ls -l /usr/lib/libglide3.so.3 2>/dev/null || true)" = "$glide_before"
echo "the package installed, built the program and went again"
