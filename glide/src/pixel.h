/*
 * The pixel path. Triangle setup (raster.cpp) turns a primitive into plane
 * equations and cuts it into horizontal spans of at most SPAN_MAX pixels; each
 * span then runs through a short list of stages chosen by validatePipeline()
 * for the current state. Every stage works on the whole span at once, reading
 * and writing the per-pixel arrays of `Span`, in the order of the hardware:
 *
 *   iterate -> texture (TMU1, TMU0) -> chroma key -> colour/alpha combine
 *   -> alpha test -> depth test -> fog -> blend -> dither and write
 *
 * A stage that fails a pixel clears its `live` flag; only the write stage
 * looks at the buffers' contents again.
 *
 * Each stage is written once, against the lane-width wrapper of lanes.h, in
 * the file named for it (interpolate, texture, combine, depth, fog, blend,
 * write); those sources are compiled once per instruction set, and
 * validatePipeline() lists the stages from the table of the widest set the
 * processor has (stages.h).
 */
#ifndef OBX_GLIDE_PIXEL_H
#define OBX_GLIDE_PIXEL_H

#include "device.h"

// SPAN_MAX is a multiple of every lane width (lanes.h): a stage may compute
// up to LANES_MAX - 1 values past the span's end and ignore them. A span
// holds the short rows of at most SPAN_ROWS_MAX rows of one primitive.
enum { SPAN_MAX = 64, LANES_MAX = 8, SPAN_ROWS_MAX = 8 };

// An attribute as a linear function of the pixel position:
// value(px, py) = at + dx * (px - refX) + dy * (py - refY), px, py pixel centres.
struct Plane {
    double at, dx, dy;
};

// Everything the pixel stages need about one primitive.
struct Setup {
    double refX, refY;   // in buffer pixels, y counted from the top
    Plane r, g, b, a, z, q, fog;
    Plane sq[MAX_TMU], tq[MAX_TMU], qt[MAX_TMU];
};

struct Pipeline;

// The board's pixel counters (grGet(GR_STATS_PIXELS_*)) but the pixels
// written, kept by each span record: pixels that entered the pixel path, and
// those the chroma key and the alpha test discarded. The depth test
// discards the rest of those not written, so it need not count.
struct PixelCounts {
    uint64_t in, chromaFailed, alphaFailed, depthFailed;
};

struct Span {
    const Pipeline* path;   // the pixel path the span runs through
    const Setup* setup;
    int x, y, n;       // first pixel (buffer coordinates, row 0 = top) and count
    uint16_t* color;   // first pixel of the span in the render target
    uint16_t* aux;     // same in the aux buffer, or null

    // A span of several rows (rows > 0): the pixels of row k start at
    // (rowX[k], rowY[k]), rowN[k] of them, one row after the other; each
    // pixel knows its row and its column in it. The stages
    // read and write copies of the rows' pixels (rowColor, rowAux), which
    // color and aux then point at, and x and y are 0.
    int rows = 0;
    alignas(32) int32_t rowX[SPAN_ROWS_MAX], rowY[SPAN_ROWS_MAX];
    int rowN[SPAN_ROWS_MAX];
    // Each row's first pixel centre relative to the primitive's reference
    // point, as the planes are evaluated (for rows the span lacks, some
    // earlier span's, or 0).
    alignas(32) double rowDX[SPAN_ROWS_MAX] = {}, rowDY[SPAN_ROWS_MAX] = {};
    alignas(32) int32_t laneRow[SPAN_MAX + LANES_MAX];
    alignas(32) float laneColumn[SPAN_MAX + LANES_MAX];
    alignas(32) uint16_t rowColor[SPAN_MAX + 2 * LANES_MAX], rowAux[SPAN_MAX + 2 * LANES_MAX];

    // Texture coordinates and 1/q of the TMU being sampled (spare entries:
    // runs of pixels are processed a register at a time from any start).
    alignas(64) float s[SPAN_MAX + LANES_MAX], t[SPAN_MAX + LANES_MAX];
    float r[SPAN_MAX + LANES_MAX];
    int32_t lod[SPAN_MAX];             // level of detail, 8 fraction bits
    uint32_t iter[SPAN_MAX];           // iterated colour, 0xAARRGGBB
    uint32_t tex[MAX_TMU][SPAN_MAX];   // each TMU's output
    uint32_t texel[SPAN_MAX];          // the filtered texels of the TMU being sampled
    uint32_t depthAlpha[SPAN_MAX];     // high byte of iterated z as alpha
    uint32_t color32[SPAN_MAX];        // combined colour, 0xAARRGGBB
    uint32_t prefog[SPAN_MAX];         // colour before fog (for PREFOG_COLOR blending)
    int32_t wvalue[SPAN_MAX];          // 16-bit W value of q (wDepth)
    uint16_t depth[SPAN_MAX];          // the pixel's own depth value
    uint8_t fog[SPAN_MAX];             // fog factor
    uint8_t live[SPAN_MAX];            // still to be written (none past the end of a span of rows)
    uint64_t pixelsWritten;            // by this span record, for the statistics
    PixelCounts counts;                // the board's other pixel counters, likewise
};

typedef void (*Stage)(Span* span);

// The stages of one lane width (lanes.h), from which validatePipeline()
// lists a path's.
struct StageTable {
    // from the primitive's planes
    Stage iterColor, iterQ, depthW, depthZ;
    // the rest, which frame-buffer writes through the pixel path run too
    Stage depthAlpha, texture1, texture0, chromaKey, combine, alphaTest, depthTest;
    Stage fogW, fogZ, fogAlpha, fogCoord, fog, blend, write;
};
namespace sse2 {
extern const StageTable stageTable;
}
namespace avx2 {
extern const StageTable stageTable;
}

// The combine inputs, as the stages address them.
enum Input { IN_ZERO, IN_ITER, IN_TEX, IN_CONST, IN_DEPTH_ALPHA, IN_UPSTREAM, IN_TEXEL };

// How a combine unit is evaluated: the common settings have short loops of
// their own, everything else goes through the general formula.
enum CombineOp {
    OP_ZERO,         // 0
    OP_COPY,         // input a
    OP_COPY_ALPHA,   // alpha of input a in every channel
    OP_MUL,          // a * b per channel
    OP_MUL_ALPHA,    // a * alpha of b
    OP_ADD,          // a + b per channel, at most 255
    OP_GENERIC,
};

struct CombinePlan {
    int op;
    int a, b;   // Input values
};

// A decoded texture's levels as the lanes sampler (texture.cpp) reads them:
// level k's texels start offset[k] texels after `base`, it is width[k] =
// 1 << widthLog2[k] texels wide and height[k] high, and its fixed-point
// coordinates are those of level 0 shifted right by shiftS[k] and shiftT[k]
// (every level's scale is level 0's divided by a power of two).
struct LevelTable {
    const uint32_t* base;
    float scaleS, scaleT;   // of level 0
    alignas(32) int32_t offset[16];
    alignas(32) int32_t width[16];
    alignas(32) int32_t widthLog2[16];
    alignas(32) int32_t height[16];
    alignas(32) int32_t shiftS[16];
    alignas(32) int32_t shiftT[16];
};

struct Pipeline {
    Stage stages[20];
    int stageCount;
    // Bit k set: stage k computes what it writes from the primitive's planes
    // (frame-buffer writes bring their own colour and depth instead).
    uint32_t planeStages;

    // Which interpolants the stages read.
    bool needQ, needIterColor, needIterAlpha, needZ, needFogCoord;

    // Texture units that take part, and their decoded textures (null when a
    // unit has no usable source: it then reads as opaque white). The decoded
    // textures stay in place until no queued command can read them.
    bool tmuSampled[MAX_TMU];
    const DecodedTexture* texture[MAX_TMU];
    const LevelTable* levelTable[MAX_TMU];
    bool tmuMipmap[MAX_TMU];         // level chosen per pixel from the level of detail
    bool tmuDither[MAX_TMU];         // level chosen with the dither matrix
    int32_t tmuLodOffset[MAX_TMU];   // (largeLod - 8 + bias) in 1/256 units
    int tmuUpstream;                 // index of the unit feeding TMU0, or -1

    // Combine inputs (Input values) and how each unit is evaluated.
    int colorLocal, colorOther, alphaLocal, alphaOther;
    CombinePlan colorPlan, alphaPlan;
    CombinePlan tmuRgbPlan[MAX_TMU], tmuAlphaPlan[MAX_TMU];

    // Constants decoded from the context's colour format. With a chroma range
    // the key is [chromaKey, chromaMax]; a unit with texture chroma discards
    // texels within [texChromaMin, texChromaMax].
    uint32_t fogColor, chromaKey, chromaMax;
    bool chromaRange;
    bool texChroma[MAX_TMU];
    uint32_t texChromaMin[MAX_TMU], texChromaMax[MAX_TMU];
    alignas(16) uint32_t
        constArray[SPAN_MAX];   // the constant colour repeated, an input like any other

    bool blendReadsPrefog, fogActive;
    bool tmuLod[MAX_TMU];          // level of detail computed per pixel
    bool tmuCombineLod[MAX_TMU];   // the unit's combine reads it
    bool writeRgb, writeDepth, writeAlpha, alphaBuffer;
    int ditherMode;
    int32_t depthBias;   // -0x8000..0x7FFF: the biased depth of any value fits in 32 bits
    // The depth test: which outcomes of comparing the new value with the
    // stored one pass, and the value compared in the *_COMPARE_TO_BIAS modes.
    bool depthPassLess, depthPassEqual, depthPassGreater;
    bool depthToBias;
    uint16_t depthBiasValue;

    // Where the pixels go: the render target and the aux buffer (or null),
    // rows of `width` pixels.
    uint16_t* color;
    uint16_t* aux;
    int width;

    // The state the path was chosen for; the stages read nothing else.
    GlideState st;
    bool valid;                 // chosen at least once for this window
    uint32_t cacheGeneration;   // texCacheGeneration when chosen
};

// The pixel path of the current state, chosen on the application's thread.
extern Pipeline pixelPath;

// Runs the span's pixel path over pixels [x0, x1) of row y (buffer
// coordinates, already clipped), in runs of at most SPAN_MAX.
void spanDraw(Span* s, const Setup* setup, int y, int x0, int x1);

// The place in the buffer of pixel i of a span.
static inline int spanColumn(const Span* s, int i)
{
    return s->rows ? s->rowX[s->laneRow[i]] + (int)s->laneColumn[i] : s->x + i;
}
static inline int spanRow(const Span* s, int i)
{
    return s->rows ? s->rowY[s->laneRow[i]] : s->y;
}

// Runs the span's pixel path once over the rows s->rowX, rowY, rowN[0..rows)
// (distinct rows, at most SPAN_MAX pixels in all).
void spanDrawRows(Span* s, const Setup* setup, int rows);

// A triangle ready for scan conversion: its planes, and its three edges as
// integer functions stepped row by row (values at pixel column 0 of row
// rowFirst). Inside means E >= threshold; E at column ix is 16 * A * ix + C.
struct Triangle {
    Setup setup;
    int64_t edgeA[3], edgeC[3], edgeThreshold[3], edgeStep[3];
    int rowFirst, rowLast;
    int clipX0, clipX1;   // half-open
};

// A single pixel of a point or line.
struct PixelAt {
    int x, y;
};

// Draws the pixels in rows [rowBegin, rowEnd).
void pixelsDraw(Span* s, const Setup* setup, const PixelAt* at, int count, int rowBegin,
                int rowEnd);

// A clear of the render target and the aux buffer inside a rectangle.
struct ClearJob {
    uint16_t* color;   // null: colour stays
    uint16_t* aux;     // null: aux buffer stays
    int width;         // pixels per row
    ClipRect rect;
    uint16_t colorValue, auxValue;
};
// Clears the job's rows within [rowBegin, rowEnd) (window.cpp).
void clearRows(const ClearJob* job, int rowBegin, int rowEnd);
void submitClear(const ClearJob* job);

// Hands a primitive to the rasterizer (dispatch.cpp): drawn at once on the
// application's thread, or queued for the rasterizer threads.
void submitTriangle(const Triangle* t);
void submitPixels(const Setup* setup, const PixelAt* at, int count);
// The span record for pixels the application's thread draws itself (frame
// buffer writes through the pixel path), set to the current pixel path.
Span* callerSpan(void);

// Draws the rows of a triangle that lie in [rowBegin, rowEnd).
void triangleRows(Span* s, const Triangle* t, int rowBegin, int rowEnd);

// A decoded texture and its level table (texcache.cpp).
struct TextureData {
    DecodedTexture decoded;
    LevelTable table;
};
// The decoded form of what TMU `tmu` currently has as source, or null.
const TextureData* texCacheLookup(int tmu);

// Shared arithmetic -------------------------------------------------------

// x * f / 255 rounded to nearest, for 0 <= x*f <= 255*255*2 (no halves exist).
static inline uint32_t mulDiv255(uint32_t v)
{
    return (v + 127) / 255;
}

// Signed x * f / 255 rounded to nearest (symmetric about zero).
static inline int32_t smulDiv255(int32_t x, int32_t f)
{
    int32_t v = x * f;
    return v >= 0 ? (int32_t)mulDiv255((uint32_t)v) : -(int32_t)mulDiv255((uint32_t)-v);
}

// Clamps to [lo, hi]; NaN becomes lo.
// Written as max then min so it compiles to maxss/minss and vectorises.
static inline float clampf(float v, float lo, float hi)
{
    float t = v > lo ? v : lo;
    return t < hi ? t : hi;
}

static inline int clamp255(int v)
{
    return v < 0 ? 0 : (v > 255 ? 255 : v);
}

// The 16-bit W-buffer value of a pixel with 1/w = q: a floating value whose
// top four bits count the leading zeros of q's binary fraction and whose low
// twelve bits are the inverted mantissa after the leading one. Near (w <= 1)
// is 0, far (w >= 65536) is 0xFFFF, monotonic in w between.
static inline uint32_t wDepth(float q)
{
    union {
        float f;
        int32_t i;
    } u;
    u.f = q;
    int32_t bits = u.i;
    if (bits >= 0x3F800000)   // q >= 1 (and +inf, NaN patterns above it)
        return 0;
    if (bits <= 0)   // q <= 0: behind the eye, treated as farthest
        return 0xFFFF;
    int32_t zeros = 126 - (bits >> 23);
    if (zeros > 15)
        return 0xFFFF;
    uint32_t mantissa = (uint32_t)(bits >> 11) & 0xFFF;
    return ((uint32_t)zeros << 12) | (~mantissa & 0xFFF);
}

// Fog factor from the 64-entry table at a W-buffer value, interpolating
// between neighbouring entries with the value's next eight bits.
static inline uint32_t fogFromTable(const GrFog_t* table, uint32_t d)
{
    uint32_t i = d >> 10;
    int f0 = table[i];
    int f1 = i < 63 ? table[i + 1] : table[63];
    int frac = (int)((d >> 2) & 0xFF);
    return (uint32_t)(f0 + ((f1 - f0) * frac) / 256);
}

#endif
