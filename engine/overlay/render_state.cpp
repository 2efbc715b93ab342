// The bracket around 2D drawing: no fog on text and bitmaps, and afterwards
// no chroma key and the application's fog again.
#include "core/core.h"
#include "overlay/overlay.h"

void obxSetRenderState(int state)
{
    if (state == 0) {
        if (core.fogMode != 0)
            grFogMode(GR_FOG_DISABLE);
    } else if (state == 1) {
        chromaKeyDisable();
        if (core.fogMode != 0)
            obxFogSetMode(core.fogMode);
    }
}
