// Fog: mixes the fog colour into the combined colour by the pixel's fog
// factor f (0..255):  c = (f * fog + (255 - f) * c) / 255, rounded. Alpha is
// left alone. GR_FOG_MULT2 keeps only the fog term, GR_FOG_ADD2 only the
// colour term (the two halves of two-pass fog).
#include "simd.h"

void stageFog(Span* s)
{
    const Pipeline& P = *s->path;
    bool mult = (P.st.fogMode & GR_FOG_MULT2) != 0, add = (P.st.fogMode & GR_FOG_ADD2) != 0;
    uint32_t fogR = (P.fogColor >> 16) & 255, fogG = (P.fogColor >> 8) & 255, fogB = P.fogColor & 255;
    if (P.blendReadsPrefog)
        for (int i = 0; i < s->n; i++)
            s->prefog[i] = s->color32[i];
    if (!mult && !add && P.avx2) {
        fogMixAvx2(s);
        return;
    }
    int i = 0;
    if (!mult && !add) {
        __m128i fog = _mm_set1_epi32((int)P.fogColor), alphaMask = _mm_set1_epi32((int)0xFF000000u);
        for (; i + 4 <= s->n; i += 4) {
            __m128i f = _mm_setr_epi32(s->fog[i], s->fog[i + 1], s->fog[i + 2], s->fog[i + 3]);
            __m128i c = _mm_load_si128((const __m128i*)(s->color32 + i));
            __m128i mixed = mixArgb4(fog, c, f);
            _mm_store_si128((__m128i*)(s->color32 + i),
                            _mm_or_si128(_mm_andnot_si128(alphaMask, mixed), _mm_and_si128(alphaMask, c)));
        }
    }
    for (; i < s->n; i++) {
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
