/*
 * Four-wide helpers for the pixel stages (SSE2, which every x86-64 has).
 * Each gives exactly the result of the plain scalar formula written next to
 * it; the span arrays are SPAN_MAX long, a multiple of four, so a stage may
 * compute up to three values past the span's end and simply ignore them.
 */
#ifndef OBX_GLIDE_SIMD_H
#define OBX_GLIDE_SIMD_H

#include <emmintrin.h>

#include "pixel.h"

// out[i] = start + (float)i * step
inline void rampFill(float* out, float start, float step, int n)
{
    __m128 s0 = _mm_set1_ps(start), st = _mm_set1_ps(step);
    __m128 index = _mm_setr_ps(0.0f, 1.0f, 2.0f, 3.0f), four = _mm_set1_ps(4.0f);
    for (int i = 0; i < n; i += 4) {
        _mm_store_ps(out + i, _mm_add_ps(s0, _mm_mul_ps(index, st)));
        index = _mm_add_ps(index, four);
    }
}

// The start of a plane at the span's first pixel, then the ramp along it.
inline void planeRamp(float* out, const Plane& p, const Span* s)
{
    const Setup* st = s->setup;
    float start = (float)(p.at + p.dx * ((double)s->x + 0.5 - st->refX) + p.dy * ((double)s->y + 0.5 - st->refY));
    rampFill(out, start, (float)p.dx, s->n);
}

// clampf(v, lo, hi) four at a time; NaN becomes lo.
inline __m128 clamp4(__m128 v, __m128 lo, __m128 hi) { return _mm_min_ps(_mm_max_ps(v, lo), hi); }

// floor(v) for |v| < 2^31 (truncate, then step down where that rounded up).
inline __m128i floor4(__m128 v)
{
    __m128i i = _mm_cvttps_epi32(v);
    __m128 back = _mm_cvtepi32_ps(i);
    return _mm_add_epi32(i, _mm_castps_si128(_mm_cmplt_ps(v, back)));
}

// round(x * f / 255) on 16-bit lanes holding products of two 8-bit values.
inline __m128i div255x16(__m128i v)
{
    __m128i t = _mm_add_epi16(v, _mm_set1_epi16(128));
    return _mm_srli_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), 8);
}

// Per channel a * b / 255, rounded, for four 0xAARRGGBB pixels.
inline __m128i mulArgb4(__m128i a, __m128i b)
{
    __m128i zero = _mm_setzero_si128();
    __m128i lo = div255x16(_mm_mullo_epi16(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(b, zero)));
    __m128i hi = div255x16(_mm_mullo_epi16(_mm_unpackhi_epi8(a, zero), _mm_unpackhi_epi8(b, zero)));
    return _mm_packus_epi16(lo, hi);
}

// Per channel round((a * w + b * (255 - w)) / 255) for four pixels, w one
// byte per pixel (0..255, in the low byte of each lane).
inline __m128i mixArgb4(__m128i a, __m128i b, __m128i w)
{
    __m128i zero = _mm_setzero_si128();
    w = _mm_or_si128(w, _mm_slli_epi32(w, 8));
    w = _mm_or_si128(w, _mm_slli_epi32(w, 16));
    __m128i iw = _mm_xor_si128(w, _mm_set1_epi32(-1));
    __m128i lo = _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(w, zero)),
                               _mm_mullo_epi16(_mm_unpacklo_epi8(b, zero), _mm_unpacklo_epi8(iw, zero)));
    __m128i hi = _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(a, zero), _mm_unpackhi_epi8(w, zero)),
                               _mm_mullo_epi16(_mm_unpackhi_epi8(b, zero), _mm_unpackhi_epi8(iw, zero)));
    return _mm_packus_epi16(div255x16(lo), div255x16(hi));
}

// expand565 for four pixels held in the low 16 bits of each lane.
inline __m128i expand565x4(__m128i p)
{
    __m128i r = _mm_and_si128(_mm_srli_epi32(p, 11), _mm_set1_epi32(31));
    __m128i g = _mm_and_si128(_mm_srli_epi32(p, 5), _mm_set1_epi32(63));
    __m128i b = _mm_and_si128(p, _mm_set1_epi32(31));
    r = _mm_or_si128(_mm_slli_epi32(r, 3), _mm_srli_epi32(r, 2));
    g = _mm_or_si128(_mm_slli_epi32(g, 2), _mm_srli_epi32(g, 4));
    b = _mm_or_si128(_mm_slli_epi32(b, 3), _mm_srli_epi32(b, 2));
    return _mm_or_si128(_mm_set1_epi32((int)0xFF000000u),
                        _mm_or_si128(_mm_slli_epi32(r, 16), _mm_or_si128(_mm_slli_epi32(g, 8), b)));
}

// Four 16-bit pixels from memory, widened to one per 32-bit lane.
inline __m128i load4x16(const uint16_t* p)
{
    return _mm_unpacklo_epi16(_mm_loadl_epi64((const __m128i*)p), _mm_setzero_si128());
}

#endif
