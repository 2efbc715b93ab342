// Texture units: perspective-correct coordinates, level of detail, point and
// bilinear sampling with wrap, clamp or mirror, then the unit's combine.
//
// Coordinates are in the 256 space: the longer side of a texture spans 0..256
// whatever its size. Per pixel s = (s/w)/(1/w) and t likewise. A level of
// width W is sampled at u = s * W / 256 texels (fixed point, 8 fraction
// bits); bilinear filtering centres the four texels on u - 1/2 and mixes them
// with 8-bit weights.
//
// The level of detail is log2 of the largest of |ds/dx|, |dt/dx|, |ds/dy|,
// |dt/dy| measured in texels of the largest level, plus the bias; it is kept
// with 8 fraction bits, its logarithm taken as exponent plus linear mantissa.
// Above 0 the minification filter applies. Mipmapping picks the nearest level
// (fraction rounded at 1/2, or at the ordered-dither threshold of the pixel's
// place when dithered mipmapping is allowed).
#include "simd.h"

#include <cmath>

alignas(16) static const uint32_t zeroTexels[SPAN_MAX] = {};

static inline int wrapCoord(int i, int size, int mode)
{
    switch (mode) {
    case GR_TEXTURECLAMP_CLAMP: return i < 0 ? 0 : (i >= size ? size - 1 : i);
    case GR_TEXTURECLAMP_MIRROR_EXT: {
        int m = i & (2 * size - 1);
        return m >= size ? 2 * size - 1 - m : m;
    }
    default: return i & (size - 1);
    }
}

// Bilinear mix of four texels, a b on the upper row and c d below, with
// weights fu across and fv down (0..255 out of 256), per channel:
//   top = (a * (256 - fu) + b * fu) >> 8,  bottom likewise from c, d,
//   result = (top * (256 - fv) + bottom * fv) >> 8.
// Each mix is one multiply-add of interleaved 16-bit channel pairs.
static inline uint32_t bilerp(uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint32_t fu, uint32_t fv)
{
    __m128i zero = _mm_setzero_si128();
    __m128i wu = _mm_set1_epi32((int)((fu << 16) | (256 - fu)));
    __m128i wv = _mm_set1_epi32((int)((fv << 16) | (256 - fv)));
    __m128i ab = _mm_unpacklo_epi8(_mm_unpacklo_epi8(_mm_cvtsi32_si128((int)a), _mm_cvtsi32_si128((int)b)), zero);
    __m128i cd = _mm_unpacklo_epi8(_mm_unpacklo_epi8(_mm_cvtsi32_si128((int)c), _mm_cvtsi32_si128((int)d)), zero);
    __m128i top = _mm_srli_epi32(_mm_madd_epi16(ab, wu), 8);
    __m128i bottom = _mm_srli_epi32(_mm_madd_epi16(cd, wu), 8);
    __m128i v = _mm_srli_epi32(_mm_madd_epi16(_mm_or_si128(top, _mm_slli_epi32(bottom, 16)), wv), 8);
    v = _mm_packs_epi32(v, v);
    return (uint32_t)_mm_cvtsi128_si32(_mm_packus_epi16(v, v));
}

// Texels of one level for a run of pixels, from fixed-point texel
// coordinates (8 fraction bits; already moved half a texel back for
// bilinear filtering). The addressing modes are template arguments so the
// loop carries no switch.
template <bool BILINEAR, int MODE_S, int MODE_T>
static void fetchRun(const TexLevel& l, const int32_t* uf, const int32_t* vf, uint32_t* out, int n)
{
    const uint32_t* texels = l.texels;
    int w = l.width, h = l.height;
    for (int i = 0; i < n; i++) {
        int u0 = uf[i] >> 8, v0 = vf[i] >> 8;
        if (!BILINEAR) {
            out[i] = texels[wrapCoord(v0, h, MODE_T) * w + wrapCoord(u0, w, MODE_S)];
            continue;
        }
        uint32_t fu = (uint32_t)uf[i] & 255, fv = (uint32_t)vf[i] & 255;
        int u1 = wrapCoord(u0 + 1, w, MODE_S), v1 = wrapCoord(v0 + 1, h, MODE_T);
        u0 = wrapCoord(u0, w, MODE_S);
        v0 = wrapCoord(v0, h, MODE_T);
        const uint32_t* row0 = texels + v0 * w;
        const uint32_t* row1 = texels + v1 * w;
        out[i] = bilerp(row0[u0], row0[u1], row1[u0], row1[u1], fu, fv);
    }
}

// The same for pixels that each have their own level and filter
// (choice = level * 2 + minified).
template <int MODE_S, int MODE_T>
static void fetchMixed(const DecodedTexture* tex, const int* choice, bool minBilinear, bool magBilinear,
                       const int32_t* uf, const int32_t* vf, uint32_t* out, int n)
{
    for (int i = 0; i < n; i++) {
        const TexLevel& l = tex->levels[choice[i] >> 1];
        bool bilinear = (choice[i] & 1) ? minBilinear : magBilinear;
        int w = l.width, h = l.height;
        int u0 = uf[i] >> 8, v0 = vf[i] >> 8;
        if (!bilinear) {
            out[i] = l.texels[wrapCoord(v0, h, MODE_T) * w + wrapCoord(u0, w, MODE_S)];
            continue;
        }
        uint32_t fu = (uint32_t)uf[i] & 255, fv = (uint32_t)vf[i] & 255;
        int u1 = wrapCoord(u0 + 1, w, MODE_S), v1 = wrapCoord(v0 + 1, h, MODE_T);
        u0 = wrapCoord(u0, w, MODE_S);
        v0 = wrapCoord(v0, h, MODE_T);
        const uint32_t* row0 = l.texels + v0 * w;
        const uint32_t* row1 = l.texels + v1 * w;
        out[i] = bilerp(row0[u0], row0[u1], row1[u0], row1[u1], fu, fv);
    }
}

typedef void (*MixedFn)(const DecodedTexture*, const int*, bool, bool, const int32_t*, const int32_t*, uint32_t*,
                        int);

template <int MODE_S> static MixedFn mixedFor(int modeT)
{
    switch (modeT) {
    case GR_TEXTURECLAMP_CLAMP: return fetchMixed<MODE_S, GR_TEXTURECLAMP_CLAMP>;
    case GR_TEXTURECLAMP_MIRROR_EXT: return fetchMixed<MODE_S, GR_TEXTURECLAMP_MIRROR_EXT>;
    default: return fetchMixed<MODE_S, GR_TEXTURECLAMP_WRAP>;
    }
}

static MixedFn mixedFor(int modeS, int modeT)
{
    switch (modeS) {
    case GR_TEXTURECLAMP_CLAMP: return mixedFor<GR_TEXTURECLAMP_CLAMP>(modeT);
    case GR_TEXTURECLAMP_MIRROR_EXT: return mixedFor<GR_TEXTURECLAMP_MIRROR_EXT>(modeT);
    default: return mixedFor<GR_TEXTURECLAMP_WRAP>(modeT);
    }
}

typedef void (*FetchFn)(const TexLevel&, const int32_t*, const int32_t*, uint32_t*, int);

template <bool BILINEAR, int MODE_S> static FetchFn fetchFor(int modeT)
{
    switch (modeT) {
    case GR_TEXTURECLAMP_CLAMP: return fetchRun<BILINEAR, MODE_S, GR_TEXTURECLAMP_CLAMP>;
    case GR_TEXTURECLAMP_MIRROR_EXT: return fetchRun<BILINEAR, MODE_S, GR_TEXTURECLAMP_MIRROR_EXT>;
    default: return fetchRun<BILINEAR, MODE_S, GR_TEXTURECLAMP_WRAP>;
    }
}

template <bool BILINEAR> static FetchFn fetchFor(int modeS, int modeT)
{
    switch (modeS) {
    case GR_TEXTURECLAMP_CLAMP: return fetchFor<BILINEAR, GR_TEXTURECLAMP_CLAMP>(modeT);
    case GR_TEXTURECLAMP_MIRROR_EXT: return fetchFor<BILINEAR, GR_TEXTURECLAMP_MIRROR_EXT>(modeT);
    default: return fetchFor<BILINEAR, GR_TEXTURECLAMP_WRAP>(modeT);
    }
}

// Samples pixels [from, to) of the span from one level with one filter.
static void sampleRun(const Span* s, const TexLevel& l, bool bilinear, FetchFn fetch, int from, int to,
                      uint32_t* out)
{
    alignas(16) int32_t uf[SPAN_MAX + 4], vf[SPAN_MAX + 4];
    __m128 scaleS = _mm_set1_ps(l.scaleS), scaleT = _mm_set1_ps(l.scaleT);
    // Coordinates beyond 2^30 / 256 texels are pinned; wrap and clamp treat
    // them like any far coordinate.
    __m128 lo = _mm_set1_ps(-1073741824.0f), hi = _mm_set1_ps(1073741824.0f);
    __m128i half = _mm_set1_epi32(bilinear ? 128 : 0);
    for (int i = from, k = 0; i < to; i += 4, k += 4) {
        __m128 su = clamp4(_mm_mul_ps(_mm_loadu_ps(s->s + i), scaleS), lo, hi);
        __m128 tv = clamp4(_mm_mul_ps(_mm_loadu_ps(s->t + i), scaleT), lo, hi);
        _mm_store_si128((__m128i*)(uf + k), _mm_sub_epi32(floor4(su), half));
        _mm_store_si128((__m128i*)(vf + k), _mm_sub_epi32(floor4(tv), half));
    }
    fetch(l, uf, vf, out + from, to - from);
}

static const int32_t lodDither[4][4] = {
    {8, 136, 40, 168}, {200, 72, 232, 104}, {56, 184, 24, 152}, {248, 120, 216, 88}};

// Fills out[] with the filtered texels of unit t.
static void sampleUnit(Span* s, int t, uint32_t* out)
{
    const Pipeline& P = *s->path;
    const DecodedTexture* tex = P.texture[t];
    int n = s->n;
    if (tex && P.avx2 && sampleUnitAvx2(s, t, out))
        return;
    const Setup* st = s->setup;
    alignas(16) float sq[SPAN_MAX], tq[SPAN_MAX], q[SPAN_MAX];
    planeRamp(sq, st->sq[t], s);
    planeRamp(tq, st->tq[t], s);
    planeRamp(q, st->qt[t], s);
    __m128 one = _mm_set1_ps(1.0f);
    for (int i = 0; i < n; i += 4) {
        __m128 r = _mm_div_ps(one, _mm_load_ps(q + i));
        _mm_storeu_ps(s->r + i, r);
        _mm_storeu_ps(s->s + i, _mm_mul_ps(_mm_load_ps(sq + i), r));
        _mm_storeu_ps(s->t + i, _mm_mul_ps(_mm_load_ps(tq + i), r));
    }

    const TmuState& u = P.st.tmu[t];
    if (P.tmuLod[t]) {
        float dsx = (float)st->sq[t].dx, dtx = (float)st->tq[t].dx, dqx = (float)st->qt[t].dx;
        float dsy = (float)st->sq[t].dy, dty = (float)st->tq[t].dy, dqy = (float)st->qt[t].dy;
        // Four at a time: ds/dx = (d(s/w)/dx - s * d(1/w)/dx) * w and so on;
        // rho = max(|ds/dx|, |dt/dx|, |ds/dy|, |dt/dy|); its log2 is the float's
        // exponent and top mantissa bits read as one fixed-point number.
        __m128i offset = _mm_set1_epi32(P.tmuLodOffset[t]);
        __m128 sign = _mm_set1_ps(-0.0f), zero = _mm_setzero_ps();
        __m128 vdsx = _mm_set1_ps(dsx), vdtx = _mm_set1_ps(dtx), vdqx = _mm_set1_ps(dqx);
        __m128 vdsy = _mm_set1_ps(dsy), vdty = _mm_set1_ps(dty), vdqy = _mm_set1_ps(dqy);
        for (int i = 0; i < n; i += 4) {
            __m128 r = _mm_loadu_ps(s->r + i), ss = _mm_loadu_ps(s->s + i), tt = _mm_loadu_ps(s->t + i);
            __m128 a = _mm_andnot_ps(sign, _mm_mul_ps(_mm_sub_ps(vdsx, _mm_mul_ps(ss, vdqx)), r));
            __m128 b = _mm_andnot_ps(sign, _mm_mul_ps(_mm_sub_ps(vdtx, _mm_mul_ps(tt, vdqx)), r));
            __m128 c = _mm_andnot_ps(sign, _mm_mul_ps(_mm_sub_ps(vdsy, _mm_mul_ps(ss, vdqy)), r));
            __m128 d = _mm_andnot_ps(sign, _mm_mul_ps(_mm_sub_ps(vdty, _mm_mul_ps(tt, vdqy)), r));
            // rho = a > b ? a : b, and so on: maxps keeps its second operand on NaN
            __m128 rho = _mm_max_ps(d, _mm_max_ps(c, _mm_max_ps(b, a)));
            __m128i lod = _mm_sub_epi32(_mm_srai_epi32(_mm_castps_si128(rho), 15), _mm_set1_epi32(127 << 8));
            __m128 positive = _mm_cmpgt_ps(rho, zero);
            lod = _mm_or_si128(_mm_and_si128(_mm_castps_si128(positive), lod),
                               _mm_andnot_si128(_mm_castps_si128(positive), _mm_set1_epi32(-(1 << 20))));
            _mm_store_si128((__m128i*)(s->lod + i), _mm_add_epi32(lod, offset));
        }
    }
    // Without a texture the unit reads opaque white (its level of detail
    // still feeds its combine).
    if (!tex) {
        for (int i = 0; i < n; i++)
            out[i] = 0xFFFFFFFFu;
        return;
    }

    bool minBilinear = u.minFilter == GR_TEXTUREFILTER_BILINEAR, magBilinear = u.magFilter == GR_TEXTUREFILTER_BILINEAR;
    if (!P.tmuLod[t]) { // one level, one filter for the whole span
        FetchFn fetch = magBilinear ? fetchFor<true>(u.clampS, u.clampT) : fetchFor<false>(u.clampS, u.clampT);
        sampleRun(s, tex->levels[0], magBilinear, fetch, 0, n, out);
        return;
    }
    // Per pixel: the level (nearest, or by the dither threshold of the
    // pixel's place) and whether it is minified, then its coordinates in
    // that level.
    int last = tex->levelCount - 1;
    bool mipmap = P.tmuMipmap[t], dither = P.tmuDither[t];
    alignas(16) int choice[SPAN_MAX + 4]; // level * 2 + minified
    int changes = 0;
    for (int i = 0; i < n; i++) {
        int32_t lod = s->lod[i];
        int level = 0;
        if (mipmap && lod > 0) {
            int32_t round = dither ? lodDither[s->y & 3][(s->x + i) & 3] : 128;
            level = (lod + round) >> 8;
            level = level > last ? last : level;
        }
        choice[i] = level * 2 + (lod > 0 ? 1 : 0);
        changes += i > 0 && choice[i] != choice[i - 1];
    }
    // Long runs of one level (the usual case without dithering) are sampled
    // run by run with the single-level loop; a mixture pixel by pixel.
    if (changes <= 2) {
        for (int i = 0; i < n;) {
            int j = i + 1;
            while (j < n && choice[j] == choice[i])
                j++;
            bool bilinear = (choice[i] & 1) ? minBilinear : magBilinear;
            FetchFn fetch = bilinear ? fetchFor<true>(u.clampS, u.clampT) : fetchFor<false>(u.clampS, u.clampT);
            sampleRun(s, tex->levels[choice[i] >> 1], bilinear, fetch, i, j, out);
            i = j;
        }
        return;
    }
    alignas(16) float scaleS[SPAN_MAX + 4], scaleT[SPAN_MAX + 4];
    alignas(16) int32_t half[SPAN_MAX + 4];
    for (int i = 0; i < n; i++) {
        const TexLevel& l = tex->levels[choice[i] >> 1];
        scaleS[i] = l.scaleS;
        scaleT[i] = l.scaleT;
        half[i] = ((choice[i] & 1) ? minBilinear : magBilinear) ? 128 : 0;
    }
    alignas(16) int32_t uf[SPAN_MAX + 4], vf[SPAN_MAX + 4];
    __m128 lo = _mm_set1_ps(-1073741824.0f), hi = _mm_set1_ps(1073741824.0f);
    for (int i = 0; i < n; i += 4) {
        __m128 su = clamp4(_mm_mul_ps(_mm_loadu_ps(s->s + i), _mm_load_ps(scaleS + i)), lo, hi);
        __m128 tv = clamp4(_mm_mul_ps(_mm_loadu_ps(s->t + i), _mm_load_ps(scaleT + i)), lo, hi);
        __m128i h = _mm_load_si128((const __m128i*)(half + i));
        _mm_store_si128((__m128i*)(uf + i), _mm_sub_epi32(floor4(su), h));
        _mm_store_si128((__m128i*)(vf + i), _mm_sub_epi32(floor4(tv), h));
    }
    mixedFor(u.clampS, u.clampT)(tex, choice, minBilinear, magBilinear, uf, vf, out, n);
}

void levelTableBuild(LevelTable* lt, const DecodedTexture* tex)
{
    const uint32_t* base = tex->levels[0].texels;
    for (int k = 1; k < tex->levelCount; k++)
        if (tex->levels[k].texels < base)
            base = tex->levels[k].texels;
    lt->base = base;
    lt->scaleS = tex->levels[0].scaleS;
    lt->scaleT = tex->levels[0].scaleT;
    for (int k = 0; k < 16; k++) {
        const TexLevel& l = tex->levels[k < tex->levelCount ? k : tex->levelCount - 1];
        lt->offset[k] = (int32_t)(l.texels - base);
        lt->widthLog2[k] = l.widthLog2;
        int hl = 0;
        while ((1 << hl) < l.height)
            hl++;
        lt->heightLog2[k] = hl;
        int ss = 0, sh = 0;
        while (l.scaleS * (float)(1 << ss) < lt->scaleS)
            ss++;
        while (l.scaleT * (float)(1 << sh) < lt->scaleT)
            sh++;
        lt->shiftS[k] = ss;
        lt->shiftT[k] = sh;
    }
}

// TMU1 has nothing upstream: its "other" input is zero.
void stageTexture1(Span* s)
{
    const Pipeline& P = *s->path;
    if (P.tmuSampled[1])
        sampleUnit(s, 1, s->texel);
    combineTmu(s, 1, s->texel, zeroTexels, s->tex[1]);
}

void stageTexture0(Span* s)
{
    const Pipeline& P = *s->path;
    const uint32_t* upstream = P.tmuUpstream >= 0 ? s->tex[1] : zeroTexels;
    const CombinePlan& rgb = P.tmuRgbPlan[0];
    const CombinePlan& alpha = P.tmuAlphaPlan[0];
    // A unit that shows its own texels (the usual case) samples straight into
    // its output.
    if (rgb.op == OP_COPY && rgb.a == IN_TEXEL && alpha.op == OP_COPY && alpha.a == IN_TEXEL) {
        sampleUnit(s, 0, s->tex[0]);
        return;
    }
    if (P.tmuSampled[0])
        sampleUnit(s, 0, s->texel);
    combineTmu(s, 0, s->texel, upstream, s->tex[0]);
}
