// The vertex layout and the drawing calls: reading application vertices and
// assembling points, lines and triangles from the primitive modes.
#include "device.h"

#include <cstring>

static int paramIndex(FxU32 param)
{
    switch (param) {
    case GR_PARAM_XY: return VP_XY;
    case GR_PARAM_Z: return VP_Z;
    case GR_PARAM_W: return VP_W;
    case GR_PARAM_Q: return VP_Q;
    case GR_PARAM_FOG_EXT: return VP_FOG;
    case GR_PARAM_A: return VP_A;
    case GR_PARAM_RGB: return VP_RGB;
    case GR_PARAM_PARGB: return VP_PARGB;
    case GR_PARAM_ST0: return VP_ST0;
    case GR_PARAM_ST1: return VP_ST1;
    case GR_PARAM_Q0: return VP_Q0;
    case GR_PARAM_Q1: return VP_Q1;
    default: return -1;
    }
}

static inline float readFloat(const void* p, FxI32 offset)
{
    float f;
    memcpy(&f, (const char*)p + offset, sizeof f);
    return f;
}

// Fills a Vertex from application memory. Parameters the layout leaves out
// read as: z 0, q 1, colour opaque white, texture coordinates 0.
void vertexFetch(const void* p, Vertex* v)
{
    const VertexLayout& l = dev.layout;
    v->x = l.enabled[VP_XY] ? readFloat(p, l.offset[VP_XY]) : 0.0f;
    v->y = l.enabled[VP_XY] ? readFloat(p, l.offset[VP_XY] + 4) : 0.0f;
    v->z = l.enabled[VP_Z] ? readFloat(p, l.offset[VP_Z]) : 0.0f;
    v->q = l.enabled[VP_Q] ? readFloat(p, l.offset[VP_Q]) : 1.0f;
    v->fog = l.enabled[VP_FOG] ? readFloat(p, l.offset[VP_FOG]) : 0.0f;
    if (l.enabled[VP_RGB]) {
        v->r = readFloat(p, l.offset[VP_RGB]);
        v->g = readFloat(p, l.offset[VP_RGB] + 4);
        v->b = readFloat(p, l.offset[VP_RGB] + 8);
    } else {
        v->r = v->g = v->b = 255.0f;
    }
    v->a = l.enabled[VP_A] ? readFloat(p, l.offset[VP_A]) : 255.0f;
    if (l.enabled[VP_PARGB]) {
        uint32_t argb;
        memcpy(&argb, (const char*)p + l.offset[VP_PARGB], 4);
        v->a = (float)(argb >> 24);
        v->r = (float)((argb >> 16) & 255);
        v->g = (float)((argb >> 8) & 255);
        v->b = (float)(argb & 255);
    }
    for (int t = 0; t < MAX_TMU; t++) {
        int st = t == 0 ? VP_ST0 : VP_ST1;
        int qt = t == 0 ? VP_Q0 : VP_Q1;
        v->sq[t] = l.enabled[st] ? readFloat(p, l.offset[st]) : 0.0f;
        v->tq[t] = l.enabled[st] ? readFloat(p, l.offset[st] + 4) : 0.0f;
        v->qt[t] = l.enabled[qt] ? readFloat(p, l.offset[qt]) : v->q;
    }
    if (gs.coordinateSpace == GR_CLIP_COORDS) {
        // Clip coordinates: divide by w and map through the viewport and the
        // depth range. Colours and alpha come in 0..1, and s, t in 0..1 over
        // the whole texture (256 on its longer side), both undivided.
        float w = l.enabled[VP_W] ? readFloat(p, l.offset[VP_W]) : 1.0f;
        float oow = w != 0.0f ? 1.0f / w : 0.0f;
        float halfW = (float)gs.viewportWidth * 0.5f, halfH = (float)gs.viewportHeight * 0.5f;
        v->x = v->x * oow * halfW + ((float)gs.viewportX + halfW);
        v->y = v->y * oow * halfH + ((float)gs.viewportY + halfH);
        float zScale = (gs.depthRangeFar - gs.depthRangeNear) * 0.5f * 65535.0f;
        v->z = v->z * oow * zScale + (gs.depthRangeFar + gs.depthRangeNear) * 0.5f * 65535.0f;
        v->q = oow;
        if (!l.enabled[VP_PARGB]) {
            if (l.enabled[VP_RGB]) {
                v->r *= 255.0f;
                v->g *= 255.0f;
                v->b *= 255.0f;
            }
            if (l.enabled[VP_A])
                v->a *= 255.0f;
        }
        for (int t = 0; t < MAX_TMU; t++) {
            const TmuState& u = gs.tmu[t];
            int aspect = u.sourceValid ? u.aspect : 0;
            float scaleS = aspect >= 0 ? 256.0f : (float)(256 >> -aspect);
            float scaleT = aspect <= 0 ? 256.0f : (float)(256 >> aspect);
            v->sq[t] *= scaleS * oow;
            v->tq[t] *= scaleT * oow;
            v->qt[t] = (l.enabled[t == 0 ? VP_Q0 : VP_Q1] ? v->qt[t] : 1.0f) * oow;
        }
    }
}

// Trace text for one vertex: its position as the application gave it,
// after a space unless it opens the argument list.
static void traceVertex(const void* p, bool first = false)
{
    const char* gap = first ? "" : " ";
    if (!p) {
        traceAppend("%sptr", gap);
        return;
    }
    FxI32 off = dev.layout.offset[VP_XY];
    traceAppend("%s{%g %g}", gap, (double)readFloat(p, off), (double)readFloat(p, off + 4));
}

static void traceVertexList(const char* name, FxU32 mode, FxU32 count, const void* const* list,
                            const char* base, FxU32 stride, bool contiguous)
{
    traceBegin("%s(%u, %u", name, mode, count);
    if (contiguous ? base == nullptr : list == nullptr) {
        traceAppend(" ptr");
    } else {
        for (FxU32 i = 0; i < count; i++)
            traceVertex(contiguous ? base + (size_t)i * stride : list[i]);
    }
    if (contiguous)
        traceAppend(", %u)", stride);
    else
        traceAppend(")");
    traceEnd();
}

// Assembles primitives from a run of vertices. `at(i)` gives vertex i.
template <typename At>
static void drawArray(FxU32 mode, FxU32 count, At at)
{
    Vertex a, b, c;
    switch (mode) {
    case GR_POINTS:
        for (FxU32 i = 0; i < count; i++) {
            vertexFetch(at(i), &a);
            setupPoint(&a);
        }
        break;
    case GR_LINE_STRIP:
        if (count < 2)
            break;
        vertexFetch(at(0), &a);
        for (FxU32 i = 1; i < count; i++) {
            vertexFetch(at(i), &b);
            setupLine(&a, &b);
            a = b;
        }
        break;
    case GR_LINES:
        for (FxU32 i = 0; i + 1 < count; i += 2) {
            vertexFetch(at(i), &a);
            vertexFetch(at(i + 1), &b);
            setupLine(&a, &b);
        }
        break;
    case GR_TRIANGLES:
        for (FxU32 i = 0; i + 2 < count; i += 3) {
            vertexFetch(at(i), &a);
            vertexFetch(at(i + 1), &b);
            vertexFetch(at(i + 2), &c);
            setupTriangle(&a, &b, &c);
        }
        break;
    case GR_TRIANGLE_FAN:
    case GR_POLYGON:
        dev.fanCount = 0;
        for (FxU32 i = 0; i < count; i++) {
            vertexFetch(at(i), &c);
            if (dev.fanCount >= 2)
                setupTriangle(&dev.fanHub, &dev.fanLast, &c);
            if (dev.fanCount == 0)
                dev.fanHub = c;
            dev.fanLast = c;
            if (dev.fanCount < 2)
                dev.fanCount++;
        }
        break;
    case GR_TRIANGLE_FAN_CONTINUE:
        for (FxU32 i = 0; i < count; i++) {
            vertexFetch(at(i), &c);
            if (dev.fanCount >= 2)
                setupTriangle(&dev.fanHub, &dev.fanLast, &c);
            if (dev.fanCount == 0)
                dev.fanHub = c;
            dev.fanLast = c;
            if (dev.fanCount < 2)
                dev.fanCount++;
        }
        break;
    case GR_TRIANGLE_STRIP:
        dev.stripCount = 0;
        dev.stripOdd = false;
        [[fallthrough]];   // a new strip continues nothing
    case GR_TRIANGLE_STRIP_CONTINUE:
        for (FxU32 i = 0; i < count; i++) {
            vertexFetch(at(i), &c);
            if (dev.stripCount >= 2) {
                // Every second triangle swaps its first two vertices so the
                // whole strip keeps one winding.
                if (dev.stripOdd)
                    setupTriangle(&dev.stripVertex[1], &dev.stripVertex[0], &c);
                else
                    setupTriangle(&dev.stripVertex[0], &dev.stripVertex[1], &c);
                dev.stripOdd = !dev.stripOdd;
                dev.stripVertex[0] = dev.stripVertex[1];
                dev.stripVertex[1] = c;
            } else {
                dev.stripVertex[dev.stripCount++] = c;
            }
        }
        break;
    default: reportError("grDrawVertexArray: invalid mode %u", mode); break;
    }
}

extern "C" {

void grVertexLayout(FxU32 param, FxI32 offset, FxU32 mode)
{
    TRACE("grVertexLayout(%u, %d, %u)", param, offset, mode);
    if (!requireWindow("grVertexLayout"))
        return;
    int index = paramIndex(param);
    // Offsets are bytes into one vertex; a vertex is never larger than a few
    // hundred bytes.
    if (index < 0 || offset < 0 || offset > 1024 ||
        (mode != GR_PARAM_ENABLE && mode != GR_PARAM_DISABLE)) {
        reportError("grVertexLayout: invalid argument");
        return;
    }
    dev.layout.offset[index] = offset;
    dev.layout.enabled[index] = mode == GR_PARAM_ENABLE ? FXTRUE : FXFALSE;
    markStale();
}

void grGlideGetVertexLayout(void* layout)
{
    TRACE("grGlideGetVertexLayout(ptr)");
    if (!requireWindow("grGlideGetVertexLayout"))
        return;
    if (!layout) {
        reportError("grGlideGetVertexLayout: null buffer");
        return;
    }
    memcpy(layout, &dev.layout, sizeof dev.layout);
}

void grGlideSetVertexLayout(const void* layout)
{
    TRACE("grGlideSetVertexLayout(ptr)");
    if (!requireWindow("grGlideSetVertexLayout"))
        return;
    if (!layout) {
        reportError("grGlideSetVertexLayout: null buffer");
        return;
    }
    VertexLayout l;
    memcpy(&l, layout, sizeof l);
    for (int i = 0; i < VP_COUNT; i++) {
        if (l.offset[i] < 0 || l.offset[i] > 1024) {
            reportError("grGlideSetVertexLayout: not a saved layout");
            return;
        }
    }
    dev.layout = l;
    markStale();
}

void grDrawPoint(const void* pt)
{
    if (traceEnabled) {
        traceBegin("grDrawPoint(");
        traceVertex(pt, true);
        traceAppend(")");
        traceEnd();
    }
    if (!requireWindow("grDrawPoint"))
        return;
    if (!pt) {
        reportError("grDrawPoint: null vertex");
        return;
    }
    Vertex v;
    vertexFetch(pt, &v);
    setupPoint(&v);
}

void grDrawLine(const void* v1, const void* v2)
{
    if (traceEnabled) {
        traceBegin("grDrawLine(");
        traceVertex(v1, true);
        traceVertex(v2);
        traceAppend(")");
        traceEnd();
    }
    if (!requireWindow("grDrawLine"))
        return;
    if (!v1 || !v2) {
        reportError("grDrawLine: null vertex");
        return;
    }
    Vertex a, b;
    vertexFetch(v1, &a);
    vertexFetch(v2, &b);
    setupLine(&a, &b);
}

void grDrawTriangle(const void* a, const void* b, const void* c)
{
    if (traceEnabled) {
        traceBegin("grDrawTriangle(");
        traceVertex(a, true);
        traceVertex(b);
        traceVertex(c);
        traceAppend(")");
        traceEnd();
    }
    if (!requireWindow("grDrawTriangle"))
        return;
    if (!a || !b || !c) {
        reportError("grDrawTriangle: null vertex");
        return;
    }
    Vertex va, vb, vc;
    vertexFetch(a, &va);
    vertexFetch(b, &vb);
    vertexFetch(c, &vc);
    setupTriangle(&va, &vb, &vc);
}

void grAADrawTriangle(const void* a, const void* b, const void* c, FxBool ab_antialias,
                      FxBool bc_antialias, FxBool ca_antialias)
{
    TRACE("grAADrawTriangle(ptr, ptr, ptr, %d, %d, %d)", traceBool(ab_antialias),
          traceBool(bc_antialias), traceBool(ca_antialias));
    if (!requireWindow("grAADrawTriangle"))
        return;
    if (!a || !b || !c) {
        reportError("grAADrawTriangle: null vertex");
        return;
    }
    Vertex va, vb, vc;
    vertexFetch(a, &va);
    vertexFetch(b, &vb);
    vertexFetch(c, &vc);
    const bool edges[3] = {ab_antialias != FXFALSE, bc_antialias != FXFALSE,
                           ca_antialias != FXFALSE};
    setupTriangleEdges(&va, &vb, &vc, edges);
}

void grDrawVertexArray(FxU32 mode, FxU32 Count, void* pointers)
{
    void* const* list = (void* const*)pointers;
    if (traceEnabled)
        traceVertexList("grDrawVertexArray", mode, Count, list, nullptr, 0, false);
    if (!requireWindow("grDrawVertexArray"))
        return;
    if (!list) {
        reportError("grDrawVertexArray: null vertex list");
        return;
    }
    for (FxU32 i = 0; i < Count; i++) {
        if (!list[i]) {
            reportError("grDrawVertexArray: null vertex %u", i);
            return;
        }
    }
    drawArray(mode, Count, [list](FxU32 i) { return (const void*)list[i]; });
}

void grDrawVertexArrayContiguous(FxU32 mode, FxU32 Count, void* pointers, FxU32 stride)
{
    const char* base = (const char*)pointers;
    if (traceEnabled)
        traceVertexList("grDrawVertexArrayContiguous", mode, Count, nullptr, base, stride, true);
    if (!requireWindow("grDrawVertexArrayContiguous"))
        return;
    if (!base) {
        reportError("grDrawVertexArrayContiguous: null vertices");
        return;
    }
    drawArray(mode, Count,
              [base, stride](FxU32 i) { return (const void*)(base + (size_t)i * stride); });
}

}   // extern "C"
