// The chroma-key flag of 2D drawing.
#include "overlay/overlay.h"

int32_t chromaKeyFlag;

void chromaKeyFlagReset(void)
{
    chromaKeyFlag = 0;
}
