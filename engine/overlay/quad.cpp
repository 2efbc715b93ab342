// The screen-aligned textured quad that draws glyphs and bitmaps, placed in
// the virtual 640 x 480 screen (origin top left, y down).
#include <string.h>

#include "core/core.h"
#include "overlay/overlay.h"
#include "texture/texture.h"

// A corner at screen (x, y) with texture coordinates (s, t) on both units.
static void cornerSet(DrawVer* v, float x, float y, float s, float t)
{
    memset(v, 0, sizeof *v);
    v->x = x;
    v->y = y;
    v->q = 1.0f;
    v->r = 255.0f;
    v->g = 255.0f;
    v->b = 255.0f;
    v->s0 = v->s1 = s;
    v->t0 = v->t1 = t;
}

void overlayQuadDraw(TextureRecord* texture, float x, float y, float width, float height)
{
    if (!texture)
        return;
    // Glide's origin is the lower left: virtual y grows downwards.
    float left = x * core.scale2dX;
    float right = (x + width) * core.scale2dX;
    float top = core.screenHeight - y * core.scale2dY;
    float bottom = core.screenHeight - (y + height) * core.scale2dY;
    DrawVer tl, bl, br, tr;
    cornerSet(&tl, left, top, 0.0f, 0.0f);
    cornerSet(&bl, left, bottom, 0.0f, 256.0f);
    cornerSet(&br, right, bottom, 256.0f, 256.0f);
    cornerSet(&tr, right, top, 256.0f, 0.0f);
    if (!textureSelect(texture))
        return;   // drawn as without a texture: not at all
    grDrawTriangle(&tl, &bl, &br);
    grDrawTriangle(&br, &tr, &tl);
}
