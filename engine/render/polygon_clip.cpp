// The six polygon clippers of the polygon drawer: near and far on camera
// depth before projection, the four sides of the drawing area on the screen
// after it.
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
    const ClipBoundary b = {CLIP_ON_DEPTH, view.nearDistance, 0};
    clipAgainst(&b, count, vertices, scratch);
}

void clipFar(int* count, PolygonVertex* vertices, PolygonVertex* scratch)
{
    const ClipBoundary b = {CLIP_ON_DEPTH, view.farDistance, 1};
    clipAgainst(&b, count, vertices, scratch);
}

void clipTop(int* count, PolygonVertex* vertices, PolygonVertex* scratch)
{
    const ClipBoundary b = {CLIP_ON_Y, view.viewport.maxY, 1};
    clipAgainst(&b, count, vertices, scratch);
}

void clipBottom(int* count, PolygonVertex* vertices, PolygonVertex* scratch)
{
    const ClipBoundary b = {CLIP_ON_Y, view.viewport.minY, 0};
    clipAgainst(&b, count, vertices, scratch);
}

void clipLeft(int* count, PolygonVertex* vertices, PolygonVertex* scratch)
{
    const ClipBoundary b = {CLIP_ON_X, view.viewport.minX, 0};
    clipAgainst(&b, count, vertices, scratch);
}

void clipRight(int* count, PolygonVertex* vertices, PolygonVertex* scratch)
{
    const ClipBoundary b = {CLIP_ON_X, view.viewport.maxX, 1};
    clipAgainst(&b, count, vertices, scratch);
}
