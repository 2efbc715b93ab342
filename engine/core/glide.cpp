// Glide itself: the board, the window and its focus, and the Glide state the
// engine starts from, which every pass that changes it restores.
#include <string.h>

#include "core/core.h"

// The Glide resolution and screen size for a resolution index; 640 x 480 for
// any index outside 0..4.
static void resolutionChoose(int resolutionIndex, GrScreenResolution_t* resolution, float* width,
                             float* height)
{
    static const struct {
        GrScreenResolution_t glide;
        float width, height;
    } modes[] = {
        {GR_RESOLUTION_640x480, 640.0f, 480.0f},     {GR_RESOLUTION_800x600, 800.0f, 600.0f},
        {GR_RESOLUTION_1024x768, 1024.0f, 768.0f},   {GR_RESOLUTION_1280x1024, 1280.0f, 1024.0f},
        {GR_RESOLUTION_1600x1200, 1600.0f, 1200.0f},
    };
    int i = (resolutionIndex >= 0 && resolutionIndex <= 4) ? resolutionIndex : 0;
    *resolution = modes[i].glide;
    *width = modes[i].width;
    *height = modes[i].height;
}

int glideBoardCheck(void)
{
    FxI32 boards = 0;
    grGet(GR_NUM_BOARDS, 4, &boards);
    if (boards == 0) {
        logWrite("No glide3 compatible hardware found!\n\n");
        return 0;
    }
    return 1;
}

void glideStart(void)
{
    grGlideInit();
    fpuSetup();
    logWrite("Glide version:\n");
    logWrite(grGetString(GR_VERSION));
    logWrite("\n\n");
    logWrite("3dfx Hardware detected:\n");
    logWrite(grGetString(GR_HARDWARE));
    logWrite("\n\n");
    grSstSelect(0);
}

int displayModeCheck(int resolutionIndex)
{
    float width, height;
    resolutionChoose(resolutionIndex, &core.glideResolution, &width, &height);
    GrResolution query;
    query.resolution = core.glideResolution;
    query.refresh = GR_REFRESH_60Hz;
    query.numColorBuffers = 2;
    query.numAuxBuffers = 1;
    FxI32 answerSize = grQueryResolutions(&query, NULL);
    if (answerSize <= 0)
        return 0;
    GrResolution* answer = (GrResolution*)countedAlloc((size_t)answerSize);
    return answer && grQueryResolutions(&query, answer) != 0;
}

GrContext_t glideWindowOpen(void)
{
    // Glide takes the window as 32 bits: the application passes a window id.
    return grSstWinOpen((FxU32)(uintptr_t)core.appWindow, core.glideResolution, GR_REFRESH_60Hz,
                        GR_COLORFORMAT_ARGB, GR_ORIGIN_LOWER_LEFT, 2, 1);
}

int glideWindowStart(HWND window)
{
    core.appWindow = window;
    core.glideContext = glideWindowOpen();
    return core.glideContext != 0;
}

void displaySizeSet(int resolutionIndex)
{
    core.tmuCount = 0;
    grGet(GR_NUM_TMU, 4, (FxI32*)&core.tmuCount);   // FxI32 is long on Windows, also 32 bits
    GrScreenResolution_t resolution;
    resolutionChoose(resolutionIndex, &resolution, &core.screenWidth, &core.screenHeight);
}

// Bilinear filtering, nearest dithered mipmaps and clamped coordinates.
static void textureUnitSetup(GrChipID_t tmu)
{
    grTexFilterMode(tmu, GR_TEXTUREFILTER_BILINEAR, GR_TEXTUREFILTER_BILINEAR);
    grTexMipMapMode(tmu, GR_MIPMAP_NEAREST_DITHER, FXFALSE);
    grTexClampMode(tmu, GR_TEXTURECLAMP_CLAMP, GR_TEXTURECLAMP_CLAMP);
}

void textureUnitsDefaultSet(void)
{
    // Unit 1's combine mode stays at Glide's default.
    grTexFilterMode(GR_TMU0, GR_TEXTUREFILTER_BILINEAR, GR_TEXTUREFILTER_BILINEAR);
    grTexCombine(GR_TMU0, GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_ZERO,
                 GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_ZERO, FXFALSE, FXFALSE);
    grEnable(GR_ALLOW_MIPMAP_DITHER);
    grTexMipMapMode(GR_TMU0, GR_MIPMAP_NEAREST_DITHER, FXFALSE);
    grTexClampMode(GR_TMU0, GR_TEXTURECLAMP_CLAMP, GR_TEXTURECLAMP_CLAMP);
    if (core.tmuCount > 1)
        textureUnitSetup(GR_TMU1);
}

void depthDefaultSet(void)
{
    grDepthBufferMode(GR_DEPTHBUFFER_WBUFFER);
    grDepthMask(FXTRUE);
    grDepthBufferFunction(GR_CMP_LEQUAL);
    grAlphaTestFunction(GR_CMP_ALWAYS);
    grAlphaTestReferenceValue(1);
}

void objectVertexLayoutSet(void)
{
    // x, y at 0, w at 8, q at 16, r, g, b at 20, s0, t0 at 32, s1, t1 at 40;
    // the float at 12 is not given to Glide, and there is no alpha.
    grVertexLayout(GR_PARAM_XY, 0, GR_PARAM_ENABLE);
    grVertexLayout(GR_PARAM_W, 8, GR_PARAM_ENABLE);
    grVertexLayout(GR_PARAM_Q, 16, GR_PARAM_ENABLE);
    grVertexLayout(GR_PARAM_RGB, 20, GR_PARAM_ENABLE);
    grVertexLayout(GR_PARAM_ST0, 32, GR_PARAM_ENABLE);
    grVertexLayout(GR_PARAM_ST1, 40, GR_PARAM_ENABLE);
}

void vertexLayoutSet(void)
{
    grCoordinateSpace(GR_WINDOW_COORDS);
    objectVertexLayoutSet();
}

void colourCombineDefault(void)
{
    grColorCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL,
                   GR_COMBINE_LOCAL_ITERATED, GR_COMBINE_OTHER_TEXTURE, FXFALSE);
}

void alphaCombineDefault(void)
{
    grAlphaCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_ONE,
                   GR_COMBINE_LOCAL_CONSTANT, GR_COMBINE_OTHER_CONSTANT, FXFALSE);
}

void alphaBlendDefault(void)
{
    grAlphaBlendFunction(GR_BLEND_SRC_ALPHA, GR_BLEND_ONE_MINUS_SRC_ALPHA, GR_BLEND_ZERO,
                         GR_BLEND_ZERO);
}

void depthClearValueInit(void)
{
    FxI32 depthRange[2] = {0, 0};
    grGet(GR_WDEPTH_MIN_MAX, sizeof depthRange, depthRange);
    core.depthClearValue = (uint32_t)depthRange[1];
}

int glideStateBufferCreate(void)
{
    FxI32 stateSize = 0;
    grGet(GR_GLIDE_STATE_SIZE, 4, &stateSize);
    core.glideState = (uint8_t*)countedAlloc(stateSize > 0 ? (size_t)stateSize : 1);
    if (!core.glideState)
        return 0;
    core.focusLost = 0;
    return 1;
}

void glideWindowSave(void)
{
    if (core.focusLost != 0)
        return;
    grGlideGetState(core.glideState);
    core.focusLost = 1;
    grSstWinClose(core.glideContext);
    core.glideContext = 0;
}

int glideWindowRestore(void)
{
    if (core.focusLost != 1)
        return 0;
    grGlideInit();
    core.glideContext = glideWindowOpen();
    // Without a window there is nothing to restore into; a later call tries again.
    if (core.glideContext == 0)
        return 0;
    grGlideSetState(core.glideState);
    // The vertex layout is not part of the saved state: declare it again.
    vertexLayoutSet();
    fpuSetup();
    core.focusLost = 0;
    return 1;
}

void glideShutdown(void)
{
    if (core.glideContext != 0)
        grSstWinClose(core.glideContext);
    core.glideContext = 0;
    core.focusLost = 0;
    grGlideShutdown();
}
