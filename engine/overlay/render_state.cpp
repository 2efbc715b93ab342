// The bracket around 2D drawing: no fog on text and bitmaps, and afterwards
// no chroma key and the application's fog again.
#include "core/core.h"
#include "overlay/overlay.h"

void obxSetRenderState(int state)
{
    if (state == OBX_RENDERSTATE_2D) {
        if (core.fogMode != OBX_FOG_OFF)
            grFogMode(GR_FOG_DISABLE);
    } else if (state == OBX_RENDERSTATE_3D) {
        chromaKeyDisable();
        if (core.fogMode != OBX_FOG_OFF)
            obxFogSetMode(core.fogMode);
    }
}
