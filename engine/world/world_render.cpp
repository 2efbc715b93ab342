// The world render: one frame of the 3D world into the back buffer, pass by
// pass, and the calls that show it and clear the background.
#include "core/core.h"
#include "light/light.h"
#include "overlay/overlay.h"
#include "particles/particles.h"
#include "render/render.h"
#include "terrain/terrain.h"
#include "texture/texture.h"
#include "view/view.h"
#include "world/world.h"

WorldState world;

void backgroundInit(void)
{
    world.backgroundColour[0] = 0.0f;
    world.backgroundColour[1] = 0.0f;
    world.backgroundColour[2] = 0.0f;
}

void obxBackgroundSetColor(const float* rgb)
{
    if (!rgb)
        return;
    world.backgroundColour[0] = rgb[0];
    world.backgroundColour[1] = rgb[1];
    world.backgroundColour[2] = rgb[2];
}

void obxBackgroundClear(void)
{
    // The colour buffer only: the depth buffer keeps what it holds.
    grDepthMask(FXFALSE);
    grBufferClear(colourWord(world.backgroundColour), 0, core.depthClearValue);
    grDepthMask(FXTRUE);
}

void obxWorldDisplay(void)
{
    if (world.frameShown)
        return;
    grBufferSwap(core.vsyncFlag ? 1 : 0);
    world.frameShown = 1;
}

void obxWorldRender(int display)
{
    world.frameShown = 0;
    textureFrameBegin();

    // Depth only: the colour buffer keeps the previous picture unless the
    // application cleared it.
    grColorMask(FXFALSE, FXFALSE);
    grBufferClear(colourWord(world.backgroundColour), 0, core.depthClearValue);
    grColorMask(FXTRUE, FXFALSE);

    cameraUpdate();
    chromaKeyDisable();
    viewMatrixBuild();

    skyboxPass();
    flareMarkPass();
    landscapePass();
    objectsPass();
    particleEmittersPass();
    smokeEmittersPass();
    flareDrawPass();

    dynamicLightsEndFrame();
    textureFrameEnd();
    if (display == OBX_RENDER_AND_DISPLAY)
        obxWorldDisplay();
    frameCounted();
}
