// The pixel's depth value and the depth test against the aux buffer. Writing
// the new depth waits for the write stage, so only pixels that pass every
// test change the buffer.
#include "stages.h"

namespace LANES {

// W-buffer depth: the W value plus the depth bias, clamped to 16 bits.
void stageDepthW(Span* s)
{
    const Pipeline& P = *s->path;
    I bias = splatI(P.depthBias), zero = zeroI(), far = splatI(0xFFFF);
    for (int i = 0; i < s->n; i += W)
        storeU16(s->depth + i, min32(max32(add32(loadI(s->wvalue + i), bias), zero), far));
}

// Z-buffer depth: the iterated z rounded and clamped to 16 bits, plus the bias.
void stageDepthZ(Span* s)
{
    const Pipeline& P = *s->path;
    alignas(32) float z[SPAN_MAX];
    planeRamp(z, s->setup->z, s);
    int32_t bias = P.depthBias;
    for (int i = 0; i < s->n; i++) {
        float c = clampf(z[i], 0.0f, 65535.0f);
        int32_t d = (int32_t)(c + 0.5f) + bias;
        s->depth[i] = (uint16_t)(d < 0 ? 0 : (d > 0xFFFF ? 0xFFFF : d));
    }
}

// 2W pixels at a time, as 16-bit lanes: a pixel stays live when the outcome
// of comparing its value with the stored one (less, equal, greater) is one
// the depth function passes.
void stageDepthTest(Span* s)
{
    const Pipeline& P = *s->path;
    I passLess = splat16(P.depthPassLess ? -1 : 0), passEqual = splat16(P.depthPassEqual ? -1 : 0);
    I passGreater = splat16(P.depthPassGreater ? -1 : 0), flip = splat16((int16_t)0x8000);
    I bias = splat16((int16_t)P.depthBiasValue);
    int n = s->n;
    for (int i = 0; i < n; i += 2 * W) {
        // Past the span's end the row goes on (this thread's row): read
        // straight on, except at the row's end, where the last values are
        // copied.
        alignas(32) uint16_t tail[2 * W] = {};
        const uint16_t* stored = s->aux + i;
        if (i + 2 * W > n && s->x + i + 2 * W > P.width) {
            for (int k = 0; k < n - i; k++)
                tail[k] = stored[k];
            stored = tail;
        }
        I value = P.depthToBias ? bias : loadI(s->depth + i);
        I v = xorI(value, flip), o = xorI(loadI(stored), flip);   // unsigned order as signed
        I pass = orI(orI(andI(greater16(o, v), passLess), andI(greater16(v, o), passGreater)),
                     andI(equal16(v, o), passEqual));
        liveAnd16(s->live + i, pass);
    }
}

}   // namespace LANES
