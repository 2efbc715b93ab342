// Polygon drawing: vertex colours, projection, clipping, texture and the
// Glide primitive of the object's shape, then the environment layer.
#include "core/core.h"
#include "light/light.h"
#include "render/render.h"
#include "texture/texture.h"

int32_t currentPrimitive = GR_TRIANGLE_FAN;

void polygonDrawInit(void)
{
    currentPrimitive = GR_TRIANGLE_FAN;
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
    if (object->shadingType == 3) {
        colour[0] = polygon->litColour[0];
        colour[1] = polygon->litColour[1];
        colour[2] = polygon->litColour[2];
        return;
    }
    int i = polygon->indices[k];
    const VertexRecord* v = &object->vertexRecords[i];
    const float light[3] = {v->r, v->g, v->b};
    const float ambient[3] = {ambientRed, ambientGreen, ambientBlue};
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
    if (currentPrimitive == GR_LINE_STRIP) {
        pointers[n] = pointers[0];
        grDrawVertexArray(GR_LINE_STRIP, (FxU32)n + 1, pointers);
    } else if (currentPrimitive == GR_TRIANGLE_FAN) {
        grDrawVertexArray(GR_TRIANGLE_FAN, 3, pointers);
        for (int j = 0; j + 4 <= n; j++)
            grDrawVertexArray(GR_TRIANGLE_FAN_CONTINUE, 1, pointers + 3 + j);
    } else {
        grDrawVertexArray((FxU32)currentPrimitive, (FxU32)n, pointers);
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
    if (*x > viewportMaxX - step)
        *x = viewportMaxX - step;
    if (*y < viewportMinY + step)
        *y = viewportMinY + step;
}

// Screen vertices of the polygon being drawn and pointers to them.
static DrawVer directVertices[3];
static DrawVer envVertices[CLIP_MAX_VERTICES];
static void* drawPointers[CLIP_MAX_VERTICES + 1];

// Direct path of a polygon wholly inside the view volume: the shared vertex
// records take the corner's texture coordinates and (until drawn) colour.
static void directPathBuild(const Object* object, const Polygon* polygon, float kept[3][3])
{
    int flat = object->shadingType == 3;
    for (int k = 0; k < 3; k++) {
        VertexRecord* v = &object->vertexRecords[polygon->indices[k]];
        if (polygon->kind != 2) {
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

        DrawVer* s = &directVertices[k];
        float q = 1.0f / v->w;
        s->x = (v->x * q + 1.0f) * viewportHalfWidth + viewportMinX;
        s->y = (v->y * q + 1.0f) * viewportHalfHeight + viewportMinY;
        snapToSubpixel(&s->x);
        snapToSubpixel(&s->y);
        if (currentPrimitive != GR_TRIANGLE_FAN)
            edgePullIn(&s->x, &s->y);
        s->w = v->w;
        s->q = q;
        s->r = v->r * 255.0f;
        s->g = v->g * 255.0f;
        s->b = v->b * 255.0f;
        s->s0 = s->s1 = v->s0 * 255.0f * q;
        s->t0 = s->t1 = v->t0 * 255.0f * q;
        drawPointers[k] = s;
    }
}

// Clipping path: corners copied out, clipped at near and far in camera
// space, projected, clipped at the screen sides. Returns the corner count,
// 0 when nothing is left.
static int clipPathBuild(const Object* object, const Polygon* polygon)
{
    envActive = (uint8_t)(object->envMapped != 0);
    int count = 3;
    for (int k = 0; k < 3; k++) {
        int i = polygon->indices[k];
        const VertexRecord* v = &object->vertexRecords[i];
        VertexRecord* c = &clipVertices[k];
        float colour[3];
        cornerColour(object, polygon, k, colour);
        c->x = v->x;
        c->y = v->y;
        c->w = v->w;
        c->spare = 0.0f;
        c->q = 0.0f;
        c->r = colour[0] * 255.0f;
        c->g = colour[1] * 255.0f;
        c->b = colour[2] * 255.0f;
        c->s0 = polygon->texCoords[2 * k] * 255.0f;
        c->t0 = polygon->texCoords[2 * k + 1] * 255.0f;
        c->s1 = c->t1 = 0.0f;
        if (envActive) {
            clipEnvCoords[k][0] = object->envCoords[i][0] * 255.0f;
            clipEnvCoords[k][1] = object->envCoords[i][1] * 255.0f;
        }
    }
    uint32_t codes = polygon->clipCodes;
    if (codes & CLIP_NEAR)
        clipNear(&count, clipVertices, clipScratch);
    if (codes & CLIP_FAR)
        clipFar(&count, clipVertices, clipScratch);
    if (count == 0)
        return 0;
    for (int j = 0; j < count; j++) {
        VertexRecord* c = &clipVertices[j];
        float q = 1.0f / c->w;
        c->x = (c->x * q + 1.0f) * viewportHalfWidth + viewportMinX;
        c->y = (c->y * q + 1.0f) * viewportHalfHeight + viewportMinY;
        c->q = q;
        c->s0 *= q;
        c->t0 *= q;
        if (envActive) {
            clipEnvCoords[j][0] *= q;
            clipEnvCoords[j][1] *= q;
        }
    }
    if (codes & CLIP_TOP)
        clipTop(&count, clipVertices, clipScratch);
    if (codes & CLIP_BOTTOM)
        clipBottom(&count, clipVertices, clipScratch);
    if (codes & CLIP_LEFT)
        clipLeft(&count, clipVertices, clipScratch);
    if (codes & CLIP_RIGHT)
        clipRight(&count, clipVertices, clipScratch);
    // Fewer than three corners only come from degenerate input: nothing to draw.
    if (count < 3)
        return 0;
    for (int j = 0; j < count; j++) {
        VertexRecord* c = &clipVertices[j];
        c->s1 = c->s0;
        c->t1 = c->t0;
        snapToSubpixel(&c->x);
        snapToSubpixel(&c->y);
        if (currentPrimitive != GR_TRIANGLE_FAN)
            edgePullIn(&c->x, &c->y);
        drawPointers[j] = c;
    }
    return count;
}

// The environment layer over a polygon of n screen vertices: the
// environment texture at the per-vertex coordinates, blended with opacity
// envAlpha / 255.
static void environmentLayer(const Object* object, const Polygon* polygon, int n, int clipped)
{
    for (int j = 0; j < n; j++) {
        DrawVer* e = &envVertices[j];
        if (clipped) {
            const VertexRecord* c = &clipVertices[j];
            e->x = c->x;
            e->y = c->y;
            e->w = c->w;
            e->q = c->q;
            e->s0 = e->s1 = clipEnvCoords[j][0];
            e->t0 = e->t1 = clipEnvCoords[j][1];
        } else {
            const DrawVer* s = &directVertices[j];
            const float* env = object->envCoords[polygon->indices[j]];
            e->x = s->x;
            e->y = s->y;
            e->w = s->w;
            e->q = s->q;
            e->s0 = e->s1 = env[0] * 255.0f * s->q;
            e->t0 = e->t1 = env[1] * 255.0f * s->q;
        }
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
    currentPrimitive = object->shape;
    if (object->translucent != 0)
        return;
    grConstantColorValue(0xFF000000);
    int showsBackFaces = objectShowsBackFaces(object);
    int flat = object->shadingType == 3;
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
        int n;
        if (clipped) {
            n = clipPathBuild(object, polygon);
            if (n == 0)
                continue;
        } else {
            directPathBuild(object, polygon, kept);
            n = 3;
        }

        // A texture that can have no slot is drawn as none: the unit would
        // show whichever texture it held before.
        int untextured = polygon->kind == 2 || !polygon->texture || !textureSelect(polygon->texture);
        if (untextured)
            grColorCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_ZERO,
                           GR_COMBINE_LOCAL_ITERATED, GR_COMBINE_OTHER_CONSTANT, FXFALSE);
        primitiveSend(drawPointers, n);
        performanceCounters.polygonsDrawn += 1;

        // The shared vertex records get their light back (last corner first,
        // so a corner repeated in one polygon ends with its own value).
        if (!clipped && !flat) {
            for (int k = 2; k >= 0; k--) {
                VertexRecord* v = &object->vertexRecords[polygon->indices[k]];
                v->r = kept[k][0];
                v->g = kept[k][1];
                v->b = kept[k][2];
            }
        }
        if (untextured)
            grColorCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL,
                           GR_COMBINE_LOCAL_ITERATED, GR_COMBINE_OTHER_TEXTURE, FXFALSE);
        if (object->envMapped == 1)
            environmentLayer(object, polygon, n, clipped);
    }
}
