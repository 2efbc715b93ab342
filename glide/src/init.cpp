// Start-up, shutdown, board selection, queries and error reporting.
#include "pixel.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

GlideState gs;
Device dev;

static int selectedBoard = 0;

static void deliverError(bool fatal, const char* format, va_list args)
{
    char message[512];
    vsnprintf(message, sizeof message, format, args);
    if (dev.errorCallback)
        dev.errorCallback(message, fatal ? FXTRUE : FXFALSE);
    else
        fprintf(stderr, "glide error: %s\n", message);
}

void reportError(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    deliverError(false, format, args);
    va_end(args);
}

void reportFatal(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    deliverError(true, format, args);
    va_end(args);
}

bool requireInit(const char* call)
{
    if (dev.initialised)
        return true;
    reportError("%s: grGlideInit has not been called", call);
    return false;
}

bool requireWindow(const char* call)
{
    if (dev.open)
        return true;
    reportError("%s: no window is open", call);
    return false;
}

// Boards present: one unless the machine is told to have none. Read from the
// environment when asked before grGlideInit, as the engine does.
static int boardCount(void)
{
    if (dev.initialised)
        return dev.config.noBoard ? 0 : 1;
    Config config;
    configRead(&config);
    return config.noBoard ? 0 : 1;
}

static int tmuCount(void)
{
    if (dev.initialised)
        return dev.config.noBoard ? 0 : dev.config.numTmu;
    Config config;
    configRead(&config);
    return config.noBoard ? 0 : config.numTmu;
}

static uint32_t texMemSizeNow(void)
{
    if (dev.initialised)
        return dev.texMemSize;
    Config config;
    configRead(&config);
    return config.texMemSize;
}

extern "C" {

void grErrorSetCallback(GrErrorCallbackFnc_t fnc)
{
    TRACE("grErrorSetCallback(ptr)");
    dev.errorCallback = fnc;
}

void grGlideInit(void)
{
    TRACE("grGlideInit()");
    if (dev.initialised)
        return;
    configRead(&dev.config);
    dev.texMemSize = dev.config.texMemSize;
    for (int t = 0; t < MAX_TMU; t++) {
        dev.texMem[t] = (uint8_t*)calloc(dev.texMemSize, 1);
        if (!dev.texMem[t]) {
            for (int u = 0; u < t; u++) {
                free(dev.texMem[u]);
                dev.texMem[u] = nullptr;
            }
            reportFatal("grGlideInit: no memory for %u bytes of texture memory", dev.texMemSize);
            return;
        }
    }
    memset(dev.palette, 0, sizeof dev.palette);
    memset(dev.ncc, 0, sizeof dev.ncc);
    dev.initialised = true;
    dev.nextContext = 1;
    selectedBoard = 0;
    stateReset();
    if (dev.config.noBoard)
        reportFatal("grSstSelect:  non-existent SST");
}

void grGlideShutdown(void)
{
    TRACE("grGlideShutdown()");
    if (!dev.initialised)
        return;
    if (dev.open)
        grSstWinClose(dev.context);
    texCacheClear();
    for (int t = 0; t < MAX_TMU; t++) {
        free(dev.texMem[t]);
        dev.texMem[t] = nullptr;
    }
    dev.initialised = false;
}

void grSstSelect(int which_sst)
{
    TRACE("grSstSelect(%d)", which_sst);
    if (!requireInit("grSstSelect"))
        return;
    if (which_sst < 0 || which_sst >= boardCount()) {
        reportFatal("grSstSelect:  non-existent SST");
        return;
    }
    selectedBoard = which_sst;
}

// Answers the integer queries. Exactly plength bytes must be asked for:
// anything else writes nothing and returns 0, as the real library does.
FxU32 grGet(FxU32 pname, FxU32 plength, FxI32* params)
{
    TRACE("grGet(%u, %u, ptr)", pname, plength);
    FxI32 v[8] = {0, 0, 0, 0, 0, 0, 0, 0};
    int n = 1;
    GrObxStats stats = {};
    PixelCounts pixels = {};
    if (pname >= GR_STATS_LINES && pname <= GR_STATS_TRIANGLES_OUT) {
        statsRead(&stats);
        pixelCountsRead(&pixels);
    }
    switch (pname) {
    case GR_BITS_DEPTH: v[0] = 16; break;
    case GR_BITS_RGBA:
        n = 4;
        v[0] = 5;
        v[1] = 6;
        v[2] = 5;
        v[3] = 0;
        break;
    case GR_FIFO_FULLNESS: n = 2; break;
    case GR_FOG_TABLE_ENTRIES: v[0] = FOG_TABLE_SIZE; break;
    case GR_GAMMA_TABLE_ENTRIES: v[0] = 256; break;
    case GR_GLIDE_STATE_SIZE: v[0] = (FxI32)sizeof(GlideState); break;
    case GR_GLIDE_VERTEXLAYOUT_SIZE: v[0] = (FxI32)sizeof(VertexLayout); break;
    case GR_IS_BUSY: v[0] = 0; break;
    case GR_LFB_PIXEL_PIPE: v[0] = 1; break;
    case GR_MAX_TEXTURE_SIZE: v[0] = 256; break;
    case GR_MAX_TEXTURE_ASPECT_RATIO: v[0] = 3; break;
    case GR_MEMORY_FB: v[0] = 4 * 1024 * 1024; break;
    case GR_MEMORY_TMU: v[0] = boardCount() ? (FxI32)texMemSizeNow() : 0; break;
    case GR_MEMORY_UMA: v[0] = 0; break;
    case GR_NUM_BOARDS: v[0] = boardCount(); break;
    case GR_NON_POWER_OF_TWO_TEXTURES: v[0] = 0; break;
    case GR_NUM_FB: v[0] = boardCount() ? 1 : 0; break;
    case GR_NUM_SWAP_HISTORY_BUFFER: v[0] = 8; break;
    case GR_NUM_TMU: v[0] = tmuCount(); break;
    case GR_PENDING_BUFFERSWAPS: v[0] = 0; break;
    case GR_REVISION_FB: v[0] = 1; break;
    case GR_REVISION_TMU: v[0] = 1; break;
    // The board's counters, 32 bits wide.
    case GR_STATS_LINES: v[0] = (FxI32)(uint32_t)dev.linesDrawn; break;
    case GR_STATS_PIXELS_AFUNC_FAIL: v[0] = (FxI32)(uint32_t)pixels.alphaFailed; break;
    case GR_STATS_PIXELS_CHROMA_FAIL: v[0] = (FxI32)(uint32_t)pixels.chromaFailed; break;
    case GR_STATS_PIXELS_DEPTHFUNC_FAIL: v[0] = (FxI32)(uint32_t)pixels.depthFailed; break;
    case GR_STATS_PIXELS_IN: v[0] = (FxI32)(uint32_t)pixels.in; break;
    case GR_STATS_PIXELS_OUT: v[0] = (FxI32)(uint32_t)stats.pixelsWritten; break;
    case GR_STATS_POINTS: v[0] = (FxI32)(uint32_t)dev.pointsDrawn; break;
    case GR_STATS_TRIANGLES_IN: v[0] = (FxI32)(uint32_t)dev.trianglesIn; break;
    case GR_STATS_TRIANGLES_OUT: v[0] = (FxI32)(uint32_t)stats.trianglesDrawn; break;
    case GR_SUPPORTS_PASSTHRU: v[0] = 0; break;
    case GR_SWAP_HISTORY:   // retraces between the last eight swaps, newest first
        n = 8;
        if (dev.open)
            memcpy(v, dev.swapHistory, sizeof v);
        break;
    case GR_TEXTURE_ALIGN: v[0] = 16; break;
    case GR_VIDEO_POSITION: n = 2; break;
    case GR_VIEWPORT:
        n = 4;
        if (dev.open) {
            v[0] = gs.viewportX;
            v[1] = gs.viewportY;
            v[2] = gs.viewportWidth;
            v[3] = gs.viewportHeight;
        }
        break;
    case GR_WDEPTH_MIN_MAX:
        n = 2;
        v[0] = 0;
        v[1] = 0xFFFF;
        break;
    case GR_ZDEPTH_MIN_MAX:
        n = 2;
        v[0] = 0xFFFF;
        v[1] = 0;
        break;
    case GR_BITS_GAMMA: v[0] = 8; break;
    default: reportError("grGet: unknown pname %u", pname); return 0;
    }
    if (plength != (FxU32)(n * 4) || !params)
        return 0;
    memcpy(params, v, (size_t)n * 4);
    return plength;
}

const char* grGetString(FxU32 pname)
{
    TRACE("grGetString(%u)", pname);
    switch (pname) {
    case GR_EXTENSION: return " CHROMARANGE TEXCHROMA TEXMIRROR FOGCOORD PALETTE6666 ";
    case GR_HARDWARE: return "Voodoo2 (Ombrix software)";
    case GR_RENDERER: return "Glide";
    case GR_VENDOR: return "3dfx Interactive";
    case GR_VERSION: return "3.10.00.0000";
    default: reportError("grGetString: unknown pname %u", pname); return nullptr;
    }
}

// The modes offered: every common resolution, 60, 75 and 85 Hz, double or
// triple buffered, with or without the aux buffer.
FxI32 grQueryResolutions(const GrResolution* resTemplate, GrResolution* output)
{
    TRACE("grQueryResolutions(ptr, ptr)");
    static const GrScreenResolution_t resolutions[] = {
        GR_RESOLUTION_320x240,   GR_RESOLUTION_400x300,   GR_RESOLUTION_512x384,
        GR_RESOLUTION_640x480,   GR_RESOLUTION_800x600,   GR_RESOLUTION_1024x768,
        GR_RESOLUTION_1280x1024, GR_RESOLUTION_1600x1200,
    };
    static const GrScreenRefresh_t refreshes[] = {GR_REFRESH_60Hz, GR_REFRESH_75Hz,
                                                  GR_REFRESH_85Hz};
    if (!resTemplate) {
        reportError("grQueryResolutions: null template");
        return 0;
    }
    if (boardCount() == 0)
        return 0;
    const FxI32 any = (FxI32)GR_QUERY_ANY;
    FxI32 count = 0;
    for (GrScreenResolution_t res : resolutions)
        for (GrScreenRefresh_t refresh : refreshes)
            for (int colour = 2; colour <= 3; colour++)
                for (int aux = 0; aux <= 1; aux++) {
                    if (resTemplate->resolution != any && resTemplate->resolution != res)
                        continue;
                    if (resTemplate->refresh != any && resTemplate->refresh != refresh)
                        continue;
                    if (resTemplate->numColorBuffers != any &&
                        resTemplate->numColorBuffers != colour)
                        continue;
                    if (resTemplate->numAuxBuffers != any && resTemplate->numAuxBuffers != aux)
                        continue;
                    if (output) {
                        output[count].resolution = res;
                        output[count].refresh = refresh;
                        output[count].numColorBuffers = colour;
                        output[count].numAuxBuffers = aux;
                    }
                    count++;
                }
    return count * (FxI32)sizeof(GrResolution);
}

FxBool grReset(FxU32 what)
{
    TRACE("grReset(%u)", what);
    switch (what) {
    case GR_STATS_PIXELS: pixelCountsReset(); return FXTRUE;
    case GR_STATS_POINTS: dev.pointsDrawn = 0; return FXTRUE;
    case GR_STATS_LINES: dev.linesDrawn = 0; return FXTRUE;
    case GR_STATS_TRIANGLES:
        dev.trianglesIn = 0;
        dev.stats.trianglesDrawn = 0;
        return FXTRUE;
    default: return FXFALSE;
    }
}

}   // extern "C"
