#!/bin/sh
# The engine library exports exactly the names of the export list that the
# engine defines, each with C linkage, and nothing else.
# Usage: check_exports.sh <libOmbrixDll.so> <libombrix_engine.a> <exports.txt>
set -eu
lib=$1 archive=$2 list=$3
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
nm -D --defined-only "$lib" | awk '$2 ~ /^[A-Z]$/ {print $3}' | sort -u >"$tmp/exported"
nm --defined-only "$archive" 2>/dev/null | awk '$2 == "T" {print $3}' | sort -u >"$tmp/defined"
sort -u "$list" >"$tmp/list"
comm -12 "$tmp/list" "$tmp/defined" >"$tmp/expected"
if ! cmp -s "$tmp/exported" "$tmp/expected"; then
  echo "exported but not in the list (<) / in the list and defined but not exported (>):"
  diff "$tmp/exported" "$tmp/expected" || true
  exit 1
fi
echo "$(wc -l <"$tmp/exported") of $(wc -l <"$tmp/list") names exported"
# The names of the engine core must all be there.
for name in obxInitialize obxGetVersion obxLooseFocus obxSetFocus obxShutdown \
    obxNumBytesAllocated obxResolutionGet obxRenderWindowSet obxDriverGetInfo \
    obxVSyncEnable obxVSyncDisable obxStartFrameCount obxGetFrameCount obxPerformanceInit \
    obxPerformanceGet obxFogSetMode obxFogSetColor obxFarClippingPlaneSet DegToRad \
    CrossProduct3d VectorLenght MatXVer MatXVerToDrawVer MatXDrawVerToDrawVer \
    obxTextureLoad obxTextureLoadToMemory obxCameraCreate obxCameraSetActive obxCameraMove \
    obxCameraRotate obxCameraMoveIncremental obxCameraEnableSyncToPoint \
    obxCameraDisableSyncToPoint; do
  grep -qx "$name" "$tmp/exported" || { echo "missing: $name"; exit 1; }
done
