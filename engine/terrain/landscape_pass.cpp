// The landscape pass of the world render: its Glide state, the walk down the
// patch tree with four-corner culling, and the back-face test of the leaves.
#include "core/core.h"
#include "light/light.h"
#include "math/math3d.h"
#include "terrain/terrain.h"
#include "view/view.h"

// The planes a corner in camera space lies on or beyond, bit p for
// view.planes[p].
static inline unsigned cornerOutcode(float x, float y, float z, float nearZ, float farZ)
{
    return (unsigned)(z <= nearZ) << VIEW_PLANE_NEAR | (unsigned)(z >= farZ) << VIEW_PLANE_FAR |
           (unsigned)(x <= -z) << VIEW_PLANE_LEFT | (unsigned)(x >= z) << VIEW_PLANE_RIGHT |
           (unsigned)(y <= -z) << VIEW_PLANE_BOTTOM | (unsigned)(y >= z) << VIEW_PLANE_TOP;
}

int patchCull(LandscapePatch* patch)
{
    // The corners are moved into locals first: stores into the patch could,
    // for all the compiler knows, change the view matrix between corners.
    // Corner by corner for each coordinate, so that the compiler can move
    // all four at once.
    float cx[4], cy[4], cz[4];
    for (int k = 0; k < 4; k++) {
        cx[k] = patch->corners[k].x;
        cy[k] = patch->corners[k].y;
        cz[k] = patch->corners[k].z;
    }
    const Matrix* m = &view.matrix;
    float x[4], y[4], z[4];
    for (int k = 0; k < 4; k++) {
        // As transformPoint sums: x, y, z, then the translation.
        float rx = cx[k] * m->m[0][0];
        rx += cy[k] * m->m[1][0];
        rx += cz[k] * m->m[2][0];
        x[k] = rx + m->m[3][0];
        float ry = cx[k] * m->m[0][1];
        ry += cy[k] * m->m[1][1];
        ry += cz[k] * m->m[2][1];
        y[k] = ry + m->m[3][1];
        float rz = cx[k] * m->m[0][2];
        rz += cy[k] * m->m[1][2];
        rz += cz[k] * m->m[2][2];
        z[k] = rz + m->m[3][2];
    }
    const float nearZ = view.nearDistance, farZ = view.farDistance;
    patch->culled = 0;
    patch->clipped = 0;
    patch->clipCountA = 0;
    patch->clipCountB = 0;
    // Planes that all four corners lie on or beyond, and planes that any does.
    unsigned all = ~0u, crossed = 0;
    for (int k = 0; k < 4; k++) {
        LandscapeVertex* v = &patch->viewCorners[k];
        v->x = x[k];
        v->y = y[k];
        v->z = z[k];
        unsigned code = cornerOutcode(x[k], y[k], z[k], nearZ, farZ);
        all &= code;
        crossed |= code;
    }
    // Inner patches are tested against near, far and the sides only: their
    // bounding corners say little about what lies above or below them.
    const unsigned sides = 1u << VIEW_PLANE_NEAR | 1u << VIEW_PLANE_FAR |
                           1u << VIEW_PLANE_LEFT | 1u << VIEW_PLANE_RIGHT;
    if (patch->childCount > 0) {
        int outside = (all & sides) != 0;
        patch->culled = (uint8_t)outside;
        return outside;
    }
    if (all != 0) {
        patch->culled = 1;
        return 1;
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
