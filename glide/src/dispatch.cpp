// Handing primitives to the rasterizer.
#include "pixel.h"

#include <cstring>

// The span record of pixels drawn on the application's thread.
static Span directSpan;

Span* callerSpan(void)
{
    directSpan.path = &pixelPath;
    return &directSpan;
}

void submitTriangle(const Triangle* t)
{
    triangleDraw(callerSpan(), t, 0, 1);
}

void submitPixels(const Setup* setup, const PixelAt* at, int count)
{
    pixelsDraw(callerSpan(), setup, at, count, 0, 1);
}

void statsRead(GrObxStats* out)
{
    *out = dev.stats;
    out->pixelsWritten = directSpan.pixelsWritten;
}

void statsReset(void)
{
    memset(&dev.stats, 0, sizeof dev.stats);
    directSpan.pixelsWritten = 0;
}
