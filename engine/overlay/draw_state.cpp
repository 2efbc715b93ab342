// The Glide state of 2D drawing: the constant colour that carries the
// opacity, and the chroma key, switched on and off only when it changes.
#include "core/core.h"
#include "overlay/overlay.h"

OverlayState overlay;

void chromaKeyDisable(void)
{
    grChromakeyMode(GR_CHROMAKEY_DISABLE);
    overlay.chromaKeyFlag = 0;
}

void overlayOpacitySet(int32_t mode, float opacity)
{
    if (mode == OBX_DRAW_TRANSLUCENT)
        grConstantColorValue(channelByte(opacity) << 24);
    else if (mode == OBX_DRAW_OPAQUE)
        grConstantColorValue(0xFF000000u);
}

void overlayChromaKeySet(int32_t chromaKey, const float* chromaColour)
{
    if (chromaKey == OBX_CHROMAKEY_ON) {
        if (overlay.chromaKeyFlag == 0) {
            grChromakeyMode(GR_CHROMAKEY_ENABLE);
            overlay.chromaKeyFlag = 1;
        }
        grChromakeyValue(colourWord(chromaColour));
    } else if (chromaKey == OBX_CHROMAKEY_OFF && overlay.chromaKeyFlag == 1) {
        chromaKeyDisable();
    }
}
