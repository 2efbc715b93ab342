// Fog: the fog factor of each pixel (from the table by w or by the fog
// coordinate, from z or from the iterated alpha), then the mix of the fog
// colour into the combined colour by that factor f (0..255):
//   c = (f * fog + (255 - f) * c) / 255, rounded.
// Alpha is left alone. GR_FOG_MULT2 keeps only the fog term, GR_FOG_ADD2 only
// the colour term (the two halves of two-pass fog).
#include "stages.h"

namespace LANES {

// Fog factor from the table, indexed by the pixel's w = 1/q.
// The W value counts 4096 steps per octave of w, one short of the next
// octave's start; one step more puts fog entry i exactly at
// w = guFogTableIndexToW(i).
void stageFogW(Span* s)
{
    const Pipeline& P = *s->path;
    for (int i = 0; i < s->n; i++) {
        uint32_t d = (uint32_t)s->wvalue[i] + 1;
        s->fog[i] = (uint8_t)fogFromTable(P.st.fogTable, d > 0xFFFF ? 0xFFFF : d);
    }
}

// Fog factor = the high byte of the iterated z.
void stageFogZ(Span* s)
{
    alignas(32) float z[SPAN_MAX];
    planeRamp(z, s->setup->z, s);
    for (int i = 0; i < s->n; i++) {
        float c = clampf(z[i], 0.0f, 65535.0f);
        s->fog[i] = (uint8_t)((uint32_t)(int32_t)c >> 8);
    }
}

// Fog factor = the iterated alpha.
void stageFogAlpha(Span* s)
{
    for (int i = 0; i < s->n; i++)
        s->fog[i] = (uint8_t)(s->iter[i] >> 24);
}

// Fog factor from the table, the fog coordinate taking the place of q: it is
// interpolated as q is and looked up as stageFogW looks q's W value up, so a
// coordinate of 1/50 fogs like w = 50.
void stageFogCoord(Span* s)
{
    const Pipeline& P = *s->path;
    alignas(32) float f[SPAN_MAX];
    planeRamp(f, s->setup->fog, s);
    for (int i = 0; i < s->n; i++) {
        uint32_t d = wDepth(f[i]) + 1;
        s->fog[i] = (uint8_t)fogFromTable(P.st.fogTable, d > 0xFFFF ? 0xFFFF : d);
    }
}

void stageFog(Span* s)
{
    const Pipeline& P = *s->path;
    bool mult = (P.st.fogMode & GR_FOG_MULT2) != 0, add = (P.st.fogMode & GR_FOG_ADD2) != 0;
    if (P.blendReadsPrefog)
        for (int i = 0; i < s->n; i++)
            s->prefog[i] = s->color32[i];
    if (!mult && !add) {
        I fog = splatI((int32_t)P.fogColor), alphaMask = splatI((int32_t)0xFF000000u);
        for (int i = 0; i < s->n; i += W) {
            I c = loadI(s->color32 + i);
            I mixed = mixArgb(fog, c, loadU8(s->fog + i));
            storeI(s->color32 + i, select(alphaMask, c, mixed));
        }
        return;
    }
    uint32_t fogR = (P.fogColor >> 16) & 255, fogG = (P.fogColor >> 8) & 255,
             fogB = P.fogColor & 255;
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

}   // namespace LANES
