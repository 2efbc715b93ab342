// Colours as Glide takes them: bytes of a colour word.
#include "core/core.h"

uint32_t channelByte(float value)
{
    // Out-of-range values are held to the byte rather than spilling into
    // the neighbouring bytes of a colour word.
    if (!(value >= 0.0f))
        return 0;
    if (value >= 255.0f)
        return 255;
    return (uint32_t)value;
}

GrColor_t colourWord(const float* rgb)
{
    return (channelByte(rgb[0] * 255.0f) << 16) + (channelByte(rgb[1] * 255.0f) << 8) +
           channelByte(rgb[2] * 255.0f);
}
