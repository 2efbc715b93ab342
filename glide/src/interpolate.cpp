// The interpolation stages: per-pixel values of the primitive's planes that
// the later stages read (iterated colour, the W value of q, depth as alpha).
#include "stages.h"

namespace LANES {

// The iterated colour of the span's pixels (ROWS: it has several rows).
template <bool ROWS>
static void iterColorRun(Span* s, const Ramp& r, const Ramp& g, const Ramp& b, const Ramp& a,
                         bool flat)
{
    F lo = splat(0.0f), hi = splat(255.0f), half = splat(0.5f);
    F index = iota(), width = splat((float)W);
    for (int i = 0; i < s->n; i += W, index = addF(index, width)) {
        I ir = truncI(addF(clampF(rampAt<ROWS>(r, s, i, index), lo, hi), half));
        I ig = truncI(addF(clampF(rampAt<ROWS>(g, s, i, index), lo, hi), half));
        I ib = truncI(addF(clampF(rampAt<ROWS>(b, s, i, index), lo, hi), half));
        I ia = truncI(addF(clampF(rampAt<ROWS>(a, s, i, index), lo, hi), half));
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

// Iterated colour, rounded to the nearest integer and clamped to 0..255:
// (int)(clampf(start + i * step, 0, 255) + 0.5f) for each channel.
void stageIterColor(Span* s)
{
    const Pipeline& P = *s->path;
    const Setup* setup = s->setup;
    // A span of several rows of a primitive whose colour does not change at
    // all: each row starts as the first.
    auto still = [](const Plane& p) { return p.dx == 0.0 && p.dy == 0.0; };
    bool rowsStill =
        s->rows && (!P.needIterColor || (still(setup->r) && still(setup->g) && still(setup->b))) &&
        (!P.needIterAlpha || still(setup->a));
    auto init = [&](Ramp* ramp, const Plane& p) {
        if (rowsStill)
            rampConstant(ramp, (float)(p.at + p.dx * s->rowDX[0] + p.dy * s->rowDY[0]));
        else
            rampInit(ramp, p, s);
    };
    Ramp r, g, b, a;
    if (P.needIterColor) {
        init(&r, setup->r);
        init(&g, setup->g);
        init(&b, setup->b);
    } else {
        rampConstant(&r, 255.0f);
        rampConstant(&g, 255.0f);
        rampConstant(&b, 255.0f);
    }
    if (P.needIterAlpha)
        init(&a, setup->a);
    else
        rampConstant(&a, 255.0f);
    // Every pixel as the first when nothing steps along the row (nor, in a
    // span of several rows, from row to row).
    bool flat = (float)setup->r.dx == 0.0f || !P.needIterColor;
    flat = flat && ((float)setup->g.dx == 0.0f || !P.needIterColor);
    flat = flat && ((float)setup->b.dx == 0.0f || !P.needIterColor);
    flat = flat && ((float)setup->a.dx == 0.0f || !P.needIterAlpha);
    for (int k = 1; flat && !rowsStill && k < s->rows; k++)
        flat = r.rowStart[k] == r.rowStart[0] && g.rowStart[k] == g.rowStart[0] &&
               b.rowStart[k] == b.rowStart[0] && a.rowStart[k] == a.rowStart[0];
    if (s->rows)
        iterColorRun<true>(s, r, g, b, a, flat);
    else
        iterColorRun<false>(s, r, g, b, a, flat);
}

// The W values of the span's pixels (ROWS: it has several rows).
template <bool ROWS>
static void iterQRun(Span* s, const Ramp& q)
{
    I one = splatI(0x3F7FFFFF), fifteen = splatI(15), zero = zeroI();
    I far = splatI(0xFFFF), mask12 = splatI(0xFFF), ones = splatI(-1);
    F index = iota(), width = splat((float)W);
    for (int i = 0; i < s->n; i += W, index = addF(index, width)) {
        I bits = bitsI(rampAt<ROWS>(q, s, i, index));
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

// The 16-bit W value of each pixel (wDepth of the interpolated q) that both
// the W buffer and table fog use.
void stageIterQ(Span* s)
{
    Ramp q;
    rampInit(&q, s->setup->q, s);
    if (s->rows)
        iterQRun<true>(s, q);
    else
        iterQRun<false>(s, q);
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
