// Drawing a particle emitter: each live particle a square of its colour
// facing the camera, added onto the picture without a depth test.
#include "core/core.h"
#include "math/math3d.h"
#include "particles/particles.h"
#include "view/view.h"

void particleEmitterDraw(ParticleEmitter* emitter)
{
    if (emitter->liveCount <= 0)
        return;
    if (core.fogMode != OBX_FOG_OFF)
        grFogMode(GR_FOG_DISABLE);
    colourCombineDefault();
    grConstantColorValue(0xFF000000);
    grDepthBufferFunction(GR_CMP_ALWAYS);
    grAlphaCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_ONE, GR_COMBINE_LOCAL_CONSTANT,
                   GR_COMBINE_OTHER_TEXTURE, FXFALSE);
    grAlphaBlendFunction(GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ZERO, GR_BLEND_ZERO);
    int textured = spriteTextureSelect(emitter->texture);

    DrawVer corners[4];
    Particle* p = emitter->liveHead;
    for (int32_t i = 0; textured && i < emitter->liveCount && p; i++, p = p->next) {
        float x, y, z;
        transformPoint(&view.matrix, p->position.x, p->position.y, p->position.z, &x, &y, &z);
        if (!spriteCorners(x, y, z, p->size, corners))
            continue;
        float r = p->colour[0] * 255.0f, g = p->colour[1] * 255.0f, b = p->colour[2] * 255.0f;
        for (int k = 0; k < 4; k++) {
            corners[k].r = r;
            corners[k].g = g;
            corners[k].b = b;
        }
        spriteDraw(corners);
    }

    alphaCombineDefault();
    alphaBlendDefault();
    grDepthBufferFunction(GR_CMP_LEQUAL);
    if (core.fogMode != OBX_FOG_OFF)
        grFogMode(GR_FOG_WITH_TABLE_ON_Q);
}
