/*
 * The software Glide device: what its files offer each other.
 *
 * Two records hold everything. `gs` is the rendering state an application can
 * save and restore with grGlideGetState/SetState (a plain record, copied as
 * bytes). `dev` is the rest: configuration, the open window and its buffers,
 * texture memory, the vertex layout and the pixel path chosen for the current
 * state. Every state setter marks the pixel path stale (`dev.stale`); the next
 * draw call chooses a new one (validate.cpp) before any pixel is touched. A
 * new texture source marks only its unit, and the draw looks up just its
 * decoded texture.
 */
#ifndef OBX_GLIDE_DEVICE_H
#define OBX_GLIDE_DEVICE_H

#include <glide.h>
#include <glideutl.h>

#include <cstddef>
#include <cstdint>

#include "obx_glide_ext.h"

#ifndef __linux__
// The headers declare stippling for Linux only; the device keeps it on
// Windows too.
typedef FxI32 GrStippleMode_t;
typedef FxU32 GrStipplePattern_t;
extern "C" {
FX_ENTRY void FX_CALL grStippleMode(GrStippleMode_t mode);
FX_ENTRY void FX_CALL grStipplePattern(GrStipplePattern_t mode);
}
#endif
#include "trace.h"

#ifndef GR_TEXFMT_ARGB_8888
#define GR_TEXFMT_ARGB_8888 0x12
#endif
#ifndef GR_TEXFMT_P_8_6666
#define GR_TEXFMT_P_8_6666 0x6
#endif

enum {
    MAX_TMU = 2,
    FOG_TABLE_SIZE = 64,
    MAX_LEVELS = 9,   // LOD 256 down to 1
};

// ---------------------------------------------------------------------------
// Configuration from the environment (config.cpp)

enum DisplayMode { DISPLAY_AUTO, DISPLAY_WINDOW, DISPLAY_HEADLESS };

struct Config {
    int numTmu;              // FX_GLIDE_NUM_TMU: 1 or 2
    uint32_t texMemSize;     // OBX_GLIDE_TEXMEM: bytes of texture memory per unit
    bool noBoard;            // OBX_GLIDE_NO_BOARD=1
    DisplayMode display;     // OBX_GLIDE_DISPLAY
    char dumpPattern[256];   // OBX_GLIDE_DUMP, empty when unset
    bool avx2;       // 256-bit pixel loops: the processor has AVX2 and OBX_GLIDE_SIMD allows it
    int threads;     // OBX_GLIDE_THREADS: rasterizer threads, 0 = the application's own
    bool rowSpans;   // short rows of a triangle share spans (unless OBX_GLIDE_ROWS=single)
};

void configRead(Config* config);

// ---------------------------------------------------------------------------
// Rendering state (grGlideGetState/SetState copy this record)

struct CombineUnit {
    GrCombineFunction_t function;
    GrCombineFactor_t factor;
    GrCombineLocal_t local;
    GrCombineOther_t other;
    FxBool invert;
};

struct TmuState {
    // texture source (grTexSource)
    FxBool sourceValid;
    FxU32 sourceAddress;
    FxU32 sourceEvenOdd;
    GrLOD_t smallLod, largeLod;
    GrAspectRatio_t aspect;
    GrTextureFormat_t format;
    // split addresses (grTexMultibase, grTexMultibaseAddress): by
    // GR_TEXBASE_* range, where level 256, 128, 64 and the rest (from 32
    // down) lie while multibase is on
    FxBool multibase;
    FxU32 multibaseAddress[4];
    // sampling
    GrTextureFilterMode_t minFilter, magFilter;
    GrTextureClampMode_t clampS, clampT;
    GrMipMapMode_t mipmapMode;
    FxBool lodBlend;
    float lodBias;
    int detailBias, detailScale;
    float detailMax;
    // texture combine (grTexCombine)
    GrCombineFunction_t rgbFunction, alphaFunction;
    GrCombineFactor_t rgbFactor, alphaFactor;
    FxBool rgbInvert, alphaInvert;
    // texture chroma key (grTexChromaModeExt, grTexChromaRangeExt): texels
    // within [min, max] discard their pixel
    FxBool texChroma;
    GrColor_t texChromaMin, texChromaMax;
};

struct GlideState {
    CombineUnit colorCombine, alphaCombine;
    GrAlphaBlendFnc_t blendRgbSrc, blendRgbDst, blendAlphaSrc, blendAlphaDst;
    GrCmpFnc_t alphaTestFunction;
    GrAlpha_t alphaTestRef;
    GrDepthBufferMode_t depthMode;
    GrCmpFnc_t depthFunction;
    FxBool depthMask;
    FxI32 depthBias;   // -0x8000..0x7FFF
    FxBool colorMaskRgb, colorMaskAlpha;
    GrChromakeyMode_t chromakeyMode;
    GrColor_t chromakeyValue;
    // chroma range (grChromaRangeModeExt, grChromaRangeExt): the key is a range
    FxBool chromaRange;
    GrColor_t chromaRangeMin, chromaRangeMax;
    GrFogMode_t fogMode;
    GrColor_t fogColor;
    GrFog_t fogTable[FOG_TABLE_SIZE];
    GrColor_t constantColor;
    GrCullMode_t cullMode;
    FxU32 clipMinX, clipMinY, clipMaxX, clipMaxY;
    GrDitherMode_t ditherMode;
    GrCoordinateSpaceMode_t coordinateSpace;
    FxI32 viewportX, viewportY, viewportWidth, viewportHeight;
    float depthRangeNear, depthRangeFar;
    GrOriginLocation_t origin;
    GrBuffer_t renderBuffer;
    FxBool allowMipmapDither;
    FxBool enableFlags[8];   // other grEnable modes, by value
    GrNCCTable_t nccTable;
    GrAlpha_t lfbConstantAlpha;
    FxU32 lfbConstantDepth;
    GrColorFormat_t
        lfbWriteColorFormat;   // lane order of 32-bit frame buffer words (ARGB unless set)
    FxBool lfbSwizzleBytes, lfbSwapWords;
    FxBool alphaControlsItrgbLighting;
    GrStippleMode_t stippleMode;
    GrStipplePattern_t stipplePattern;
    TmuState tmu[MAX_TMU];
};

extern GlideState gs;

void stateReset(void);   // the defaults grSstWinOpen establishes

// The Voodoo2 extensions CHROMARANGE and TEXCHROMA (state.cpp), reached
// through grGetProcAddress.
void chromaRangeModeExt(GrChromakeyMode_t mode);
void chromaRangeExt(GrColor_t min, GrColor_t max, GrChromaRangeMode_t match);
void texChromaModeExt(GrChipID_t tmu, GrTexChromakeyMode_t mode);
void texChromaRangeExt(GrChipID_t tmu, GrColor_t min, GrColor_t max, GrTexChromakeyMode_t match);

// ---------------------------------------------------------------------------
// Vertex layout (grVertexLayout; saved separately from the rendering state)

enum VertexParam {
    VP_XY,
    VP_Z,
    VP_W,
    VP_Q,
    VP_FOG,
    VP_A,
    VP_RGB,
    VP_PARGB,
    VP_ST0,
    VP_ST1,
    VP_Q0,
    VP_Q1,
    VP_COUNT
};

struct VertexLayout {
    FxI32 offset[VP_COUNT];
    FxBool enabled[VP_COUNT];
};

// A vertex read out of the application's memory through the layout. x, y are
// in window pixels with y counted as the application's origin counts it.
struct Vertex {
    float x, y;
    float z, q, fog;
    float r, g, b, a;
    float sq[MAX_TMU], tq[MAX_TMU], qt[MAX_TMU];
};

void vertexFetch(const void* p, Vertex* v);

// ---------------------------------------------------------------------------
// Texture memory and decoded textures (texmem.cpp, texcache.cpp)

struct TexLevel {
    const uint32_t* texels;   // decoded 0xAARRGGBB, rows top to bottom
    int width, height;
    int widthLog2;
    float scaleS, scaleT;   // texel units * 256 per unit of s, t
};

struct DecodedTexture {
    int levelCount;
    int largeLod;   // LOD of levels[0]
    TexLevel levels[MAX_LEVELS];
};

int texFormatBytes(GrTextureFormat_t format);   // 0 for an unknown format
bool texLevelSize(GrLOD_t lod, GrAspectRatio_t aspect, int* width, int* height);
bool texInfoValid(GrLOD_t smallLod, GrLOD_t largeLod, GrAspectRatio_t aspect,
                  GrTextureFormat_t format);
// Byte offset of level `lod` inside a mipmap stored from `largeLod` down with
// the levels `evenOdd` selects (raw sizes, no padding).
uint32_t texLevelOffset(GrLOD_t lod, GrLOD_t largeLod, GrAspectRatio_t aspect,
                        GrTextureFormat_t format, FxU32 evenOdd);
// With split addresses: the GR_TEXBASE_* range level `lod` belongs to, and
// the largest level stored from that range's address (the rest, from 32
// down, start with the texture's largest level among them).
int texBaseRange(GrLOD_t lod);
GrLOD_t texBaseRangeTop(int range, GrLOD_t largeLod);
bool texLevelSelected(GrLOD_t lod, FxU32 evenOdd);

// Called whenever texture memory or a table changes: drops decoded copies
// that read the changed bytes.
void texCacheInvalidateRange(int tmu, uint32_t start, uint32_t end);
void texCacheInvalidateTables(void);
void texCacheClear(void);
// Memory for a decoded copy (64-byte aligned), and giving it back.
void* texBlockGet(size_t bytes);
void texBlockPut(void* block);
// Counts every change of the decoded textures: a pixel path chosen under an
// older count may point at texels no longer there.
extern uint32_t texCacheGeneration;

// ---------------------------------------------------------------------------
// The device

struct Presenter;   // window presentation (present.cpp)

// The display's output tables (gamma.cpp): 8 bits in, 8 bits out per channel.
struct Gamma {
    bool identity;
    uint8_t table[3][256];
};

struct Device {
    bool initialised;
    Config config;
    GrErrorCallbackFnc_t errorCallback;

    // the open window ("context")
    bool open;
    GrContext_t context;
    GrContext_t nextContext;
    int width, height;
    GrColorFormat_t colorFormat;
    int colorBufferCount;
    int auxBufferCount;
    uint16_t* colorBuffers[3];
    uint16_t* auxBuffer;   // depth or alpha, one 16-bit word per pixel
    int frontIndex;        // colour buffer shown; back = front + 1 (mod count)
    Presenter* presenter;
    Gamma gamma;
    uint64_t lastSwapTicks;
    // Vertical retraces (60 Hz) between the last swaps, newest first, and
    // when the last swap was (steady clock, nanoseconds; 0 before the first).
    FxI32 swapHistory[8];
    int64_t lastSwapNanos;

    // texture memory, one byte array per unit
    uint8_t* texMem[MAX_TMU];
    uint32_t texMemSize;
    // Downloaded tables. The board has one palette, which either download
    // fills: 0xAARRGGBB, alpha 255 from a plain palette.
    uint32_t palette[256];
    GuNccTable ncc[2];

    VertexLayout layout;
    // remembered vertices of the last strip / fan, for the *_CONTINUE modes
    Vertex stripVertex[2];
    int stripCount;
    bool stripOdd;
    Vertex fanHub, fanLast;
    int fanCount;

    // The pixel path must be looked at again before the next pixel: some
    // state changed (stateChanged), or only the texture sources of the units
    // in sourcesChanged (bit per unit), which a program sets per polygon.
    bool stale;
    bool stateChanged;
    uint8_t sourcesChanged;
    GrObxStats stats;
    uint64_t pointsDrawn, linesDrawn, trianglesIn;   // the board's other primitive counters
};

extern Device dev;

// The statistics, pixels written counted by whoever drew them (dispatch.cpp).
void statsRead(GrObxStats* out);
void statsReset(void);
// The board's pixel counters (pixel.h), and starting them again with the
// pixels written.
struct PixelCounts;
void pixelCountsRead(PixelCounts* out);
void pixelCountsReset(void);

// The rasterizer threads and their queue (dispatch.cpp). With no threads
// every call draws at once and the rest do nothing.
void queueStart(int threads);
void queueStop(void);
void queueDrain(void);            // returns when every queued command is drawn
// Returns when every queued command is drawn in buffer rows [rowBegin,
// rowEnd): the threads draw the rest meanwhile, and no command touches
// rows outside the bands it was noted in.
void queueDrainRows(int rowBegin, int rowEnd);
void queuePathChanged(void);      // a new pixel path was chosen
// Only some of the pixel path changed: the blocks it is sent to the threads
// in that hold `bytes` bytes at `at` of it, and those blocks changed.
uint32_t queuePathBlocks(const void* at, size_t bytes);
void queuePathChangedBlocks(uint32_t blocks);
void queueLfbLock(bool locked);   // the application holds (or lets go of) the frame buffer
void queueRetire(void* memory);   // gives a decoded copy's block back once the queue cannot read it

// Reports a misuse through the application's error callback (or stderr).
void reportError(const char* format, ...) __attribute__((format(printf, 1, 2)));
void reportFatal(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Guards used at the top of the entry points: report and return false when
// the call cannot be honoured now.
bool requireInit(const char* call);
bool requireWindow(const char* call);

static inline void markStale(void)
{
    dev.stale = true;
    dev.stateChanged = true;
}

// grTexSource gave unit `tmu` a new source: only its decoded texture need
// be looked up again.
static inline void markSourceChanged(int tmu)
{
    dev.stale = true;
    dev.sourcesChanged |= (uint8_t)(1u << tmu);
}

// Colours given as GrColor_t in the context's colour format, turned into
// 0xAARRGGBB.
uint32_t colorToArgb(GrColor_t color, GrColorFormat_t format);

// Buffers
uint16_t* bufferPointer(GrBuffer_t buffer);   // colour or aux buffer, or null
static inline uint16_t* backBuffer(void)
{
    return dev.colorBuffers[(dev.frontIndex + 1) % dev.colorBufferCount];
}
static inline uint16_t* frontBuffer(void)
{
    return dev.colorBuffers[dev.frontIndex];
}
uint16_t* renderTarget(void);

// Presentation (present.cpp)
bool presentOpen(FxU32 hWnd, int width, int height);
void presentFrame(const uint16_t* pixels, int width, int height);
void presentClose(void);
// Shows the front buffer in the window again, as it is now, when the window
// was uncovered, shown again or resized (window.cpp). The platform's
// presentation calls it on the thread that draws, from its window events.
void frontBufferShowAgain(void);
bool dumpFramePng(const char* path, const uint16_t* pixels, int width, int height);

// Gamma (gamma.cpp): the identity again, and 5-6-5 pixels as the display
// shows them (0xFFRRGGBB).
void gammaReset(void);
void gammaApply(const Gamma& gamma, const uint16_t* pixels, uint32_t* out, int count);

// Primitive setup (raster.cpp): a primitive read from the application's
// vertices is snapped, clipped and turned into plane equations, then handed
// to the rasterizer (dispatch.cpp).
void setupTriangle(const Vertex* a, const Vertex* b, const Vertex* c);
void setupPoint(const Vertex* v);
void setupLine(const Vertex* a, const Vertex* b);
// A triangle and, for each edge flagged (a-b, b-c, c-a), an anti-aliased fringe.
void setupTriangleEdges(const Vertex* a, const Vertex* b, const Vertex* c, const bool edges[3]);

// Locks do not outlive their window (lfb.cpp).
void lfbReleaseLocks(void);

// Pixel path (validate.cpp)
void validatePipeline(void);

// Clip rectangle in buffer rows (row 0 = top), half-open.
struct ClipRect {
    int x0, y0, x1, y1;
};
ClipRect clipRect(void);

static inline uint32_t expand565(uint16_t p)
{
    uint32_t r = (p >> 11) & 31, g = (p >> 5) & 63, b = p & 31;
    r = (r << 3) | (r >> 2);
    g = (g << 2) | (g >> 4);
    b = (b << 3) | (b >> 2);
    return 0xFF000000u | (r << 16) | (g << 8) | b;
}

static inline uint16_t pack565(uint32_t argb)
{
    return (uint16_t)(((argb >> 8) & 0xF800) | ((argb >> 5) & 0x07E0) | ((argb >> 3) & 0x001F));
}

#endif
