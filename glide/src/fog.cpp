// Fog: mixes the fog colour into the combined colour by the pixel's fog
// factor f (0..255):  c = (f * fog + (255 - f) * c) / 255, rounded. Alpha is
// left alone. GR_FOG_MULT2 keeps only the fog term, GR_FOG_ADD2 only the
// colour term (the two halves of two-pass fog).
#include "pixel.h"

void stageFog(Span* s)
{
    bool mult = (gs.fogMode & GR_FOG_MULT2) != 0, add = (gs.fogMode & GR_FOG_ADD2) != 0;
    uint32_t fogR = (pipe.fogColor >> 16) & 255, fogG = (pipe.fogColor >> 8) & 255, fogB = pipe.fogColor & 255;
    if (pipe.blendReadsPrefog)
        for (int i = 0; i < s->n; i++)
            s->prefog[i] = s->color32[i];
    for (int i = 0; i < s->n; i++) {
        uint32_t f = s->fog[i], c = s->color32[i];
        uint32_t r = (c >> 16) & 255, g = (c >> 8) & 255, b = c & 255;
        uint32_t keep = mult ? 0 : 255 - f;
        uint32_t fogWeight = add ? 0 : f;
        r = mulDiv255(fogWeight * fogR + keep * r);
        g = mulDiv255(fogWeight * fogG + keep * g);
        b = mulDiv255(fogWeight * fogB + keep * b);
        s->color32[i] = (c & 0xFF000000u) | (r << 16) | (g << 8) | b;
    }
}
