// Running the pixel path over a span, and the interpolation stages that fill
// the per-pixel arrays from the primitive's planes.
#include "pixel.h"

Span theSpan;

// Value of a plane at the centre of pixel (x, y).
static inline double planeAt(const Plane& p, const Setup* s, int x, int y)
{
    return p.at + p.dx * ((double)x + 0.5 - s->refX) + p.dy * ((double)y + 0.5 - s->refY);
}

// out[i] = value at pixel x + i, stepping in single precision.
static inline void planeFill(float* out, const Plane& p, const Span* s)
{
    float start = (float)planeAt(p, s->setup, s->x, s->y);
    float step = (float)p.dx;
    for (int i = 0; i < s->n; i++)
        out[i] = start + (float)i * step;
}

void spanDraw(const Setup* setup, int y, int x0, int x1)
{
    Span* s = &theSpan;
    s->setup = setup;
    s->y = y;
    uint16_t* colorRow = renderTarget() + (size_t)y * dev.width;
    uint16_t* auxRow = dev.auxBuffer ? dev.auxBuffer + (size_t)y * dev.width : nullptr;
    for (int x = x0; x < x1; x += SPAN_MAX) {
        int n = x1 - x < SPAN_MAX ? x1 - x : SPAN_MAX;
        s->x = x;
        s->n = n;
        s->color = colorRow + x;
        s->aux = auxRow ? auxRow + x : nullptr;
        for (int i = 0; i < n; i++)
            s->live[i] = 1;
        for (int k = 0; k < pipe.stageCount; k++)
            pipe.stages[k](s);
    }
}

// Iterated colour, rounded to the nearest integer and clamped to 0..255.
void stageIterColor(Span* s)
{
    float r[SPAN_MAX], g[SPAN_MAX], b[SPAN_MAX], a[SPAN_MAX];
    const Setup* setup = s->setup;
    int n = s->n;
    if (pipe.needIterColor) {
        planeFill(r, setup->r, s);
        planeFill(g, setup->g, s);
        planeFill(b, setup->b, s);
    } else {
        for (int i = 0; i < n; i++)
            r[i] = g[i] = b[i] = 255.0f;
    }
    if (pipe.needIterAlpha) {
        planeFill(a, setup->a, s);
    } else {
        for (int i = 0; i < n; i++)
            a[i] = 255.0f;
    }
    for (int i = 0; i < n; i++) {
        float cr = clampf(r[i], 0.0f, 255.0f), cg = clampf(g[i], 0.0f, 255.0f);
        float cb = clampf(b[i], 0.0f, 255.0f), ca = clampf(a[i], 0.0f, 255.0f);
        uint32_t ir = (uint32_t)(int32_t)(cr + 0.5f), ig = (uint32_t)(int32_t)(cg + 0.5f);
        uint32_t ib = (uint32_t)(int32_t)(cb + 0.5f), ia = (uint32_t)(int32_t)(ca + 0.5f);
        s->iter[i] = (ia << 24) | (ir << 16) | (ig << 8) | ib;
    }
}

void stageIterQ(Span* s) { planeFill(s->q, s->setup->q, s); }

// W-buffer depth from q, plus the depth bias.
void stageDepthW(Span* s)
{
    int32_t bias = pipe.depthBias;
    for (int i = 0; i < s->n; i++) {
        int32_t d = (int32_t)wDepth(s->q[i]) + bias;
        s->depth[i] = (uint16_t)(d < 0 ? 0 : (d > 0xFFFF ? 0xFFFF : d));
    }
}

// Z-buffer depth: the iterated z rounded and clamped to 16 bits, plus the bias.
void stageDepthZ(Span* s)
{
    float z[SPAN_MAX];
    planeFill(z, s->setup->z, s);
    int32_t bias = pipe.depthBias;
    for (int i = 0; i < s->n; i++) {
        float c = clampf(z[i], 0.0f, 65535.0f);
        int32_t d = (int32_t)(c + 0.5f) + bias;
        s->depth[i] = (uint16_t)(d < 0 ? 0 : (d > 0xFFFF ? 0xFFFF : d));
    }
}

// The alpha combine's "depth" local input: the high byte of the iterated z.
void stageDepthAlpha(Span* s)
{
    float z[SPAN_MAX];
    planeFill(z, s->setup->z, s);
    for (int i = 0; i < s->n; i++) {
        float c = clampf(z[i], 0.0f, 65535.0f);
        s->depthAlpha[i] = ((uint32_t)(int32_t)c >> 8) << 24;
    }
}

// Fog factor from the table, indexed by the pixel's w = 1/q.
void stageFogW(Span* s)
{
    for (int i = 0; i < s->n; i++)
        s->fog[i] = (uint8_t)fogFromTable(gs.fogTable, wDepth(s->q[i]));
}

// Fog factor = the high byte of the iterated z.
void stageFogZ(Span* s)
{
    float z[SPAN_MAX];
    planeFill(z, s->setup->z, s);
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
    float f[SPAN_MAX];
    planeFill(f, s->setup->fog, s);
    for (int i = 0; i < s->n; i++) {
        float w = f[i];
        float q = w > 1.0f ? 1.0f / w : 1.0f;
        s->fog[i] = (uint8_t)fogFromTable(gs.fogTable, wDepth(q));
    }
}
