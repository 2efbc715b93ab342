// Lens flares: a row of textured squares along the line from a light's
// screen point through the centre of the drawing area.
#include "core/core.h"
#include "light/light.h"

LensFlare* obxLensflareCreate(int count, TextureRecord** textures, const float* halfSizes,
                              const float* axisPositions)
{
    if (count < 0 || (count > 0 && (!textures || !halfSizes || !axisPositions)))
        return NULL;
    // Every element is drawn with its texture.
    for (int i = 0; i < count; i++) {
        if (!textures[i])
            return NULL;
    }
    LensFlare* flare = (LensFlare*)countedAlloc(sizeof(LensFlare));
    if (!flare)
        return NULL;
    flare->elementCount = 0;
    flare->elements = NULL;
    if (count > 0) {
        FlareElement* elements = (FlareElement*)countedAlloc((size_t)count * sizeof(FlareElement));
        if (!elements)
            return NULL;
        // Sizes come before positions in the arguments, after them in the record.
        for (int i = 0; i < count; i++) {
            elements[i].texture = textures[i];
            elements[i].axisPosition = axisPositions[i];
            elements[i].halfSize = halfSizes[i];
        }
        flare->elements = elements;
    }
    flare->elementCount = count;
    return flare;
}
