// The interpolation stages: per-pixel values of the primitive's planes that
// the later stages read (iterated colour, the W value of q, depth as alpha).
#include "stages.h"

namespace LANES {

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
    F r0 = splat(start[0]), g0 = splat(start[1]), b0 = splat(start[2]), a0 = splat(start[3]);
    F dr = splat(step[0]), dg = splat(step[1]), db = splat(step[2]), da = splat(step[3]);
    F lo = splat(0.0f), hi = splat(255.0f), half = splat(0.5f);
    bool flat = step[0] == 0.0f && step[1] == 0.0f && step[2] == 0.0f && step[3] == 0.0f;
    F index = iota(), width = splat((float)W);
    for (int i = 0; i < s->n; i += W, index = addF(index, width)) {
        I ir = truncI(addF(clampF(addF(r0, mulF(index, dr)), lo, hi), half));
        I ig = truncI(addF(clampF(addF(g0, mulF(index, dg)), lo, hi), half));
        I ib = truncI(addF(clampF(addF(b0, mulF(index, db)), lo, hi), half));
        I ia = truncI(addF(clampF(addF(a0, mulF(index, da)), lo, hi), half));
        I argb = orI(orI(shl32(ia, 24), shl32(ir, 16)), orI(shl32(ig, 8), ib));
        if (flat) {   // every pixel as the first: no step
            argb = spreadFirst(argb);
            for (int k = 0; k < s->n; k += W)
                storeI(s->iter + k, argb);
            return;
        }
        storeI(s->iter + i, argb);
    }
}

// The 16-bit W value of each pixel (wDepth of the interpolated q) that both
// the W buffer and table fog use.
void stageIterQ(Span* s)
{
    F q0 = splat(planeStart(s->setup->q, s)), dq = splat((float)s->setup->q.dx);
    I one = splatI(0x3F7FFFFF), fifteen = splatI(15), zero = zeroI();
    I far = splatI(0xFFFF), mask12 = splatI(0xFFF), ones = splatI(-1);
    F index = iota(), width = splat((float)W);
    for (int i = 0; i < s->n; i += W, index = addF(index, width)) {
        I bits = bitsI(addF(q0, mulF(index, dq)));
        I zeros = sub32(splatI(126), sar32(bits, 23));
        I mantissa = andI(shr32(bits, 11), mask12);
        I d = orI(shl32(zeros, 12), xorI(mantissa, mask12));
        // beyond 15 leading zeros, or q <= 0: farthest
        I isFar = orI(greater32(zeros, fifteen), xorI(greater32(bits, zero), ones));
        d = select(isFar, far, d);
        d = andnotI(greater32(bits, one), d);   // q >= 1: nearest
        storeI(s->wvalue + i, d);
    }
}

// The alpha combine's "depth" local input: the high byte of the iterated z.
void stageDepthAlpha(Span* s)
{
    alignas(32) float z[SPAN_MAX];
    planeRamp(z, s->setup->z, s);
    for (int i = 0; i < s->n; i++) {
        float c = clampf(z[i], 0.0f, 65535.0f);
        s->depthAlpha[i] = ((uint32_t)(int32_t)c >> 8) << 24;
    }
}

}   // namespace LANES
