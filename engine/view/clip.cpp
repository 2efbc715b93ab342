// The clippers other renderers share: an edge against a view plane for the
// landscape, and a screen-aligned quad against the drawing area for lens
// flares and sprites.
#include "view/clip.h"
#include "view/view.h"

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
    if (p1[0] < view.viewport.minX) {
        p1[2] = p2[2] = (view.viewport.minX - p1[0]) / width;
        p1[0] = p2[0] = view.viewport.minX;
    } else {
        p1[2] = p2[2] = 0.0f;
    }
    if (p4[0] > view.viewport.maxX) {
        p4[2] = p3[2] = 1.0f - (p4[0] - view.viewport.maxX) / width;
        p4[0] = p3[0] = view.viewport.maxX;
    } else {
        p4[2] = p3[2] = 1.0f;
    }
    if (p2[1] < view.viewport.minY) {
        p2[3] = p3[3] = (view.viewport.minY - p2[1]) / height;
        p2[1] = p3[1] = view.viewport.minY;
    } else {
        p2[3] = p3[3] = 0.0f;
    }
    if (p1[1] > view.viewport.maxY) {
        p1[3] = p4[3] = 1.0f - (p1[1] - view.viewport.maxY) / height;
        p1[1] = p4[1] = view.viewport.maxY;
    } else {
        p1[3] = p4[3] = 1.0f;
    }
}
