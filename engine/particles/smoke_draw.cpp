// Drawing a smoke emitter: each live puff a grey square facing the camera,
// added onto the picture in proportion to the puff's opacity.
#include "core/core.h"
#include "math/math3d.h"
#include "particles/particles.h"
#include "view/view.h"

// Grey (64, 64, 64) with alpha = the whole part of the opacity.
static GrColor_t puffColour(float opacity)
{
    uint32_t alpha = 0;
    if (opacity >= 255.0f)
        alpha = 255;
    else if (opacity >= 1.0f)
        alpha = (uint32_t)opacity;
    return alpha * 0x1000000u + 0x404040u;
}

void smokeEmitterDraw(SmokeEmitter* emitter)
{
    if (emitter->liveCount <= 0)
        return;
    if (core.fogMode != OBX_FOG_OFF)
        grFogMode(GR_FOG_DISABLE);
    grColorCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL,
                   GR_COMBINE_LOCAL_CONSTANT, GR_COMBINE_OTHER_TEXTURE, FXFALSE);
    grDepthBufferFunction(GR_CMP_ALWAYS);
    grAlphaCombine(GR_COMBINE_FUNCTION_LOCAL_ALPHA, GR_COMBINE_FACTOR_ONE,
                   GR_COMBINE_LOCAL_CONSTANT, GR_COMBINE_OTHER_TEXTURE, FXFALSE);
    grAlphaBlendFunction(GR_BLEND_SRC_ALPHA, GR_BLEND_ONE, GR_BLEND_ZERO, GR_BLEND_ZERO);
    int textured = spriteTextureSelect(emitter->texture);

    DrawVer corners[4];
    SmokePuff* p = emitter->liveHead;
    for (int32_t i = 0; textured && i < emitter->liveCount && p; i++, p = p->next) {
        float x, y, z;
        transformPoint(&view.matrix, p->position.x, p->position.y, p->position.z, &x, &y, &z);
        if (!spriteCorners(x, y, z, p->size, corners))
            continue;
        // The colour comes from the constant colour alone.
        for (int k = 0; k < 4; k++)
            corners[k].r = corners[k].g = corners[k].b = 0.0f;
        grConstantColorValue(puffColour(p->opacity));
        spriteDraw(corners);
    }

    colourCombineDefault();
    alphaCombineDefault();
    grConstantColorValue(0xFF000000);
    alphaBlendDefault();
    grDepthBufferFunction(GR_CMP_LEQUAL);
    if (core.fogMode != OBX_FOG_OFF)
        grFogMode(GR_FOG_WITH_TABLE_ON_Q);
}
