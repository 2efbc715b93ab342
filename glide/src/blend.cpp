// Alpha blending with the frame buffer.
//
// Blending computes per channel  c = (src * S + dst * D) / 255, rounded to
// nearest and clamped, with 8-bit factors; the destination colour is the
// 5-6-5 pixel widened by bit replication, its alpha that of the alpha buffer
// (255 when the aux buffer holds depth).
#include "stages.h"

namespace LANES {

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

// The same factors for W pixels, one byte per channel: as the source alpha
// in every byte, ad the destination alpha likewise.
static inline I srcFactors(int f, I as, I cd, I ad)
{
    I ones = splatI(-1);
    switch (f) {
    case GR_BLEND_SRC_ALPHA: return as;
    case GR_BLEND_DST_COLOR: return cd;
    case GR_BLEND_DST_ALPHA: return ad;
    case GR_BLEND_ONE: return ones;
    case GR_BLEND_ONE_MINUS_SRC_ALPHA: return xorI(as, ones);
    case GR_BLEND_ONE_MINUS_DST_COLOR: return xorI(cd, ones);
    case GR_BLEND_ONE_MINUS_DST_ALPHA: return xorI(ad, ones);
    case GR_BLEND_ALPHA_SATURATE: return min8(as, xorI(ad, ones));
    default: return zeroI();
    }
}

static inline I dstFactors(int f, I as, I cs, I ad, I prefog)
{
    I ones = splatI(-1);
    switch (f) {
    case GR_BLEND_SRC_ALPHA: return as;
    case GR_BLEND_SRC_COLOR: return cs;
    case GR_BLEND_DST_ALPHA: return ad;
    case GR_BLEND_ONE: return ones;
    case GR_BLEND_ONE_MINUS_SRC_ALPHA: return xorI(as, ones);
    case GR_BLEND_ONE_MINUS_SRC_COLOR: return xorI(cs, ones);
    case GR_BLEND_ONE_MINUS_DST_ALPHA: return xorI(ad, ones);
    case GR_BLEND_PREFOG_COLOR: return prefog;
    default: return zeroI();
    }
}

// min(255, round((x * f + y * g) / 255)) per channel, on 16-bit lanes: a sum
// past 255 * 255 gives 255 however far past it is.
static inline I blendSum16(I x, I f, I y, I g)
{
    I sum = addSat16(mul16(x, f), mul16(y, g));
    return div255x16(min16(sum, splat16((int16_t)(255 * 255))));
}

// The colour channels of every pixel, W at a time, alpha kept (the aux
// buffer holds no alpha that is written).
static void blendColour(Span* s)
{
    const Pipeline& P = *s->path;
    int rs = P.st.blendRgbSrc, rd = P.st.blendRgbDst;
    const uint16_t* alphaPixels = P.alphaBuffer ? s->aux : nullptr;
    I alphaMask = splatI((int32_t)0xFF000000u);
    for (int i = 0; i < s->n; i += W) {
        // Past the span's end the row goes on (this thread's row): read
        // straight on, except at the row's end, where the last pixels are
        // copied.
        alignas(32) uint16_t dstTail[W] = {}, alphaTail[W] = {};
        const uint16_t* dst = s->color + i;
        const uint16_t* dstAlpha = alphaPixels ? alphaPixels + i : nullptr;
        if (i + W > s->n && s->x + i + W > P.width) {
            for (int k = 0; k < s->n - i; k++) {
                dstTail[k] = dst[k];
                if (dstAlpha)
                    alphaTail[k] = dstAlpha[k];
            }
            dst = dstTail;
            dstAlpha = dstAlpha ? alphaTail : nullptr;
        }
        I c = loadI(s->color32 + i);
        I d = expand565Lanes(loadU16(dst));
        I ad = splatI(-1);
        if (dstAlpha)
            ad = byteEverywhere(andI(loadU16(dstAlpha), splatI(255)));
        I as = alphaEverywhere(c);
        I prefog = P.blendReadsPrefog && P.fogActive ? loadI(s->prefog + i) : c;
        I sf = srcFactors(rs, as, d, ad), df = dstFactors(rd, as, c, ad, prefog);
        I lo = blendSum16(lowBytes(c), lowBytes(sf), lowBytes(d), lowBytes(df));
        I hi = blendSum16(highBytes(c), highBytes(sf), highBytes(d), highBytes(df));
        storeI(s->color32 + i, select(alphaMask, c, packBytes(lo, hi)));
    }
}

void stageBlend(Span* s)
{
    const Pipeline& P = *s->path;
    if (!P.writeAlpha) {
        blendColour(s);
        return;
    }
    int rs = P.st.blendRgbSrc, rd = P.st.blendRgbDst;
    const uint16_t* alphaPixels = P.alphaBuffer ? s->aux : nullptr;
    for (int i = 0; i < s->n; i++) {
        uint32_t c = s->color32[i], d = expand565(s->color[i]);
        uint32_t as = c >> 24, ad = alphaPixels ? (alphaPixels[i] & 255u) : 255u;
        uint32_t pf = P.blendReadsPrefog ? (P.fogActive ? s->prefog[i] : c) : 0;
        uint32_t out = 0;
        for (int shift = 16; shift >= 0; shift -= 8) {
            uint32_t cs = (c >> shift) & 255, cd = (d >> shift) & 255;
            uint32_t sf = srcFactor(rs, cs, as, cd, ad);
            uint32_t df = dstFactor(rd, cs, as, ad, (pf >> shift) & 255);
            out |= blendChannel(cs, sf, cd, df) << shift;
        }
        uint32_t sf = srcFactor(P.st.blendAlphaSrc, as, as, ad, ad);
        uint32_t df = dstFactor(P.st.blendAlphaDst, as, as, ad, pf >> 24);
        s->color32[i] = (blendChannel(as, sf, ad, df) << 24) | out;
    }
}

}   // namespace LANES
