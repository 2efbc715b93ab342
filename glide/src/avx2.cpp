// The pixel loops again, eight pixels at a time in 256-bit registers, for
// processors with AVX2 (chosen at run time). Each function computes exactly
// what its 128-bit counterpart computes, operation for operation, so the
// pictures do not depend on the processor.
//
// Only the functions below the target pragma use AVX2; everything included
// above it stays plain x86-64.
#include <immintrin.h>

#include <cstring>

#include "simd.h"

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC target("avx2")
#endif

namespace {

inline __m256 iota8(void) { return _mm256_setr_ps(0.0f, 1.0f, 2.0f, 3.0f, 4.0f, 5.0f, 6.0f, 7.0f); }

// The start of a plane at the span's first pixel (as planeRamp computes it).
inline float planeStart8(const Plane& p, const Span* s)
{
    const Setup* st = s->setup;
    return (float)(p.at + p.dx * ((double)s->x + 0.5 - st->refX) + p.dy * ((double)s->y + 0.5 - st->refY));
}

// floor(v) for |v| < 2^31.
inline __m256i floor8(__m256 v)
{
    __m256i i = _mm256_cvttps_epi32(v);
    __m256 back = _mm256_cvtepi32_ps(i);
    return _mm256_add_epi32(i, _mm256_castps_si256(_mm256_cmp_ps(v, back, _CMP_LT_OQ)));
}

// table[level] for levels 0..15.
inline __m256i lookup16(const int32_t* table, __m256i level)
{
    __m256i lo = _mm256_permutevar8x32_epi32(_mm256_load_si256((const __m256i*)table), level);
    __m256i hi = _mm256_permutevar8x32_epi32(_mm256_load_si256((const __m256i*)(table + 8)), level);
    return _mm256_blendv_epi8(lo, hi, _mm256_cmpgt_epi32(level, _mm256_set1_epi32(7)));
}

// A texel index in [0, size) by the addressing mode (as wrapCoord).
inline __m256i wrap8(__m256i i, __m256i size, int mode)
{
    __m256i one = _mm256_set1_epi32(1);
    __m256i last = _mm256_sub_epi32(size, one);
    switch (mode) {
    case GR_TEXTURECLAMP_CLAMP: return _mm256_min_epi32(_mm256_max_epi32(i, _mm256_setzero_si256()), last);
    case GR_TEXTURECLAMP_MIRROR_EXT: {
        __m256i period = _mm256_sub_epi32(_mm256_add_epi32(size, size), one);
        __m256i m = _mm256_and_si256(i, period);
        return _mm256_blendv_epi8(m, _mm256_sub_epi32(period, m), _mm256_cmpgt_epi32(m, last));
    }
    default: return _mm256_and_si256(i, last);
    }
}

// Per channel (a * (256 - w) + b * w) >> 8 on 16-bit lanes.
inline __m256i lerp16(__m256i a, __m256i b, __m256i w, __m256i iw)
{
    return _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(a, iw), _mm256_mullo_epi16(b, w)), 8);
}

// Eight bilinear mixes (see bilerp in texture.cpp): a b the upper texels, c d
// the lower ones, fu fv the weights 0..255 in 32-bit lanes.
inline __m256i bilerp8(__m256i a, __m256i b, __m256i c, __m256i d, __m256i fu, __m256i fv)
{
    __m256i zero = _mm256_setzero_si256(), full = _mm256_set1_epi16(256);
    // Each pixel's weight in the four 16-bit lanes of its channels.
    fu = _mm256_or_si256(fu, _mm256_slli_epi32(fu, 16));
    fv = _mm256_or_si256(fv, _mm256_slli_epi32(fv, 16));
    __m256i wuLo = _mm256_unpacklo_epi32(fu, fu), wuHi = _mm256_unpackhi_epi32(fu, fu);
    __m256i wvLo = _mm256_unpacklo_epi32(fv, fv), wvHi = _mm256_unpackhi_epi32(fv, fv);
    __m256i iuLo = _mm256_sub_epi16(full, wuLo), iuHi = _mm256_sub_epi16(full, wuHi);
    __m256i ivLo = _mm256_sub_epi16(full, wvLo), ivHi = _mm256_sub_epi16(full, wvHi);
    __m256i topLo = lerp16(_mm256_unpacklo_epi8(a, zero), _mm256_unpacklo_epi8(b, zero), wuLo, iuLo);
    __m256i topHi = lerp16(_mm256_unpackhi_epi8(a, zero), _mm256_unpackhi_epi8(b, zero), wuHi, iuHi);
    __m256i botLo = lerp16(_mm256_unpacklo_epi8(c, zero), _mm256_unpacklo_epi8(d, zero), wuLo, iuLo);
    __m256i botHi = lerp16(_mm256_unpackhi_epi8(c, zero), _mm256_unpackhi_epi8(d, zero), wuHi, iuHi);
    return _mm256_packus_epi16(lerp16(topLo, botLo, wvLo, ivLo), lerp16(topHi, botHi, wvHi, ivHi));
}

// The derivatives of a primitive's texture planes, for the level of detail.
struct Gradients {
    __m256 dsx, dtx, dqx, dsy, dty, dqy, sign;
    __m256i offset, none, expBias;
};

// log2 of the largest texel step per pixel with 8 fraction bits, plus the
// unit's offset (see sampleUnit in texture.cpp).
inline __m256i levelOfDetail8(const Gradients& g, __m256 r, __m256 ss, __m256 tt)
{
    __m256 a = _mm256_andnot_ps(g.sign, _mm256_mul_ps(_mm256_sub_ps(g.dsx, _mm256_mul_ps(ss, g.dqx)), r));
    __m256 b = _mm256_andnot_ps(g.sign, _mm256_mul_ps(_mm256_sub_ps(g.dtx, _mm256_mul_ps(tt, g.dqx)), r));
    __m256 c = _mm256_andnot_ps(g.sign, _mm256_mul_ps(_mm256_sub_ps(g.dsy, _mm256_mul_ps(ss, g.dqy)), r));
    __m256 d = _mm256_andnot_ps(g.sign, _mm256_mul_ps(_mm256_sub_ps(g.dty, _mm256_mul_ps(tt, g.dqy)), r));
    __m256 rho = _mm256_max_ps(d, _mm256_max_ps(c, _mm256_max_ps(b, a)));
    __m256i lod = _mm256_sub_epi32(_mm256_srai_epi32(_mm256_castps_si256(rho), 15), g.expBias);
    __m256i positive = _mm256_castps_si256(_mm256_cmp_ps(rho, _mm256_setzero_ps(), _CMP_GT_OQ));
    return _mm256_add_epi32(_mm256_blendv_epi8(g.none, lod, positive), g.offset);
}

const int32_t lodDither8[4][4] = {{8, 136, 40, 168}, {200, 72, 232, 104}, {56, 184, 24, 152}, {248, 120, 216, 88}};

} // namespace

bool sampleUnitAvx2(Span* s, int t, uint32_t* out)
{
    const Pipeline& P = *s->path;
    const Setup* st = s->setup;
    const TmuState& u = P.st.tmu[t];
    const LevelTable& lt = *P.levelTable[t];
    int n = s->n;
    const __m256 iota = iota8();
    const __m256 sq0 = _mm256_set1_ps(planeStart8(st->sq[t], s)), dsq = _mm256_set1_ps((float)st->sq[t].dx);
    const __m256 tq0 = _mm256_set1_ps(planeStart8(st->tq[t], s)), dtq = _mm256_set1_ps((float)st->tq[t].dx);
    const __m256 q0 = _mm256_set1_ps(planeStart8(st->qt[t], s)), dq = _mm256_set1_ps((float)st->qt[t].dx);
    const __m256 one = _mm256_set1_ps(1.0f);

    const bool lodOn = P.tmuLod[t];
    Gradients g;
    g.dsx = _mm256_set1_ps((float)st->sq[t].dx);
    g.dtx = _mm256_set1_ps((float)st->tq[t].dx);
    g.dqx = _mm256_set1_ps((float)st->qt[t].dx);
    g.dsy = _mm256_set1_ps((float)st->sq[t].dy);
    g.dty = _mm256_set1_ps((float)st->tq[t].dy);
    g.dqy = _mm256_set1_ps((float)st->qt[t].dy);
    g.sign = _mm256_set1_ps(-0.0f);
    g.offset = _mm256_set1_epi32(P.tmuLodOffset[t]);
    g.none = _mm256_set1_epi32(-(1 << 20));
    g.expBias = _mm256_set1_epi32(127 << 8);
    const __m256i lodNone = g.none;

    const bool mipmap = P.tmuMipmap[t];
    const __m256i lastLevel = _mm256_set1_epi32(P.texture[t]->levelCount - 1);
    __m256i round = _mm256_set1_epi32(128);
    if (P.tmuDither[t]) {
        const int32_t* row = lodDither8[s->y & 3];
        round = _mm256_setr_epi32(row[s->x & 3], row[(s->x + 1) & 3], row[(s->x + 2) & 3], row[(s->x + 3) & 3],
                                  row[s->x & 3], row[(s->x + 1) & 3], row[(s->x + 2) & 3], row[(s->x + 3) & 3]);
    }
    const bool minBilinear = u.minFilter == GR_TEXTUREFILTER_BILINEAR;
    const bool magBilinear = u.magFilter == GR_TEXTUREFILTER_BILINEAR;
    const __m256i minHalf = _mm256_set1_epi32(minBilinear ? 128 : 0);
    const __m256i magHalf = _mm256_set1_epi32(magBilinear ? 128 : 0);
    const __m256i minWeights = _mm256_set1_epi32(minBilinear ? 255 : 0);
    const __m256i magWeights = _mm256_set1_epi32(magBilinear ? 255 : 0);
    const bool anyBilinear = magBilinear || (lodOn && minBilinear);

    const __m256 scaleS = _mm256_set1_ps(lt.scaleS), scaleT = _mm256_set1_ps(lt.scaleT);
    const __m256 limit = _mm256_set1_ps(1073741824.0f);
    const __m256 absMask = _mm256_castsi256_ps(_mm256_set1_epi32(0x7FFFFFFF));
    const int modeS = u.clampS, modeT = u.clampT;
    const __m256i zero = _mm256_setzero_si256(), oneI = _mm256_set1_epi32(1), low8 = _mm256_set1_epi32(255);

    // With q the same over the whole primitive, 1/q and the level of detail
    // are too (the terms in d(1/w) vanish for any finite s and t, which the
    // range check below guarantees): both once for the span.
    const bool affine = st->qt[t].dx == 0.0 && st->qt[t].dy == 0.0;
    __m256 rConst = _mm256_div_ps(one, _mm256_add_ps(q0, _mm256_mul_ps(_mm256_setzero_ps(), dq)));
    __m256i lodConst = lodNone;
    if (affine && lodOn)
        lodConst = levelOfDetail8(g, rConst, _mm256_setzero_ps(), _mm256_setzero_ps());
    // One level for every pixel of the span: its numbers once.
    const bool oneLevel = !mipmap || !lodOn || (affine && !P.tmuDither[t]);
    int level0 = 0;
    if (mipmap && lodOn && affine) {
        int32_t lod0 = _mm256_cvtsi256_si32(lodConst);
        if (lod0 > 0) {
            level0 = (lod0 + 128) >> 8;
            level0 = level0 < P.texture[t]->levelCount - 1 ? level0 : P.texture[t]->levelCount - 1;
        }
    }
    const __m256i shiftS0 = _mm256_set1_epi32(lt.shiftS[level0]), shiftT0 = _mm256_set1_epi32(lt.shiftT[level0]);

    // Coordinates, levels and filters of every pixel first: a pixel too far
    // out sends the whole span to the general loop before anything is written.
    alignas(32) int32_t uf[SPAN_MAX], vf[SPAN_MAX], level[SPAN_MAX], weights[SPAN_MAX];
    for (int i = 0; i < n; i += 8) {
        __m256 index = _mm256_add_ps(_mm256_set1_ps((float)i), iota);
        __m256 sq = _mm256_add_ps(sq0, _mm256_mul_ps(index, dsq));
        __m256 tq = _mm256_add_ps(tq0, _mm256_mul_ps(index, dtq));
        __m256 r = rConst;
        if (!affine)
            r = _mm256_div_ps(one, _mm256_add_ps(q0, _mm256_mul_ps(index, dq)));
        __m256 ss = _mm256_mul_ps(sq, r), tt = _mm256_mul_ps(tq, r);

        __m256i lod = lodConst;
        if (lodOn) {
            if (!affine)
                lod = levelOfDetail8(g, r, ss, tt);
            _mm256_storeu_si256((__m256i*)(s->lod + i), lod);
        }
        __m256i minified = _mm256_cmpgt_epi32(lod, zero);
        __m256i lv = zero;
        if (mipmap) {
            lv = _mm256_min_epi32(_mm256_srai_epi32(_mm256_add_epi32(lod, round), 8), lastLevel);
            lv = _mm256_and_si256(lv, minified);
        }
        __m256i half = _mm256_blendv_epi8(magHalf, minHalf, minified);

        __m256 su = _mm256_mul_ps(ss, scaleS), tv = _mm256_mul_ps(tt, scaleT);
        __m256 valid = _mm256_cmp_ps(index, _mm256_set1_ps((float)n), _CMP_LT_OQ);
        __m256 inside = _mm256_and_ps(_mm256_cmp_ps(_mm256_and_ps(su, absMask), limit, _CMP_LT_OQ),
                                      _mm256_cmp_ps(_mm256_and_ps(tv, absMask), limit, _CMP_LT_OQ));
        if (_mm256_movemask_ps(_mm256_andnot_ps(inside, valid)) != 0)
            return false;
        __m256i x = _mm256_srav_epi32(floor8(su), oneLevel ? shiftS0 : lookup16(lt.shiftS, lv));
        __m256i y = _mm256_srav_epi32(floor8(tv), oneLevel ? shiftT0 : lookup16(lt.shiftT, lv));
        _mm256_store_si256((__m256i*)(uf + i), _mm256_sub_epi32(x, half));
        _mm256_store_si256((__m256i*)(vf + i), _mm256_sub_epi32(y, half));
        _mm256_store_si256((__m256i*)(level + i), lv);
        _mm256_store_si256((__m256i*)(weights + i), _mm256_blendv_epi8(magWeights, minWeights, minified));
    }

    // Texels by plain loads: gathers cost more than the loads they stand for.
    // Where every pixel's right neighbour lies next to it in memory (all but
    // the texture's edges) one 64-bit load fetches both.
    const uint32_t* base = lt.base;
    const __m256i order = _mm256_setr_epi32(0, 1, 4, 5, 2, 3, 6, 7);
    const __m256i widthLog2 = _mm256_set1_epi32(lt.widthLog2[0]), heightLog2 = _mm256_set1_epi32(lt.heightLog2[0]);
    const __m256i lw0 = _mm256_set1_epi32(lt.widthLog2[level0]), lh0 = _mm256_set1_epi32(lt.heightLog2[level0]);
    const __m256i width0 = _mm256_sllv_epi32(oneI, lw0), height0 = _mm256_sllv_epi32(oneI, lh0);
    const __m256i offset0 = _mm256_set1_epi32(lt.offset[level0]);
    alignas(32) int32_t top[8], bottom[8], right[8];
    alignas(32) uint64_t pairs[16];
    alignas(32) uint32_t quad[32];
    for (int i = 0; i < n; i += 8) {
        __m256i x = _mm256_load_si256((const __m256i*)(uf + i));
        __m256i y = _mm256_load_si256((const __m256i*)(vf + i));
        __m256i lw = lw0, lh = lh0, width = width0, height = height0, offset = offset0;
        if (!oneLevel) {
            __m256i lv = _mm256_load_si256((const __m256i*)(level + i));
            // Each level's sides are level 0's shifted as its coordinates are.
            lw = _mm256_sub_epi32(widthLog2, lookup16(lt.shiftS, lv));
            lh = _mm256_sub_epi32(heightLog2, lookup16(lt.shiftT, lv));
            width = _mm256_sllv_epi32(oneI, lw);
            height = _mm256_sllv_epi32(oneI, lh);
            offset = lookup16(lt.offset, lv);
        }
        __m256i u0 = _mm256_srai_epi32(x, 8), v0 = _mm256_srai_epi32(y, 8);
        __m256i row0 = _mm256_add_epi32(offset, _mm256_sllv_epi32(wrap8(v0, height, modeT), lw));
        __m256i col0 = wrap8(u0, width, modeS);
        _mm256_store_si256((__m256i*)top, _mm256_add_epi32(row0, col0));
        if (!anyBilinear) {
            for (int k = 0; k < 8; k++)
                out[i + k] = base[top[k]];
            continue;
        }
        __m256i row1 = _mm256_add_epi32(offset, _mm256_sllv_epi32(wrap8(_mm256_add_epi32(v0, oneI), height, modeT), lw));
        __m256i col1 = wrap8(_mm256_add_epi32(u0, oneI), width, modeS);
        _mm256_store_si256((__m256i*)bottom, _mm256_add_epi32(row1, col0));
        __m256i w = _mm256_load_si256((const __m256i*)(weights + i));
        __m256i fu = _mm256_and_si256(_mm256_and_si256(x, low8), w);
        __m256i fv = _mm256_and_si256(_mm256_and_si256(y, low8), w);
        __m256i a, b, c, d;
        if (_mm256_movemask_epi8(_mm256_cmpeq_epi32(col1, _mm256_add_epi32(col0, oneI))) == -1) {
            for (int k = 0; k < 8; k++) {
                memcpy(&pairs[k], base + top[k], 8);
                memcpy(&pairs[8 + k], base + bottom[k], 8);
            }
            // Pixels in the order 0 1 4 5 2 3 6 7 after splitting the pairs.
            __m256 p0 = _mm256_load_ps((const float*)pairs), p1 = _mm256_load_ps((const float*)(pairs + 4));
            __m256 p2 = _mm256_load_ps((const float*)(pairs + 8)), p3 = _mm256_load_ps((const float*)(pairs + 12));
            a = _mm256_castps_si256(_mm256_shuffle_ps(p0, p1, 0x88));
            b = _mm256_castps_si256(_mm256_shuffle_ps(p0, p1, 0xDD));
            c = _mm256_castps_si256(_mm256_shuffle_ps(p2, p3, 0x88));
            d = _mm256_castps_si256(_mm256_shuffle_ps(p2, p3, 0xDD));
            __m256i mixed = bilerp8(a, b, c, d, _mm256_permutevar8x32_epi32(fu, order),
                                    _mm256_permutevar8x32_epi32(fv, order));
            _mm256_storeu_si256((__m256i*)(out + i), _mm256_permutevar8x32_epi32(mixed, order));
            continue;
        }
        __m256i colShift = _mm256_sub_epi32(col1, col0);
        _mm256_store_si256((__m256i*)right, colShift);
        for (int k = 0; k < 8; k++) {
            quad[k] = base[top[k]];
            quad[8 + k] = base[top[k] + right[k]];
            quad[16 + k] = base[bottom[k]];
            quad[24 + k] = base[bottom[k] + right[k]];
        }
        a = _mm256_load_si256((const __m256i*)quad);
        b = _mm256_load_si256((const __m256i*)(quad + 8));
        c = _mm256_load_si256((const __m256i*)(quad + 16));
        d = _mm256_load_si256((const __m256i*)(quad + 24));
        _mm256_storeu_si256((__m256i*)(out + i), bilerp8(a, b, c, d, fu, fv));
    }
    return true;
}

// --- combine -------------------------------------------------------------------

namespace {

// round(v / 255) on 16-bit lanes holding products of two 8-bit values.
inline __m256i div255x16(__m256i v)
{
    __m256i t = _mm256_add_epi16(v, _mm256_set1_epi16(128));
    return _mm256_srli_epi16(_mm256_add_epi16(t, _mm256_srli_epi16(t, 8)), 8);
}

inline __m256i mulArgb8(__m256i a, __m256i b)
{
    __m256i zero = _mm256_setzero_si256();
    __m256i lo = div255x16(_mm256_mullo_epi16(_mm256_unpacklo_epi8(a, zero), _mm256_unpacklo_epi8(b, zero)));
    __m256i hi = div255x16(_mm256_mullo_epi16(_mm256_unpackhi_epi8(a, zero), _mm256_unpackhi_epi8(b, zero)));
    return _mm256_packus_epi16(lo, hi);
}

// Per channel round((a * w + b * (255 - w)) / 255), w one byte per pixel.
inline __m256i mixArgb8(__m256i a, __m256i b, __m256i w)
{
    __m256i zero = _mm256_setzero_si256();
    w = _mm256_or_si256(w, _mm256_slli_epi32(w, 8));
    w = _mm256_or_si256(w, _mm256_slli_epi32(w, 16));
    __m256i iw = _mm256_xor_si256(w, _mm256_set1_epi32(-1));
    __m256i lo = _mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpacklo_epi8(a, zero), _mm256_unpacklo_epi8(w, zero)),
                                  _mm256_mullo_epi16(_mm256_unpacklo_epi8(b, zero), _mm256_unpacklo_epi8(iw, zero)));
    __m256i hi = _mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpackhi_epi8(a, zero), _mm256_unpackhi_epi8(w, zero)),
                                  _mm256_mullo_epi16(_mm256_unpackhi_epi8(b, zero), _mm256_unpackhi_epi8(iw, zero)));
    return _mm256_packus_epi16(div255x16(lo), div255x16(hi));
}

} // namespace

void runPlanAvx2(int op, const uint32_t* a, const uint32_t* b, uint32_t* out, uint32_t mask, int n)
{
    __m256i keep = _mm256_set1_epi32((int)~mask), take = _mm256_set1_epi32((int)mask);
    for (int i = 0; i < n; i += 8) {
        __m256i v;
        if (op == OP_ZERO) {
            v = _mm256_setzero_si256();
        } else if (op == OP_COPY) {
            v = _mm256_loadu_si256((const __m256i*)(a + i));
        } else if (op == OP_ADD) {
            v = _mm256_adds_epu8(_mm256_loadu_si256((const __m256i*)(a + i)), _mm256_loadu_si256((const __m256i*)(b + i)));
        } else if (op == OP_COPY_ALPHA) {
            v = _mm256_srli_epi32(_mm256_loadu_si256((const __m256i*)(a + i)), 24);
            v = _mm256_or_si256(v, _mm256_slli_epi32(v, 8));
            v = _mm256_or_si256(v, _mm256_slli_epi32(v, 16));
        } else {
            __m256i y = _mm256_loadu_si256((const __m256i*)(b + i));
            if (op == OP_MUL_ALPHA) {
                y = _mm256_srli_epi32(y, 24);
                y = _mm256_or_si256(y, _mm256_slli_epi32(y, 8));
                y = _mm256_or_si256(y, _mm256_slli_epi32(y, 16));
            }
            v = mulArgb8(_mm256_loadu_si256((const __m256i*)(a + i)), y);
        }
        __m256i o = _mm256_loadu_si256((const __m256i*)(out + i));
        _mm256_storeu_si256((__m256i*)(out + i), _mm256_or_si256(_mm256_and_si256(o, keep), _mm256_and_si256(v, take)));
    }
}

// --- fog, blending, writing ------------------------------------------------------

namespace {

inline __m256i expand565x8(__m256i p)
{
    __m256i r = _mm256_and_si256(_mm256_srli_epi32(p, 11), _mm256_set1_epi32(31));
    __m256i g = _mm256_and_si256(_mm256_srli_epi32(p, 5), _mm256_set1_epi32(63));
    __m256i b = _mm256_and_si256(p, _mm256_set1_epi32(31));
    r = _mm256_or_si256(_mm256_slli_epi32(r, 3), _mm256_srli_epi32(r, 2));
    g = _mm256_or_si256(_mm256_slli_epi32(g, 2), _mm256_srli_epi32(g, 4));
    b = _mm256_or_si256(_mm256_slli_epi32(b, 3), _mm256_srli_epi32(b, 2));
    return _mm256_or_si256(_mm256_set1_epi32((int)0xFF000000u),
                           _mm256_or_si256(_mm256_slli_epi32(r, 16), _mm256_or_si256(_mm256_slli_epi32(g, 8), b)));
}

inline __m256i pack565x8(__m256i c)
{
    __m256i r = _mm256_and_si256(_mm256_srli_epi32(c, 8), _mm256_set1_epi32(0xF800));
    __m256i g = _mm256_and_si256(_mm256_srli_epi32(c, 5), _mm256_set1_epi32(0x07E0));
    __m256i b = _mm256_and_si256(_mm256_srli_epi32(c, 3), _mm256_set1_epi32(0x001F));
    return _mm256_or_si256(_mm256_or_si256(r, g), b);
}

} // namespace

namespace {

// Blend factors for eight pixels, one byte per channel (see srcFactor and
// dstFactor in blend.cpp): as the source alpha in every byte, ad the
// destination alpha likewise.
inline __m256i blendSource(int f, __m256i as, __m256i cd, __m256i ad)
{
    __m256i ones = _mm256_set1_epi32(-1);
    switch (f) {
    case GR_BLEND_SRC_ALPHA: return as;
    case GR_BLEND_DST_COLOR: return cd;
    case GR_BLEND_DST_ALPHA: return ad;
    case GR_BLEND_ONE: return ones;
    case GR_BLEND_ONE_MINUS_SRC_ALPHA: return _mm256_xor_si256(as, ones);
    case GR_BLEND_ONE_MINUS_DST_COLOR: return _mm256_xor_si256(cd, ones);
    case GR_BLEND_ONE_MINUS_DST_ALPHA: return _mm256_xor_si256(ad, ones);
    case GR_BLEND_ALPHA_SATURATE: return _mm256_min_epu8(as, _mm256_xor_si256(ad, ones));
    default: return _mm256_setzero_si256();
    }
}

inline __m256i blendDestination(int f, __m256i as, __m256i cs, __m256i ad, __m256i prefog)
{
    __m256i ones = _mm256_set1_epi32(-1);
    switch (f) {
    case GR_BLEND_SRC_ALPHA: return as;
    case GR_BLEND_SRC_COLOR: return cs;
    case GR_BLEND_DST_ALPHA: return ad;
    case GR_BLEND_ONE: return ones;
    case GR_BLEND_ONE_MINUS_SRC_ALPHA: return _mm256_xor_si256(as, ones);
    case GR_BLEND_ONE_MINUS_SRC_COLOR: return _mm256_xor_si256(cs, ones);
    case GR_BLEND_ONE_MINUS_DST_ALPHA: return _mm256_xor_si256(ad, ones);
    case GR_BLEND_PREFOG_COLOR: return prefog;
    default: return _mm256_setzero_si256();
    }
}

inline __m256i alphaEverywhere(__m256i c)
{
    __m256i a = _mm256_srli_epi32(c, 24);
    a = _mm256_or_si256(a, _mm256_slli_epi32(a, 8));
    return _mm256_or_si256(a, _mm256_slli_epi32(a, 16));
}

// min(255, round((x * f + y * g) / 255)) per channel, on 16-bit lanes: a sum
// past 255 * 255 gives 255 however far past it is.
inline __m256i blendSum16(__m256i x, __m256i f, __m256i y, __m256i g)
{
    __m256i sum = _mm256_adds_epu16(_mm256_mullo_epi16(x, f), _mm256_mullo_epi16(y, g));
    return div255x16(_mm256_min_epu16(sum, _mm256_set1_epi16((short)(255 * 255))));
}

} // namespace

// Blending of the colour channels, alpha kept, for every pixel of the span
// (the aux buffer holds no alpha that is written).
void blendAvx2(Span* s)
{
    const Pipeline& P = *s->path;
    int rs = P.st.blendRgbSrc, rd = P.st.blendRgbDst;
    const uint16_t* alphaPixels = P.alphaBuffer ? s->aux : nullptr;
    __m256i zero = _mm256_setzero_si256(), alphaMask = _mm256_set1_epi32((int)0xFF000000u);
    for (int i = 0; i < s->n; i += 8) {
        // Past the span's end the row goes on (this thread's row): read
        // straight on, except at the row's end, where the last pixels are
        // copied.
        alignas(16) uint16_t dstTail[8] = {}, alphaTail[8] = {};
        const uint16_t* dst = s->color + i;
        const uint16_t* dstAlpha = alphaPixels ? alphaPixels + i : nullptr;
        if (i + 8 > s->n && s->x + i + 8 > P.width) {
            for (int k = 0; k < s->n - i; k++) {
                dstTail[k] = dst[k];
                if (dstAlpha)
                    alphaTail[k] = dstAlpha[k];
            }
            dst = dstTail;
            dstAlpha = dstAlpha ? alphaTail : nullptr;
        }
        __m256i c = _mm256_loadu_si256((const __m256i*)(s->color32 + i));
        __m256i d = expand565x8(_mm256_cvtepu16_epi32(_mm_loadu_si128((const __m128i*)dst)));
        __m256i ad = _mm256_set1_epi32(-1);
        if (dstAlpha) {
            __m256i a = _mm256_and_si256(_mm256_cvtepu16_epi32(_mm_loadu_si128((const __m128i*)dstAlpha)),
                                         _mm256_set1_epi32(255));
            ad = alphaEverywhere(_mm256_slli_epi32(a, 24));
        }
        __m256i as = alphaEverywhere(c);
        __m256i prefog = P.blendReadsPrefog && P.fogActive ? _mm256_loadu_si256((const __m256i*)(s->prefog + i)) : c;
        __m256i sf = blendSource(rs, as, d, ad), df = blendDestination(rd, as, c, ad, prefog);
        __m256i lo = blendSum16(_mm256_unpacklo_epi8(c, zero), _mm256_unpacklo_epi8(sf, zero),
                                _mm256_unpacklo_epi8(d, zero), _mm256_unpacklo_epi8(df, zero));
        __m256i hi = blendSum16(_mm256_unpackhi_epi8(c, zero), _mm256_unpackhi_epi8(sf, zero),
                                _mm256_unpackhi_epi8(d, zero), _mm256_unpackhi_epi8(df, zero));
        __m256i mixed = _mm256_packus_epi16(lo, hi);
        _mm256_storeu_si256((__m256i*)(s->color32 + i),
                            _mm256_or_si256(_mm256_andnot_si256(alphaMask, mixed), _mm256_and_si256(alphaMask, c)));
    }
}

// Colour (and depth) of live pixels, sixteen at a time while they lie inside
// the span; returns how many pixels it covered and adds the written ones.
int writeAvx2(Span* s, bool rgb, bool depth, unsigned* written)
{
    int i = 0;
    __m128i zero8 = _mm_setzero_si128();
    for (; i + 16 <= s->n; i += 16) {
        __m128i live8 = _mm_loadu_si128((const __m128i*)(s->live + i));
        __m256i liveMask = _mm256_cmpgt_epi16(_mm256_cvtepu8_epi16(live8), _mm256_setzero_si256());
        __m128i sums = _mm_sad_epu8(live8, zero8);
        *written += (unsigned)(_mm_cvtsi128_si32(sums) + _mm_extract_epi16(sums, 4));
        if (rgb) {
            __m256i c0 = pack565x8(_mm256_loadu_si256((const __m256i*)(s->color32 + i)));
            __m256i c1 = pack565x8(_mm256_loadu_si256((const __m256i*)(s->color32 + i + 8)));
            __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi32(c0, c1), 0xD8);
            __m256i old = _mm256_loadu_si256((const __m256i*)(s->color + i));
            _mm256_storeu_si256((__m256i*)(s->color + i), _mm256_blendv_epi8(old, packed, liveMask));
        }
        if (depth) {
            __m256i value = _mm256_loadu_si256((const __m256i*)(s->depth + i));
            __m256i old = _mm256_loadu_si256((const __m256i*)(s->aux + i));
            _mm256_storeu_si256((__m256i*)(s->aux + i), _mm256_blendv_epi8(old, value, liveMask));
        }
    }
    return i;
}

#if defined(__clang__)
#pragma clang attribute pop
#endif
