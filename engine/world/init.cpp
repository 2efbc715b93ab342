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

// A board, Glide itself with the hardware in the log, the mode
// (double-buffered with a depth buffer), the window, the texture units and
// the screen size.
static int glideOpen(HWND window, int resolutionIndex)
{
    if (!glideBoardCheck())
        return 0;
    glideStart();
    if (!displayModeCheck(resolutionIndex) || !glideWindowStart(window))
        return 0;
    displaySizeSet(resolutionIndex);
    return 1;
}

// The defaults of drawing and of the world, in this order: 0 when the fog
// table has no room.
static int defaultsSet(void)
{
    // Texture units; texture colour times the iterated vertex colour.
    textureUnitsDefaultSet();
    colourCombineDefault();
    sqrtTableInit();
    // Fog table from 0.8 of the far distance to the far distance; fog off.
    if (!fogTableCreate())
        return 0;
    viewDistancesInit();
    fogTableLinear(0.8f * view.farDistance, view.farDistance);
    // The default camera; empty world lists; texture memory with its
    // reserve slots; whole-degree sine and cosine tables.
    cameraDefaultInit();
    worldObjectsInit();
    lightSourcesInit();
    textureMemoryInit();
    angleTablesInit();
    // Depth buffer and alpha test; no ambient light; alpha from the constant
    // colour, blending by source alpha.
    depthDefaultSet();
    ambientLightInit();
    alphaCombineDefault();
    alphaBlendDefault();
    return 1;
}

// Black background, no landscape, no current character set, the 2D drawing
// space; the draw vertex; the whole screen as the drawing area; the farthest
// W-buffer value to clear to; swaps waiting for one vertical retrace; objects
// drawn as fans; the view volume.
static void displayDefaultsSet(void)
{
    backgroundInit();
    landscapeWorldInit();
    characterSetsInit();
    scale2dSet();
    vertexLayoutSet();
    viewportSetFullScreen(core.screenWidth, core.screenHeight);
    depthClearValueInit();
    obxVSyncEnable();
    polygonDrawInit();
    viewPlanesBuild();
}

// What start-up cannot go without: the engine's white texture, and room for
// the Glide state while the focus is lost.
static int requiredResourcesCreate(void)
{
    return obxTextureLoad("white.3df", OBX_TMU0) && glideStateBufferCreate();
}

// Fog off, the default camera active, no emitters; the start-up picture; the
// string grid's glyph sheet and defaults (a missing file is no error); no
// sky box.
static void firstFrameReady(void)
{
    fogModeReset();
    cameraDefaultActivate();
    particleEmittersInit();
    smokeEmittersInit();
    startupPictureShow();
    stringGridInit(obxTextureLoad("DefaultCS.3df", OBX_TMU0));
    skyboxInit();
}

int obxInitialize(HWND window, int resolutionIndex)
{
    // The log, and byte accounting from here on.
    logOpen();
    allocationCountReset();
    if (!glideOpen(window, resolutionIndex) || !defaultsSet())
        return 0;
    displayDefaultsSet();
    if (!requiredResourcesCreate())
        return 0;
    firstFrameReady();
    return 1;
}
