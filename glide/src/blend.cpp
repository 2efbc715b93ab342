// Alpha blending with the frame buffer, then the write of colour, depth and
// alpha.
//
// Blending computes per channel  c = (src * S + dst * D) / 255, rounded to
// nearest and clamped, with 8-bit factors; the destination colour is the
// 5-6-5 pixel widened by bit replication, its alpha that of the alpha buffer
// (255 when the aux buffer holds depth).
#include "simd.h"

static inline uint32_t srcFactor(int f, uint32_t cs, uint32_t as, uint32_t cd, uint32_t ad)
{
    (void)cs;
    switch (f) {
    case GR_BLEND_SRC_ALPHA: return as;
    case GR_BLEND_DST_COLOR: return cd;
    case GR_BLEND_DST_ALPHA: return ad;
    case GR_BLEND_ONE: return 255;
    case GR_BLEND_ONE_MINUS_SRC_ALPHA: return 255 - as;
    case GR_BLEND_ONE_MINUS_DST_COLOR: return 255 - cd;
    case GR_BLEND_ONE_MINUS_DST_ALPHA: return 255 - ad;
    case GR_BLEND_ALPHA_SATURATE: return as < 255 - ad ? as : 255 - ad;
    default: return 0;
    }
}

static inline uint32_t dstFactor(int f, uint32_t cs, uint32_t as, uint32_t ad, uint32_t prefog)
{
    switch (f) {
    case GR_BLEND_SRC_ALPHA: return as;
    case GR_BLEND_SRC_COLOR: return cs;
    case GR_BLEND_DST_ALPHA: return ad;
    case GR_BLEND_ONE: return 255;
    case GR_BLEND_ONE_MINUS_SRC_ALPHA: return 255 - as;
    case GR_BLEND_ONE_MINUS_SRC_COLOR: return 255 - cs;
    case GR_BLEND_ONE_MINUS_DST_ALPHA: return 255 - ad;
    case GR_BLEND_PREFOG_COLOR: return prefog;
    default: return 0;
    }
}

static inline uint32_t blendChannel(uint32_t src, uint32_t s, uint32_t dst, uint32_t d)
{
    uint32_t v = mulDiv255(src * s + dst * d);
    return v > 255 ? 255 : v;
}

void stageBlend(Span* s)
{
    const Pipeline& P = *s->path;
    int n = s->n;
    const uint16_t* dstPixels = s->color;
    int rs = P.st.blendRgbSrc, rd = P.st.blendRgbDst;
    if (P.avx2 && !P.writeAlpha) {
        blendAvx2(s);
        return;
    }

    // Translucency, the common case, four pixels at a time while they lie
    // inside the span: (src * a + dst * (255 - a)) / 255, alpha kept.
    if (rs == GR_BLEND_SRC_ALPHA && rd == GR_BLEND_ONE_MINUS_SRC_ALPHA && !P.writeAlpha) {
        int i = 0;
        __m128i alphaMask = _mm_set1_epi32((int)0xFF000000u);
        for (; i + 4 <= n; i += 4) {
            __m128i c = _mm_load_si128((const __m128i*)(s->color32 + i));
            __m128i d = expand565x4(load4x16(dstPixels + i));
            __m128i mixed = mixArgb4(c, d, _mm_srli_epi32(c, 24));
            _mm_store_si128((__m128i*)(s->color32 + i),
                            _mm_or_si128(_mm_andnot_si128(alphaMask, mixed), _mm_and_si128(alphaMask, c)));
        }
        for (; i < n; i++) {
            uint32_t c = s->color32[i], d = expand565(dstPixels[i]);
            uint32_t a = c >> 24, ia = 255 - a;
            uint32_t r = mulDiv255(((c >> 16) & 255) * a + ((d >> 16) & 255) * ia);
            uint32_t g = mulDiv255(((c >> 8) & 255) * a + ((d >> 8) & 255) * ia);
            uint32_t b = mulDiv255((c & 255) * a + (d & 255) * ia);
            s->color32[i] = (c & 0xFF000000u) | (r << 16) | (g << 8) | b;
        }
        return;
    }

    const uint16_t* alphaPixels = P.alphaBuffer ? s->aux : nullptr;
    for (int i = 0; i < n; i++) {
        uint32_t c = s->color32[i], d = expand565(dstPixels[i]);
        uint32_t as = c >> 24, ad = alphaPixels ? (alphaPixels[i] & 255u) : 255u;
        uint32_t pf = P.blendReadsPrefog ? (P.fogActive ? s->prefog[i] : c) : 0;
        uint32_t out = 0;
        for (int shift = 16; shift >= 0; shift -= 8) {
            uint32_t cs = (c >> shift) & 255, cd = (d >> shift) & 255;
            uint32_t sf = srcFactor(rs, cs, as, cd, ad);
            uint32_t df = dstFactor(rd, cs, as, ad, (pf >> shift) & 255);
            out |= blendChannel(cs, sf, cd, df) << shift;
        }
        uint32_t a = as;
        if (P.writeAlpha) {
            uint32_t sf = srcFactor(P.st.blendAlphaSrc, as, as, ad, ad);
            uint32_t df = dstFactor(P.st.blendAlphaDst, as, as, ad, pf >> 24);
            a = blendChannel(as, sf, ad, df);
        }
        s->color32[i] = (a << 24) | out;
    }
}

// Ordered dither thresholds, 0..15.
static const uint8_t dither4x4[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
static const uint8_t dither2x2[2][2] = {{0, 8}, {12, 4}};

// 8-bit channels to 5-6-5. Without dithering each channel keeps its top bits;
// with it, c * (2^bits - 1) / 255 is rounded up or down by the threshold of
// the pixel's place in the matrix, the same for every frame.
static inline uint16_t ditherPack(uint32_t c, int x, int y, int mode)
{
    uint32_t m = mode == GR_DITHER_4x4 ? dither4x4[y & 3][x & 3] : dither2x2[y & 1][x & 1];
    uint32_t t = m * 255 / 16 + 8;
    uint32_t r = (((c >> 16) & 255) * 31 + t) / 255;
    uint32_t g = (((c >> 8) & 255) * 63 + t) / 255;
    uint32_t b = ((c & 255) * 31 + t) / 255;
    return (uint16_t)((r << 11) | (g << 5) | b);
}

// 5-6-5 of four 0xAARRGGBB pixels in the low 16 bits of each lane.
static inline __m128i pack565x4(__m128i c)
{
    __m128i r = _mm_and_si128(_mm_srli_epi32(c, 8), _mm_set1_epi32(0xF800));
    __m128i g = _mm_and_si128(_mm_srli_epi32(c, 5), _mm_set1_epi32(0x07E0));
    __m128i b = _mm_and_si128(_mm_srli_epi32(c, 3), _mm_set1_epi32(0x001F));
    return _mm_or_si128(_mm_or_si128(r, g), b);
}

// Eight 16-bit values from two registers of four 0..0xFFFF lanes.
static inline __m128i pack32to16(__m128i a, __m128i b)
{
    __m128i bias = _mm_set1_epi32(0x8000);
    __m128i p = _mm_packs_epi32(_mm_sub_epi32(a, bias), _mm_sub_epi32(b, bias));
    return _mm_xor_si128(p, _mm_set1_epi16((short)0x8000));
}

// Writes value where live, keeps the old content elsewhere, eight pixels.
static inline void store8Where(uint16_t* out, __m128i value, __m128i liveMask)
{
    __m128i old = _mm_loadu_si128((const __m128i*)out);
    _mm_storeu_si128((__m128i*)out, _mm_or_si128(_mm_and_si128(liveMask, value), _mm_andnot_si128(liveMask, old)));
}

void stageWrite(Span* s)
{
    const Pipeline& P = *s->path;
    int n = s->n;
    uint16_t* color = s->color;
    uint16_t* aux = s->aux;
    bool rgb = P.writeRgb, depth = P.writeDepth && aux, alpha = P.writeAlpha && aux;
    int dither = P.ditherMode;
    int i = 0;
    unsigned written = 0;
    if (!dither && !alpha) {
        if (P.avx2)
            i = writeAvx2(s, rgb, depth, &written);
        // Eight pixels at a time while they lie inside the span.
        __m128i zero = _mm_setzero_si128();
        for (; i + 8 <= n; i += 8) {
            __m128i live = _mm_unpacklo_epi8(_mm_loadl_epi64((const __m128i*)(s->live + i)), zero);
            __m128i liveMask = _mm_xor_si128(_mm_cmpeq_epi16(live, zero), _mm_set1_epi32(-1));
            written += (unsigned)_mm_cvtsi128_si32(_mm_sad_epu8(_mm_loadl_epi64((const __m128i*)(s->live + i)), zero));
            if (rgb) {
                __m128i c0 = pack565x4(_mm_load_si128((const __m128i*)(s->color32 + i)));
                __m128i c1 = pack565x4(_mm_load_si128((const __m128i*)(s->color32 + i + 4)));
                store8Where(color + i, pack32to16(c0, c1), liveMask);
            }
            if (depth)
                store8Where(aux + i, _mm_loadu_si128((const __m128i*)(s->depth + i)), liveMask);
        }
    }
    for (; i < n; i++) {
        if (!s->live[i])
            continue;
        written++;
        if (rgb)
            color[i] = dither ? ditherPack(s->color32[i], s->x + i, s->y, dither) : pack565(s->color32[i]);
        if (depth)
            aux[i] = s->depth[i];
        else if (alpha)
            aux[i] = (uint16_t)(s->color32[i] >> 24);
    }
    s->pixelsWritten += written;
}
