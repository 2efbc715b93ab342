// Floating-point set-up and the snapping of screen coordinates to 1/16 pixel.
#include "core/core.h"

float snapConstant;

void fpuSetup(void)
{
    // On x86-64 float arithmetic is SSE and already rounds every operation to
    // single precision, so only the snap constant is left to set.
    snapConstant = 786432.0f;
}

void snapToSubpixel(float* value)
{
    // Each step rounds to a float (SSE arithmetic, no fused or fast maths),
    // leaving the value on the nearest multiple of 1/16.
    float sum = *value + snapConstant;
    *value = sum - snapConstant;
}
