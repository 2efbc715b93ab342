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
//
// A span is sampled W pixels at a time from the level table (the lanes
// path); coordinates too far out for its fixed point send the span to the
// general path, which samples the same texels pixel by pixel.
#include "stages.h"

namespace LANES {

alignas(64) static const uint32_t zeroTexels[SPAN_MAX] = {};

// --- the level of detail ---

// The derivatives of a primitive's texture planes for unit t, and the unit's
// offset of the level of detail.
struct Gradients {
    F dsx, dtx, dqx, dsy, dty, dqy;
    I offset;
};

static inline Gradients gradients(const Setup* st, int t, int32_t offset)
{
    Gradients g;
    g.dsx = splat((float)st->sq[t].dx);
    g.dtx = splat((float)st->tq[t].dx);
    g.dqx = splat((float)st->qt[t].dx);
    g.dsy = splat((float)st->sq[t].dy);
    g.dty = splat((float)st->tq[t].dy);
    g.dqy = splat((float)st->qt[t].dy);
    g.offset = splatI(offset);
    return g;
}

// ds/dx = (d(s/w)/dx - s * d(1/w)/dx) * w and so on, r = w;
// rho = max(|ds/dx|, |dt/dx|, |ds/dy|, |dt/dy|); its log2 is the float's
// exponent and top mantissa bits read as one fixed-point number.
static inline I levelOfDetail(const Gradients& g, F r, F ss, F tt)
{
    F sign = splat(-0.0f);
    F a = andnotF(sign, mulF(subF(g.dsx, mulF(ss, g.dqx)), r));
    F b = andnotF(sign, mulF(subF(g.dtx, mulF(tt, g.dqx)), r));
    F c = andnotF(sign, mulF(subF(g.dsy, mulF(ss, g.dqy)), r));
    F d = andnotF(sign, mulF(subF(g.dty, mulF(tt, g.dqy)), r));
    // rho = a > b ? a : b, and so on: maxps keeps its second operand on NaN
    F rho = maxF(d, maxF(c, maxF(b, a)));
    I lod = sub32(sar32(bitsI(rho), 15), splatI(127 << 8));
    I positive = bitsI(greaterF(rho, splat(0.0f)));
    return add32(select(positive, lod, splatI(-(1 << 20))), g.offset);
}

// The ordered-dither thresholds of a row (y & 3), each row repeated so that
// the eight values from any column (x & 3) on lie next to each other.
alignas(64) static const int32_t lodDither[4][12] = {
    {8, 136, 40, 168, 8, 136, 40, 168, 8, 136, 40, 168},
    {200, 72, 232, 104, 200, 72, 232, 104, 200, 72, 232, 104},
    {56, 184, 24, 152, 56, 184, 24, 152, 56, 184, 24, 152},
    {248, 120, 216, 88, 248, 120, 216, 88, 248, 120, 216, 88}};
// The same, row y & 3 at 4 * (y & 3).
alignas(64) static const int32_t lodDitherFlat[16] = {8,  136, 40, 168, 200, 72,  232, 104,
                                                      56, 184, 24, 152, 248, 120, 216, 88};

// --- the lanes path ---

// A texel index in [0, size) by the addressing mode (as wrapCoord).
static inline I wrapLanes(I i, I size, int mode)
{
    I one = splatI(1);
    I last = sub32(size, one);
    switch (mode) {
    case GR_TEXTURECLAMP_CLAMP: return min32(max32(i, zeroI()), last);
    case GR_TEXTURECLAMP_MIRROR_EXT: {
        I period = sub32(add32(size, size), one);
        I m = andI(i, period);
        return select(greater32(m, last), sub32(period, m), m);
    }
    default: return andI(i, last);
    }
}

// Per channel (a * (256 - w) + b * w) >> 8 on 16-bit lanes.
static inline I lerp16(I a, I b, I w, I iw)
{
    return shr16(add16(mul16(a, iw), mul16(b, w)), 8);
}

// W bilinear mixes (as bilerp): a b the upper texels, c d the lower ones, fu
// fv the weights 0..255 in 32-bit lanes.
static inline I bilerpLanes(I a, I b, I c, I d, I fu, I fv)
{
    I full = splat16(256);
    // Each pixel's weight in the four 16-bit lanes of its channels.
    fu = orI(fu, shl32(fu, 16));
    fv = orI(fv, shl32(fv, 16));
    I wuLo = lowLanesTwice(fu), wuHi = highLanesTwice(fu);
    I wvLo = lowLanesTwice(fv), wvHi = highLanesTwice(fv);
    I iuLo = sub16(full, wuLo), iuHi = sub16(full, wuHi);
    I ivLo = sub16(full, wvLo), ivHi = sub16(full, wvHi);
    I topLo = lerp16(lowBytes(a), lowBytes(b), wuLo, iuLo);
    I topHi = lerp16(highBytes(a), highBytes(b), wuHi, iuHi);
    I botLo = lerp16(lowBytes(c), lowBytes(d), wuLo, iuLo);
    I botHi = lerp16(highBytes(c), highBytes(d), wuHi, iuHi);
    return packBytes(lerp16(topLo, botLo, wvLo, ivLo), lerp16(topHi, botHi, wvHi, ivHi));
}

// Where each pixel of a span samples its texels: fixed-point coordinates in
// its level (8 fraction bits, moved half a texel back when bilinear), the
// level, and the bilinear weights' mask (255, or 0 for point sampling).
struct LaneCoords {
    alignas(32) int32_t u[SPAN_MAX], v[SPAN_MAX], level[SPAN_MAX], weights[SPAN_MAX];
    bool oneLevel;   // every pixel samples level `level0`
    int level0;
};

// Coordinates, levels and filters of every pixel of the span for unit t, and
// its level of detail when the unit needs it; false when a coordinate is too
// far out for the fixed point (before any texel is fetched). ROWS: the span
// has several rows.
template <bool ROWS>
static bool laneCoordinatesRun(Span* s, int t, LaneCoords* c)
{
    const Pipeline& P = *s->path;
    const Setup* st = s->setup;
    const TmuState& u = P.st.tmu[t];
    const LevelTable& lt = *P.levelTable[t];
    const int n = s->n;
    Ramp sq, tq, q;
    rampInit(&sq, st->sq[t], s);
    rampInit(&tq, st->tq[t], s);
    rampInit(&q, st->qt[t], s);
    const F one = splat(1.0f);

    const bool lodOn = P.tmuLod[t];
    Gradients g = {};
    if (lodOn)
        g = gradients(st, t, P.tmuLodOffset[t]);
    const bool mipmap = P.tmuMipmap[t];
    const int lastLevel = P.texture[t]->levelCount - 1;
    const bool dither = P.tmuDither[t];
    I round = splatI(128);
    if (dither && !ROWS)
        round = loadI(&lodDither[s->y & 3][s->x & 3]);
    const bool minBilinear = u.minFilter == GR_TEXTUREFILTER_BILINEAR;
    const bool magBilinear = u.magFilter == GR_TEXTUREFILTER_BILINEAR;
    const I minHalf = splatI(minBilinear ? 128 : 0), magHalf = splatI(magBilinear ? 128 : 0);
    const I minWeights = splatI(minBilinear ? 255 : 0), magWeights = splatI(magBilinear ? 255 : 0);
    const F scaleS = splat(lt.scaleS), scaleT = splat(lt.scaleT);
    const F limit = splat(1073741824.0f);
    const F absMask = bitsF(splatI(0x7FFFFFFF));
    const I zero = zeroI();

    // With q the same over the whole primitive, 1/q and the level of detail
    // are too (the terms in d(1/w) vanish for any finite s and t, which the
    // range check below guarantees): both once for the span. Every row of
    // the span starts with the same q then, but for the sign of a zero q,
    // whose coordinates fail the range check whatever its sign.
    const bool affine = st->qt[t].dx == 0.0 && st->qt[t].dy == 0.0;
    const F q0 = ROWS ? splat(q.rowStart[0]) : q.start;
    const F rConst = divF(one, addF(q0, mulF(splat(0.0f), q.step)));
    I lodConst = splatI(-(1 << 20));
    if (affine && lodOn)
        lodConst = levelOfDetail(g, rConst, splat(0.0f), splat(0.0f));
    // One level for every pixel of the span: its numbers once.
    c->oneLevel = !mipmap || !lodOn || (affine && !dither);
    c->level0 = 0;
    if (mipmap && lodOn && affine) {
        int32_t lod0 = firstI(lodConst);
        if (lod0 > 0) {
            int level = (lod0 + 128) >> 8;
            c->level0 = level < lastLevel ? level : lastLevel;
        }
    }
    const int shiftS0 = lt.shiftS[c->level0], shiftT0 = lt.shiftT[c->level0];

    const F count = splat((float)n), width = splat((float)W);
    F index = iota();
    for (int i = 0; i < n; i += W, index = addF(index, width)) {
        F r = affine ? rConst : divF(one, rampAt<ROWS>(q, s, i, index));
        F ss = mulF(rampAt<ROWS>(sq, s, i, index), r), tt = mulF(rampAt<ROWS>(tq, s, i, index), r);

        I lod = lodConst;
        if (lodOn) {
            if (!affine)
                lod = levelOfDetail(g, r, ss, tt);
            storeI(s->lod + i, lod);
        }
        I minified = greater32(lod, zero);
        I lv = zero;
        if (mipmap) {
            if (dither && ROWS) {
                I place = orI(shl32(andI(laneRows(s, i), splatI(3)), 2),
                              andI(laneColumns(s, i), splatI(3)));
                round = lookup16(lodDitherFlat, place);
            }
            lv = andI(min32(sar32(add32(lod, round), 8), splatI(lastLevel)), minified);
        }
        I half = select(minified, minHalf, magHalf);

        F su = mulF(ss, scaleS), tv = mulF(tt, scaleT);
        F valid = lessF(index, count);
        F inside = andF(lessF(andF(su, absMask), limit), lessF(andF(tv, absMask), limit));
        if (signsF(andnotF(inside, valid)) != 0)
            return false;
        I x = floorI(su), y = floorI(tv);
        if (c->oneLevel) {
            x = sar32(x, shiftS0);
            y = sar32(y, shiftT0);
        } else {
            x = sarv32(x, lookup16(lt.shiftS, lv));
            y = sarv32(y, lookup16(lt.shiftT, lv));
        }
        storeI(c->u + i, sub32(x, half));
        storeI(c->v + i, sub32(y, half));
        storeI(c->level + i, lv);
        storeI(c->weights + i, select(minified, minWeights, magWeights));
    }
    return true;
}

static bool laneCoordinates(Span* s, int t, LaneCoords* c)
{
    return s->rows ? laneCoordinatesRun<true>(s, t, c) : laneCoordinatesRun<false>(s, t, c);
}

// The filtered texels of unit t at the coordinates worked out for the span.
// Texels by plain loads: gathers cost more than the loads they stand for.
// Where every pixel's right neighbour lies next to it in memory (all but the
// texture's edges) one 64-bit load fetches both.
static void laneTexels(const Span* s, int t, const LaneCoords& c, uint32_t* out)
{
    const Pipeline& P = *s->path;
    const TmuState& u = P.st.tmu[t];
    const LevelTable& lt = *P.levelTable[t];
    const int modeS = u.clampS, modeT = u.clampT;
    const bool anyBilinear = u.magFilter == GR_TEXTUREFILTER_BILINEAR ||
                             (P.tmuLod[t] && u.minFilter == GR_TEXTUREFILTER_BILINEAR);
    const uint32_t* base = lt.base;
    const int lw0 = lt.widthLog2[c.level0];
    const I width0 = splatI(lt.width[c.level0]), height0 = splatI(lt.height[c.level0]);
    const I offset0 = splatI(lt.offset[c.level0]);
    const I oneI = splatI(1), low8 = splatI(255);
    alignas(32) int32_t top[W], bottom[W], right[W];
    alignas(32) uint64_t pairs[2 * W];
    alignas(32) uint32_t quad[4 * W];
    for (int i = 0; i < s->n; i += W) {
        I x = loadI(c.u + i), y = loadI(c.v + i);
        I sides = width0, lines = height0, offset = offset0;
        if (!c.oneLevel) {
            I lv = loadI(c.level + i);
            sides = lookup16(lt.width, lv);
            lines = lookup16(lt.height, lv);
            offset = lookup16(lt.offset, lv);
        }
        // The first texel of a row of the pixel's level.
        auto rowStart = [&](I row) {
            return add32(offset, c.oneLevel ? shl32(row, lw0) : mulSmall(row, sides));
        };
        I u0 = sar32(x, 8), v0 = sar32(y, 8);
        I col0 = wrapLanes(u0, sides, modeS);
        I row0 = rowStart(wrapLanes(v0, lines, modeT));
        storeI(top, add32(row0, col0));
        if (!anyBilinear) {
            for (int k = 0; k < W; k++)
                out[i + k] = base[top[k]];
            continue;
        }
        I col1 = wrapLanes(add32(u0, oneI), sides, modeS);
        I row1 = rowStart(wrapLanes(add32(v0, oneI), lines, modeT));
        I w = loadI(c.weights + i);
        I fu = andI(andI(x, low8), w), fv = andI(andI(y, low8), w);
        // Clamped past a side, both columns are the side's, and the mix
        // across gives its texel whatever the weight: so does the pair that
        // ends at the right side with all the weight on it (256: the
        // 16-bit mix has room), or starts at the left side with none.
        if (modeS == GR_TEXTURECLAMP_CLAMP && allSet(greater32(sides, oneI))) {
            I last = sub32(sides, oneI);
            I pastRight = greater32(add32(u0, oneI), last), pastLeft = greater32(zeroI(), u0);
            col0 = select(pastRight, sub32(last, oneI), col0);
            col1 = add32(col0, oneI);
            fu = select(pastRight, splatI(256), andnotI(pastLeft, fu));
            storeI(top, add32(row0, col0));
        }
        storeI(bottom, add32(row1, col0));
        I a, b, cc, d;
        if (allSet(equal32(col1, add32(col0, oneI)))) {
            for (int k = 0; k < W; k++) {
                memcpy(&pairs[k], base + top[k], 8);
                memcpy(&pairs[W + k], base + bottom[k], 8);
            }
            pairsSplit(pairs, &a, &b);
            pairsSplit(pairs + W, &cc, &d);
            storeI(out + i, pairOrder(bilerpLanes(a, b, cc, d, pairOrder(fu), pairOrder(fv))));
            continue;
        }
        storeI(right, sub32(col1, col0));
        for (int k = 0; k < W; k++) {
            quad[k] = base[top[k]];
            quad[W + k] = base[top[k] + right[k]];
            quad[2 * W + k] = base[bottom[k]];
            quad[3 * W + k] = base[bottom[k] + right[k]];
        }
        a = loadI(quad);
        b = loadI(quad + W);
        cc = loadI(quad + 2 * W);
        d = loadI(quad + 3 * W);
        storeI(out + i, bilerpLanes(a, b, cc, d, fu, fv));
    }
}

// Samples unit t for the span W pixels at a time from its level table; false
// when a coordinate is too far out for it (the span then takes the general
// path).
static bool sampleLanes(Span* s, int t, uint32_t* out)
{
    LaneCoords c;
    if (!laneCoordinates(s, t, &c))
        return false;
    laneTexels(s, t, c, out);
    return true;
}

// --- the general path ---

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
static inline uint32_t bilerp(uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint32_t fu,
                              uint32_t fv)
{
    __m128i zero = _mm_setzero_si128();
    __m128i wu = _mm_set1_epi32((int)((fu << 16) | (256 - fu)));
    __m128i wv = _mm_set1_epi32((int)((fv << 16) | (256 - fv)));
    __m128i ab = _mm_unpacklo_epi8(
        _mm_unpacklo_epi8(_mm_cvtsi32_si128((int)a), _mm_cvtsi32_si128((int)b)), zero);
    __m128i cd = _mm_unpacklo_epi8(
        _mm_unpacklo_epi8(_mm_cvtsi32_si128((int)c), _mm_cvtsi32_si128((int)d)), zero);
    __m128i top = _mm_srli_epi32(_mm_madd_epi16(ab, wu), 8);
    __m128i bottom = _mm_srli_epi32(_mm_madd_epi16(cd, wu), 8);
    __m128i v =
        _mm_srli_epi32(_mm_madd_epi16(_mm_or_si128(top, _mm_slli_epi32(bottom, 16)), wv), 8);
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
static void fetchMixed(const DecodedTexture* tex, const int* choice, bool minBilinear,
                       bool magBilinear, const int32_t* uf, const int32_t* vf, uint32_t* out, int n)
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

typedef void (*MixedFn)(const DecodedTexture*, const int*, bool, bool, const int32_t*,
                        const int32_t*, uint32_t*, int);

template <int MODE_S>
static MixedFn mixedFor(int modeT)
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

template <bool BILINEAR, int MODE_S>
static FetchFn fetchFor(int modeT)
{
    switch (modeT) {
    case GR_TEXTURECLAMP_CLAMP: return fetchRun<BILINEAR, MODE_S, GR_TEXTURECLAMP_CLAMP>;
    case GR_TEXTURECLAMP_MIRROR_EXT: return fetchRun<BILINEAR, MODE_S, GR_TEXTURECLAMP_MIRROR_EXT>;
    default: return fetchRun<BILINEAR, MODE_S, GR_TEXTURECLAMP_WRAP>;
    }
}

template <bool BILINEAR>
static FetchFn fetchFor(int modeS, int modeT)
{
    switch (modeS) {
    case GR_TEXTURECLAMP_CLAMP: return fetchFor<BILINEAR, GR_TEXTURECLAMP_CLAMP>(modeT);
    case GR_TEXTURECLAMP_MIRROR_EXT: return fetchFor<BILINEAR, GR_TEXTURECLAMP_MIRROR_EXT>(modeT);
    default: return fetchFor<BILINEAR, GR_TEXTURECLAMP_WRAP>(modeT);
    }
}

// Samples pixels [from, to) of the span from one level with one filter.
static void sampleRun(const Span* s, const TexLevel& l, bool bilinear, FetchFn fetch, int from,
                      int to, uint32_t* out)
{
    alignas(32) int32_t uf[SPAN_MAX + LANES_MAX], vf[SPAN_MAX + LANES_MAX];
    F scaleS = splat(l.scaleS), scaleT = splat(l.scaleT);
    // Coordinates beyond 2^30 / 256 texels are pinned; wrap and clamp treat
    // them like any far coordinate.
    F lo = splat(-1073741824.0f), hi = splat(1073741824.0f);
    I half = splatI(bilinear ? 128 : 0);
    for (int i = from, k = 0; i < to; i += W, k += W) {
        F su = clampF(mulF(loadF(s->s + i), scaleS), lo, hi);
        F tv = clampF(mulF(loadF(s->t + i), scaleT), lo, hi);
        storeI(uf + k, sub32(floorI(su), half));
        storeI(vf + k, sub32(floorI(tv), half));
    }
    fetch(l, uf, vf, out + from, to - from);
}

// The span's perspective-correct coordinates (s->s, s->t and 1/q in s->r)
// for unit t, and its level of detail when the unit needs it.
static void generalCoordinates(Span* s, int t)
{
    const Pipeline& P = *s->path;
    int n = s->n;
    const Setup* st = s->setup;
    alignas(32) float sq[SPAN_MAX], tq[SPAN_MAX], q[SPAN_MAX];
    planeRamp(sq, st->sq[t], s);
    planeRamp(tq, st->tq[t], s);
    planeRamp(q, st->qt[t], s);
    F one = splat(1.0f);
    for (int i = 0; i < n; i += W) {
        F r = divF(one, loadF(q + i));
        storeF(s->r + i, r);
        storeF(s->s + i, mulF(loadF(sq + i), r));
        storeF(s->t + i, mulF(loadF(tq + i), r));
    }
    if (P.tmuLod[t]) {
        Gradients g = gradients(st, t, P.tmuLodOffset[t]);
        for (int i = 0; i < n; i += W)
            storeI(s->lod + i, levelOfDetail(g, loadF(s->r + i), loadF(s->s + i), loadF(s->t + i)));
    }
}

// Fills out[] with the filtered texels of texture `tex` for unit t pixel by
// pixel, whatever the coordinates.
static void generalTexels(Span* s, int t, const DecodedTexture* tex, uint32_t* out)
{
    const Pipeline& P = *s->path;
    const TmuState& u = P.st.tmu[t];
    int n = s->n;
    bool minBilinear = u.minFilter == GR_TEXTUREFILTER_BILINEAR,
         magBilinear = u.magFilter == GR_TEXTUREFILTER_BILINEAR;
    if (!P.tmuLod[t]) {   // one level, one filter for the whole span
        FetchFn fetch =
            magBilinear ? fetchFor<true>(u.clampS, u.clampT) : fetchFor<false>(u.clampS, u.clampT);
        sampleRun(s, tex->levels[0], magBilinear, fetch, 0, n, out);
        return;
    }
    // Per pixel: the level (nearest, or by the dither threshold of the
    // pixel's place) and whether it is minified, then its coordinates in
    // that level.
    int last = tex->levelCount - 1;
    bool mipmap = P.tmuMipmap[t], dither = P.tmuDither[t];
    alignas(32) int choice[SPAN_MAX + LANES_MAX];   // level * 2 + minified
    int changes = 0;
    for (int i = 0; i < n; i++) {
        int32_t lod = s->lod[i];
        int level = 0;
        if (mipmap && lod > 0) {
            int32_t round = 128;
            if (dither)
                round = lodDither[spanRow(s, i) & 3][spanColumn(s, i) & 3];
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
            FetchFn fetch =
                bilinear ? fetchFor<true>(u.clampS, u.clampT) : fetchFor<false>(u.clampS, u.clampT);
            sampleRun(s, tex->levels[choice[i] >> 1], bilinear, fetch, i, j, out);
            i = j;
        }
        return;
    }
    alignas(32) float scaleS[SPAN_MAX + LANES_MAX], scaleT[SPAN_MAX + LANES_MAX];
    alignas(32) int32_t half[SPAN_MAX + LANES_MAX];
    for (int i = 0; i < n; i++) {
        const TexLevel& l = tex->levels[choice[i] >> 1];
        scaleS[i] = l.scaleS;
        scaleT[i] = l.scaleT;
        half[i] = ((choice[i] & 1) ? minBilinear : magBilinear) ? 128 : 0;
    }
    alignas(32) int32_t uf[SPAN_MAX + LANES_MAX], vf[SPAN_MAX + LANES_MAX];
    F lo = splat(-1073741824.0f), hi = splat(1073741824.0f);
    for (int i = 0; i < n; i += W) {
        F su = clampF(mulF(loadF(s->s + i), loadF(scaleS + i)), lo, hi);
        F tv = clampF(mulF(loadF(s->t + i), loadF(scaleT + i)), lo, hi);
        I h = loadI(half + i);
        storeI(uf + i, sub32(floorI(su), h));
        storeI(vf + i, sub32(floorI(tv), h));
    }
    mixedFor(u.clampS, u.clampT)(tex, choice, minBilinear, magBilinear, uf, vf, out, n);
}

// Fills out[] with the filtered texels of unit t: W pixels at a time when
// the coordinates allow, else pixel by pixel. Without a texture the unit
// reads opaque white (its level of detail still feeds its combine).
static void sampleUnit(Span* s, int t, uint32_t* out)
{
    const DecodedTexture* tex = s->path->texture[t];
    if (tex && sampleLanes(s, t, out))
        return;
    generalCoordinates(s, t);
    if (tex) {
        generalTexels(s, t, tex, out);
        return;
    }
    for (int i = 0; i < s->n; i++)
        out[i] = 0xFFFFFFFFu;
}

// TMU1 has nothing upstream: its "other" input is zero.
void stageTexture1(Span* s)
{
    const Pipeline& P = *s->path;
    if (P.tmuSampled[1])
        sampleUnit(s, 1, s->texel);
    if (P.texChroma[1])
        texChromaKey(s, 1, s->texel);
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
        if (P.texChroma[0])
            texChromaKey(s, 0, s->tex[0]);
        return;
    }
    if (P.tmuSampled[0])
        sampleUnit(s, 0, s->texel);
    if (P.texChroma[0])
        texChromaKey(s, 0, s->texel);
    combineTmu(s, 0, s->texel, upstream, s->tex[0]);
}

}   // namespace LANES
