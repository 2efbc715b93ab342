#!/bin/sh
# `cmake --install` into a temporary prefix, then a program from outside the
# tree (consumer/) built against it with find_package(Ombrix) and with
# pkg-config, and run headless from a directory of its own: it finds the
# installed data files and saves a frame. Nothing installed names the build
# or source tree. The installed obx-demo says which data files are missing.
# Usage: install_test.sh <build dir> <source dir> <consumer dir> <C compiler> [C flags]
set -eu
build=$1 source=$2 consumer=$3 cc=$4 cflags=${5:-}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
prefix=$tmp/prefix
cmake --install "$build" --prefix "$prefix" >"$tmp/install.log"

# What landed where.
for f in include/ombrix.h include/ombrix_util.h share/ombrix/white.3df share/ombrix/Init.3df \
         share/ombrix/DefaultCS.3df share/ombrix/tank.3ds share/doc/ombrix/LICENSE bin/obx-demo; do
  test -e "$prefix/$f" || { echo "not installed: $f"; exit 1; }
done
lib=$(dirname "$(find "$prefix" -name libOmbrixDll.so.0.37)")
test -L "$lib/libOmbrixDll.so.0" && test -L "$lib/libOmbrixDll.so"
test "$(readlink "$lib/libOmbrixDll.so.0")" = libOmbrixDll.so.0.37
test -f "$lib/ombrix/libglide3.so.3"
test ! -e "$lib/libglide3.so.3" || { echo "the device lies beside Debian's libglide3 names"; exit 1; }

# No path of the build or the sources in anything installed: text files as
# they are; in programs, libraries and pictures only their printable strings,
# without debugging sections (a short tree path would otherwise turn up among
# a binary's random bytes); RUNPATHs must be relative to $ORIGIN.
# A tree's path as a whole path, not as the tail of a longer one ("/src" is
# not in "glide/src").
path_re() { printf '(^|[^A-Za-z0-9_./-])%s(/|$|[^A-Za-z0-9_.-])' "$(printf '%s' "$1" | sed 's/[]\\.*^$[]/\\&/g')"; }
build_re=$(path_re "$build") source_re=$(path_re "$source")
find "$prefix" -type f | while IFS= read -r f; do
  if grep -q -I '' "$f" || [ ! -s "$f" ]; then
    hit=$(grep -E -e "$build_re" -e "$source_re" "$f" | head -1)
  else
    f_check=$f
    if head -c 4 "$f" | grep -q 'ELF'; then
      readelf -d "$f" | grep -E 'R(UN)?PATH' | grep -v '\[\$ORIGIN' && {
        echo "$f: a RUNPATH not relative to \$ORIGIN"; exit 1; } || true
      cp "$f" "$tmp/stripped" && strip "$tmp/stripped"
      f_check=$tmp/stripped
    fi
    # Sanitized code names its source files in its reports, by design.
    case $cflags in
      *sanitize*) hit= ;;
      *) hit=$(strings -a "$f_check" | grep -E -e "$build_re" -e "$source_re" | head -1) ;;
    esac
  fi
  if [ -n "$hit" ]; then
    echo "$f names the build or source tree: $hit"
    exit 1
  fi
done

run() { # run <program>: in an empty directory, headless
  mkdir -p "$tmp/work" && rm -f "$tmp/work/"*
  (cd "$tmp/work" && ASAN_OPTIONS=detect_leaks=0 OBX_GLIDE_DISPLAY=headless "$@")
}
check_shot() {
  test -s "$tmp/work/shot.png" || { echo "no frame saved"; exit 1; }
  test "$(head -c 8 "$tmp/work/shot.png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a
}

# find_package(Ombrix)
cmake -S "$consumer" -B "$tmp/cm" -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_C_COMPILER="$cc" \
  -DCMAKE_C_FLAGS="$cflags" >"$tmp/cm.log" || { cat "$tmp/cm.log"; exit 1; }
cmake --build "$tmp/cm" >"$tmp/cm-build.log" || { cat "$tmp/cm-build.log"; exit 1; }
out=$(run "$tmp/cm/consumer" shot.png)
echo "find_package: $out"
echo "$out" | grep -Eq '^consumer: Ombrix 0\.37, [1-9][0-9]* polygons drawn, frame saved$'
check_shot
ldd "$tmp/cm/consumer" | grep -q "$lib/libOmbrixDll.so.0"
! ldd "$tmp/cm/consumer" | grep -F "$build" || { echo "a library from the build tree"; exit 1; }
# The engine reaches the device in its private directory.
LD_LIBRARY_PATH= ldd "$lib/libOmbrixDll.so.0" | grep -q "=> $lib/ombrix/libglide3.so.3"

# pkg-config
export PKG_CONFIG_PATH="$lib/pkgconfig"
test "$(pkg-config --modversion ombrix)" = 0.37
# shellcheck disable=SC2046,SC2086
"$cc" $cflags -o "$tmp/pc-consumer" "$consumer/consumer.c" $(pkg-config --cflags --libs ombrix-util) \
  -Wl,-rpath,"$lib"
out=$(run "$tmp/pc-consumer" shot.png)
echo "pkg-config: $out"
echo "$out" | grep -Eq '^consumer: Ombrix 0\.37, [1-9][0-9]* polygons drawn, frame saved$'
check_shot

# The installed demo finds the installed data files from anywhere, and
# names what is missing and where it looked when they are not there.
run "$prefix/bin/obx-demo" --frames 2 --out . >/dev/null
mv "$prefix/share/ombrix/white.3df" "$tmp/"
code=0
run "$prefix/bin/obx-demo" --frames 2 2>"$tmp/err" || code=$?
cat "$tmp/err"
test $code = 1
grep -q "cannot find the engine's data files" "$tmp/err"
grep -q "^  $tmp/work lacks white.3df, Init.3df, DefaultCS.3df$" "$tmp/err"
grep -q "^  $prefix/share/ombrix lacks white.3df$" "$tmp/err"
echo "installed, built and run outside the tree"
