// Polygon drawing: vertex colours, projection, clipping, texture and the
// Glide primitive of the object's shape, then the environment layer.
#include "core/core.h"
#include "light/light.h"
#include "render/render.h"
#include "texture/texture.h"

void polygonDrawInit(void)
{
    render.currentPrimitive = GR_TRIANGLE_FAN;
}

int objectShowsBackFaces(const Object* object)
{
    return object->shape == GR_POINTS || object->shape == GR_LINE_STRIP;
}

// Colour of corner k in 0..1: the polygon's flat light, or for smooth
// objects material times the vertex light plus emissive, dynamic and ambient
// light, limited to 1.
static void cornerColour(const Object* object, const Polygon* polygon, int k, float colour[3])
{
    if (object->shadingType == OBX_SHADING_FLAT) {
        colour[0] = polygon->litColour[0];
        colour[1] = polygon->litColour[1];
        colour[2] = polygon->litColour[2];
        return;
    }
    int i = polygon->indices[k];
    const VertexRecord* v = &object->vertexRecords[i];
    const float light[3] = {v->r, v->g, v->b};
    const float ambient[3] = {lights.ambient[0], lights.ambient[1], lights.ambient[2]};
    for (int ch = 0; ch < 3; ch++) {
        float c = polygon->diffuse[ch] * light[ch] + polygon->emissive[ch] +
                  object->dynLight[i][ch] + ambient[ch];
        colour[ch] = c > 1.0f ? 1.0f : c;
    }
}

// Sends n screen vertices as the current primitive: a fan of n - 2
// triangles, a closed outline, or points.
static void primitiveSend(void** pointers, int n)
{
    if (render.currentPrimitive == GR_LINE_STRIP) {
        pointers[n] = pointers[0];
        grDrawVertexArray(GR_LINE_STRIP, (FxU32)n + 1, pointers);
    } else if (render.currentPrimitive == GR_TRIANGLE_FAN) {
        grDrawVertexArray(GR_TRIANGLE_FAN, 3, pointers);
        for (int j = 0; j + 4 <= n; j++)
            grDrawVertexArray(GR_TRIANGLE_FAN_CONTINUE, 1, pointers + 3 + j);
    } else {
        grDrawVertexArray((FxU32)render.currentPrimitive, (FxU32)n, pointers);
    }
}

// Lines and points light the pixel a vertex falls in: with the origin at the
// lower left, the pixel left of and below a point on a pixel corner. A
// vertex on the right or bottom edge of the drawing area (where clipping
// puts it) would so light one column or row outside it; such vertices move in
// by one snap step. Filled triangles need no such care: pixels are sampled at
// their centres.
static void edgePullIn(float* x, float* y)
{
    const float step = 1.0f / 16.0f;
    if (*x > view.viewport.maxX - step)
        *x = view.viewport.maxX - step;
    if (*y < view.viewport.minY + step)
        *y = view.viewport.minY + step;
}

// The corners of the polygon being drawn, the environment layer over it and
// the pointers Glide is handed (one more for a closed outline).
static PolygonVertex corners[CLIP_MAX_VERTICES];
static PolygonVertex cornerScratch[CLIP_MAX_VERTICES];
static DrawVer envVertices[CLIP_MAX_VERTICES];
static void* drawPointers[CLIP_MAX_VERTICES + 1];

// Corner k in camera space, before projection: the vertex record's position,
// the colour and texture coordinates given, and the environment-map
// coordinates of the vertex, all scaled to 0..255.
static void cornerSet(const Object* object, const Polygon* polygon, int k, const float colour[3],
                      float s, float t)
{
    int i = polygon->indices[k];
    const VertexRecord* v = &object->vertexRecords[i];
    PolygonVertex* c = &corners[k];
    c->x = v->x;
    c->y = v->y;
    c->w = v->w;
    c->spare = 0.0f;
    c->q = 0.0f;
    c->r = colour[0] * 255.0f;
    c->g = colour[1] * 255.0f;
    c->b = colour[2] * 255.0f;
    c->s0 = s * 255.0f;
    c->t0 = t * 255.0f;
    c->s1 = c->t1 = 0.0f;
    if (object->envMapped != 0) {
        c->envS = object->envCoords[i][0] * 255.0f;
        c->envT = object->envCoords[i][1] * 255.0f;
    } else {
        c->envS = c->envT = 0.0f;
    }
}

// The corners of a polygon that needs no clipping come through its shared
// vertex records: each record takes the corner's texture coordinates (kept
// afterwards) and, until the polygon is drawn, its colour.
static void cornersFromRecords(const Object* object, const Polygon* polygon, float kept[3][3])
{
    int flat = object->shadingType == OBX_SHADING_FLAT;
    for (int k = 0; k < 3; k++) {
        VertexRecord* v = &object->vertexRecords[polygon->indices[k]];
        if (polygon->kind != OBX_POLYGON_UNTEXTURED) {
            v->s0 = v->s1 = polygon->texCoords[2 * k];
            v->t0 = v->t1 = polygon->texCoords[2 * k + 1];
        }
        float colour[3];
        cornerColour(object, polygon, k, colour);
        if (!flat) {
            kept[k][0] = v->r;
            kept[k][1] = v->g;
            kept[k][2] = v->b;
        }
        v->r = colour[0];
        v->g = colour[1];
        v->b = colour[2];
        cornerSet(object, polygon, k, colour, v->s0, v->t0);
    }
}

// The corners of a polygon to be clipped take their values from the polygon
// itself; the shared records stay as they are.
static void cornersFromPolygon(const Object* object, const Polygon* polygon)
{
    for (int k = 0; k < 3; k++) {
        float colour[3];
        cornerColour(object, polygon, k, colour);
        cornerSet(object, polygon, k, colour, polygon->texCoords[2 * k],
                  polygon->texCoords[2 * k + 1]);
    }
}

// Onto the drawing area: screen x, y and q = 1 / w, the texture coordinates
// multiplied by q for perspective.
static void cornersProject(int n)
{
    for (int j = 0; j < n; j++) {
        PolygonVertex* c = &corners[j];
        float q = projectToScreen(c->x, c->y, c->w, &c->x, &c->y);
        c->q = q;
        c->s0 *= q;
        c->t0 *= q;
        c->envS *= q;
        c->envT *= q;
    }
}

// Near and far in camera space, as the clip codes ask; returns the corners left.
static int cornersClipDepth(uint32_t codes, int n)
{
    if (codes & CLIP_NEAR)
        clipNear(&n, corners, cornerScratch);
    if (codes & CLIP_FAR)
        clipFar(&n, corners, cornerScratch);
    return n;
}

// The sides of the drawing area on the screen, as the clip codes ask.
static int cornersClipSides(uint32_t codes, int n)
{
    if (codes & CLIP_TOP)
        clipTop(&n, corners, cornerScratch);
    if (codes & CLIP_BOTTOM)
        clipBottom(&n, corners, cornerScratch);
    if (codes & CLIP_LEFT)
        clipLeft(&n, corners, cornerScratch);
    if (codes & CLIP_RIGHT)
        clipRight(&n, corners, cornerScratch);
    return n;
}

// Snapped to 1/16 pixel, unit 1 given unit 0's texture coordinates, and
// pointed to for Glide.
static void cornersSnap(int n)
{
    for (int j = 0; j < n; j++) {
        PolygonVertex* c = &corners[j];
        c->s1 = c->s0;
        c->t1 = c->t0;
        snapToSubpixel(&c->x);
        snapToSubpixel(&c->y);
        if (render.currentPrimitive != GR_TRIANGLE_FAN)
            edgePullIn(&c->x, &c->y);
        drawPointers[j] = c;
    }
}

// The screen corners of a polygon: built, clipped where its clip codes say,
// projected and snapped. Returns how many there are, 0 when nothing is left.
static int polygonCorners(const Object* object, const Polygon* polygon, int clipped,
                          float kept[3][3])
{
    int n = 3;
    if (clipped) {
        cornersFromPolygon(object, polygon);
        n = cornersClipDepth(polygon->clipCodes, n);
        if (n == 0)
            return 0;
    } else {
        cornersFromRecords(object, polygon, kept);
    }
    cornersProject(n);
    if (clipped) {
        n = cornersClipSides(polygon->clipCodes, n);
        // Fewer than three corners only come from degenerate input: nothing to draw.
        if (n < 3)
            return 0;
    }
    cornersSnap(n);
    return n;
}

// The polygon in its texture, or in its vertex colours alone when it has
// none (or its texture no slot), as the object's primitive; counted as drawn.
static void polygonSend(const Polygon* polygon, int n)
{
    // A texture that can have no slot is drawn as none: the unit would
    // show whichever texture it held before.
    int untextured = polygon->kind == OBX_POLYGON_UNTEXTURED || !polygon->texture ||
                     !textureSelect(polygon->texture);
    if (untextured)
        grColorCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_ZERO, GR_COMBINE_LOCAL_ITERATED,
                       GR_COMBINE_OTHER_CONSTANT, FXFALSE);
    primitiveSend(drawPointers, n);
    polygonCounted();
    if (untextured)
        colourCombineDefault();
}

// The shared vertex records get their light back (last corner first, so a
// corner repeated in one polygon ends with its own value).
static void recordsLightRestore(const Object* object, const Polygon* polygon,
                                const float kept[3][3])
{
    for (int k = 2; k >= 0; k--) {
        VertexRecord* v = &object->vertexRecords[polygon->indices[k]];
        v->r = kept[k][0];
        v->g = kept[k][1];
        v->b = kept[k][2];
    }
}

// The environment layer over the polygon's n screen corners: the environment
// texture at their coordinates, blended with opacity envAlpha / 255.
static void environmentLayer(const Object* object, int n)
{
    for (int j = 0; j < n; j++) {
        const PolygonVertex* c = &corners[j];
        DrawVer* e = &envVertices[j];
        e->x = c->x;
        e->y = c->y;
        e->w = c->w;
        e->q = c->q;
        e->s0 = e->s1 = c->envS;
        e->t0 = e->t1 = c->envT;
        e->r = e->g = e->b = 255.0f;
        drawPointers[j] = e;
    }
    // Without environment texels there is no layer to lay over the polygon.
    if (!object->envTexture || !textureSelect(object->envTexture))
        return;
    // Truncated to a whole opacity and kept within the alpha byte.
    float alpha = object->envAlpha;
    GrColor_t opacity = alpha >= 255.0f ? 255u : (alpha >= 1.0f ? (GrColor_t)alpha : 0u);
    grConstantColorValue(opacity << 24);
    primitiveSend(drawPointers, n);
    grConstantColorValue(0xFF000000);
}

// A polygon of an object found wholly inside the view volume is drawn
// without clipping; should a corner lie outside after all (its bounding
// radius went stale through scaling), it is clipped against every plane
// rather than projected from behind the camera.
static int directPathSafe(const Object* object, const Polygon* polygon)
{
    if (object->whollyInside != 1)
        return 1;
    for (int k = 0; k < 3; k++) {
        if (vertexClipCode(&object->vertexRecords[polygon->indices[k]]) != 0)
            return 0;
    }
    return 1;
}

void drawObject(Object* object)
{
    render.currentPrimitive = object->shape;
    if (object->translucent != 0)
        return;
    grConstantColorValue(0xFF000000);
    int showsBackFaces = objectShowsBackFaces(object);
    int flat = object->shadingType == OBX_SHADING_FLAT;
    for (int p = 0; p < object->polygonCount; p++) {
        Polygon* polygon = &object->polygons[p];
        if (polygon->outside != 0)
            continue;
        if (polygon->backFacing != 0 && !showsBackFaces)
            continue;

        int clipped = polygon->needsClip != 0;
        if (!clipped && !directPathSafe(object, polygon)) {
            polygon->clipCodes =
                CLIP_NEAR | CLIP_FAR | CLIP_TOP | CLIP_BOTTOM | CLIP_LEFT | CLIP_RIGHT;
            clipped = 1;
        }
        float kept[3][3];
        int n = polygonCorners(object, polygon, clipped, kept);
        if (n == 0)
            continue;
        polygonSend(polygon, n);
        if (!clipped && !flat)
            recordsLightRestore(object, polygon, kept);
        if (object->envMapped == 1)
            environmentLayer(object, n);
    }
}
