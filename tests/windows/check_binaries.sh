#!/bin/sh
# Static checks of a Windows build, for either architecture (nothing is run):
# - OmbrixDll.dll exports exactly the names of exports.txt, undecorated, and
#   its functions are cdecl (no stdcall "@bytes" in the engine's objects);
# - every DLL is PE32 on i686 and PE32+ on x86_64;
# - glide3x.dll exports the Glide names: "_name@bytes" on i686 (the 32-bit
#   SDK's __stdcall names), plain on x86_64;
# - nothing is left unresolved: each import from glide3x.dll or OmbrixDll.dll
#   is an export of it, each from OmbrixUtil.dll one of its three, the other
#   imports come from Windows' own DLLs, and OmbrixTest.exe imports only
#   from OmbrixDll.dll of ours.
# Usage: check_binaries.sh <objdump> <nm> <i686|x86_64> <run dir> <exports.txt> <engine static library>
set -eu
objdump=$1 nm=$2 arch=$3 run=$4 list=$5 engine=$6
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail=0

exports() { "$objdump" -p "$1" | sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' | sed -n 's/^[[:space:]]*\[ *[0-9]*\] //p' | sort; }
# "dll name" per import of $1
imports() {
  "$objdump" -p "$1" | awk '/DLL Name:/ {dll=$3; next} NF == 0 {dll=""} dll != "" && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ {print dll, $3}'
}

[ "$arch" = i686 ] && format=pei-i386 || format=pei-x86-64
programs="OmbrixDll.dll glide3x.dll OmbrixTest.exe OmbrixUtil.dll obx-demo.exe obx-view.exe
  example-model-lights.exe example-embedded-model.exe"
for binary in $programs; do
  if ! "$objdump" -f "$run/$binary" | grep -q "file format $format"; then
    echo "$binary is not $format"; fail=1
  fi
done

exports "$run/OmbrixDll.dll" >"$tmp/engine"
sort "$list" >"$tmp/list"
if ! cmp -s "$tmp/engine" "$tmp/list"; then
  echo "OmbrixDll.dll: exported but not in the list (<) / in the list but not exported (>):"
  diff "$tmp/engine" "$tmp/list" || true
  fail=1
fi
"$nm" -g --defined-only "$engine" | awk '$2 == "T" {print $3}' >"$tmp/engine-symbols"
for name in $(cat "$list"); do
  if grep -q "^_\{0,1\}$name@" "$tmp/engine-symbols"; then echo "$name is not cdecl"; fail=1; fi
done

exports "$run/glide3x.dll" >"$tmp/glide"
if [ "$arch" = i686 ]; then
  pattern='^_g[ru][A-Za-z0-9_]*@[0-9][0-9]*$'
else
  pattern='^g[ru][A-Za-z0-9_]*$'
fi
if grep -v "$pattern" "$tmp/glide"; then echo "glide3x.dll: names above are not Glide's"; fail=1; fi
for name in grGlideInit grSstWinOpen grDrawTriangle grBufferSwap gu3dfLoad; do
  grep -q "^_\{0,1\}$name\(@[0-9]*\)\{0,1\}$" "$tmp/glide" || { echo "glide3x.dll does not export $name"; fail=1; }
done

exports "$run/OmbrixUtil.dll" >"$tmp/util"
printf 'ombrixDataDirEnter\nombrixDataDirFind\nombrixFrameSave\n' | cmp -s - "$tmp/util" ||
  { echo "OmbrixUtil.dll exports:"; cat "$tmp/util"; fail=1; }

system='^(KERNEL32|USER32|GDI32|msvcrt|ADVAPI32|api-ms-win-[a-z0-9-]*)\.dll$'
for binary in $programs; do
  imports "$run/$binary" | while read -r dll name; do
    case "$dll" in
      glide3x.dll) grep -qx "$name" "$tmp/glide" || echo "$binary: $name is not in glide3x.dll" ;;
      OmbrixDll.dll) grep -qx "$name" "$tmp/engine" || echo "$binary: $name is not in OmbrixDll.dll" ;;
      OmbrixUtil.dll) grep -qx "$name" "$tmp/util" || echo "$binary: $name is not in OmbrixUtil.dll" ;;
      *) echo "$dll" | grep -Eiq "$system" || echo "$binary: imports from $dll" ;;
    esac
  done >>"$tmp/unresolved"
done
imports "$run/OmbrixTest.exe" | awk '{print $1}' | sort -u | grep -v -x -e OmbrixDll.dll | grep -Eiv "$system" >>"$tmp/unresolved" || true
imports "$run/OmbrixDll.dll" | grep -q '^glide3x.dll ' || echo "OmbrixDll.dll does not link glide3x.dll" >>"$tmp/unresolved"
if [ -s "$tmp/unresolved" ]; then cat "$tmp/unresolved"; fail=1; fi

[ $fail -eq 0 ] && echo "$arch: $(wc -l <"$tmp/engine") engine exports, $(wc -l <"$tmp/glide") Glide exports, all imports resolved"
exit $fail
