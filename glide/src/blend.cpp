// Alpha blending with the frame buffer, then the write of colour, depth and
// alpha.
//
// Blending computes per channel  c = (src * S + dst * D) / 255, rounded to
// nearest and clamped, with 8-bit factors; the destination colour is the
// 5-6-5 pixel widened by bit replication, its alpha that of the alpha buffer
// (255 when the aux buffer holds depth).
#include "pixel.h"

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
    int n = s->n;
    const uint16_t* dstPixels = s->color;
    int rs = gs.blendRgbSrc, rd = gs.blendRgbDst;

    // Translucency, the common case, in a loop of its own.
    if (rs == GR_BLEND_SRC_ALPHA && rd == GR_BLEND_ONE_MINUS_SRC_ALPHA && !pipe.writeAlpha) {
        for (int i = 0; i < n; i++) {
            uint32_t c = s->color32[i], d = expand565(dstPixels[i]);
            uint32_t a = c >> 24, ia = 255 - a;
            uint32_t r = mulDiv255(((c >> 16) & 255) * a + ((d >> 16) & 255) * ia);
            uint32_t g = mulDiv255(((c >> 8) & 255) * a + ((d >> 8) & 255) * ia);
            uint32_t b = mulDiv255((c & 255) * a + (d & 255) * ia);
            s->color32[i] = (c & 0xFF000000u) | (r << 16) | (g << 8) | b;
        }
        return;
    }

    const uint16_t* alphaPixels = pipe.alphaBuffer ? s->aux : nullptr;
    for (int i = 0; i < n; i++) {
        uint32_t c = s->color32[i], d = expand565(dstPixels[i]);
        uint32_t as = c >> 24, ad = alphaPixels ? (alphaPixels[i] & 255u) : 255u;
        uint32_t pf = pipe.blendReadsPrefog ? (pipe.fogActive ? s->prefog[i] : c) : 0;
        uint32_t out = 0;
        for (int shift = 16; shift >= 0; shift -= 8) {
            uint32_t cs = (c >> shift) & 255, cd = (d >> shift) & 255;
            uint32_t sf = srcFactor(rs, cs, as, cd, ad);
            uint32_t df = dstFactor(rd, cs, as, ad, (pf >> shift) & 255);
            out |= blendChannel(cs, sf, cd, df) << shift;
        }
        uint32_t a = as;
        if (pipe.writeAlpha) {
            uint32_t sf = srcFactor(gs.blendAlphaSrc, as, as, ad, ad);
            uint32_t df = dstFactor(gs.blendAlphaDst, as, as, ad, pf >> 24);
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

void stageWrite(Span* s)
{
    int n = s->n;
    unsigned written = 0;
    uint16_t* color = s->color;
    uint16_t* aux = s->aux;
    bool rgb = pipe.writeRgb, depth = pipe.writeDepth && aux, alpha = pipe.writeAlpha && aux;
    int dither = pipe.ditherMode;
    for (int i = 0; i < n; i++) {
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
    dev.stats.pixelsWritten += written;
}
