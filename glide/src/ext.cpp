// grGetProcAddress and the device's own extensions (obx_glide_ext.h), plus
// the calls of glide.h that have nothing to do on this device.
#include "device.h"

#include <cstring>

namespace {

void obxTraceEnable(FxBool enable)
{
    if (enable)
        traceClear();
    traceEnabled = enable != FXFALSE;
}

const char* obxTraceText(void)
{
    return traceText();
}

void obxTraceClear(void)
{
    traceClear();
}

FxBool obxFrameGrab(GrBuffer_t buffer, FxU16* colour, FxU16* depth)
{
    if (!dev.open)
        return FXFALSE;
    const uint16_t* source = nullptr;
    if (buffer == GR_BUFFER_FRONTBUFFER)
        source = frontBuffer();
    else if (buffer == GR_BUFFER_BACKBUFFER)
        source = backBuffer();
    if (!source)
        return FXFALSE;
    queueDrain();
    size_t pixels = (size_t)dev.width * (size_t)dev.height;
    if (colour)
        memcpy(colour, source, pixels * 2);
    if (depth) {
        if (dev.auxBuffer)
            memcpy(depth, dev.auxBuffer, pixels * 2);
        else
            memset(depth, 0, pixels * 2);
    }
    return FXTRUE;
}

void obxScreenSize(FxU32* width, FxU32* height)
{
    if (width)
        *width = dev.open ? (FxU32)dev.width : 0;
    if (height)
        *height = dev.open ? (FxU32)dev.height : 0;
}

void obxStats(GrObxStats* stats)
{
    if (stats)
        statsRead(stats);
}

void obxStatsReset(void)
{
    statsReset();
}

struct Extension {
    const char* name;
    GrProc proc;
};

const Extension extensions[] = {
    {"grObxTraceEnable", (GrProc)(void (*)(void))obxTraceEnable},
    {"grObxTraceText", (GrProc)(void (*)(void))obxTraceText},
    {"grObxTraceClear", (GrProc)(void (*)(void))obxTraceClear},
    {"grObxFrameGrab", (GrProc)(void (*)(void))obxFrameGrab},
    {"grObxScreenSize", (GrProc)(void (*)(void))obxScreenSize},
    {"grObxStats", (GrProc)(void (*)(void))obxStats},
    {"grObxStatsReset", (GrProc)(void (*)(void))obxStatsReset},
    // The Voodoo2's own extensions.
    {"grChromaRangeModeExt", (GrProc)(void (*)(void))chromaRangeModeExt},
    {"grChromaRangeExt", (GrProc)(void (*)(void))chromaRangeExt},
    {"grTexChromaModeExt", (GrProc)(void (*)(void))texChromaModeExt},
    {"grTexChromaRangeExt", (GrProc)(void (*)(void))texChromaRangeExt},
};

}   // namespace

extern "C" {

GrProc grGetProcAddress(char* procName)
{
    // Looking up the device's own extensions is plumbing of the tests that
    // read the trace, not a call worth recording.
    if (!procName || strncmp(procName, "grObx", 5) != 0)
        TRACE("grGetProcAddress(\"%s\")", traceStr(procName));
    if (!procName)
        return nullptr;
    for (const Extension& e : extensions)
        if (strcmp(e.name, procName) == 0)
            return e.proc;
    return nullptr;
}

// The board's logo is 3dfx's to show: the splash and the shameless plug
// (grEnable(GR_SHAMELESS_PLUG)) draw nothing.
void grSplash(float x, float y, float width, float height, FxU32 frame)
{
    TRACE("grSplash(%g, %g, %g, %g, %u)", (double)x, (double)y, (double)width, (double)height,
          frame);
}

// Not declared in glide.h, but exported by the real library.
void FX_CALL grGlideGetVersion(char version[80])
{
    TRACE("grGlideGetVersion(ptr)");
    if (version)
        strcpy(version, "Glide Version 3.10.00.0000");
}

}   // extern "C"
