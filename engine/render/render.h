// Rendering: the objects pass of the world render, the per-object stages that
// prepare an object for drawing, and polygon drawing with its clippers. The
// camera, view volume and projection are in view/view.h.
#ifndef OBX_RENDER_RENDER_H
#define OBX_RENDER_RENDER_H

#include <stdint.h>

#include <glide.h>

#include "public.h"
#include "view/view.h"

// ---- Objects pass -------------------------------------------------------------
// The objects that passed the visibility test this frame, farthest first
// after sorting, each with its centre's camera-space depth.
typedef struct VisibleObject {
    float depth;
    Object* object;
} VisibleObject;
#define VISIBLE_OBJECTS_INITIAL 10000   // grown beyond this, never truncated

// What the renderer keeps between calls: the visible objects of the frame
// and the primitive of the object being drawn.
typedef struct RenderState {
    VisibleObject* visibleObjects;
    int32_t visibleObjectCount;
    int32_t visibleObjectCapacity;
    int32_t currentPrimitive;   // the shape of the object being drawn
} RenderState;
extern RenderState render;

// Sets the object's culled and whollyInside flags against the view volume
// from its bounding sphere; returns the centre's camera-space depth.
float objectCull(Object* object);
// Painter's order of two world positions: -1 when a is farther from the
// camera than b, 1 when nearer, 0 at equal depth.
int compareDepth(const Vector* a, const Vector* b);
// Culls the world's objects, sorts the visible ones farthest first, and
// prepares and draws each in turn.
void objectsPass(void);

// ---- Object preparation, run in this order on each object -----------------------
void objectWorldVertices(Object* object);   // vertices + position
void objectViewTransform(Object* object);   // world to camera space, into the vertex records
void objectClipCodes(Object* object);       // outside / needsClip per polygon
void objectBackFaces(Object* object);       // backFacing per polygon, lit per vertex
void objectLighting(Object* object);        // light sources, ambient, dynamic lights

// Clip-code bits of one plane over the three corners of a polygon.
#define CLIP_LEFT   0x1041u
#define CLIP_RIGHT  0x2082u
#define CLIP_BOTTOM 0x4104u
#define CLIP_TOP    0x8208u
#define CLIP_FAR    0x10410u
#define CLIP_NEAR   0x20820u
// The six bits of one camera-space point: 1 left (x < -z), 2 right (x > z),
// 4 below (y < -z), 8 above (y > z), 16 beyond far, 32 before near.
uint32_t vertexClipCode(const VertexRecord* v);

// ---- Polygon drawing --------------------------------------------------------------
void polygonDrawInit(void);   // GR_TRIANGLE_FAN (obxInitialize)
// 1 when the object's shape draws back faces too (outlines and points).
int objectShowsBackFaces(const Object* object);
// Hands the visible polygons of a prepared object to Glide.
void drawObject(Object* object);

// ---- Polygon clippers -----------------------------------------------------------
// A corner of the polygon being drawn, with every attribute it carries: camera
// x, y and depth w until it is projected, screen x, y and q = 1 / w after.
// Colours are 0..255; the texture and environment-map coordinates are in
// texels (0..255), multiplied by q once projected. Its first 48 bytes are a
// DrawVer, so Glide takes it as it is.
typedef struct PolygonVertex {
    float x, y, w, spare;
    float q;
    float r, g, b;
    float s0, t0, s1, t1;
    float envS, envT;
} PolygonVertex;

// A triangle clipped by all six planes has at most nine corners.
#define CLIP_MAX_VERTICES 50

// Each clips the polygon of *count corners in vertices against one boundary
// (Sutherland-Hodgman), using scratch as its output, and leaves the result in
// vertices. Near and far work on camera depth w before projection; the four
// sides on screen x and y after it.
void clipNear(int* count, PolygonVertex* vertices, PolygonVertex* scratch);
void clipFar(int* count, PolygonVertex* vertices, PolygonVertex* scratch);
void clipTop(int* count, PolygonVertex* vertices, PolygonVertex* scratch);
void clipBottom(int* count, PolygonVertex* vertices, PolygonVertex* scratch);
void clipLeft(int* count, PolygonVertex* vertices, PolygonVertex* scratch);
void clipRight(int* count, PolygonVertex* vertices, PolygonVertex* scratch);

#endif
