/*
 * The lane-width wrapper the pixel stages are written against.
 *
 * Every stage source is compiled twice: as it is, for the SSE2 that every
 * x86-64 processor has (W = 4 lanes of 32 bits, namespace sse2), and with
 * -mavx2 (W = 8, namespace avx2). A stage names its namespace LANES and
 * works W pixels at a time through the functions below, so one source gives
 * both widths, and both draw the same pixels: each function gives, lane by
 * lane, exactly the plain formula written next to it. validatePipeline()
 * picks the table of one width at run time (stages.cpp).
 *
 * Everything here is static or inside the namespace, and so must be
 * everything a stage source defines: a function shared by the two copies
 * could be linked in its AVX2 form and run on a processor without it.
 *
 * A register of type I holds W 32-bit lanes, or 2W 16-bit or 4W 8-bit ones
 * for the channel arithmetic; the 8- and 16-bit operations work within each
 * 128-bit half, as the instructions do, which the channel arithmetic never
 * needs to cross.
 */
#ifndef OBX_GLIDE_LANES_H
#define OBX_GLIDE_LANES_H

#include <immintrin.h>

#include <cstring>

#include "pixel.h"

#if defined(__AVX2__)
#define LANES avx2
#else
#define LANES sse2
#endif

#define SIMD_INLINE static inline __attribute__((always_inline))

namespace LANES {

#if defined(__AVX2__)

enum { W = 8 };
typedef __m256 F;
typedef __m256i I;

// --- floats ---
SIMD_INLINE F splat(float v)
{
    return _mm256_set1_ps(v);
}
SIMD_INLINE F loadF(const float* p)
{
    return _mm256_loadu_ps(p);
}
SIMD_INLINE void storeF(float* p, F v)
{
    _mm256_storeu_ps(p, v);
}
SIMD_INLINE F iota(void)
{
    return _mm256_setr_ps(0.0f, 1.0f, 2.0f, 3.0f, 4.0f, 5.0f, 6.0f, 7.0f);
}
SIMD_INLINE F addF(F a, F b)
{
    return _mm256_add_ps(a, b);
}
SIMD_INLINE F subF(F a, F b)
{
    return _mm256_sub_ps(a, b);
}
SIMD_INLINE F mulF(F a, F b)
{
    return _mm256_mul_ps(a, b);
}
SIMD_INLINE F divF(F a, F b)
{
    return _mm256_div_ps(a, b);
}
// a > b ? a : b and a < b ? a : b: b when either is NaN
SIMD_INLINE F maxF(F a, F b)
{
    return _mm256_max_ps(a, b);
}
SIMD_INLINE F minF(F a, F b)
{
    return _mm256_min_ps(a, b);
}
SIMD_INLINE F andnotF(F a, F b)
{
    return _mm256_andnot_ps(a, b);
}   // ~a & b
SIMD_INLINE F andF(F a, F b)
{
    return _mm256_and_ps(a, b);
}
SIMD_INLINE F lessF(F a, F b)
{
    return _mm256_cmp_ps(a, b, _CMP_LT_OQ);
}   // all ones where a < b
SIMD_INLINE F greaterF(F a, F b)
{
    return _mm256_cmp_ps(a, b, _CMP_GT_OQ);
}
SIMD_INLINE int signsF(F v)
{
    return _mm256_movemask_ps(v);
}   // bit k: lane k's sign
SIMD_INLINE I truncI(F v)
{
    return _mm256_cvttps_epi32(v);
}   // (int32_t)v, 0x80000000 out of range
SIMD_INLINE F toF(I v)
{
    return _mm256_cvtepi32_ps(v);
}
SIMD_INLINE I bitsI(F v)
{
    return _mm256_castps_si256(v);
}
SIMD_INLINE F bitsF(I v)
{
    return _mm256_castsi256_ps(v);
}

// --- 32-bit lanes ---
SIMD_INLINE I splatI(int32_t v)
{
    return _mm256_set1_epi32(v);
}
SIMD_INLINE I zeroI(void)
{
    return _mm256_setzero_si256();
}
SIMD_INLINE I loadI(const void* p)
{
    return _mm256_loadu_si256((const __m256i*)p);
}
SIMD_INLINE void storeI(void* p, I v)
{
    _mm256_storeu_si256((__m256i*)p, v);
}
SIMD_INLINE I add32(I a, I b)
{
    return _mm256_add_epi32(a, b);
}
SIMD_INLINE I sub32(I a, I b)
{
    return _mm256_sub_epi32(a, b);
}
SIMD_INLINE I andI(I a, I b)
{
    return _mm256_and_si256(a, b);
}
SIMD_INLINE I orI(I a, I b)
{
    return _mm256_or_si256(a, b);
}
SIMD_INLINE I xorI(I a, I b)
{
    return _mm256_xor_si256(a, b);
}
SIMD_INLINE I andnotI(I a, I b)
{
    return _mm256_andnot_si256(a, b);
}   // ~a & b
SIMD_INLINE I shl32(I v, int n)
{
    return _mm256_slli_epi32(v, n);
}
SIMD_INLINE I shr32(I v, int n)
{
    return _mm256_srli_epi32(v, n);
}   // logical
SIMD_INLINE I sar32(I v, int n)
{
    return _mm256_srai_epi32(v, n);
}   // arithmetic
SIMD_INLINE I sarv32(I v, I n)
{
    return _mm256_srav_epi32(v, n);
}   // each lane by its own count
SIMD_INLINE I greater32(I a, I b)
{
    return _mm256_cmpgt_epi32(a, b);
}   // all ones where a > b (signed)
SIMD_INLINE I equal32(I a, I b)
{
    return _mm256_cmpeq_epi32(a, b);
}
SIMD_INLINE I min32(I a, I b)
{
    return _mm256_min_epi32(a, b);
}
SIMD_INLINE I max32(I a, I b)
{
    return _mm256_max_epi32(a, b);
}
// mask ? a : b byte by byte, each byte of the mask all ones or all zeros
SIMD_INLINE I select(I mask, I a, I b)
{
    return _mm256_blendv_epi8(b, a, mask);
}
SIMD_INLINE bool allSet(I mask)
{
    return _mm256_movemask_epi8(mask) == -1;
}
SIMD_INLINE int32_t firstI(I v)
{
    return _mm256_cvtsi256_si32(v);
}
SIMD_INLINE I spreadFirst(I v)
{
    return _mm256_broadcastd_epi32(_mm256_castsi256_si128(v));
}
// table[index] for indexes 0..15, the table 32-byte aligned
SIMD_INLINE I lookup16(const int32_t* table, I index)
{
    I lo = _mm256_permutevar8x32_epi32(_mm256_load_si256((const __m256i*)table), index);
    I hi = _mm256_permutevar8x32_epi32(_mm256_load_si256((const __m256i*)(table + 8)), index);
    return _mm256_blendv_epi8(lo, hi, _mm256_cmpgt_epi32(index, _mm256_set1_epi32(7)));
}

// table[index] for indexes 0..7, the table 32-byte aligned
SIMD_INLINE F lookup8F(const float* table, I index)
{
    return _mm256_permutevar8x32_ps(_mm256_load_ps(table), index);
}
SIMD_INLINE I lookup8(const int32_t* table, I index)
{
    return _mm256_permutevar8x32_epi32(_mm256_load_si256((const __m256i*)table), index);
}

// out[k] = (float)(at + dx * x[k] + dy * y[k]) for k < 8, in double, the
// arrays 32-byte aligned.
SIMD_INLINE void planeRows(float* out, double at, double dx, double dy, const double* x,
                           const double* y)
{
    __m256d a = _mm256_set1_pd(at), sx = _mm256_set1_pd(dx), sy = _mm256_set1_pd(dy);
    for (int k = 0; k < 8; k += 4) {
        __m256d v = _mm256_add_pd(_mm256_add_pd(a, _mm256_mul_pd(sx, _mm256_load_pd(x + k))),
                                  _mm256_mul_pd(sy, _mm256_load_pd(y + k)));
        _mm_store_ps(out + k, _mm256_cvtpd_ps(v));
    }
}

// --- narrow values in memory ---
SIMD_INLINE I loadU8(const uint8_t* p)
{
    return _mm256_cvtepu8_epi32(_mm_loadl_epi64((const __m128i*)p));
}
SIMD_INLINE I loadU16(const uint16_t* p)
{
    return _mm256_cvtepu16_epi32(_mm_loadu_si128((const __m128i*)p));
}
// Lanes of 0..0xFFFF stored as W 16-bit values.
SIMD_INLINE void storeU16(uint16_t* p, I v)
{
    _mm_storeu_si128((__m128i*)p,
                     _mm_packus_epi32(_mm256_castsi256_si128(v), _mm256_extracti128_si256(v, 1)));
}
// Two registers of 0..0xFFFF lanes as one register of 2W 16-bit values, in order.
SIMD_INLINE I pack16(I a, I b)
{
    return _mm256_permute4x64_epi64(_mm256_packus_epi32(a, b), 0xD8);
}
// 2W bytes of 0 or 1 as 16-bit lanes, all ones where 1.
SIMD_INLINE I liveMask16(const uint8_t* live)
{
    return _mm256_cmpgt_epi16(_mm256_cvtepu8_epi16(_mm_loadu_si128((const __m128i*)live)),
                              _mm256_setzero_si256());
}
// The sum of 2W bytes.
SIMD_INLINE unsigned sumBytes(const uint8_t* p)
{
    __m128i sums = _mm_sad_epu8(_mm_loadu_si128((const __m128i*)p), _mm_setzero_si128());
    return (unsigned)(_mm_cvtsi128_si32(sums) + _mm_extract_epi16(sums, 4));
}
// live[k] &= pass[k] for 2W bytes, pass given as 16-bit lanes of all ones or zeros.
SIMD_INLINE void liveAnd16(uint8_t* live, I pass)
{
    __m128i pass8 =
        _mm_packs_epi16(_mm256_castsi256_si128(pass), _mm256_extracti128_si256(pass, 1));
    _mm_storeu_si128((__m128i*)live, _mm_and_si128(_mm_loadu_si128((const __m128i*)live), pass8));
}

// --- 16- and 8-bit lanes ---
SIMD_INLINE I splat16(int16_t v)
{
    return _mm256_set1_epi16(v);
}
SIMD_INLINE I add16(I a, I b)
{
    return _mm256_add_epi16(a, b);
}
SIMD_INLINE I sub16(I a, I b)
{
    return _mm256_sub_epi16(a, b);
}
SIMD_INLINE I mul16(I a, I b)
{
    return _mm256_mullo_epi16(a, b);
}   // low 16 bits of the product
SIMD_INLINE I shr16(I v, int n)
{
    return _mm256_srli_epi16(v, n);
}
SIMD_INLINE I addSat16(I a, I b)
{
    return _mm256_adds_epu16(a, b);
}   // unsigned, at most 0xFFFF
SIMD_INLINE I min16(I a, I b)
{
    return _mm256_min_epu16(a, b);
}   // unsigned
SIMD_INLINE I greater16(I a, I b)
{
    return _mm256_cmpgt_epi16(a, b);
}   // signed
SIMD_INLINE I equal16(I a, I b)
{
    return _mm256_cmpeq_epi16(a, b);
}
SIMD_INLINE I addSat8(I a, I b)
{
    return _mm256_adds_epu8(a, b);
}   // unsigned, at most 255
SIMD_INLINE I min8(I a, I b)
{
    return _mm256_min_epu8(a, b);
}   // unsigned
// The low (high) half of each 128-bit half's bytes, widened to 16-bit lanes.
SIMD_INLINE I lowBytes(I v)
{
    return _mm256_unpacklo_epi8(v, _mm256_setzero_si256());
}
SIMD_INLINE I highBytes(I v)
{
    return _mm256_unpackhi_epi8(v, _mm256_setzero_si256());
}
// 16-bit lanes of 0..255 back to bytes, the reverse of lowBytes / highBytes.
SIMD_INLINE I packBytes(I lo, I hi)
{
    return _mm256_packus_epi16(lo, hi);
}
// Each 32-bit lane of the low (high) half of each 128-bit half, twice.
SIMD_INLINE I lowLanesTwice(I v)
{
    return _mm256_unpacklo_epi32(v, v);
}
SIMD_INLINE I highLanesTwice(I v)
{
    return _mm256_unpackhi_epi32(v, v);
}

// --- texel pairs ---
// W pairs of neighbouring texels, loaded as 64-bit values, split into the
// left and the right texels. The lanes come in "pair order", which
// pairOrder() maps from and back to the pixels' order (it is its own inverse).
SIMD_INLINE void pairsSplit(const uint64_t* pairs, I* left, I* right)
{
    F p0 = _mm256_loadu_ps((const float*)pairs), p1 = _mm256_loadu_ps((const float*)(pairs + 4));
    *left = _mm256_castps_si256(_mm256_shuffle_ps(p0, p1, 0x88));
    *right = _mm256_castps_si256(_mm256_shuffle_ps(p0, p1, 0xDD));
}
SIMD_INLINE I pairOrder(I v)
{
    return _mm256_permutevar8x32_epi32(v, _mm256_setr_epi32(0, 1, 4, 5, 2, 3, 6, 7));
}

#else   // SSE2

enum { W = 4 };
typedef __m128 F;
typedef __m128i I;

// --- floats ---
SIMD_INLINE F splat(float v)
{
    return _mm_set1_ps(v);
}
SIMD_INLINE F loadF(const float* p)
{
    return _mm_loadu_ps(p);
}
SIMD_INLINE void storeF(float* p, F v)
{
    _mm_storeu_ps(p, v);
}
SIMD_INLINE F iota(void)
{
    return _mm_setr_ps(0.0f, 1.0f, 2.0f, 3.0f);
}
SIMD_INLINE F addF(F a, F b)
{
    return _mm_add_ps(a, b);
}
SIMD_INLINE F subF(F a, F b)
{
    return _mm_sub_ps(a, b);
}
SIMD_INLINE F mulF(F a, F b)
{
    return _mm_mul_ps(a, b);
}
SIMD_INLINE F divF(F a, F b)
{
    return _mm_div_ps(a, b);
}
SIMD_INLINE F maxF(F a, F b)
{
    return _mm_max_ps(a, b);
}
SIMD_INLINE F minF(F a, F b)
{
    return _mm_min_ps(a, b);
}
SIMD_INLINE F andnotF(F a, F b)
{
    return _mm_andnot_ps(a, b);
}
SIMD_INLINE F andF(F a, F b)
{
    return _mm_and_ps(a, b);
}
SIMD_INLINE F lessF(F a, F b)
{
    return _mm_cmplt_ps(a, b);
}
SIMD_INLINE F greaterF(F a, F b)
{
    return _mm_cmpgt_ps(a, b);
}
SIMD_INLINE int signsF(F v)
{
    return _mm_movemask_ps(v);
}
SIMD_INLINE I truncI(F v)
{
    return _mm_cvttps_epi32(v);
}
SIMD_INLINE F toF(I v)
{
    return _mm_cvtepi32_ps(v);
}
SIMD_INLINE I bitsI(F v)
{
    return _mm_castps_si128(v);
}
SIMD_INLINE F bitsF(I v)
{
    return _mm_castsi128_ps(v);
}

// --- 32-bit lanes ---
SIMD_INLINE I splatI(int32_t v)
{
    return _mm_set1_epi32(v);
}
SIMD_INLINE I zeroI(void)
{
    return _mm_setzero_si128();
}
SIMD_INLINE I loadI(const void* p)
{
    return _mm_loadu_si128((const __m128i*)p);
}
SIMD_INLINE void storeI(void* p, I v)
{
    _mm_storeu_si128((__m128i*)p, v);
}
SIMD_INLINE I add32(I a, I b)
{
    return _mm_add_epi32(a, b);
}
SIMD_INLINE I sub32(I a, I b)
{
    return _mm_sub_epi32(a, b);
}
SIMD_INLINE I andI(I a, I b)
{
    return _mm_and_si128(a, b);
}
SIMD_INLINE I orI(I a, I b)
{
    return _mm_or_si128(a, b);
}
SIMD_INLINE I xorI(I a, I b)
{
    return _mm_xor_si128(a, b);
}
SIMD_INLINE I andnotI(I a, I b)
{
    return _mm_andnot_si128(a, b);
}
SIMD_INLINE I shl32(I v, int n)
{
    return _mm_slli_epi32(v, n);
}
SIMD_INLINE I shr32(I v, int n)
{
    return _mm_srli_epi32(v, n);
}
SIMD_INLINE I sar32(I v, int n)
{
    return _mm_srai_epi32(v, n);
}
// SSE2 has no per-lane shift counts: lane by lane.
SIMD_INLINE I sarv32(I v, I n)
{
    alignas(16) int32_t a[4], c[4];
    _mm_store_si128((__m128i*)a, v);
    _mm_store_si128((__m128i*)c, n);
    for (int k = 0; k < 4; k++)
        a[k] >>= c[k];
    return _mm_load_si128((const __m128i*)a);
}
SIMD_INLINE I greater32(I a, I b)
{
    return _mm_cmpgt_epi32(a, b);
}
SIMD_INLINE I equal32(I a, I b)
{
    return _mm_cmpeq_epi32(a, b);
}
SIMD_INLINE I select(I mask, I a, I b)
{
    return _mm_or_si128(_mm_and_si128(mask, a), _mm_andnot_si128(mask, b));
}
SIMD_INLINE I min32(I a, I b)
{
    return select(_mm_cmpgt_epi32(a, b), b, a);
}
SIMD_INLINE I max32(I a, I b)
{
    return select(_mm_cmpgt_epi32(a, b), a, b);
}
SIMD_INLINE bool allSet(I mask)
{
    return _mm_movemask_epi8(mask) == 0xFFFF;
}
SIMD_INLINE int32_t firstI(I v)
{
    return _mm_cvtsi128_si32(v);
}
SIMD_INLINE I spreadFirst(I v)
{
    return _mm_shuffle_epi32(v, 0);
}
SIMD_INLINE I lookup16(const int32_t* table, I index)
{
    alignas(16) int32_t k[4];
    _mm_store_si128((__m128i*)k, index);
    return _mm_setr_epi32(table[k[0]], table[k[1]], table[k[2]], table[k[3]]);
}

SIMD_INLINE F lookup8F(const float* table, I index)
{
    alignas(16) int32_t k[4];
    _mm_store_si128((__m128i*)k, index);
    return _mm_setr_ps(table[k[0]], table[k[1]], table[k[2]], table[k[3]]);
}
SIMD_INLINE I lookup8(const int32_t* table, I index)
{
    alignas(16) int32_t k[4];
    _mm_store_si128((__m128i*)k, index);
    return _mm_setr_epi32(table[k[0]], table[k[1]], table[k[2]], table[k[3]]);
}

SIMD_INLINE void planeRows(float* out, double at, double dx, double dy, const double* x,
                           const double* y)
{
    __m128d a = _mm_set1_pd(at), sx = _mm_set1_pd(dx), sy = _mm_set1_pd(dy);
    for (int k = 0; k < 8; k += 4) {
        __m128d v0 = _mm_add_pd(_mm_add_pd(a, _mm_mul_pd(sx, _mm_load_pd(x + k))),
                                _mm_mul_pd(sy, _mm_load_pd(y + k)));
        __m128d v1 = _mm_add_pd(_mm_add_pd(a, _mm_mul_pd(sx, _mm_load_pd(x + k + 2))),
                                _mm_mul_pd(sy, _mm_load_pd(y + k + 2)));
        _mm_store_ps(out + k, _mm_movelh_ps(_mm_cvtpd_ps(v0), _mm_cvtpd_ps(v1)));
    }
}

// --- narrow values in memory ---
SIMD_INLINE I loadU8(const uint8_t* p)
{
    int32_t four;
    memcpy(&four, p, 4);
    __m128i zero = _mm_setzero_si128();
    return _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(four), zero), zero);
}
SIMD_INLINE I loadU16(const uint16_t* p)
{
    return _mm_unpacklo_epi16(_mm_loadl_epi64((const __m128i*)p), _mm_setzero_si128());
}
// SSE2 packs signed: move 0..0xFFFF to the signed range and back.
SIMD_INLINE I pack16(I a, I b)
{
    __m128i bias = _mm_set1_epi32(0x8000);
    __m128i p = _mm_packs_epi32(_mm_sub_epi32(a, bias), _mm_sub_epi32(b, bias));
    return _mm_xor_si128(p, _mm_set1_epi16((short)0x8000));
}
SIMD_INLINE void storeU16(uint16_t* p, I v)
{
    _mm_storel_epi64((__m128i*)p, pack16(v, v));
}
SIMD_INLINE I liveMask16(const uint8_t* live)
{
    __m128i zero = _mm_setzero_si128();
    __m128i wide = _mm_unpacklo_epi8(_mm_loadl_epi64((const __m128i*)live), zero);
    return _mm_xor_si128(_mm_cmpeq_epi16(wide, zero), _mm_set1_epi32(-1));
}
SIMD_INLINE unsigned sumBytes(const uint8_t* p)
{
    return (unsigned)_mm_cvtsi128_si32(
        _mm_sad_epu8(_mm_loadl_epi64((const __m128i*)p), _mm_setzero_si128()));
}
SIMD_INLINE void liveAnd16(uint8_t* live, I pass)
{
    __m128i pass8 = _mm_packs_epi16(pass, pass);
    _mm_storel_epi64((__m128i*)live, _mm_and_si128(_mm_loadl_epi64((const __m128i*)live), pass8));
}

// --- 16- and 8-bit lanes ---
SIMD_INLINE I splat16(int16_t v)
{
    return _mm_set1_epi16(v);
}
SIMD_INLINE I add16(I a, I b)
{
    return _mm_add_epi16(a, b);
}
SIMD_INLINE I sub16(I a, I b)
{
    return _mm_sub_epi16(a, b);
}
SIMD_INLINE I mul16(I a, I b)
{
    return _mm_mullo_epi16(a, b);
}
SIMD_INLINE I shr16(I v, int n)
{
    return _mm_srli_epi16(v, n);
}
SIMD_INLINE I addSat16(I a, I b)
{
    return _mm_adds_epu16(a, b);
}
SIMD_INLINE I min16(I a, I b)
{
    return _mm_subs_epu16(a, _mm_subs_epu16(a, b));
}   // a - max(a - b, 0)
SIMD_INLINE I greater16(I a, I b)
{
    return _mm_cmpgt_epi16(a, b);
}
SIMD_INLINE I equal16(I a, I b)
{
    return _mm_cmpeq_epi16(a, b);
}
SIMD_INLINE I addSat8(I a, I b)
{
    return _mm_adds_epu8(a, b);
}
SIMD_INLINE I min8(I a, I b)
{
    return _mm_min_epu8(a, b);
}
SIMD_INLINE I lowBytes(I v)
{
    return _mm_unpacklo_epi8(v, _mm_setzero_si128());
}
SIMD_INLINE I highBytes(I v)
{
    return _mm_unpackhi_epi8(v, _mm_setzero_si128());
}
SIMD_INLINE I packBytes(I lo, I hi)
{
    return _mm_packus_epi16(lo, hi);
}
SIMD_INLINE I lowLanesTwice(I v)
{
    return _mm_unpacklo_epi32(v, v);
}
SIMD_INLINE I highLanesTwice(I v)
{
    return _mm_unpackhi_epi32(v, v);
}

// --- texel pairs ---
SIMD_INLINE void pairsSplit(const uint64_t* pairs, I* left, I* right)
{
    F p0 = _mm_loadu_ps((const float*)pairs), p1 = _mm_loadu_ps((const float*)(pairs + 2));
    *left = _mm_castps_si128(_mm_shuffle_ps(p0, p1, 0x88));
    *right = _mm_castps_si128(_mm_shuffle_ps(p0, p1, 0xDD));
}
SIMD_INLINE I pairOrder(I v)
{
    return v;
}

#endif

// --- built on the above, the same for every width ---

// a * b for lanes of 0..0xFFFF whose products stay below 2^16.
SIMD_INLINE I mulSmall(I a, I b)
{
    return mul16(a, b);
}

// clampf(v, lo, hi) lane by lane; NaN becomes lo.
SIMD_INLINE F clampF(F v, F lo, F hi)
{
    return minF(maxF(v, lo), hi);
}

// floor(v) for |v| < 2^31 (truncate, then step down where that rounded up).
SIMD_INLINE I floorI(F v)
{
    I i = truncI(v);
    return add32(i, bitsI(lessF(v, toF(i))));
}

// The start of a plane at the span's first pixel.
SIMD_INLINE float planeStart(const Plane& p, const Span* s)
{
    const Setup* st = s->setup;
    return (float)(p.at + p.dx * ((double)s->x + 0.5 - st->refX) +
                   p.dy * ((double)s->y + 0.5 - st->refY));
}

// A plane along the span: the value at its row's start plus the column
// times the step, for a span of one row or of several.
struct Ramp {
    F start, step;
    alignas(32) float rowStart[SPAN_ROWS_MAX];
};

SIMD_INLINE void rampInit(Ramp* r, const Plane& p, const Span* s)
{
    r->step = splat((float)p.dx);
    if (!s->rows) {
        r->start = splat(planeStart(p, s));
        return;
    }
    r->start = splat(0.0f);
    planeRows(r->rowStart, p.at, p.dx, p.dy, s->rowDX, s->rowDY);
}

// The same value everywhere.
SIMD_INLINE void rampConstant(Ramp* r, float v)
{
    r->step = splat(0.0f);
    r->start = splat(v);
    for (int k = 0; k < SPAN_ROWS_MAX; k++)
        r->rowStart[k] = v;
}

// The values of pixels i .. i + W - 1, index holding i .. i + W - 1. ROWS:
// the span has several rows (the loops are compiled for each case).
template <bool ROWS>
SIMD_INLINE F rampAt(const Ramp& r, const Span* s, int i, F index)
{
    if (!ROWS)
        return addF(r.start, mulF(index, r.step));
    return addF(lookup8F(r.rowStart, loadI(s->laneRow + i)),
                mulF(loadF(s->laneColumn + i), r.step));
}

// The buffer columns and rows of pixels i .. i + W - 1 of a span of
// several rows.
SIMD_INLINE I laneColumns(const Span* s, int i)
{
    return add32(lookup8(s->rowX, loadI(s->laneRow + i)), truncI(loadF(s->laneColumn + i)));
}
SIMD_INLINE I laneRows(const Span* s, int i)
{
    return lookup8(s->rowY, loadI(s->laneRow + i));
}

// out[i] = the plane's value at pixel i of the span, for the span's pixels
// (rounded up to whole registers).
template <bool ROWS>
SIMD_INLINE void planeRampRun(float* out, const Ramp& r, const Span* s)
{
    F index = iota(), width = splat((float)W);
    for (int i = 0; i < s->n; i += W, index = addF(index, width))
        storeF(out + i, rampAt<ROWS>(r, s, i, index));
}
SIMD_INLINE void planeRamp(float* out, const Plane& p, const Span* s)
{
    Ramp r;
    rampInit(&r, p, s);
    if (s->rows)
        planeRampRun<true>(out, r, s);
    else
        planeRampRun<false>(out, r, s);
}

// round(x / 255) on 16-bit lanes holding products of two 8-bit values.
SIMD_INLINE I div255x16(I v)
{
    I t = add16(v, splat16(128));
    return shr16(add16(t, shr16(t, 8)), 8);
}

// Per channel a * b / 255, rounded, for W 0xAARRGGBB pixels.
SIMD_INLINE I mulArgb(I a, I b)
{
    I lo = div255x16(mul16(lowBytes(a), lowBytes(b)));
    I hi = div255x16(mul16(highBytes(a), highBytes(b)));
    return packBytes(lo, hi);
}

// A byte per lane (0..255, in the low byte) copied into all four bytes.
SIMD_INLINE I byteEverywhere(I w)
{
    w = orI(w, shl32(w, 8));
    return orI(w, shl32(w, 16));
}

// Each pixel's alpha in all four of its bytes.
SIMD_INLINE I alphaEverywhere(I c)
{
    return byteEverywhere(shr32(c, 24));
}

// Per channel round((a * w + b * (255 - w)) / 255), w one byte per pixel
// (0..255, in the low byte of each lane).
SIMD_INLINE I mixArgb(I a, I b, I w)
{
    w = byteEverywhere(w);
    I iw = xorI(w, splatI(-1));
    I lo = add16(mul16(lowBytes(a), lowBytes(w)), mul16(lowBytes(b), lowBytes(iw)));
    I hi = add16(mul16(highBytes(a), highBytes(w)), mul16(highBytes(b), highBytes(iw)));
    return packBytes(div255x16(lo), div255x16(hi));
}

// expand565 of the low 16 bits of each lane.
SIMD_INLINE I expand565Lanes(I p)
{
    I r = andI(shr32(p, 11), splatI(31));
    I g = andI(shr32(p, 5), splatI(63));
    I b = andI(p, splatI(31));
    r = orI(shl32(r, 3), shr32(r, 2));
    g = orI(shl32(g, 2), shr32(g, 4));
    b = orI(shl32(b, 3), shr32(b, 2));
    return orI(splatI((int32_t)0xFF000000u), orI(shl32(r, 16), orI(shl32(g, 8), b)));
}

// pack565 of each lane, in its low 16 bits.
SIMD_INLINE I pack565Lanes(I c)
{
    I r = andI(shr32(c, 8), splatI(0xF800));
    I g = andI(shr32(c, 5), splatI(0x07E0));
    I b = andI(shr32(c, 3), splatI(0x001F));
    return orI(orI(r, g), b);
}

}   // namespace LANES

#endif
