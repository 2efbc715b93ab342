// Giving the screen up and taking it back, and shutting down.
#include "core/core.h"
#include "texture/texture.h"

void obxLooseFocus(void)
{
    glideWindowSave();
}

void obxSetFocus(void)
{
    // Texture memory did not survive the closed window.
    if (glideWindowRestore())
        textureMarkAllForDownload();
}

void obxShutdown(void)
{
    glideShutdown();
    logClose();
}
