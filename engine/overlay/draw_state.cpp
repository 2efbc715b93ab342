// The Glide state of 2D drawing: the constant colour that carries the
// opacity, and the chroma key, switched on and off only when it changes.
#include "core/core.h"
#include "overlay/overlay.h"
#include "render/render.h"

int32_t chromaKeyFlag;

void chromaKeyFlagReset(void)
{
    chromaKeyFlag = 0;
}

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

void overlayOpacitySet(int32_t mode, float opacity)
{
    if (mode == 1)
        grConstantColorValue(channelByte(opacity) << 24);
    else if (mode == 0)
        grConstantColorValue(0xFF000000u);
}

void overlayChromaKeySet(int32_t chromaKey, const float* chromaColour)
{
    if (chromaKey == 1) {
        if (chromaKeyFlag == 0) {
            grChromakeyMode(GR_CHROMAKEY_ENABLE);
            chromaKeyFlag = 1;
        }
        grChromakeyValue(colourWord(chromaColour));
    } else if (chromaKey == 0 && chromaKeyFlag == 1) {
        grChromakeyMode(GR_CHROMAKEY_DISABLE);
        chromaKeyFlag = 0;
    }
}
