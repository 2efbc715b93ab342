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
#include "pixel.h"

#include <cmath>

static const uint32_t zeroTexels[SPAN_MAX] = {};

static inline void planeFill(float* out, const Plane& p, const Span* s)
{
    const Setup* st = s->setup;
    float start = (float)(p.at + p.dx * ((double)s->x + 0.5 - st->refX) + p.dy * ((double)s->y + 0.5 - st->refY));
    float step = (float)p.dx;
    for (int i = 0; i < s->n; i++)
        out[i] = start + (float)i * step;
}

// floor(v) for texel coordinates; out-of-range values and NaN are pinned to a
// range wrap and clamp handle.
static inline int32_t floorFixed(float v)
{
    v = clampf(v, -1073741824.0f, 1073741824.0f);
    int32_t i = (int32_t)v;
    return i - (v < (float)i ? 1 : 0);
}

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

// a + (b - a) * f / 256 on all four channels at once.
static inline uint32_t lerpArgb(uint32_t a, uint32_t b, uint32_t f)
{
    uint32_t g = 256 - f;
    uint32_t rb = (((a & 0x00FF00FFu) * g + (b & 0x00FF00FFu) * f) >> 8) & 0x00FF00FFu;
    uint32_t ag = (((a >> 8) & 0x00FF00FFu) * g + ((b >> 8) & 0x00FF00FFu) * f) & 0xFF00FF00u;
    return rb | ag;
}

static inline uint32_t samplePoint(const TexLevel& l, float s, float t, int clampS, int clampT)
{
    int u = wrapCoord(floorFixed(s * l.scaleS) >> 8, l.width, clampS);
    int v = wrapCoord(floorFixed(t * l.scaleT) >> 8, l.height, clampT);
    return l.texels[v * l.width + u];
}

static inline uint32_t sampleBilinear(const TexLevel& l, float s, float t, int clampS, int clampT)
{
    int32_t uf = floorFixed(s * l.scaleS) - 128, vf = floorFixed(t * l.scaleT) - 128;
    int u0 = uf >> 8, v0 = vf >> 8;
    uint32_t fu = (uint32_t)uf & 255, fv = (uint32_t)vf & 255;
    int u1 = wrapCoord(u0 + 1, l.width, clampS), v1 = wrapCoord(v0 + 1, l.height, clampT);
    u0 = wrapCoord(u0, l.width, clampS);
    v0 = wrapCoord(v0, l.height, clampT);
    const uint32_t* row0 = l.texels + v0 * l.width;
    const uint32_t* row1 = l.texels + v1 * l.width;
    uint32_t top = lerpArgb(row0[u0], row0[u1], fu);
    uint32_t bottom = lerpArgb(row1[u0], row1[u1], fu);
    return lerpArgb(top, bottom, fv);
}

// log2(x) with 8 fraction bits: the exponent, plus the mantissa taken as the
// fraction. Zero and NaN count as far magnified.
static inline int32_t log2Fixed(float x)
{
    union {
        float f;
        int32_t i;
    } u;
    u.f = x;
    if (!(x > 0.0f))
        return -(1 << 20);
    return (u.i >> 15) - (127 << 8);
}

static const int32_t lodDither[4][4] = {
    {8, 136, 40, 168}, {200, 72, 232, 104}, {56, 184, 24, 152}, {248, 120, 216, 88}};

// Fills out[] with the filtered texels of unit t.
static void sampleUnit(Span* s, int t, uint32_t* out)
{
    const DecodedTexture* tex = pipe.texture[t];
    int n = s->n;
    if (!tex) {
        for (int i = 0; i < n; i++)
            out[i] = 0xFFFFFFFFu;
        return;
    }
    const Setup* st = s->setup;
    float sq[SPAN_MAX], tq[SPAN_MAX], q[SPAN_MAX];
    planeFill(sq, st->sq[t], s);
    planeFill(tq, st->tq[t], s);
    planeFill(q, st->qt[t], s);
    for (int i = 0; i < n; i++) {
        float r = 1.0f / q[i];
        s->r[i] = r;
        s->s[i] = sq[i] * r;
        s->t[i] = tq[i] * r;
    }

    const TmuState& u = gs.tmu[t];
    if (pipe.tmuLod[t]) {
        float dsx = (float)st->sq[t].dx, dtx = (float)st->tq[t].dx, dqx = (float)st->qt[t].dx;
        float dsy = (float)st->sq[t].dy, dty = (float)st->tq[t].dy, dqy = (float)st->qt[t].dy;
        int32_t offset = pipe.tmuLodOffset[t];
        for (int i = 0; i < n; i++) {
            float r = s->r[i], ss = s->s[i], tt = s->t[i];
            float a = std::fabs((dsx - ss * dqx) * r), b = std::fabs((dtx - tt * dqx) * r);
            float c = std::fabs((dsy - ss * dqy) * r), d = std::fabs((dty - tt * dqy) * r);
            float rho = a > b ? a : b;
            rho = rho > c ? rho : c;
            rho = rho > d ? rho : d;
            s->lod[i] = log2Fixed(rho) + offset;
        }
    } else {
        for (int i = 0; i < n; i++)
            s->lod[i] = 0;
    }

    int clampS = u.clampS, clampT = u.clampT;
    int last = tex->levelCount - 1;
    bool mipmap = pipe.tmuMipmap[t], dither = pipe.tmuDither[t];
    int minFilter = u.minFilter, magFilter = u.magFilter;
    for (int i = 0; i < n; i++) {
        int32_t lod = s->lod[i];
        int level = 0;
        if (mipmap && lod > 0) {
            int32_t round = dither ? lodDither[s->y & 3][(s->x + i) & 3] : 128;
            level = (lod + round) >> 8;
            level = level > last ? last : level;
        }
        const TexLevel& l = tex->levels[level];
        int filter = lod > 0 ? minFilter : magFilter;
        out[i] = filter == GR_TEXTUREFILTER_BILINEAR ? sampleBilinear(l, s->s[i], s->t[i], clampS, clampT)
                                                     : samplePoint(l, s->s[i], s->t[i], clampS, clampT);
    }
}

// TMU1 has nothing upstream: its "other" input is zero.
void stageTexture1(Span* s)
{
    if (pipe.tmuSampled[1])
        sampleUnit(s, 1, s->texel);
    combineTmu(s, 1, s->texel, zeroTexels, s->tex[1]);
}

void stageTexture0(Span* s)
{
    const uint32_t* upstream = pipe.tmuUpstream >= 0 ? s->tex[1] : zeroTexels;
    const CombinePlan& rgb = pipe.tmuRgbPlan[0];
    const CombinePlan& alpha = pipe.tmuAlphaPlan[0];
    // A unit that shows its own texels (the usual case) samples straight into
    // its output.
    if (rgb.op == OP_COPY && rgb.a == IN_TEXEL && alpha.op == OP_COPY && alpha.a == IN_TEXEL) {
        sampleUnit(s, 0, s->tex[0]);
        return;
    }
    if (pipe.tmuSampled[0])
        sampleUnit(s, 0, s->texel);
    combineTmu(s, 0, s->texel, upstream, s->tex[0]);
}
