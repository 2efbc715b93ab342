// Start-up: from nothing to an open Glide window with every Glide default,
// every engine default and the engine's own textures in place.
#include <string.h>

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

HWND appWindow;
GrContext_t glideContext;
GrScreenResolution_t glideResolution;
int32_t tmuCount;
uint32_t depthClearValue;

void obxGetVersion(int* versionMajor, int* versionMinor)
{
    if (!versionMajor || !versionMinor)
        return;
    *versionMajor = 0;
    *versionMinor = 37;
}

GrContext_t glideWindowOpen(void)
{
    // Glide takes the window as 32 bits: the application passes a window id.
    return grSstWinOpen((FxU32)(uintptr_t)appWindow, glideResolution, GR_REFRESH_60Hz,
                        GR_COLORFORMAT_ARGB, GR_ORIGIN_LOWER_LEFT, 2, 1);
}

void vertexLayoutSet(void)
{
    // x, y at 0, w at 8, q at 16, r, g, b at 20, s0, t0 at 32, s1, t1 at 40;
    // the float at 12 is not given to Glide, and there is no alpha.
    grCoordinateSpace(GR_WINDOW_COORDS);
    grVertexLayout(GR_PARAM_XY, 0, GR_PARAM_ENABLE);
    grVertexLayout(GR_PARAM_W, 8, GR_PARAM_ENABLE);
    grVertexLayout(GR_PARAM_Q, 16, GR_PARAM_ENABLE);
    grVertexLayout(GR_PARAM_RGB, 20, GR_PARAM_ENABLE);
    grVertexLayout(GR_PARAM_ST0, 32, GR_PARAM_ENABLE);
    grVertexLayout(GR_PARAM_ST1, 40, GR_PARAM_ENABLE);
}

// The Glide resolution and screen size for a resolution index; 640 x 480 for
// any index outside 0..4.
static void resolutionChoose(int resolutionIndex, float* width, float* height)
{
    static const struct {
        GrScreenResolution_t glide;
        float width, height;
    } modes[] = {
        {GR_RESOLUTION_640x480, 640.0f, 480.0f},
        {GR_RESOLUTION_800x600, 800.0f, 600.0f},
        {GR_RESOLUTION_1024x768, 1024.0f, 768.0f},
        {GR_RESOLUTION_1280x1024, 1280.0f, 1024.0f},
        {GR_RESOLUTION_1600x1200, 1600.0f, 1200.0f},
    };
    int i = (resolutionIndex >= 0 && resolutionIndex <= 4) ? resolutionIndex : 0;
    glideResolution = modes[i].glide;
    *width = modes[i].width;
    *height = modes[i].height;
}

// Bilinear filtering, nearest dithered mipmaps and clamped coordinates.
static void textureUnitSetup(GrChipID_t tmu)
{
    grTexFilterMode(tmu, GR_TEXTUREFILTER_BILINEAR, GR_TEXTUREFILTER_BILINEAR);
    grTexMipMapMode(tmu, GR_MIPMAP_NEAREST_DITHER, FXFALSE);
    grTexClampMode(tmu, GR_TEXTURECLAMP_CLAMP, GR_TEXTURECLAMP_CLAMP);
}

int obxInitialize(HWND window, int resolutionIndex)
{
    // 1. The log, and byte accounting from here on.
    logOpen();
    bytesAllocated = 0;

    // 2. A board to draw on.
    FxI32 boards = 0;
    grGet(GR_NUM_BOARDS, 4, &boards);
    if (boards == 0) {
        logWrite("No glide3 compatible hardware found!\n\n");
        return 0;
    }

    // 3.-5. Glide itself.
    grGlideInit();
    fpuSetup();
    logWrite("Glide version:\n");
    logWrite(grGetString(GR_VERSION));
    logWrite("\n\n");
    logWrite("3dfx Hardware detected:\n");
    logWrite(grGetString(GR_HARDWARE));
    logWrite("\n\n");
    grSstSelect(0);

    // 6. The board must offer the mode, double-buffered with a depth buffer.
    float width, height;
    resolutionChoose(resolutionIndex, &width, &height);
    GrResolution query;
    query.resolution = glideResolution;
    query.refresh = GR_REFRESH_60Hz;
    query.numColorBuffers = 2;
    query.numAuxBuffers = 1;
    FxI32 answerSize = grQueryResolutions(&query, NULL);
    if (answerSize <= 0)
        return 0;
    GrResolution* answer = (GrResolution*)countedAlloc((size_t)answerSize);
    if (!answer || grQueryResolutions(&query, answer) == 0)
        return 0;

    // 7. The window.
    appWindow = window;
    glideContext = glideWindowOpen();
    if (glideContext == 0)
        return 0;

    // 8. Texture units and screen size.
    tmuCount = 0;
    grGet(GR_NUM_TMU, 4, (FxI32*)&tmuCount); // FxI32 is long on Windows, also 32 bits
    screenWidth = width;
    screenHeight = height;

    // 9. Texture units: unit 1's combine mode stays at Glide's default.
    grTexFilterMode(GR_TMU0, GR_TEXTUREFILTER_BILINEAR, GR_TEXTUREFILTER_BILINEAR);
    grTexCombine(GR_TMU0, GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_ZERO,
                 GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_ZERO, FXFALSE, FXFALSE);
    grEnable(GR_ALLOW_MIPMAP_DITHER);
    grTexMipMapMode(GR_TMU0, GR_MIPMAP_NEAREST_DITHER, FXFALSE);
    grTexClampMode(GR_TMU0, GR_TEXTURECLAMP_CLAMP, GR_TEXTURECLAMP_CLAMP);
    if (tmuCount > 1)
        textureUnitSetup(GR_TMU1);

    // 10. Texture colour times the iterated vertex colour.
    grColorCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL,
                   GR_COMBINE_LOCAL_ITERATED, GR_COMBINE_OTHER_TEXTURE, FXFALSE);

    // 11. The table square root.
    sqrtTableInit();

    // 12. Fog table from 0.8 of the far distance to the far distance; fog off.
    FxI32 fogEntries = 0;
    grGet(GR_FOG_TABLE_ENTRIES, 4, &fogEntries);
    if (fogEntries < 64)
        fogEntries = 64;   // the gu helpers always write a whole 64-entry table
    fogTable = (uint8_t*)countedAlloc((size_t)fogEntries);
    if (!fogTable)
        return 0;
    nearDistance = 2.0f;
    farDistance = 3000.0f;
    guFogGenerateLinear(fogTable, 0.8f * farDistance, farDistance);
    grFogTable(fogTable);

    // 13. The default camera; empty world lists.
    cameraDefaultInit();
    worldObjectsInit();
    lightSourcesInit();

    // 14. Texture memory and its reserve slots.
    textureMemoryInit();

    // 15. Whole-degree sine and cosine tables.
    angleTablesInit();

    // 16. Depth buffer and alpha test.
    grDepthBufferMode(GR_DEPTHBUFFER_WBUFFER);
    grDepthMask(FXTRUE);
    grDepthBufferFunction(GR_CMP_LEQUAL);
    grAlphaTestFunction(GR_CMP_ALWAYS);
    grAlphaTestReferenceValue(1);

    // 17. No ambient light.
    ambientLightInit();

    // 18. Alpha from the constant colour; blending by source alpha.
    grAlphaCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_ONE,
                   GR_COMBINE_LOCAL_CONSTANT, GR_COMBINE_OTHER_CONSTANT, FXFALSE);
    grAlphaBlendFunction(GR_BLEND_SRC_ALPHA, GR_BLEND_ONE_MINUS_SRC_ALPHA, GR_BLEND_ZERO,
                         GR_BLEND_ZERO);

    // 19. Black background.
    backgroundInit();
    landscapeWorldInit();
    // No current character set, the default drawing parameters, chroma key
    // flag off.
    characterSetsInit();
    scale2dX = width / 640.0f;
    scale2dY = height / 480.0f;

    // 20. The draw vertex.
    vertexLayoutSet();

    // 21. The drawing area is the whole screen.
    viewportSetFullScreen(width, height);

    // 22. Depth clear value: the farthest W-buffer value.
    FxI32 depthRange[2] = {0, 0};
    grGet(GR_WDEPTH_MIN_MAX, sizeof depthRange, depthRange);
    depthClearValue = (uint32_t)depthRange[1];

    // 23. Buffer swaps wait for one vertical retrace.
    vsyncFlag = 1;
    polygonDrawInit();

    // 24. The view volume.
    viewPlanesBuild();

    // 25. The engine's white texture must load.
    if (!obxTextureLoad("white.3df", 0))
        return 0;

    // 26. Room for the Glide state while the focus is lost.
    FxI32 stateSize = 0;
    grGet(GR_GLIDE_STATE_SIZE, 4, &stateSize);
    glideState = (uint8_t*)countedAlloc(stateSize > 0 ? (size_t)stateSize : 1);
    if (!glideState)
        return 0;
    focusLost = 0;

    // 27. Fog off; the default camera is active.
    fogMode = 0;
    activeCamera = &defaultCamera;
    particleEmittersInit();
    smokeEmittersInit();

    // 28. The start-up picture, an opaque bitmap over the whole virtual
    // screen, shown at once; without "Init.3df" there is none.
    obxSetRenderState(0);
    TextureRecord* picture = obxTextureLoad("Init.3df", 0);
    if (picture) {
        const float black[3] = {0.0f, 0.0f, 0.0f};
        Bitmap* bitmap = obxBitmapCreate(picture, 0, 0.0f, 0, black);
        obxBitmapDrawXY(bitmap, 0.0f, 0.0f, 640.0f, 480.0f);
        grBufferSwap(0);
    }
    obxSetRenderState(1);

    // 29. The string grid's glyph sheet and defaults; a missing file is no
    // error.
    stringGridInit(obxTextureLoad("DefaultCS.3df", 0));

    // 30. No sky box.
    skyboxInit();
    return 1;
}
