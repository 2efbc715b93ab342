// Start-up: from nothing to an open Glide window with every Glide default,
// every engine default and the engine's own textures in place. Each step
// belongs to the subsystem it sets up; this is their order. A step that fails
// ends start-up there, leaving what was done before.
#include "core/core.h"
#include "light/light.h"
#include "math/math3d.h"
#include "object/object.h"
#include "overlay/overlay.h"
#include "particles/particles.h"
#include "render/render.h"
#include "terrain/terrain.h"
#include "texture/texture.h"
#include "view/view.h"
#include "world/world.h"

void obxGetVersion(int* versionMajor, int* versionMinor)
{
    if (!versionMajor || !versionMinor)
        return;
    *versionMajor = 0;
    *versionMinor = 37;
}

// The start-up picture: an opaque bitmap over the whole virtual screen, shown
// at once. Without "Init.3df" there is none.
static void startupPictureShow(void)
{
    obxSetRenderState(OBX_RENDERSTATE_2D);
    TextureRecord* picture = obxTextureLoad("Init.3df", OBX_TMU0);
    if (picture) {
        const float black[3] = {0.0f, 0.0f, 0.0f};
        Bitmap* bitmap = obxBitmapCreate(picture, OBX_DRAW_OPAQUE, 0.0f, OBX_CHROMAKEY_OFF, black);
        obxBitmapDrawXY(bitmap, 0.0f, 0.0f, 640.0f, 480.0f);
        grBufferSwap(0);
    }
    obxSetRenderState(OBX_RENDERSTATE_3D);
}

int obxInitialize(HWND window, int resolutionIndex)
{
    // 1. The log, and byte accounting from here on.
    logOpen();
    allocationCountReset();
    // 2.-5. A board, Glide itself, the hardware in the log.
    if (!glideBoardCheck())
        return 0;
    glideStart();
    // 6.-8. The mode, double-buffered with a depth buffer; the window; the
    // texture units and screen size.
    if (!displayModeCheck(resolutionIndex) || !glideWindowStart(window))
        return 0;
    displaySizeSet(resolutionIndex);
    // 9.-10. Texture units; texture colour times the iterated vertex colour.
    textureUnitsDefaultSet();
    colourCombineDefault();
    // 11. The table square root.
    sqrtTableInit();
    // 12. Fog table from 0.8 of the far distance to the far distance; fog off.
    if (!fogTableCreate())
        return 0;
    viewDistancesInit();
    fogTableLinear(0.8f * view.farDistance, view.farDistance);
    // 13. The default camera; empty world lists.
    cameraDefaultInit();
    worldObjectsInit();
    lightSourcesInit();
    // 14. Texture memory and its reserve slots.
    textureMemoryInit();
    // 15. Whole-degree sine and cosine tables.
    angleTablesInit();
    // 16. Depth buffer and alpha test.
    depthDefaultSet();
    // 17. No ambient light.
    ambientLightInit();
    // 18. Alpha from the constant colour; blending by source alpha.
    alphaCombineDefault();
    alphaBlendDefault();
    // 19. Black background, no landscape, no current character set, the 2D
    // drawing space.
    backgroundInit();
    landscapeWorldInit();
    characterSetsInit();
    scale2dSet();
    // 20. The draw vertex.
    vertexLayoutSet();
    // 21. The drawing area is the whole screen.
    viewportSetFullScreen(core.screenWidth, core.screenHeight);
    // 22. Depth clear value: the farthest W-buffer value.
    depthClearValueInit();
    // 23. Buffer swaps wait for one vertical retrace; objects draw as fans.
    obxVSyncEnable();
    polygonDrawInit();
    // 24. The view volume.
    viewPlanesBuild();
    // 25. The engine's white texture must load.
    if (!obxTextureLoad("white.3df", OBX_TMU0))
        return 0;
    // 26. Room for the Glide state while the focus is lost.
    if (!glideStateBufferCreate())
        return 0;
    // 27. Fog off; the default camera is active; no emitters.
    fogModeReset();
    cameraDefaultActivate();
    particleEmittersInit();
    smokeEmittersInit();
    // 28. The start-up picture.
    startupPictureShow();
    // 29. The string grid's glyph sheet and defaults; a missing file is no
    // error.
    stringGridInit(obxTextureLoad("DefaultCS.3df", OBX_TMU0));
    // 30. No sky box.
    skyboxInit();
    return 1;
}
