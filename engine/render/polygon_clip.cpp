// Clipping: the six polygon clippers of the polygon drawer, the edge clipper
// of the landscape and the screen-quad clipper of flares and sprites.
#include "render/render.h"

// What a boundary limits: camera depth before projection, or a screen
// coordinate after it.
enum { CLIP_ON_DEPTH, CLIP_ON_Y, CLIP_ON_X };

// One boundary: the coordinate it limits, where, and which side is inside.
typedef struct ClipBoundary {
    int coordinate;
    float bound;
    int insideBelow;   // 1: inside when u < bound; 0: when u >= bound
} ClipBoundary;

static float clipCoordinate(const ClipBoundary* b, const PolygonVertex* v)
{
    if (b->coordinate == CLIP_ON_DEPTH)
        return v->w;
    return b->coordinate == CLIP_ON_Y ? v->y : v->x;
}

static int clipInside(const ClipBoundary* b, const PolygonVertex* v)
{
    float u = clipCoordinate(b, v);
    return b->insideBelow ? u < b->bound : u >= b->bound;
}

static float lerp(float from, float to, float t)
{
    return from + (to - from) * t;
}

// The point where the edge start-end crosses the boundary: a copy of start
// with the clipped coordinate on the boundary and the others interpolated.
// Before projection x and y go along; after it the other screen coordinate
// and q. The texture coordinates have been multiplied by q by then, so
// interpolating them linearly on the screen is the perspective-correct
// interpolation.
static void clipCrossing(const ClipBoundary* b, const PolygonVertex* start,
                         const PolygonVertex* end, PolygonVertex* v)
{
    float su = clipCoordinate(b, start);
    float t = (1.0f / (clipCoordinate(b, end) - su)) * (b->bound - su);
    *v = *start;
    if (b->coordinate == CLIP_ON_DEPTH) {
        v->w = b->bound;
        v->x = lerp(start->x, end->x, t);
        v->y = lerp(start->y, end->y, t);
    } else if (b->coordinate == CLIP_ON_Y) {
        v->y = b->bound;
        v->x = lerp(start->x, end->x, t);
        v->q = lerp(start->q, end->q, t);
    } else {
        v->x = b->bound;
        v->y = lerp(start->y, end->y, t);
        v->q = lerp(start->q, end->q, t);
    }
    v->r = lerp(start->r, end->r, t);
    v->g = lerp(start->g, end->g, t);
    v->b = lerp(start->b, end->b, t);
    v->s0 = lerp(start->s0, end->s0, t);
    v->t0 = lerp(start->t0, end->t0, t);
    v->envS = lerp(start->envS, end->envS, t);
    v->envT = lerp(start->envT, end->envT, t);
}

static void clipAgainst(const ClipBoundary* b, int* count, PolygonVertex* vertices,
                        PolygonVertex* scratch)
{
    int n = *count, emitted = 0;
    // A convex polygon gains at most one corner per boundary; the room check
    // only matters for degenerate input (NaN corners and the like).
    for (int i = 0; i < n && emitted + 2 <= CLIP_MAX_VERTICES; i++) {
        const PolygonVertex* start = &vertices[i];
        const PolygonVertex* end = &vertices[(i + 1) % n];
        int startIn = clipInside(b, start), endIn = clipInside(b, end);
        if (startIn)
            scratch[emitted++] = *start;
        if (startIn != endIn)
            clipCrossing(b, start, end, &scratch[emitted++]);
    }
    for (int o = 0; o < emitted; o++)
        vertices[o] = scratch[o];
    *count = emitted;
}

void clipNear(int* count, PolygonVertex* vertices, PolygonVertex* scratch)
{
    const ClipBoundary b = {CLIP_ON_DEPTH, nearDistance, 0};
    clipAgainst(&b, count, vertices, scratch);
}

void clipFar(int* count, PolygonVertex* vertices, PolygonVertex* scratch)
{
    const ClipBoundary b = {CLIP_ON_DEPTH, farDistance, 1};
    clipAgainst(&b, count, vertices, scratch);
}

void clipTop(int* count, PolygonVertex* vertices, PolygonVertex* scratch)
{
    const ClipBoundary b = {CLIP_ON_Y, viewportMaxY, 1};
    clipAgainst(&b, count, vertices, scratch);
}

void clipBottom(int* count, PolygonVertex* vertices, PolygonVertex* scratch)
{
    const ClipBoundary b = {CLIP_ON_Y, viewportMinY, 0};
    clipAgainst(&b, count, vertices, scratch);
}

void clipLeft(int* count, PolygonVertex* vertices, PolygonVertex* scratch)
{
    const ClipBoundary b = {CLIP_ON_X, viewportMinX, 0};
    clipAgainst(&b, count, vertices, scratch);
}

void clipRight(int* count, PolygonVertex* vertices, PolygonVertex* scratch)
{
    const ClipBoundary b = {CLIP_ON_X, viewportMaxX, 1};
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
