// The clippers other renderers share: the landscape's edge clipper and the
// screen-quad clipper of lens flares and sprites.
#ifndef OBX_VIEW_CLIP_H
#define OBX_VIEW_CLIP_H

#include "view/view.h"

// The landscape's clip vertex: a position, a spare float and three pairs of
// attributes.
typedef struct ClipVertex {
    float x, y, z, spare;
    float pair1[2];
    float pair2[2];
    float pair3[2];
} ClipVertex;
// Clips an edge against a view plane. Returns 0 when both ends are outside,
// 2 when both are inside (copied to out), 1 when one end was replaced by the
// crossing point (whose second pair is set to its first).
int clipEdgeToPlane(const ViewPlane* plane, const ClipVertex edge[2], ClipVertex out[2]);

// Clips a screen-aligned quad to the drawing area. The quad is four corners
// of x, y, s, t: left-top, left-bottom, right-bottom, right-top (y up); s and
// t come out in 0..1 across the unclipped quad.
void clipScreenQuad(float quad[16]);

#endif
