// The landscape pass of the world render: its Glide state, the walk down the
// patch tree with four-corner culling, and the back-face test of the leaves.
#include "core/core.h"
#include "light/light.h"
#include "math/math3d.h"
#include "terrain/terrain.h"
#include "view/view.h"

int patchCull(LandscapePatch* patch)
{
    patch->culled = 0;
    patch->clipped = 0;
    patch->clipCountA = 0;
    patch->clipCountB = 0;
    // Corners on or beyond each plane, counted per plane.
    int count[VIEW_PLANE_COUNT] = {0, 0, 0, 0, 0, 0};
    for (int k = 0; k < 4; k++) {
        const Vector* c = &patch->corners[k];
        LandscapeVertex* v = &patch->viewCorners[k];
        transformPoint(&view.matrix, c->x, c->y, c->z, &v->x, &v->y, &v->z);
        count[VIEW_PLANE_NEAR] += v->z <= view.nearDistance;
        count[VIEW_PLANE_FAR] += v->z >= view.farDistance;
        count[VIEW_PLANE_LEFT] += v->x <= -v->z;
        count[VIEW_PLANE_RIGHT] += v->x >= v->z;
        count[VIEW_PLANE_BOTTOM] += v->y <= -v->z;
        count[VIEW_PLANE_TOP] += v->y >= v->z;
    }
    // Inner patches are tested against near, far and the sides only: their
    // bounding corners say little about what lies above or below them.
    int outside = count[VIEW_PLANE_NEAR] == 4 || count[VIEW_PLANE_FAR] == 4 ||
                  count[VIEW_PLANE_LEFT] == 4 || count[VIEW_PLANE_RIGHT] == 4;
    if (patch->childCount > 0) {
        patch->culled = (uint8_t)outside;
        return outside;
    }
    if (outside || count[VIEW_PLANE_BOTTOM] == 4 || count[VIEW_PLANE_TOP] == 4) {
        patch->culled = 1;
        return 1;
    }
    unsigned crossed = 0;
    for (int p = 0; p < VIEW_PLANE_COUNT; p++) {
        if (count[p] > 0)
            crossed |= 1u << p;
    }
    if (crossed == 0)
        return 0;
    static const int a[3] = {0, 1, 2}, b[3] = {2, 3, 0};
    for (int i = 0; i < 3; i++) {
        patch->clipA[i] = patch->viewCorners[a[i]];
        patch->clipB[i] = patch->viewCorners[b[i]];
    }
    patch->clipCountA = 3;
    patch->clipCountB = 3;
    patch->clipped = 1;
    leafClip(patch, crossed);
    return 0;
}

// A leaf is kept when the camera sees the front of at least one of its two
// triangles.
static void leafBackFaceTest(Landscape* landscape, LandscapePatch* leaf)
{
    const float* eye = view.camera->position;
    const Vector* c1 = &leaf->corners[1];
    const float d[3] = {eye[0] - c1->x, eye[1] - c1->y, eye[2] - c1->z};
    if (dotProduct(d, leaf->normalA) >= 0.0 || dotProduct(d, leaf->normalB) >= 0.0)
        landscape->visibleLeaves[landscape->visibleCount++] = leaf;
}

void patchTraverse(Landscape* landscape, LandscapePatch* patch)
{
    if (patchCull(patch))
        return;
    int children = patch->childCount * patch->childCount;
    if (children > 0) {
        for (int i = 0; i < children; i++)
            patchTraverse(landscape, patch->children[i]);
    } else {
        leafBackFaceTest(landscape, patch);
    }
}

// Vertex layout of LandscapeVertex: x, y at 0, q at 12, s0, t0 at 16 and
// s1, t1 at 24; no w and no colour.
static void landscapeStateSet(void)
{
    grVertexLayout(GR_PARAM_XY, 0, GR_PARAM_ENABLE);
    grVertexLayout(GR_PARAM_W, 8, GR_PARAM_DISABLE);
    grVertexLayout(GR_PARAM_Q, 12, GR_PARAM_ENABLE);
    grVertexLayout(GR_PARAM_RGB, 20, GR_PARAM_DISABLE);
    grVertexLayout(GR_PARAM_ST0, 16, GR_PARAM_ENABLE);
    grVertexLayout(GR_PARAM_ST1, 24, GR_PARAM_ENABLE);
    // Texture plus ambient. The ambient colour is limited to a byte per
    // channel so that a bright ambient cannot spill into its neighbour.
    const float ambient[3] = {lights.ambient[0], lights.ambient[1], lights.ambient[2]};
    grConstantColorValue(0xFF000000u + colourWord(ambient));
    grColorCombine(GR_COMBINE_FUNCTION_SCALE_OTHER_ADD_LOCAL, GR_COMBINE_FACTOR_ONE,
                   GR_COMBINE_LOCAL_CONSTANT, GR_COMBINE_OTHER_TEXTURE, FXFALSE);
}

static void objectStateRestore(void)
{
    objectVertexLayoutSet();
    colourCombineDefault();
    // The ambient colour goes too: later passes start from opaque black.
    grConstantColorValue(0xFF000000u);
}

static void landscapeTraverseLightDraw(Landscape* landscape)
{
    patchTraverse(landscape, terrain.landscapeRoot);
    landscapeLight(landscape);
    landscapeDraw(landscape);
}

void landscapePass(void)
{
    Landscape* landscape = terrain.landscape;
    if (landscape)
        landscape->visibleCount = 0;
    if (landscape && terrain.landscapeRoot) {
        landscapeStateSet();
        if (core.tmuCount > 1) {
            // Unit 1 hands its light map to unit 0, which multiplies its
            // surface texel by it.
            alphaBlendDefault();
            grTexCombine(GR_TMU0, GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL,
                         GR_COMBINE_FUNCTION_LOCAL_ALPHA, GR_COMBINE_FACTOR_ZERO, FXFALSE, FXFALSE);
            grTexCombine(GR_TMU1, GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_ZERO,
                         GR_COMBINE_FUNCTION_LOCAL_ALPHA, GR_COMBINE_FACTOR_ZERO, FXFALSE, FXFALSE);
            landscapeTraverseLightDraw(landscape);
            grTexCombine(GR_TMU0, GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_ZERO,
                         GR_COMBINE_FUNCTION_LOCAL_ALPHA, GR_COMBINE_FACTOR_ZERO, FXFALSE, FXFALSE);
        } else {
            landscapeTraverseLightDraw(landscape);
        }
        objectStateRestore();
    }
    landscapeDrawnMarksUpdate(landscape);
}
