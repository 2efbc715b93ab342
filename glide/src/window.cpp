// The window: opening and closing, its colour and aux buffers, clearing and
// swapping.
#include "pixel.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

struct ResolutionSize {
    int width, height;
};

// By GR_RESOLUTION_* value.
static const ResolutionSize resolutionSizes[] = {
    {320, 200},   {320, 240},   {400, 256},   {512, 384},   {640, 200},   {640, 350},
    {640, 400},   {640, 480},   {800, 600},   {960, 720},   {856, 480},   {512, 256},
    {1024, 768},  {1280, 1024}, {1600, 1200}, {400, 300},   {1152, 864},  {1280, 960},
    {1600, 1024}, {1792, 1344}, {1856, 1392}, {1920, 1440}, {2048, 1536}, {2048, 2048},
};

uint16_t* renderTarget(void)
{
    return gs.renderBuffer == GR_BUFFER_FRONTBUFFER ? frontBuffer() : backBuffer();
}

uint16_t* bufferPointer(GrBuffer_t buffer)
{
    switch (buffer) {
    case GR_BUFFER_FRONTBUFFER: return frontBuffer();
    case GR_BUFFER_BACKBUFFER: return backBuffer();
    case GR_BUFFER_TRIPLEBUFFER:
        return dev.colorBufferCount == 3 ? dev.colorBuffers[(dev.frontIndex + 2) % 3] : nullptr;
    case GR_BUFFER_AUXBUFFER:
    case GR_BUFFER_DEPTHBUFFER:
    case GR_BUFFER_ALPHABUFFER: return dev.auxBuffer;
    default: return nullptr;
    }
}

ClipRect clipRect(void)
{
    int x0 = (int)(gs.clipMinX < (FxU32)dev.width ? gs.clipMinX : (FxU32)dev.width);
    int x1 = (int)(gs.clipMaxX < (FxU32)dev.width ? gs.clipMaxX : (FxU32)dev.width);
    int y0 = (int)(gs.clipMinY < (FxU32)dev.height ? gs.clipMinY : (FxU32)dev.height);
    int y1 = (int)(gs.clipMaxY < (FxU32)dev.height ? gs.clipMaxY : (FxU32)dev.height);
    if (gs.origin == GR_ORIGIN_LOWER_LEFT) {
        int top = dev.height - y1, bottom = dev.height - y0;
        y0 = top;
        y1 = bottom;
    }
    ClipRect r = {x0, y0, x1 > x0 ? x1 : x0, y1 > y0 ? y1 : y0};
    return r;
}

uint32_t colorToArgb(GrColor_t c, GrColorFormat_t format)
{
    uint32_t a, r, g, b;
    switch (format) {
    case GR_COLORFORMAT_ABGR:
        a = c >> 24;
        b = (c >> 16) & 255;
        g = (c >> 8) & 255;
        r = c & 255;
        break;
    case GR_COLORFORMAT_RGBA:
        r = c >> 24;
        g = (c >> 16) & 255;
        b = (c >> 8) & 255;
        a = c & 255;
        break;
    case GR_COLORFORMAT_BGRA:
        b = c >> 24;
        g = (c >> 16) & 255;
        r = (c >> 8) & 255;
        a = c & 255;
        break;
    default: return c;
    }
    return (a << 24) | (r << 16) | (g << 8) | b;
}

static uint64_t steadyNanoseconds(void)
{
    return (uint64_t)std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

static void freeBuffers(void)
{
    for (int i = 0; i < 3; i++) {
        free(dev.colorBuffers[i]);
        dev.colorBuffers[i] = nullptr;
    }
    free(dev.auxBuffer);
    dev.auxBuffer = nullptr;
}

extern "C" {

GrContext_t grSstWinOpen(FxU32 hWnd, GrScreenResolution_t screen_resolution,
                         GrScreenRefresh_t refresh_rate, GrColorFormat_t color_format,
                         GrOriginLocation_t origin_location, int nColBuffers, int nAuxBuffers)
{
    TRACE("grSstWinOpen(%u, %d, %d, %d, %d, %d, %d)", hWnd, screen_resolution, refresh_rate,
          color_format, origin_location, nColBuffers, nAuxBuffers);
    if (!requireInit("grSstWinOpen"))
        return 0;
    if (dev.config.noBoard) {
        reportFatal("grSstWinOpen: no board");
        return 0;
    }
    if (dev.open) {
        reportError("grSstWinOpen: a window is already open");
        return 0;
    }
    if (screen_resolution < 0 ||
        screen_resolution >=
            (GrScreenResolution_t)(sizeof resolutionSizes / sizeof resolutionSizes[0])) {
        reportError("grSstWinOpen: invalid resolution %d", screen_resolution);
        return 0;
    }
    if (color_format < GR_COLORFORMAT_ARGB || color_format > GR_COLORFORMAT_BGRA ||
        (origin_location != GR_ORIGIN_UPPER_LEFT && origin_location != GR_ORIGIN_LOWER_LEFT) ||
        nColBuffers < 2 || nColBuffers > 3 || nAuxBuffers < 0 || nAuxBuffers > 1) {
        reportError("grSstWinOpen: invalid argument");
        return 0;
    }
    (void)refresh_rate;
    int width = resolutionSizes[screen_resolution].width;
    int height = resolutionSizes[screen_resolution].height;
    size_t pixels = (size_t)width * (size_t)height;
    for (int i = 0; i < nColBuffers; i++) {
        dev.colorBuffers[i] = (uint16_t*)calloc(pixels, 2);
        if (!dev.colorBuffers[i]) {
            freeBuffers();
            reportError("grSstWinOpen: out of memory");
            return 0;
        }
    }
    if (nAuxBuffers) {
        dev.auxBuffer = (uint16_t*)calloc(pixels, 2);
        if (!dev.auxBuffer) {
            freeBuffers();
            reportError("grSstWinOpen: out of memory");
            return 0;
        }
    }
    dev.width = width;
    dev.height = height;
    dev.colorFormat = color_format;
    dev.colorBufferCount = nColBuffers;
    dev.auxBufferCount = nAuxBuffers;
    dev.frontIndex = 0;
    dev.lastSwapTicks = 0;
    memset(dev.swapHistory, 0, sizeof dev.swapHistory);
    dev.lastSwapNanos = 0;
    gammaReset();
    dev.stripCount = 0;
    dev.fanCount = 0;
    statsReset();
    if (!presentOpen(hWnd, width, height)) {
        freeBuffers();
        return 0;
    }
    dev.open = true;
    dev.context = dev.nextContext++;
    queueStart(dev.config.threads);
    pixelPath.valid = false;
    stateReset();
    gs.origin = origin_location;
    // Default vertex layout: nothing but the position at offset 0.
    memset(&dev.layout, 0, sizeof dev.layout);
    dev.layout.enabled[VP_XY] = FXTRUE;
    return dev.context;
}

FxBool grSstWinClose(GrContext_t context)
{
    TRACE("grSstWinClose(%lu)", (unsigned long)context);
    if (!dev.open || context != dev.context) {
        reportError("grSstWinClose: not an open context");
        return FXFALSE;
    }
    queueStop();
    pixelPath.valid = false;
    presentClose();
    lfbReleaseLocks();
    freeBuffers();
    dev.open = false;
    dev.width = dev.height = 0;
    return FXTRUE;
}

FxBool grSelectContext(GrContext_t context)
{
    TRACE("grSelectContext(%lu)", (unsigned long)context);
    return dev.open && context == dev.context ? FXTRUE : FXFALSE;
}

void grSetNumPendingBuffers(FxI32 NumPendingBuffers)
{
    TRACE("grSetNumPendingBuffers(%d)", NumPendingBuffers);
}

void grFinish(void)
{
    TRACE("grFinish()");
    queueDrain();
}

void grFlush(void)
{
    TRACE("grFlush()");
}

// Fills the render buffer inside the clip window: colour when RGB writes are
// on, the aux buffer with the depth value when depth writes are on, or with
// the alpha value when it serves as an alpha buffer and alpha writes are on.
void grBufferClear(GrColor_t color, GrAlpha_t alpha, FxU32 depth)
{
    TRACE("grBufferClear(0x%08X, %d, %u)", color, alpha, depth);
    if (!requireWindow("grBufferClear"))
        return;
    ClearJob job = {};
    job.rect = clipRect();
    if (job.rect.x1 <= job.rect.x0 || job.rect.y1 <= job.rect.y0)
        return;
    job.width = dev.width;
    if (gs.colorMaskRgb) {
        job.color = renderTarget();
        job.colorValue = pack565(colorToArgb(color, dev.colorFormat));
    }
    if (dev.auxBuffer) {
        bool clearDepth = gs.depthMask;
        bool clearAlpha =
            !clearDepth && gs.colorMaskAlpha && gs.depthMode == GR_DEPTHBUFFER_DISABLE;
        if (clearDepth || clearAlpha) {
            job.aux = dev.auxBuffer;
            job.auxValue = clearDepth ? (uint16_t)(depth & 0xFFFF) : (uint16_t)alpha;
        }
    }
    if (job.color || job.aux)
        submitClear(&job);
}

}   // extern "C"

void clearRows(const ClearJob* job, int rowBegin, int rowEnd)
{
    const ClipRect& r = job->rect;
    int first = r.y0 > rowBegin ? r.y0 : rowBegin, end = r.y1 < rowEnd ? r.y1 : rowEnd;
    for (int y = first; y < end; y++) {
        if (job->color) {
            uint16_t* row = job->color + (size_t)y * job->width;
            for (int x = r.x0; x < r.x1; x++)
                row[x] = job->colorValue;
        }
        if (job->aux) {
            uint16_t* row = job->aux + (size_t)y * job->width;
            for (int x = r.x0; x < r.x1; x++)
                row[x] = job->auxValue;
        }
    }
}

// Frame dumps are numbered on for as long as one pattern names them, through
// every window and every grGlideInit of the process: a program that opens its
// window twice does not write over its first frames.
static unsigned dumpIndex;
static char dumpPatternInUse[sizeof dev.config.dumpPattern];

static void dumpFrame(const uint16_t* shown)
{
    if (strcmp(dumpPatternInUse, dev.config.dumpPattern) != 0) {
        memcpy(dumpPatternInUse, dev.config.dumpPattern, sizeof dumpPatternInUse);
        dumpIndex = 0;
    }
    char path[512];
    snprintf(path, sizeof path, dev.config.dumpPattern, (int)dumpIndex);
    bool written = dumpFramePng(path, shown, dev.width, dev.height);
    if (!written)
        reportError("grBufferSwap: cannot write %s", path);
    dumpIndex++;
}

// Counts the 60 Hz retraces since the last swap into the swap history.
static void swapHistoryRecord(void)
{
    int64_t now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                      std::chrono::steady_clock::now().time_since_epoch())
                      .count();
    FxI32 retraces = 0;
    if (dev.lastSwapNanos) {
        int64_t elapsed = now / (1000000000 / 60) - dev.lastSwapNanos / (1000000000 / 60);
        retraces = elapsed > 0x7FFFFFFF ? 0x7FFFFFFF : (FxI32)elapsed;
    }
    memmove(dev.swapHistory + 1, dev.swapHistory,
            sizeof dev.swapHistory - sizeof dev.swapHistory[0]);
    dev.swapHistory[0] = retraces;
    dev.lastSwapNanos = now;
}

extern "C" {

// Shows the back buffer: it becomes the front buffer, is presented in the
// window and dumped as PNG when asked. A swap interval n >= 1 paces frames to
// at most 60/n per second when a window shows them.
void grBufferSwap(FxU32 swap_interval)
{
    TRACE("grBufferSwap(%u)", swap_interval);
    if (!requireWindow("grBufferSwap"))
        return;
    queueDrain();
    dev.frontIndex = (dev.frontIndex + 1) % dev.colorBufferCount;
    dev.stats.swaps++;
    markStale();   // the render target moved
    const uint16_t* shown = frontBuffer();
    if (dev.config.dumpPattern[0])
        dumpFrame(shown);
    if (dev.presenter) {
        if (swap_interval > 0) {
            uint64_t frequency = 1000000000u;   // nanoseconds of the steady clock
            uint64_t wanted =
                dev.lastSwapTicks + frequency * (swap_interval > 8 ? 8 : swap_interval) / 60;
            uint64_t now = steadyNanoseconds();
            if (dev.lastSwapTicks && now < wanted)
                std::this_thread::sleep_for(std::chrono::milliseconds((wanted - now) / 1000000u));
        }
        dev.lastSwapTicks = steadyNanoseconds();
        presentFrame(shown, dev.width, dev.height);
    }
    swapHistoryRecord();
}

}   // extern "C"

void frontBufferShowAgain(void)
{
    if (!dev.open || !dev.presenter)
        return;
    queueDrain();
    presentFrame(frontBuffer(), dev.width, dev.height);
}
