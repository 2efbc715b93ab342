// Clipping: the six polygon clippers of the polygon drawer, the edge clipper
// of the landscape and the screen-quad clipper of flares and sprites.
#include "render/render.h"

VertexRecord clipVertices[CLIP_MAX_VERTICES];
VertexRecord clipScratch[CLIP_MAX_VERTICES];
float clipEnvCoords[CLIP_MAX_VERTICES][2];
float clipEnvScratch[CLIP_MAX_VERTICES][2];
uint8_t envActive;

typedef float VertexRecord::*VertexField;

// One boundary: the coordinate it limits, where, which side is inside, and
// the fields carried along to a crossing point.
typedef struct ClipBoundary {
    VertexField coordinate;
    float bound;
    int insideBelow;            // 1: inside when u < bound; 0: when u >= bound
    const VertexField* fields;
    int fieldCount;
} ClipBoundary;

static const VertexField depthFields[] = {&VertexRecord::x, &VertexRecord::y,
                                          &VertexRecord::r, &VertexRecord::g,
                                          &VertexRecord::b, &VertexRecord::s0,
                                          &VertexRecord::t0};
// Screen-space fields are interpolated linearly on the screen; the texture
// coordinates have been multiplied by q already, so this is the
// perspective-correct interpolation, and q itself goes the same way.
static const VertexField horizontalEdgeFields[] = {&VertexRecord::x, &VertexRecord::q,
                                                   &VertexRecord::r, &VertexRecord::g,
                                                   &VertexRecord::b, &VertexRecord::s0,
                                                   &VertexRecord::t0};
static const VertexField verticalEdgeFields[] = {&VertexRecord::y, &VertexRecord::q,
                                                 &VertexRecord::r, &VertexRecord::g,
                                                 &VertexRecord::b, &VertexRecord::s0,
                                                 &VertexRecord::t0};

static int clipInside(const ClipBoundary* b, const VertexRecord* v)
{
    float u = v->*(b->coordinate);
    return b->insideBelow ? u < b->bound : u >= b->bound;
}

// Appends the point where the edge start-end crosses the boundary.
static void clipCrossing(const ClipBoundary* b, const VertexRecord* start, const VertexRecord* end,
                         int is, int ie, VertexRecord* out, int o)
{
    float su = start->*(b->coordinate);
    float t = (1.0f / (end->*(b->coordinate) - su)) * (b->bound - su);
    VertexRecord* v = &out[o];
    *v = *start;
    v->*(b->coordinate) = b->bound;
    for (int f = 0; f < b->fieldCount; f++) {
        VertexField field = b->fields[f];
        v->*field = start->*field + (end->*field - start->*field) * t;
    }
    if (envActive) {
        for (int c = 0; c < 2; c++)
            clipEnvScratch[o][c] =
                clipEnvCoords[is][c] + (clipEnvCoords[ie][c] - clipEnvCoords[is][c]) * t;
    }
}

static void clipVertexCopy(const VertexRecord* in, int i, VertexRecord* out, int o)
{
    out[o] = in[i];
    if (envActive) {
        clipEnvScratch[o][0] = clipEnvCoords[i][0];
        clipEnvScratch[o][1] = clipEnvCoords[i][1];
    }
}

static void clipAgainst(const ClipBoundary* b, int* count, VertexRecord* vertices,
                        VertexRecord* scratch)
{
    int n = *count, emitted = 0;
    // A convex polygon gains at most one corner per boundary; the room check
    // only matters for degenerate input (NaN corners and the like).
    for (int i = 0; i < n && emitted + 2 <= CLIP_MAX_VERTICES; i++) {
        int j = (i + 1) % n;
        const VertexRecord* start = &vertices[i];
        const VertexRecord* end = &vertices[j];
        int startIn = clipInside(b, start), endIn = clipInside(b, end);
        if (startIn)
            clipVertexCopy(vertices, i, scratch, emitted++);
        if (startIn != endIn)
            clipCrossing(b, start, end, i, j, scratch, emitted++);
    }
    for (int o = 0; o < emitted; o++) {
        vertices[o] = scratch[o];
        if (envActive) {
            clipEnvCoords[o][0] = clipEnvScratch[o][0];
            clipEnvCoords[o][1] = clipEnvScratch[o][1];
        }
    }
    *count = emitted;
}

void clipNear(int* count, VertexRecord* vertices, VertexRecord* scratch)
{
    const ClipBoundary b = {&VertexRecord::w, nearDistance, 0, depthFields, 7};
    clipAgainst(&b, count, vertices, scratch);
}

void clipFar(int* count, VertexRecord* vertices, VertexRecord* scratch)
{
    const ClipBoundary b = {&VertexRecord::w, farDistance, 1, depthFields, 7};
    clipAgainst(&b, count, vertices, scratch);
}

void clipTop(int* count, VertexRecord* vertices, VertexRecord* scratch)
{
    const ClipBoundary b = {&VertexRecord::y, viewportMaxY, 1, horizontalEdgeFields, 7};
    clipAgainst(&b, count, vertices, scratch);
}

void clipBottom(int* count, VertexRecord* vertices, VertexRecord* scratch)
{
    const ClipBoundary b = {&VertexRecord::y, viewportMinY, 0, horizontalEdgeFields, 7};
    clipAgainst(&b, count, vertices, scratch);
}

void clipLeft(int* count, VertexRecord* vertices, VertexRecord* scratch)
{
    const ClipBoundary b = {&VertexRecord::x, viewportMinX, 0, verticalEdgeFields, 7};
    clipAgainst(&b, count, vertices, scratch);
}

void clipRight(int* count, VertexRecord* vertices, VertexRecord* scratch)
{
    const ClipBoundary b = {&VertexRecord::x, viewportMaxX, 1, verticalEdgeFields, 7};
    clipAgainst(&b, count, vertices, scratch);
}

static float planeDistance(const ViewPlane* plane, const ClipVertex* v)
{
    float d = plane->normal[0] * v->x;
    d += plane->normal[1] * v->y;
    d += plane->normal[2] * v->z;
    return d;
}

static void clipVertexCopyNoSpare(ClipVertex* to, const ClipVertex* from)
{
    to->x = from->x;
    to->y = from->y;
    to->z = from->z;
    for (int c = 0; c < 2; c++) {
        to->pair1[c] = from->pair1[c];
        to->pair2[c] = from->pair2[c];
        to->pair3[c] = from->pair3[c];
    }
}

int clipEdgeToPlane(const ViewPlane* plane, const ClipVertex edge[2], ClipVertex out[2])
{
    float d0 = planeDistance(plane, &edge[0]);
    float d1 = planeDistance(plane, &edge[1]);
    int out0 = d0 >= plane->offset, out1 = d1 >= plane->offset;
    if (out0 && out1)
        return 0;
    if (!out0 && !out1) {
        clipVertexCopyNoSpare(&out[0], &edge[0]);
        clipVertexCopyNoSpare(&out[1], &edge[1]);
        return 2;
    }
    const ClipVertex* in = out0 ? &edge[1] : &edge[0];
    const ClipVertex* gone = out0 ? &edge[0] : &edge[1];
    float dIn = out0 ? d1 : d0, dOut = out0 ? d0 : d1;
    float t = (plane->offset - dIn) / (dOut - dIn);
    ClipVertex crossing;
    crossing.x = in->x + (gone->x - in->x) * t;
    crossing.y = in->y + (gone->y - in->y) * t;
    crossing.z = in->z + (gone->z - in->z) * t;
    for (int c = 0; c < 2; c++) {
        crossing.pair1[c] = in->pair1[c] + (gone->pair1[c] - in->pair1[c]) * t;
        crossing.pair3[c] = in->pair3[c] + (gone->pair3[c] - in->pair3[c]) * t;
        crossing.pair2[c] = crossing.pair1[c];
    }
    if (out0) {
        clipVertexCopyNoSpare(&out[0], &crossing);
        clipVertexCopyNoSpare(&out[1], &edge[1]);
    } else {
        clipVertexCopyNoSpare(&out[0], &edge[0]);
        clipVertexCopyNoSpare(&out[1], &crossing);
    }
    return 1;
}

void clipScreenQuad(float quad[16])
{
    // Corners: P1 left-top, P2 left-bottom, P3 right-bottom, P4 right-top,
    // each x, y, s, t.
    float* p1 = &quad[0];
    float* p2 = &quad[4];
    float* p3 = &quad[8];
    float* p4 = &quad[12];
    float width = p4[0] - p1[0];
    float height = p1[1] - p2[1];
    if (p1[0] < viewportMinX) {
        p1[2] = p2[2] = (viewportMinX - p1[0]) / width;
        p1[0] = p2[0] = viewportMinX;
    } else {
        p1[2] = p2[2] = 0.0f;
    }
    if (p4[0] > viewportMaxX) {
        p4[2] = p3[2] = 1.0f - (p4[0] - viewportMaxX) / width;
        p4[0] = p3[0] = viewportMaxX;
    } else {
        p4[2] = p3[2] = 1.0f;
    }
    if (p2[1] < viewportMinY) {
        p2[3] = p3[3] = (viewportMinY - p2[1]) / height;
        p2[1] = p3[1] = viewportMinY;
    } else {
        p2[3] = p3[3] = 0.0f;
    }
    if (p1[1] > viewportMaxY) {
        p1[3] = p4[3] = 1.0f - (p1[1] - viewportMaxY) / height;
        p1[1] = p4[1] = viewportMaxY;
    } else {
        p1[3] = p4[3] = 1.0f;
    }
}
