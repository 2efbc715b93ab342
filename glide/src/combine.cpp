// The combine units (colour, alpha and each texture unit's), the chroma-key
// test and the alpha test.
//
// Every combine unit computes, per channel,
//     result = clamp(x * f / 255 + add), then 255 - result when inverted,
// where x is (other or 0) minus (local or 0) as the function says, f the
// factor (0..255) and the product is rounded to nearest.
#include "stages.h"

namespace LANES {

alignas(64) static const uint32_t zeroArray[SPAN_MAX] = {};

static inline const uint32_t* inputArray(const Span* s, int which)
{
    const Pipeline& P = *s->path;
    switch (which) {
    case IN_ITER: return s->iter;
    case IN_TEX: return s->tex[0];
    case IN_CONST: return P.constArray;
    case IN_DEPTH_ALPHA: return s->depthAlpha;
    default: return zeroArray;
    }
}

// The function part of the general formula, for one channel.
static inline int combineValue(int function, int local, int other, int localAlpha, int f)
{
    int x, add;
    switch (function) {
    case GR_COMBINE_FUNCTION_LOCAL: return local;
    case GR_COMBINE_FUNCTION_LOCAL_ALPHA: return localAlpha;
    case GR_COMBINE_FUNCTION_SCALE_OTHER:
        x = other;
        add = 0;
        break;
    case GR_COMBINE_FUNCTION_SCALE_OTHER_ADD_LOCAL:
        x = other;
        add = local;
        break;
    case GR_COMBINE_FUNCTION_SCALE_OTHER_ADD_LOCAL_ALPHA:
        x = other;
        add = localAlpha;
        break;
    case GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL:
        x = other - local;
        add = 0;
        break;
    case GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL_ADD_LOCAL:
        x = other - local;
        add = local;
        break;
    case GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL_ADD_LOCAL_ALPHA:
        x = other - local;
        add = localAlpha;
        break;
    case GR_COMBINE_FUNCTION_SCALE_MINUS_LOCAL_ADD_LOCAL:
        x = -local;
        add = local;
        break;
    case GR_COMBINE_FUNCTION_SCALE_MINUS_LOCAL_ADD_LOCAL_ALPHA:
        x = -local;
        add = localAlpha;
        break;
    default: return 0;   // ZERO
    }
    return clamp255(smulDiv255(x, f) + add);
}

enum Unit { UNIT_COLOR, UNIT_ALPHA, UNIT_TMU_RGB, UNIT_TMU_ALPHA };

// Factor bits 0-2 choose a value, bit 3 takes one minus it. Values 4 and 5
// mean texture alpha / texture colour in the frame-buffer units but the detail
// factor / level-of-detail fraction in a texture unit.
static inline int factorValue(int factor, int unit, int localCh, int localAlpha, int otherAlpha,
                              int texAlpha, int texCh, int lodFraction, int detail)
{
    int v;
    switch (factor & 7) {
    case 1: v = (unit == UNIT_ALPHA || unit == UNIT_TMU_ALPHA) ? localAlpha : localCh; break;
    case 2: v = otherAlpha; break;
    case 3: v = localAlpha; break;
    case 4: v = unit >= UNIT_TMU_RGB ? detail : texAlpha; break;
    case 5: v = unit >= UNIT_TMU_RGB ? lodFraction : (unit == UNIT_ALPHA ? texAlpha : texCh); break;
    default: v = 0; break;
    }
    return (factor & 8) ? 255 - v : v;
}

static inline int channel(uint32_t c, int shift)
{
    return (int)((c >> shift) & 255);
}

// --- evaluation --------------------------------------------------------------

// Runs a planned (non-general) unit over the span, writing the channels of
// `mask` in out. For the alpha channel OP_MUL and OP_MUL_ALPHA agree.
template <int OP>
static void runOp(const uint32_t* a, const uint32_t* b, uint32_t* out, uint32_t mask, int n)
{
    I keep = splatI((int32_t)~mask), take = splatI((int32_t)mask);
    for (int i = 0; i < n; i += W) {
        I v;
        switch (OP) {
        case OP_ZERO: v = zeroI(); break;
        case OP_COPY: v = loadI(a + i); break;
        case OP_COPY_ALPHA: v = alphaEverywhere(loadI(a + i)); break;
        case OP_ADD: v = addSat8(loadI(a + i), loadI(b + i)); break;
        case OP_MUL: v = mulArgb(loadI(a + i), loadI(b + i)); break;
        default: v = mulArgb(loadI(a + i), alphaEverywhere(loadI(b + i))); break;   // OP_MUL_ALPHA
        }
        storeI(out + i, orI(andI(loadI(out + i), keep), andI(v, take)));
    }
}

static void runPlan(const CombinePlan& p, const uint32_t* a, const uint32_t* b, uint32_t* out,
                    uint32_t mask, int n)
{
    switch (p.op) {
    case OP_ZERO: runOp<OP_ZERO>(a, b, out, mask, n); break;
    case OP_COPY: runOp<OP_COPY>(a, b, out, mask, n); break;
    case OP_COPY_ALPHA: runOp<OP_COPY_ALPHA>(a, b, out, mask, n); break;
    case OP_ADD: runOp<OP_ADD>(a, b, out, mask, n); break;
    case OP_MUL: runOp<OP_MUL>(a, b, out, mask, n); break;
    case OP_MUL_ALPHA: runOp<OP_MUL_ALPHA>(a, b, out, mask, n); break;
    default: break;
    }
}

// The frame-buffer colour unit in full generality.
static void colorGeneric(Span* s, uint32_t* out)
{
    const Pipeline& P = *s->path;
    const CombineUnit& u = P.st.colorCombine;
    const uint32_t* cl = inputArray(s, P.colorLocal);
    const uint32_t* co = inputArray(s, P.colorOther);
    const uint32_t* al = inputArray(s, P.alphaLocal);
    const uint32_t* ao = inputArray(s, P.alphaOther);
    const uint32_t* tex = s->tex[0];
    for (int i = 0; i < s->n; i++) {
        int la = channel(al[i], 24), oa = channel(ao[i], 24), ta = channel(tex[i], 24);
        uint32_t v = out[i] & 0xFF000000u;
        for (int shift = 16; shift >= 0; shift -= 8) {
            int l = channel(cl[i], shift);
            int f = factorValue(u.factor, UNIT_COLOR, l, la, oa, ta, channel(tex[i], shift), 0, 0);
            int r = combineValue(u.function, l, channel(co[i], shift), la, f);
            if (u.invert)
                r = 255 - r;
            v |= (uint32_t)r << shift;
        }
        out[i] = v;
    }
}

static void alphaGeneric(Span* s, uint32_t* out)
{
    const Pipeline& P = *s->path;
    const CombineUnit& u = P.st.alphaCombine;
    const uint32_t* al = inputArray(s, P.alphaLocal);
    const uint32_t* ao = inputArray(s, P.alphaOther);
    const uint32_t* tex = s->tex[0];
    for (int i = 0; i < s->n; i++) {
        int la = channel(al[i], 24), oa = channel(ao[i], 24), ta = channel(tex[i], 24);
        int f = factorValue(u.factor, UNIT_ALPHA, la, la, oa, ta, ta, 0, 0);
        int r = combineValue(u.function, la, oa, la, f);
        if (u.invert)
            r = 255 - r;
        out[i] = (out[i] & 0x00FFFFFFu) | ((uint32_t)r << 24);
    }
}

void stageCombine(Span* s)
{
    const Pipeline& P = *s->path;
    uint32_t* out = s->color32;
    int n = s->n;
    const CombinePlan& c = P.colorPlan;
    const CombinePlan& a = P.alphaPlan;
    // Both units doing the same (texture times iterated colour, say): one
    // pass over all four channels. For the alpha channel OP_MUL and
    // OP_MUL_ALPHA agree.
    if (c.op != OP_GENERIC && c.a == a.a && c.b == a.b &&
        (c.op == a.op || (c.op == OP_MUL_ALPHA && a.op == OP_MUL))) {
        runPlan(c, inputArray(s, c.a), inputArray(s, c.b), out, 0xFFFFFFFFu, n);
        return;
    }
    if (P.colorPlan.op == OP_GENERIC)
        colorGeneric(s, out);
    else
        runPlan(P.colorPlan, inputArray(s, P.colorPlan.a), inputArray(s, P.colorPlan.b), out,
                0x00FFFFFFu, n);
    if (P.alphaPlan.op == OP_GENERIC)
        alphaGeneric(s, out);
    else
        runPlan(P.alphaPlan, inputArray(s, P.alphaPlan.a), inputArray(s, P.alphaPlan.b), out,
                0xFF000000u, n);
}

// Detail factor from the level of detail: grows by 2^scale per quarter level
// below the bias, capped at the maximum.
static inline int detailFactor(const TmuState& u, int32_t lod)
{
    int32_t d = (u.detailBias * 4 - (lod >> 6)) * (1 << u.detailScale);
    int32_t cap = (int32_t)(u.detailMax * 255.0f + 0.5f);
    return d < 0 ? 0 : (d > cap ? cap : d);
}

void combineTmu(Span* s, int tmu, const uint32_t* local, const uint32_t* other, uint32_t* out)
{
    const Pipeline& P = *s->path;
    const TmuState& u = P.st.tmu[tmu];
    int n = s->n;
    const CombinePlan& rgb = P.tmuRgbPlan[tmu];
    const CombinePlan& alpha = P.tmuAlphaPlan[tmu];
    auto pick = [&](int which) {
        return which == IN_TEXEL ? local : (which == IN_UPSTREAM ? other : zeroArray);
    };
    if (rgb.op != OP_GENERIC && alpha.op != OP_GENERIC) {
        runPlan(rgb, pick(rgb.a), pick(rgb.b), out, 0x00FFFFFFu, n);
        runPlan(alpha, pick(alpha.a), pick(alpha.b), out, 0xFF000000u, n);
        return;
    }
    for (int i = 0; i < n; i++) {
        uint32_t l = local[i], o = other[i];
        int la = channel(l, 24), oa = channel(o, 24);
        int lodFraction = s->lod[i] & 255;
        int detail = detailFactor(u, s->lod[i]);
        uint32_t v = 0;
        for (int shift = 16; shift >= 0; shift -= 8) {
            int lc = channel(l, shift);
            int f = factorValue(u.rgbFactor, UNIT_TMU_RGB, lc, la, oa, 0, 0, lodFraction, detail);
            int r = combineValue(u.rgbFunction, lc, channel(o, shift), la, f);
            v |= (uint32_t)(u.rgbInvert ? 255 - r : r) << shift;
        }
        int f = factorValue(u.alphaFactor, UNIT_TMU_ALPHA, la, la, oa, 0, 0, lodFraction, detail);
        int r = combineValue(u.alphaFunction, la, oa, la, f);
        v |= (uint32_t)(u.alphaInvert ? 255 - r : r) << 24;
        out[i] = v;
    }
}

// Whether red, green and blue of c all lie within those of [lo, hi].
static inline bool withinRange(uint32_t c, uint32_t lo, uint32_t hi)
{
    for (int shift = 0; shift < 24; shift += 8) {
        uint32_t v = (c >> shift) & 255;
        if (v < ((lo >> shift) & 255) || v > ((hi >> shift) & 255))
            return false;
    }
    return true;
}

// Chroma key: a pixel whose colour-combine "other" input equals the key in
// red, green and blue (or, with a chroma range, lies within it) is discarded.
void stageChromaKey(Span* s)
{
    const Pipeline& P = *s->path;
    const uint32_t* other = inputArray(s, P.colorOther);
    uint32_t key = P.chromaKey & 0x00FFFFFFu;
    unsigned failed = 0;
    if (P.chromaRange) {
        for (int i = 0; i < s->n; i++) {
            uint8_t keyed = withinRange(other[i], key, P.chromaMax);
            failed += s->live[i] & keyed;
            s->live[i] &= (uint8_t)!keyed;
        }
    } else {
        for (int i = 0; i < s->n; i++) {
            uint8_t keyed = (other[i] & 0x00FFFFFFu) == key;
            failed += s->live[i] & keyed;
            s->live[i] &= (uint8_t)!keyed;
        }
    }
    s->counts.chromaFailed += failed;
}

// Texture chroma: a pixel whose texel of unit t lies within the unit's range
// is discarded.
void texChromaKey(Span* s, int t, const uint32_t* texels)
{
    const Pipeline& P = *s->path;
    unsigned failed = 0;
    for (int i = 0; i < s->n; i++) {
        uint8_t keyed = withinRange(texels[i], P.texChromaMin[t], P.texChromaMax[t]);
        failed += s->live[i] & keyed;
        s->live[i] &= (uint8_t)!keyed;
    }
    s->counts.chromaFailed += failed;
}

static inline bool compare(int function, uint32_t a, uint32_t b)
{
    switch (function) {
    case GR_CMP_NEVER: return false;
    case GR_CMP_LESS: return a < b;
    case GR_CMP_EQUAL: return a == b;
    case GR_CMP_LEQUAL: return a <= b;
    case GR_CMP_GREATER: return a > b;
    case GR_CMP_NOTEQUAL: return a != b;
    case GR_CMP_GEQUAL: return a >= b;
    default: return true;
    }
}

// Alpha test: the combined alpha against the reference value.
void stageAlphaTest(Span* s)
{
    const Pipeline& P = *s->path;
    int function = P.st.alphaTestFunction;
    uint32_t ref = P.st.alphaTestRef;
    unsigned failed = 0;
    for (int i = 0; i < s->n; i++) {
        uint8_t pass = compare(function, s->color32[i] >> 24, ref);
        failed += s->live[i] & (uint8_t)!pass;
        s->live[i] &= pass;
    }
    s->counts.alphaFailed += failed;
}

}   // namespace LANES
