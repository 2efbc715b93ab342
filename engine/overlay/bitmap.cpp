// Bitmaps: a texture drawn as a rectangle of the virtual 640 x 480 screen,
// opaque or translucent, optionally chroma-keyed.
#include <string.h>

#include "core/core.h"
#include "overlay/overlay.h"

Bitmap* obxBitmapCreate(TextureRecord* texture, int mode, float opacity, int chromaKey,
                        const float* chromaColour)
{
    if (!texture)
        return NULL;
    Bitmap* bitmap = (Bitmap*)countedAlloc(sizeof(Bitmap));
    if (!bitmap)
        return NULL;
    memset(bitmap, 0, sizeof *bitmap);
    bitmap->texture = texture;
    bitmap->mode = mode;
    bitmap->opacity = opacity;
    bitmap->chromaKey = chromaKey;
    // The colour is kept whether or not keying is on, for a later change.
    if (chromaColour) {
        bitmap->chromaColour[0] = chromaColour[0];
        bitmap->chromaColour[1] = chromaColour[1];
        bitmap->chromaColour[2] = chromaColour[2];
    }
    return bitmap;
}

void obxBitmapDrawXY(Bitmap* bitmap, float x, float y, float width, float height)
{
    if (!bitmap)
        return;
    overlayOpacitySet(bitmap->mode, bitmap->opacity);
    overlayChromaKeySet(bitmap->chromaKey, bitmap->chromaColour);
    overlayQuadDraw(bitmap->texture, x, y, width, height);
}
