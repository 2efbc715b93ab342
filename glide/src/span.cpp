// Running the pixel path over a span, and the interpolation stages that fill
// the per-pixel arrays from the primitive's planes.
#include "simd.h"

void spanDraw(Span* s, const Setup* setup, int y, int x0, int x1)
{
    const Pipeline& P = *s->path;
    s->setup = setup;
    s->y = y;
    uint16_t* colorRow = P.color + (size_t)y * P.width;
    uint16_t* auxRow = P.aux ? P.aux + (size_t)y * P.width : nullptr;
    for (int x = x0; x < x1; x += SPAN_MAX) {
        int n = x1 - x < SPAN_MAX ? x1 - x : SPAN_MAX;
        s->x = x;
        s->n = n;
        s->color = colorRow + x;
        s->aux = auxRow ? auxRow + x : nullptr;
        for (int i = 0; i < n; i++)
            s->live[i] = 1;
        for (int k = 0; k < P.stageCount; k++)
            P.stages[k](s);
    }
}

void pixelsDraw(Span* s, const Setup* setup, const PixelAt* at, int count, int part, int step)
{
    for (int i = 0; i < count; i++)
        if (at[i].y % step == part)
            spanDraw(s, setup, at[i].y, at[i].x, at[i].x + 1);
}

// Start of a plane at the span's first pixel.
static inline float planeStart(const Plane& p, const Span* s)
{
    const Setup* st = s->setup;
    return (float)(p.at + p.dx * ((double)s->x + 0.5 - st->refX) + p.dy * ((double)s->y + 0.5 - st->refY));
}

// Iterated colour, rounded to the nearest integer and clamped to 0..255:
// (int)(clampf(start + i * step, 0, 255) + 0.5f) for each channel.
void stageIterColor(Span* s)
{
    const Pipeline& P = *s->path;
    const Setup* setup = s->setup;
    float start[4] = {255.0f, 255.0f, 255.0f, 255.0f}, step[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    if (P.needIterColor) {
        start[0] = planeStart(setup->r, s);
        start[1] = planeStart(setup->g, s);
        start[2] = planeStart(setup->b, s);
        step[0] = (float)setup->r.dx;
        step[1] = (float)setup->g.dx;
        step[2] = (float)setup->b.dx;
    }
    if (P.needIterAlpha) {
        start[3] = planeStart(setup->a, s);
        step[3] = (float)setup->a.dx;
    }
    __m128 r0 = _mm_set1_ps(start[0]), g0 = _mm_set1_ps(start[1]), b0 = _mm_set1_ps(start[2]);
    __m128 a0 = _mm_set1_ps(start[3]);
    __m128 dr = _mm_set1_ps(step[0]), dg = _mm_set1_ps(step[1]), db = _mm_set1_ps(step[2]), da = _mm_set1_ps(step[3]);
    __m128 lo = _mm_setzero_ps(), hi = _mm_set1_ps(255.0f), half = _mm_set1_ps(0.5f);
    __m128 index = _mm_setr_ps(0.0f, 1.0f, 2.0f, 3.0f), four = _mm_set1_ps(4.0f);
    for (int i = 0; i < s->n; i += 4) {
        __m128 r = _mm_add_ps(r0, _mm_mul_ps(index, dr)), g = _mm_add_ps(g0, _mm_mul_ps(index, dg));
        __m128 b = _mm_add_ps(b0, _mm_mul_ps(index, db)), a = _mm_add_ps(a0, _mm_mul_ps(index, da));
        __m128i ir = _mm_cvttps_epi32(_mm_add_ps(clamp4(r, lo, hi), half));
        __m128i ig = _mm_cvttps_epi32(_mm_add_ps(clamp4(g, lo, hi), half));
        __m128i ib = _mm_cvttps_epi32(_mm_add_ps(clamp4(b, lo, hi), half));
        __m128i ia = _mm_cvttps_epi32(_mm_add_ps(clamp4(a, lo, hi), half));
        __m128i argb = _mm_or_si128(_mm_or_si128(_mm_slli_epi32(ia, 24), _mm_slli_epi32(ir, 16)),
                                    _mm_or_si128(_mm_slli_epi32(ig, 8), ib));
        _mm_store_si128((__m128i*)(s->iter + i), argb);
        index = _mm_add_ps(index, four);
    }
}

// Stores four 0..0xFFFF values held in 32-bit lanes as 16-bit values.
static inline void store4x16(uint16_t* out, __m128i v)
{
    __m128i bias = _mm_set1_epi32(0x8000);
    __m128i packed = _mm_packs_epi32(_mm_sub_epi32(v, bias), _mm_sub_epi32(v, bias));
    packed = _mm_xor_si128(packed, _mm_set1_epi16((short)0x8000));
    _mm_storel_epi64((__m128i*)out, packed);
}

// q, and the 16-bit W value of each pixel (wDepth of q) that both the W
// buffer and table fog use.
void stageIterQ(Span* s)
{
    planeRamp(s->q, s->setup->q, s);
    __m128i one = _mm_set1_epi32(0x3F7FFFFF), fifteen = _mm_set1_epi32(15), zero = _mm_setzero_si128();
    __m128i far = _mm_set1_epi32(0xFFFF), mask12 = _mm_set1_epi32(0xFFF);
    for (int i = 0; i < s->n; i += 4) {
        __m128i bits = _mm_castps_si128(_mm_load_ps(s->q + i));
        __m128i zeros = _mm_sub_epi32(_mm_set1_epi32(126), _mm_srai_epi32(bits, 23));
        __m128i mantissa = _mm_and_si128(_mm_srli_epi32(bits, 11), mask12);
        __m128i d = _mm_or_si128(_mm_slli_epi32(zeros, 12), _mm_xor_si128(mantissa, mask12));
        // beyond 15 leading zeros, or q <= 0: farthest
        __m128i isFar = _mm_or_si128(_mm_cmpgt_epi32(zeros, fifteen),
                                     _mm_xor_si128(_mm_cmpgt_epi32(bits, zero), _mm_set1_epi32(-1)));
        d = _mm_or_si128(_mm_andnot_si128(isFar, d), _mm_and_si128(isFar, far));
        d = _mm_andnot_si128(_mm_cmpgt_epi32(bits, one), d); // q >= 1: nearest
        _mm_store_si128((__m128i*)(s->wvalue + i), d);
    }
}

// W-buffer depth: the W value plus the depth bias, clamped to 16 bits.
void stageDepthW(Span* s)
{
    const Pipeline& P = *s->path;
    __m128i bias = _mm_set1_epi32(P.depthBias), zero = _mm_setzero_si128(), far = _mm_set1_epi32(0xFFFF);
    for (int i = 0; i < s->n; i += 4) {
        __m128i d = _mm_add_epi32(_mm_load_si128((const __m128i*)(s->wvalue + i)), bias);
        d = _mm_andnot_si128(_mm_cmplt_epi32(d, zero), d);
        __m128i over = _mm_cmpgt_epi32(d, far);
        d = _mm_or_si128(_mm_andnot_si128(over, d), _mm_and_si128(over, far));
        store4x16(s->depth + i, d);
    }
}

// Z-buffer depth: the iterated z rounded and clamped to 16 bits, plus the bias.
void stageDepthZ(Span* s)
{
    const Pipeline& P = *s->path;
    alignas(16) float z[SPAN_MAX];
    planeRamp(z, s->setup->z, s);
    int32_t bias = P.depthBias;
    for (int i = 0; i < s->n; i++) {
        float c = clampf(z[i], 0.0f, 65535.0f);
        int32_t d = (int32_t)(c + 0.5f) + bias;
        s->depth[i] = (uint16_t)(d < 0 ? 0 : (d > 0xFFFF ? 0xFFFF : d));
    }
}

// The alpha combine's "depth" local input: the high byte of the iterated z.
void stageDepthAlpha(Span* s)
{
    alignas(16) float z[SPAN_MAX];
    planeRamp(z, s->setup->z, s);
    for (int i = 0; i < s->n; i++) {
        float c = clampf(z[i], 0.0f, 65535.0f);
        s->depthAlpha[i] = ((uint32_t)(int32_t)c >> 8) << 24;
    }
}

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
    alignas(16) float z[SPAN_MAX];
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

// Fog factor from the table, indexed by the per-vertex fog coordinate taken
// as a w.
void stageFogCoord(Span* s)
{
    const Pipeline& P = *s->path;
    alignas(16) float f[SPAN_MAX];
    planeRamp(f, s->setup->fog, s);
    for (int i = 0; i < s->n; i++) {
        float w = f[i];
        float q = w > 1.0f ? 1.0f / w : 1.0f;
        uint32_t d = wDepth(q) + 1;
        s->fog[i] = (uint8_t)fogFromTable(P.st.fogTable, d > 0xFFFF ? 0xFFFF : d);
    }
}
