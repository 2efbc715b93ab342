// The two lens-flare passes of the world render. The first writes a white
// marker pixel at each flaring light's screen point before the landscape and
// objects are drawn; the second reads it back after everything else and draws
// the flare only where the marker is still white.
#include <float.h>
#include <math.h>
#include <string.h>

#include "core/core.h"
#include "light/light.h"
#include "texture/texture.h"
#include "view/clip.h"
#include "view/view.h"

static const uint16_t flareMarker = 0xFFFF;   // white in RGB 565

// Where a light lies on the screen, found the same way by both passes.
typedef struct FlarePoint {
    Ver view;               // the light in camera space
    float x, y;             // screen point, snapped
    uint32_t column, row;   // its pixel, rows counted from the top
} FlarePoint;

// 0 when the light has no usable screen point: not beyond the near distance,
// or outside the drawing area (edges included).
static int flarePointFind(const LightSource* light, FlarePoint* point)
{
    MatXVer(&view.matrix, &light->position, &point->view);
    if (!(point->view.z > view.nearDistance))
        return 0;
    projectToScreen(point->view.x, point->view.y, point->view.z, &point->x, &point->y);
    snapToSubpixel(&point->x);
    snapToSubpixel(&point->y);
    if (!(point->x >= view.viewport.minX && point->x <= view.viewport.maxX &&
          point->y >= view.viewport.minY && point->y <= view.viewport.maxY))
        return 0;
    // A point on the right or bottom edge of the screen (or of a drawing area
    // reaching past it) addresses the pixel just outside; take the nearest
    // pixel of the screen instead.
    int64_t width = (int64_t)core.screenWidth, height = (int64_t)core.screenHeight;
    int64_t column = (int64_t)point->x;
    int64_t row = height - (int64_t)point->y;
    column = column < 0 ? 0 : (column >= width ? width - 1 : column);
    row = row < 0 ? 0 : (row >= height ? height - 1 : row);
    point->column = (uint32_t)column;
    point->row = (uint32_t)row;
    return 1;
}

void flareMarkPass(void)
{
    for (LightSource* light = lightSourceFirst(); light; light = light->next) {
        FlarePoint point;
        if (!light->lensFlare || !flarePointFind(light, &point))
            continue;
        uint16_t marker = flareMarker;
        if (!grLfbWriteRegion(GR_BUFFER_BACKBUFFER, point.column, point.row, GR_LFB_SRC_FMT_565, 1,
                              1, FXFALSE, 2, &marker))
            logWrite("Unable to write to linear frame buffer!");
    }
}

static void textureFilterSet(GrTextureFilterMode_t filter)
{
    grTexFilterMode(GR_TMU0, filter, filter);
    if (core.tmuCount > 1)
        grTexFilterMode(GR_TMU1, filter, filter);
}

// Additive, point-sampled texture scaled by the constant alpha, no depth test.
static void flareStateSet(uint32_t alpha)
{
    grDepthBufferMode(GR_DEPTHBUFFER_DISABLE);
    textureFilterSet(GR_TEXTUREFILTER_POINT_SAMPLED);
    grColorCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL_ALPHA,
                   GR_COMBINE_LOCAL_CONSTANT, GR_COMBINE_OTHER_TEXTURE, FXFALSE);
    grAlphaCombine(GR_COMBINE_FUNCTION_LOCAL_ALPHA, GR_COMBINE_FACTOR_ZERO,
                   GR_COMBINE_LOCAL_CONSTANT, GR_COMBINE_OTHER_CONSTANT, FXFALSE);
    grConstantColorValue(alpha << 24);
    grAlphaBlendFunction(GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ZERO, GR_BLEND_ZERO);
    grAlphaTestFunction(GR_CMP_ALWAYS);
}

static void flareStateRestore(void)
{
    textureFilterSet(GR_TEXTUREFILTER_BILINEAR);
    colourCombineDefault();
    grAlphaCombine(GR_COMBINE_FUNCTION_LOCAL_ALPHA, GR_COMBINE_FACTOR_ZERO,
                   GR_COMBINE_LOCAL_CONSTANT, GR_COMBINE_OTHER_CONSTANT, FXFALSE);
    grConstantColorValue(0xFF000000u);
    alphaBlendDefault();
    grDepthBufferMode(GR_DEPTHBUFFER_WBUFFER);
}

// The light's alpha: the cosine of its angle off the view axis, times 255.
// The table square root runs short by less than 1/256, so on the axis the
// product stays below 256.
static uint32_t flareAlpha(const Ver* lightView)
{
    // A light so far away that its squared distance overflows is brought
    // nearer by powers of two (exact; the cosine does not change), or the
    // square root would be taken of infinity.
    float v[3] = {lightView->x, lightView->y, lightView->z};
    while (isfinite(v[0]) && isfinite(v[1]) && isfinite(v[2]) &&
           v[0] * v[0] + v[1] * v[1] + v[2] * v[2] > FLT_MAX) {
        for (int k = 0; k < 3; k++)
            v[k] *= 0x1p-32f;
    }
    float length = (float)VectorLenght(v);
    float alpha = v[2] / length * 255.0f;
    // Whatever is left out of range (NaN, infinity) is held to 0..255: its
    // conversion to an integer would be undefined.
    if (!(alpha > 0.0f))
        return 0;
    return alpha < 255.0f ? (uint32_t)alpha : 255u;
}

// A corner of an element's square: clipped screen x, y and 0..1 s, t.
static void flareCornerSet(DrawVer* v, const float* corner)
{
    memset(v, 0, sizeof *v);
    v->x = corner[0];
    v->y = corner[1];
    snapToSubpixel(&v->x);
    snapToSubpixel(&v->y);
    v->q = 1.0f;
    v->s0 = v->s1 = corner[2] * 255.0f * v->q;
    v->t0 = v->t1 = corner[3] * 255.0f * v->q;
}

// One element's square, centred at (px, py), cut to the drawing area.
static void flareElementDraw(const FlareElement* element, float px, float py)
{
    float h = element->halfSize;
    // A square without area, or wholly outside the drawing area, draws
    // nothing: the screen clipper only moves edges inward.
    if (!element->texture || !(h > 0.0f) || !(px + h > view.viewport.minX) ||
        !(px - h < view.viewport.maxX) || !(py + h > view.viewport.minY) ||
        !(py - h < view.viewport.maxY))
        return;
    float quad[16] = {
        px - h, py + h, 0, 0,   // left top
        px - h, py - h, 0, 0,   // left bottom
        px + h, py - h, 0, 0,   // right bottom
        px + h, py + h, 0, 0,   // right top
    };
    clipScreenQuad(quad);
    DrawVer corners[4];
    void* pointers[4];
    for (int k = 0; k < 4; k++) {
        flareCornerSet(&corners[k], &quad[4 * k]);
        pointers[k] = &corners[k];
    }
    if (!textureSelect(element->texture))
        return;
    grDrawVertexArray(GR_TRIANGLE_FAN, 4, pointers);
}

void flareDrawPass(void)
{
    for (LightSource* light = lightSourceFirst(); light; light = light->next) {
        FlarePoint point;
        if (!light->lensFlare || !flarePointFind(light, &point))
            continue;
        uint16_t pixel = 0;
        if (!grLfbReadRegion(GR_BUFFER_BACKBUFFER, point.column, point.row, 1, 1, 2, &pixel)) {
            logWrite("Unable to read data from Linear Frame Buffer!");
            continue;
        }
        // Something drawn over the marker hides the light.
        if (pixel != flareMarker)
            continue;
        float cx = view.viewport.halfWidth + view.viewport.minX,
              cy = view.viewport.halfHeight + view.viewport.minY;
        float dx = point.x - cx, dy = point.y - cy;
        flareStateSet(flareAlpha(&point.view));
        const LensFlare* flare = light->lensFlare;
        for (int32_t i = 0; i < flare->elementCount; i++) {
            const FlareElement* element = &flare->elements[i];
            float px = element->axisPosition * dx + cx;
            float py = element->axisPosition * dy + cy;
            flareElementDraw(element, px, py);
        }
        flareStateRestore();
    }
}
