// Display control: screen size, driver description, vertical sync, frame
// and performance counters, and fog.
#include <stdint.h>

#include "core/core.h"

CoreState core;

void obxResolutionGet(float* width, float* height)
{
    if (!width || !height)
        return;
    *width = core.screenWidth;
    *height = core.screenHeight;
}

void obxDriverGetInfo(DriverInfo* info)
{
    if (!info)
        return;
    info->description = "Ombrix Glide3 Driver version 0.40";
    info->textFileName = "OmbrixG3.txt";
    info->kind = 1;
    info->versionMajor = 0;
    info->versionMinor = 40;
}

void obxVSyncEnable(void)
{
    core.vsyncFlag = 1;
}

void obxVSyncDisable(void)
{
    core.vsyncFlag = 0;
}

void obxStartFrameCount(void)
{
    core.frameCount = 0;
}

uint32_t obxGetFrameCount(void)
{
    return core.frameCount;
}

void obxPerformanceInit(void)
{
    core.performanceCounters.polygonsDrawn = 0;
    core.performanceCounters.framesRendered = 0;
}

PerformanceCounters* obxPerformanceGet(void)
{
    return &core.performanceCounters;
}

void scale2dSet(void)
{
    core.scale2dX = core.screenWidth / 640.0f;
    core.scale2dY = core.screenHeight / 480.0f;
}

void frameCounted(void)
{
    core.frameCount += 1;
    core.performanceCounters.framesRendered += 1;
}

int fogTableCreate(void)
{
    FxI32 fogEntries = 0;
    grGet(GR_FOG_TABLE_ENTRIES, 4, &fogEntries);
    if (fogEntries < 64)
        fogEntries = 64;   // the gu helpers always write a whole 64-entry table
    core.fogTable = (uint8_t*)countedAlloc((size_t)fogEntries);
    return core.fogTable != NULL;
}

void fogTableLinear(float nearW, float farW)
{
    guFogGenerateLinear(core.fogTable, nearW, farW);
    grFogTable(core.fogTable);
}

void fogModeReset(void)
{
    core.fogMode = OBX_FOG_OFF;
}

void fogModeSet(int mode, float nearW, float farW)
{
    if (mode == OBX_FOG_OFF) {
        grFogMode(GR_FOG_DISABLE);
    } else if (mode == OBX_FOG_LINEAR) {
        fogTableLinear(nearW, farW);
        grFogMode(GR_FOG_WITH_TABLE_ON_Q);
    }
    core.fogMode = mode;
}

void obxFogSetColor(const float* rgb)
{
    if (!rgb)
        return;
    // The channels are summed before the one truncation, so a fraction of
    // red or green spills into the byte below it: red 0.5 gives 0x7F8000.
    float red = rgb[0] * 255.0f * 65536.0f;
    float green = rgb[1] * 255.0f * 256.0f;
    float blue = rgb[2] * 255.0f;
    float sum = red + green;
    sum += blue;
    GrColor_t colour = (sum >= 0.0f && sum < 4294967296.0f) ? (GrColor_t)sum : 0;
    grFogColorValue(colour);
}
