// Clipping the two triangles of a leaf against the view planes it crosses,
// edge by edge through the shared edge clipper, into buffers of at most
// LEAF_CLIP_MAX corners.
#include "terrain/terrain.h"
#include "view/clip.h"

static void clipVertexFrom(const LandscapeVertex* v, ClipVertex* c)
{
    c->x = v->x;
    c->y = v->y;
    c->z = v->z;
    c->spare = 0.0f;
    c->pair1[0] = v->s0;
    c->pair1[1] = v->t0;
    c->pair2[0] = v->s1;
    c->pair2[1] = v->t1;
    c->pair3[0] = 0.0f;
    c->pair3[1] = 0.0f;
}

static void clipVertexTo(const ClipVertex* c, LandscapeVertex* v)
{
    v->x = c->x;
    v->y = c->y;
    v->z = c->z;
    v->q = 0.0f;
    v->s0 = c->pair1[0];
    v->t0 = c->pair1[1];
    v->s1 = c->pair2[0];
    v->t1 = c->pair2[1];
}

static int samePosition(const ClipVertex* a, const ClipVertex* b)
{
    return a->x == b->x && a->y == b->y && a->z == b->z;
}

int leafPolygonClip(const ViewPlane* plane, LandscapeVertex* polygon, int count)
{
    // Each edge adds at most two corners.
    ClipVertex added[2 * LEAF_CLIP_MAX];
    int addedCount = 0;
    for (int i = 0; i < count; i++) {
        ClipVertex edge[2], out[2];
        clipVertexFrom(&polygon[i], &edge[0]);
        clipVertexFrom(&polygon[(i + 1) % count], &edge[1]);
        int kept = clipEdgeToPlane(plane, edge, out);
        if (kept == 2) {
            added[addedCount++] = out[1];
        } else if (kept == 1) {
            added[addedCount++] = out[0];
            added[addedCount++] = out[1];
        }
    }
    // An edge leaving the plane repeats its inside end: drop repeats of the
    // first corner at the end, then repeats of the corner just kept.
    for (int k = 0; k < 2 && addedCount > 1 && samePosition(&added[addedCount - 1], &added[0]); k++)
        addedCount--;
    ClipVertex kept[2 * LEAF_CLIP_MAX];
    int keptCount = 0;
    ClipVertex previous;
    previous.x = previous.y = previous.z = 100000.0f;
    for (int i = 0; i < addedCount; i++) {
        if (samePosition(&added[i], &previous))
            continue;
        kept[keptCount++] = added[i];
        previous = added[i];
    }
    // A convex triangle gains at most one corner per plane, so only a leaf
    // crossing all six planes (or a degenerate one) could outgrow its
    // buffer. The plane is then left out for this polygon: its corners all lie
    // in front of the near plane already, so they still project safely.
    if (keptCount > LEAF_CLIP_MAX)
        return count;
    for (int i = 0; i < keptCount; i++)
        clipVertexTo(&kept[i], &polygon[i]);
    return keptCount;
}

void leafClip(LandscapePatch* leaf, unsigned planeMask)
{
    static const int order[VIEW_PLANE_COUNT] = {VIEW_PLANE_NEAR,   VIEW_PLANE_FAR,
                                                VIEW_PLANE_LEFT,   VIEW_PLANE_RIGHT,
                                                VIEW_PLANE_BOTTOM, VIEW_PLANE_TOP};
    for (int p = 0; p < VIEW_PLANE_COUNT; p++) {
        int plane = order[p];
        if (!(planeMask & (1u << plane)))
            continue;
        leaf->clipCountA =
            (int8_t)leafPolygonClip(&view.planes[plane], leaf->clipA, leaf->clipCountA);
        leaf->clipCountB =
            (int8_t)leafPolygonClip(&view.planes[plane], leaf->clipB, leaf->clipCountB);
    }
}
