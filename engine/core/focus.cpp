// Giving the screen up and taking it back, and shutting down.
#include "core/core.h"
#include "texture/texture.h"

int32_t focusLost;
uint8_t* glideState;

void obxLooseFocus(void)
{
    if (focusLost != 0)
        return;
    grGlideGetState(glideState);
    focusLost = 1;
    grSstWinClose(glideContext);
    glideContext = 0;
}

void obxSetFocus(void)
{
    if (focusLost != 1)
        return;
    grGlideInit();
    glideContext = glideWindowOpen();
    // Without a window there is nothing to restore into; a later call tries again.
    if (glideContext == 0)
        return;
    grGlideSetState(glideState);
    // The vertex layout is not part of the saved state: declare it again.
    vertexLayoutSet();
    // Texture memory did not survive the closed window.
    textureMarkAllForDownload();
    fpuSetup();
    focusLost = 0;
}

void obxShutdown(void)
{
    if (glideContext != 0)
        grSstWinClose(glideContext);
    glideContext = 0;
    focusLost = 0;
    grGlideShutdown();
    logClose();
}
