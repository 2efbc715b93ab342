// fuzz-landscape: one leaf of arbitrary corners per input, seen by an
// arbitrary camera and lit by an arbitrary dynamic light, through the whole
// landscape pass (cull test, clipping, back faces, light maps, drawing).
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "core/core.h"
#include "fuzz_engine.h"
#include "fuzz_input.h"
#include "light/light.h"
#include "math/math3d.h"
#include "terrain/terrain.h"
#include "texture/texture.h"
#include "view/view.h"

namespace {

LandscapePatch leaf;
LandscapePatch* leaves[1];
Landscape land;
Camera camera;
DynamicLight* light;

bool setup(void)
{
    leaf.texture = textureFind("white.3df");
    patchLightMapCreate(&leaf);
    land.sampleCount = 2;
    land.visibleLeaves = leaves;
    land.root = &leaf;
    lightMapOffsetsBuild(65, 448, 448);
    light = obxDynLightsourceAdd(1, 0, 0, 0, 1, 1, 1);
    obxCameraSetActive(&camera);
    return true;
}

}   // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzEngineStart(setup);
    Reader in = {data, size};
    uint8_t flags = in.byte();
    int16_t wx = in.half(), wy = in.half(), ww = in.half(), wh = in.half();
    for (int k = 0; k < 4; k++) {
        leaf.corners[k].x = in.real();
        leaf.corners[k].y = in.real();
        leaf.corners[k].z = in.real();
    }
    camera.position[0] = in.real();
    camera.position[1] = in.real();
    camera.position[2] = in.real();
    for (int a = 0; a < 3; a++)
        camera.rotation[a] = (float)in.half();
    camera.stepsLeft = 0;
    camera.syncEnabled = 0;
    float far = in.real();
    float radius = in.real();
    Vector at = {in.real(), in.real(), in.real()};
    for (int i = 0; i < 64; i++)
        leaf.lightMap.lightHeights[i] = (flags & 0x08) ? in.real() : 0.0f;

    // What loading would have found for these corners.
    const Vector* c = leaf.corners;
    leaf.center[0] = (c[0].x + c[1].x + c[2].x + c[3].x) / 4.0f;
    leaf.center[1] = (c[0].y + c[1].y + c[2].y + c[3].y) / 4.0f;
    leaf.center[2] = (c[0].z + c[1].z + c[2].z + c[3].z) / 4.0f;
    const float d[3] = {c[0].x - leaf.center[0], c[0].y - leaf.center[1], c[0].z - leaf.center[2]};
    leaf.radius = (float)VectorLenght(d);
    const float a20[3] = {c[2].x - c[0].x, c[2].y - c[0].y, c[2].z - c[0].z};
    const float a10[3] = {c[1].x - c[0].x, c[1].y - c[0].y, c[1].z - c[0].z};
    const float b02[3] = {c[0].x - c[2].x, c[0].y - c[2].y, c[0].z - c[2].z};
    const float b32[3] = {c[3].x - c[2].x, c[3].y - c[2].y, c[3].z - c[2].z};
    CrossProduct3d(leaf.normalA, a20, a10);
    CrossProduct3d(leaf.normalB, b02, b32);
    static const float st[4][2] = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};
    for (int k = 0; k < 4; k++) {
        leaf.viewCorners[k].s0 = leaf.viewCorners[k].s1 = st[k][0];
        leaf.viewCorners[k].t0 = leaf.viewCorners[k].t1 = st[k][1];
    }

    obxFarClippingPlaneSet((flags & 0x01) ? far : 3000.0f);
    if (flags & 0x02)
        obxRenderWindowSet(wx, wy, ww, wh);
    else
        obxRenderWindowSet(0, 0, 640, 480);
    obxDynLightsourceChangeRadius(light, radius);
    obxDynLightsourceChangeXYZ(light, at.x, at.y, at.z);
    if (flags & 0x04)
        obxDynLightsourceDisable(light);
    else
        obxDynLightsourceActivate(light);
    if (flags & 0x10)
        obxLandscapeRemoveFromWorld();
    else
        obxLandscapeAddToWorld(&land);
    obxWorldRender(0);
    if (leaf.clipCountA > LEAF_CLIP_MAX || leaf.clipCountB > LEAF_CLIP_MAX)
        abort();
    return 0;
}
