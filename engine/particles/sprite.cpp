// Camera-facing textured squares: particles and smoke puffs are drawn as
// these, cut to the drawing area when they cross its edge.
#include <float.h>

#include "core/core.h"
#include "particles/particles.h"
#include "texture/texture.h"
#include "view/clip.h"
#include "view/view.h"

static void cornerSet(DrawVer* corner, float x, float y, float z, float q, float s, float t)
{
    snapToSubpixel(&x);
    snapToSubpixel(&y);
    corner->x = x;
    corner->y = y;
    corner->w = z;
    corner->spare = 0.0f;
    corner->q = q;
    corner->s0 = corner->s1 = s;
    corner->t0 = corner->t1 = t;
}

int spriteCorners(float x, float y, float z, float size, DrawVer corners[4])
{
    float s = size;
    // Written as the conditions for drawing, so that a point or size that is
    // not a number is never drawn.
    if (!(s > 0.0f && x + s >= -z && x - s <= z && y + s >= -z && y - s <= z &&
          z >= view.nearDistance && z <= view.farDistance))
        return 0;

    float left, right, bottom, top;
    float q = projectToScreen(x - s, y - s, z, &left, &bottom);
    projectToScreen(x + s, y + s, z, &right, &top);
    // A square too large for single precision has no texture coordinates
    // to cut it by.
    if (!(right - left <= FLT_MAX && top - bottom <= FLT_MAX))
        return 0;

    if (z > x + s && x - s > -z && z > y + s && y - s > -z) {
        // Wholly inside: the texture's first row at the top of the square.
        float full = 255.0f * q;
        cornerSet(&corners[0], left, top, z, q, 0.0f, 0.0f);
        cornerSet(&corners[1], left, bottom, z, q, 0.0f, full);
        cornerSet(&corners[2], right, bottom, z, q, full, full);
        cornerSet(&corners[3], right, top, z, q, full, 0.0f);
        return 1;
    }

    float quad[16] = {left, top, 0, 0, left, bottom, 0, 0, right, bottom, 0, 0, right, top, 0, 0};
    clipScreenQuad(quad);
    // The clipper counts t from the bottom edge up; the texture runs from the
    // top down as in the uncut square, so a square touching the edge is cut,
    // never turned upside down.
    for (int k = 0; k < 4; k++) {
        const float* p = &quad[4 * k];
        float s255 = p[2] * 255.0f;
        float t255 = (1.0f - p[3]) * 255.0f;
        cornerSet(&corners[k], p[0], p[1], z, q, s255 * q, t255 * q);
    }
    return 1;
}

void spriteDraw(DrawVer corners[4])
{
    void* fan[4] = {&corners[0], &corners[1], &corners[2], &corners[3]};
    polygonCounted();
    grDrawVertexArray(GR_TRIANGLE_FAN, 4, fan);
}

int spriteTextureSelect(TextureRecord* texture)
{
    // Without a texture, or with one that can have no slot, a sprite is a
    // square of white texels.
    if (texture && textureSelect(texture))
        return 1;
    TextureRecord* white = textureFind("white.3df");
    return white && textureSelect(white);
}
