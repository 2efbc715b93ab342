// Drawing the visible leaves: each as one textured fan (or two clipped
// ones), the surface texture modulated by the leaf's light map.
#include "core/core.h"
#include "terrain/terrain.h"
#include "texture/texture.h"
#include "view/view.h"

// Projects the polygon's corners and sends them as one fan: in one pass with
// the light map on unit 1, or in two on a single unit, the second
// multiplying the frame buffer by the light map.
// `kept` is the surface texture left as unit 0's source by the fan before,
// when only unit 1 changed source since; null when unknown.
static void leafFanDraw(LandscapePatch* leaf, const LandscapeVertex* polygon, int count,
                        TextureRecord** kept)
{
    LandscapeVertex screen[LEAF_CLIP_MAX];
    void* pointers[LEAF_CLIP_MAX];
    for (int i = 0; i < count; i++) {
        const LandscapeVertex* v = &polygon[i];
        LandscapeVertex* s = &screen[i];
        float q = projectToScreen(v->x, v->y, v->z, &s->x, &s->y);
        snapToSubpixel(&s->x);
        snapToSubpixel(&s->y);
        s->z = v->z;
        s->q = q;
        // 254, not 256: the far edges stay inside the last texel.
        s->s0 = 254.0f * v->s0 * q;
        s->t0 = 254.0f * v->t0 * q;
        s->s1 = s->s0;
        s->t1 = s->t0;
        pointers[i] = s;
    }
    // A texture that can have no slot is never drawn with another's texels:
    // a surface without one is white, lit by its light map; a leaf whose
    // light map has none is left out, or on one unit stays unlit.
    TextureRecord* light = leaf->lightMap.lightTexture;
    TextureRecord* surface = leaf->texture;
    int shown = surface == *kept ? textureReselect(surface) : textureSelect(surface);
    *kept = NULL;
    if (!shown) {
        TextureRecord* white = textureFind("white.3df");
        if (!white || !textureSelect(white))
            return;
    } else if (leaf->lightMap.lightTmu != 0 && textureUnit(surface) != textureUnit(light)) {
        // Light maps go to the other unit: the surface stays this unit's
        // source for the next fan, and sending it again would only make the
        // device check its pixel path anew.
        *kept = surface;
    }
    if (leaf->lightMap.lightTmu != 0) {
        if (!textureSelect(light))
            return;
        grDrawVertexArray(GR_TRIANGLE_FAN, (FxU32)count, pointers);
    } else {
        grDrawVertexArray(GR_TRIANGLE_FAN, (FxU32)count, pointers);
        grAlphaBlendFunction(GR_BLEND_DST_COLOR, GR_BLEND_ZERO, GR_BLEND_ZERO, GR_BLEND_ZERO);
        if (textureSelect(light))
            grDrawVertexArray(GR_TRIANGLE_FAN, (FxU32)count, pointers);
        alphaBlendDefault();
    }
    polygonCounted();
}

void landscapeDraw(Landscape* landscape)
{
    TextureRecord* kept = NULL;
    for (int32_t i = 0; i < landscape->visibleCount; i++) {
        LandscapePatch* leaf = landscape->visibleLeaves[i];
        leaf->drawnOnce = 1;
        if (leaf->clipped) {
            if (leaf->clipCountB > 2)
                leafFanDraw(leaf, leaf->clipB, leaf->clipCountB, &kept);
            if (leaf->clipCountA > 2)
                leafFanDraw(leaf, leaf->clipA, leaf->clipCountA, &kept);
        } else {
            leafFanDraw(leaf, leaf->viewCorners, 4, &kept);
        }
    }
}
