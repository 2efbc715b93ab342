#include "random_scene.h"

#include <glideutl.h>

#include <cstddef>
#include <cstring>

#include "obx_glide_ext.h"

#ifndef GR_TEXFMT_ARGB_8888
#define GR_TEXFMT_ARGB_8888 0x12
#endif

namespace {

// A small generator of our own, so the calls do not depend on the standard
// library's distributions.
struct Random {
    uint64_t state;
    uint32_t next()
    {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return (uint32_t)(state >> 33);
    }
    int below(int n)
    {
        return (int)(next() % (uint32_t)n);
    }
    bool chance(int percent)
    {
        return below(100) < percent;
    }
    float range(float lo, float hi)
    {
        return lo + (hi - lo) * (float)(next() & 0xFFFFFF) / 16777216.0f;
    }
    template <typename T, size_t N>
    T pick(const T (&values)[N])
    {
        return values[below((int)N)];
    }
};

struct Vertex {
    float x, y, z, q;
    float r, g, b, a;
    FxU32 argb;
    float s0, t0, s1, t1;
    float q0, q1, fog, w;
};

struct Texture {
    GrTexInfo info;
    FxU32 address[2];
    FxU32 evenOdd;
};

enum { TEXTURES = 10 };
Texture textures[TEXTURES];
int textureCount;
std::vector<FxU8> textureBytes[TEXTURES];

int bytesPerTexel(GrTextureFormat_t f)
{
    if (f == GR_TEXFMT_ARGB_8888)
        return 4;
    return f >= GR_TEXFMT_16BIT ? 2 : 1;
}

void addTexture(Random& rng, GrLOD_t small, GrLOD_t large, GrAspectRatio_t aspect,
                GrTextureFormat_t format, FxU32 evenOdd, FxU32 address)
{
    GrTexInfo info = {small, large, aspect, format, nullptr};
    size_t bytes = 0;
    for (GrLOD_t l = large; l >= small; l--) {
        int longer = 1 << l, w = longer, h = longer;
        if (aspect >= 0)
            h = longer >> aspect > 0 ? longer >> aspect : 1;
        else
            w = longer >> -aspect > 0 ? longer >> -aspect : 1;
        bytes += (size_t)w * h * bytesPerTexel(format);
    }
    std::vector<FxU8>& data = textureBytes[textureCount];
    data.resize(bytes);
    // Smooth gradients with a little noise, so filtering has something to mix.
    for (size_t i = 0; i < bytes; i++)
        data[i] = (FxU8)((i * 7 + (i >> 8) * 13) ^ (rng.next() & 0x0F));
    info.data = data.data();
    Texture& t = textures[textureCount++];
    t.info = info;
    t.evenOdd = evenOdd;
    for (int tmu = 0; tmu < 2; tmu++) {
        t.address[tmu] = address;
        grTexDownloadMipMap(tmu, address, evenOdd, &t.info);
    }
}

void setLayout(Random& rng)
{
    grVertexLayout(GR_PARAM_XY, offsetof(Vertex, x), GR_PARAM_ENABLE);
    grVertexLayout(GR_PARAM_Z, offsetof(Vertex, z),
                   rng.chance(80) ? GR_PARAM_ENABLE : GR_PARAM_DISABLE);
    grVertexLayout(GR_PARAM_Q, offsetof(Vertex, q),
                   rng.chance(90) ? GR_PARAM_ENABLE : GR_PARAM_DISABLE);
    grVertexLayout(GR_PARAM_W, offsetof(Vertex, w), GR_PARAM_ENABLE);
    bool packed = rng.chance(20);
    grVertexLayout(GR_PARAM_RGB, offsetof(Vertex, r), packed ? GR_PARAM_DISABLE : GR_PARAM_ENABLE);
    grVertexLayout(GR_PARAM_A, offsetof(Vertex, a),
                   packed || rng.chance(10) ? GR_PARAM_DISABLE : GR_PARAM_ENABLE);
    grVertexLayout(GR_PARAM_PARGB, offsetof(Vertex, argb),
                   packed ? GR_PARAM_ENABLE : GR_PARAM_DISABLE);
    grVertexLayout(GR_PARAM_ST0, offsetof(Vertex, s0), GR_PARAM_ENABLE);
    grVertexLayout(GR_PARAM_ST1, offsetof(Vertex, s1), GR_PARAM_ENABLE);
    grVertexLayout(GR_PARAM_Q0, offsetof(Vertex, q0),
                   rng.chance(20) ? GR_PARAM_ENABLE : GR_PARAM_DISABLE);
    grVertexLayout(GR_PARAM_Q1, offsetof(Vertex, q1),
                   rng.chance(20) ? GR_PARAM_ENABLE : GR_PARAM_DISABLE);
    grVertexLayout(GR_PARAM_FOG_EXT, offsetof(Vertex, fog), GR_PARAM_ENABLE);
}

const GrCombineFunction_t functions[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0x10};
const GrCombineFactor_t factors[] = {0, 1, 2, 3, 4, 5, 8, 9, 0xA, 0xB, 0xC, 0xD};
const GrAlphaBlendFnc_t blends[] = {0, 1, 2, 3, 4, 5, 6, 7, 0xF};

// Mostly the settings real programs use, sometimes anything at all.
void changeState(Random& rng)
{
    if (rng.chance(30)) {
        if (rng.chance(50)) {   // texture times iterated colour, the usual
            grColorCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, rng.pick(factors), rng.below(2),
                           rng.below(3), FXFALSE);
        } else {
            grColorCombine(rng.pick(functions), rng.pick(factors), rng.below(2), rng.below(3),
                           rng.chance(20));
        }
    }
    if (rng.chance(30))
        grAlphaCombine(rng.pick(functions), rng.pick(factors), rng.below(3), rng.below(3),
                       rng.chance(20));
    if (rng.chance(20)) {
        int tmu = rng.below(2);
        if (rng.chance(50))
            grTexCombine(tmu, GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE,
                         GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, FXFALSE, FXFALSE);
        else
            grTexCombine(tmu, rng.pick(functions), rng.pick(factors), rng.pick(functions),
                         rng.pick(factors), rng.chance(15), rng.chance(15));
    }
    if (rng.chance(25)) {
        if (rng.chance(50)) {
            static const GrAlphaBlendFnc_t usual[][2] = {
                {GR_BLEND_ONE, GR_BLEND_ZERO},
                {GR_BLEND_SRC_ALPHA, GR_BLEND_ONE_MINUS_SRC_ALPHA},
                {GR_BLEND_ONE, GR_BLEND_ONE},
                {GR_BLEND_DST_COLOR, GR_BLEND_ZERO},
                {GR_BLEND_SRC_ALPHA, GR_BLEND_ONE}};
            int k = rng.below(5);
            grAlphaBlendFunction(usual[k][0], usual[k][1], GR_BLEND_ZERO, GR_BLEND_ZERO);
        } else {
            grAlphaBlendFunction(rng.pick(blends), rng.pick(blends), rng.pick(blends),
                                 rng.pick(blends));
        }
    }
    if (rng.chance(10)) {
        grAlphaTestFunction(rng.below(8));
        grAlphaTestReferenceValue((GrAlpha_t)rng.below(256));
    }
    if (rng.chance(25)) {
        grDepthBufferMode(rng.below(5));
        grDepthBufferFunction(rng.below(8));
        grDepthMask(rng.chance(60));
        grDepthBiasLevel(rng.chance(70) ? 0 : rng.below(400) - 200);
    }
    if (rng.chance(5))
        grColorMask(rng.chance(85), rng.chance(50));
    if (rng.chance(8)) {
        grChromakeyMode(rng.chance(40));
        grChromakeyValue(rng.chance(50) ? 0x00FFFFFFu : rng.next());
    }
    if (rng.chance(12)) {
        GrFogMode_t mode = rng.below(5);
        if (rng.chance(15))
            mode |= rng.chance(50) ? GR_FOG_MULT2 : GR_FOG_ADD2;
        grFogMode(mode);
        grFogColorValue(rng.next());
        GrFog_t table[64];
        if (rng.chance(50)) {
            guFogGenerateLinear(table, rng.range(1.0f, 20.0f), rng.range(30.0f, 3000.0f));
        } else {
            for (int i = 0; i < 64; i++)
                table[i] = (GrFog_t)rng.below(256);
        }
        grFogTable(table);
    }
    if (rng.chance(10))
        grConstantColorValue(rng.next());
    if (rng.chance(8))
        grCullMode(rng.below(3));
    if (rng.chance(6)) {
        if (rng.chance(40))
            grClipWindow(0, 0, 640, 480);
        else
            grClipWindow(rng.below(300), rng.below(200), 300 + rng.below(400),
                         200 + rng.below(300));
    }
    if (rng.chance(5))
        grDitherMode(rng.below(3));
    if (rng.chance(3))
        grSstOrigin(rng.below(2));
    if (rng.chance(2))
        grRenderBuffer(rng.chance(80) ? GR_BUFFER_BACKBUFFER : GR_BUFFER_FRONTBUFFER);
    if (rng.chance(4))
        rng.chance(50) ? grEnable(GR_ALLOW_MIPMAP_DITHER) : grDisable(GR_ALLOW_MIPMAP_DITHER);
    if (rng.chance(3))
        grTexNCCTable(rng.below(2));
    for (int tmu = 0; tmu < 2; tmu++) {
        if (rng.chance(20)) {
            Texture& t = textures[rng.below(textureCount)];
            grTexSource(tmu, t.address[tmu], t.evenOdd, &t.info);
        }
        if (rng.chance(15))
            grTexFilterMode(tmu, rng.below(2), rng.below(2));
        if (rng.chance(10))
            grTexClampMode(tmu, rng.below(3), rng.below(3));
        if (rng.chance(15))
            grTexMipMapMode(tmu, rng.below(3), rng.chance(20));
        if (rng.chance(8))
            grTexLodBiasValue(tmu, rng.chance(50) ? 0.0f : rng.range(-3.0f, 3.0f));
        if (rng.chance(4))
            grTexDetailControl(tmu, rng.below(20) - 10, (FxU8)rng.below(8), rng.range(0.0f, 1.0f));
    }
}

float colour(Random& rng)
{
    return rng.chance(95) ? rng.range(0.0f, 255.0f) : rng.range(-40.0f, 320.0f);
}

Vertex vertexAround(Random& rng, float cx, float cy, float spread, float q)
{
    Vertex v;
    v.x = cx + rng.range(-spread, spread);
    v.y = cy + rng.range(-spread, spread);
    if (rng.chance(2))   // far outside the screen now and then
        v.x = rng.range(-20000.0f, 20000.0f);
    v.z = rng.chance(95) ? rng.range(0.0f, 65535.0f) : rng.range(-1000.0f, 70000.0f);
    v.q = q * (rng.chance(50) ? 1.0f : rng.range(0.5f, 2.0f));
    v.w = 1.0f / v.q;
    v.r = colour(rng);
    v.g = colour(rng);
    v.b = colour(rng);
    v.a = colour(rng);
    v.argb = rng.next();
    float s = rng.range(-300.0f, 600.0f), t = rng.range(-300.0f, 600.0f);
    v.s0 = s * v.q;
    v.t0 = t * v.q;
    v.s1 = rng.range(-256.0f, 512.0f) * v.q;
    v.t1 = rng.range(-256.0f, 512.0f) * v.q;
    v.q0 = v.q * rng.range(0.8f, 1.2f);
    v.q1 = v.q * rng.range(0.8f, 1.2f);
    v.fog = 1.0f / rng.range(0.5f, 4000.0f);   // as a q: 1/w
    return v;
}

// Vertices that continue each other (strips, fans, meshes): corners of a
// grid with texture coordinates that run on, so a surface looks like one.
void drawMesh(Random& rng)
{
    int cols = 2 + rng.below(12), rows = 2 + rng.below(8);
    float x0 = rng.range(-100.0f, 500.0f), y0 = rng.range(-100.0f, 400.0f);
    float cell = rng.range(2.0f, 60.0f);
    float qTop = rng.range(0.02f, 1.0f), qBottom = rng.range(0.02f, 1.0f);
    std::vector<Vertex> grid((size_t)(cols + 1) * (rows + 1));
    for (int r = 0; r <= rows; r++)
        for (int c = 0; c <= cols; c++) {
            Vertex& v = grid[(size_t)r * (cols + 1) + c];
            v = vertexAround(rng, x0 + c * cell, y0 + r * cell * rng.range(0.8f, 1.2f), 0.5f, 1.0f);
            v.q = qTop + (qBottom - qTop) * (float)r / (float)rows;
            v.w = 1.0f / v.q;
            v.s0 = (float)c * 40.0f * v.q;
            v.t0 = (float)r * 40.0f * v.q;
            v.s1 = (float)c * 17.0f * v.q;
            v.t1 = (float)r * 23.0f * v.q;
        }
    for (int r = 0; r < rows; r++) {
        std::vector<Vertex> strip;
        for (int c = 0; c <= cols; c++) {
            strip.push_back(grid[(size_t)r * (cols + 1) + c]);
            strip.push_back(grid[(size_t)(r + 1) * (cols + 1) + c]);
        }
        if (rng.chance(50)) {
            grDrawVertexArrayContiguous(GR_TRIANGLE_STRIP, (FxU32)strip.size(), strip.data(),
                                        sizeof(Vertex));
        } else {
            std::vector<void*> list;
            for (Vertex& v : strip)
                list.push_back(&v);
            size_t half = list.size() / 2;
            grDrawVertexArray(GR_TRIANGLE_STRIP, (FxU32)half, list.data());
            grDrawVertexArray(GR_TRIANGLE_STRIP_CONTINUE, (FxU32)(list.size() - half),
                              list.data() + half);
        }
    }
}

void draw(Random& rng)
{
    int kind = rng.below(100);
    float q = rng.chance(30) ? 1.0f : rng.range(0.01f, 1.0f);
    if (kind < 40) {   // a triangle of any size
        float cx = rng.range(-50.0f, 690.0f), cy = rng.range(-50.0f, 530.0f);
        float spread = rng.chance(50) ? rng.range(1.0f, 40.0f) : rng.range(40.0f, 700.0f);
        Vertex a = vertexAround(rng, cx, cy, spread, q), b = vertexAround(rng, cx, cy, spread, q),
               c = vertexAround(rng, cx, cy, spread, q);
        grDrawTriangle(&a, &b, &c);
    } else if (kind < 55) {   // a fan, as the engine draws polygons
        Vertex v[6];
        float cx = rng.range(0.0f, 640.0f), cy = rng.range(0.0f, 480.0f),
              spread = rng.range(5.0f, 300.0f);
        for (Vertex& p : v)
            p = vertexAround(rng, cx, cy, spread, q);
        void* list[6] = {&v[0], &v[1], &v[2], &v[3], &v[4], &v[5]};
        grDrawVertexArray(rng.chance(70) ? GR_TRIANGLE_FAN : GR_POLYGON, 3 + rng.below(4), list);
    } else if (kind < 75) {
        drawMesh(rng);
    } else if (kind < 82) {
        Vertex v[8];
        for (Vertex& p : v)
            p = vertexAround(rng, rng.range(0.0f, 640.0f), rng.range(0.0f, 480.0f), 200.0f, q);
        static const FxU32 modes[] = {GR_POINTS, GR_LINE_STRIP, GR_LINES};
        FxU32 mode = rng.pick(modes);
        grDrawVertexArrayContiguous(mode, 2 + rng.below(7), v, sizeof(Vertex));
    } else if (kind < 86) {
        Vertex a = vertexAround(rng, rng.range(0.0f, 640.0f), rng.range(0.0f, 480.0f), 300.0f, q);
        Vertex b = vertexAround(rng, rng.range(0.0f, 640.0f), rng.range(0.0f, 480.0f), 300.0f, q);
        rng.chance(50) ? grDrawLine(&a, &b) : grDrawPoint(&a);
    } else if (kind < 88) {
        grBufferSwap(0);
    } else if (kind < 90) {
        grBufferClear(rng.next(), (GrAlpha_t)rng.below(256), rng.chance(50) ? 0xFFFF : rng.next());
    } else if (kind < 93) {   // new texels for a texture in use, or a new palette
        if (rng.chance(70)) {
            int k = rng.below(textureCount);
            std::vector<FxU8>& data = textureBytes[k];
            for (int i = 0; i < 64; i++)
                data[rng.below((int)data.size())] ^= (FxU8)rng.next();
            int tmu = rng.below(2);
            grTexDownloadMipMap(tmu, textures[k].address[tmu], textures[k].evenOdd,
                                &textures[k].info);
        } else {
            GuTexPalette palette;
            for (FxU32& entry : palette.data)
                entry = rng.next() & 0x00FFFFFFu;
            grTexDownloadTable(GR_TEXTABLE_PALETTE, &palette);
        }
    } else {   // frame-buffer writes, plain or through the pixel path
        int w = 1 + rng.below(90), h = 1 + rng.below(40);
        std::vector<FxU32> pixels((size_t)w * h);
        for (FxU32& p : pixels)
            p = rng.next();
        static const GrLfbSrcFmt_t formats[] = {GR_LFB_SRC_FMT_565, GR_LFB_SRC_FMT_1555,
                                                GR_LFB_SRC_FMT_8888, GR_LFB_SRC_FMT_565_DEPTH};
        GrLfbSrcFmt_t format = rng.pick(formats);
        int bytes = format == GR_LFB_SRC_FMT_565 || format == GR_LFB_SRC_FMT_1555 ? 2 : 4;
        grLfbWriteRegion(rng.chance(80) ? GR_BUFFER_BACKBUFFER : GR_BUFFER_FRONTBUFFER,
                         rng.below(640), rng.below(480), format, w, h, rng.chance(50), w * bytes,
                         pixels.data());
    }
}

}   // namespace

void randomSceneTextures(void)
{
    Random rng = {12345};
    textureCount = 0;
    FxU32 at = 0;
    auto add = [&](GrLOD_t small, GrLOD_t large, GrAspectRatio_t aspect, GrTextureFormat_t format,
                   FxU32 evenOdd) {
        GrTexInfo info = {small, large, aspect, format, nullptr};
        addTexture(rng, small, large, aspect, format, evenOdd, at);
        at += (grTexTextureMemRequired(evenOdd, &info) + 15) & ~15u;
    };
    add(GR_LOD_LOG2_1, GR_LOD_LOG2_256, GR_ASPECT_LOG2_1x1, GR_TEXFMT_RGB_565,
        GR_MIPMAPLEVELMASK_BOTH);
    add(GR_LOD_LOG2_1, GR_LOD_LOG2_64, GR_ASPECT_LOG2_1x1, GR_TEXFMT_ARGB_4444,
        GR_MIPMAPLEVELMASK_BOTH);
    add(GR_LOD_LOG2_1, GR_LOD_LOG2_128, GR_ASPECT_LOG2_4x1, GR_TEXFMT_ARGB_1555,
        GR_MIPMAPLEVELMASK_BOTH);
    add(GR_LOD_LOG2_64, GR_LOD_LOG2_64, GR_ASPECT_LOG2_1x1, GR_TEXFMT_INTENSITY_8,
        GR_MIPMAPLEVELMASK_BOTH);
    add(GR_LOD_LOG2_1, GR_LOD_LOG2_32, GR_ASPECT_LOG2_1x1, GR_TEXFMT_P_8, GR_MIPMAPLEVELMASK_BOTH);
    add(GR_LOD_LOG2_4, GR_LOD_LOG2_64, GR_ASPECT_LOG2_1x8, GR_TEXFMT_ALPHA_INTENSITY_88,
        GR_MIPMAPLEVELMASK_BOTH);
    add(GR_LOD_LOG2_1, GR_LOD_LOG2_16, GR_ASPECT_LOG2_1x1, GR_TEXFMT_ARGB_8888,
        GR_MIPMAPLEVELMASK_BOTH);
    add(GR_LOD_LOG2_1, GR_LOD_LOG2_32, GR_ASPECT_LOG2_2x1, GR_TEXFMT_YIQ_422,
        GR_MIPMAPLEVELMASK_BOTH);
    add(GR_LOD_LOG2_1, GR_LOD_LOG2_128, GR_ASPECT_LOG2_1x1, GR_TEXFMT_RGB_565,
        GR_MIPMAPLEVELMASK_EVEN);
    add(GR_LOD_LOG2_1, GR_LOD_LOG2_128, GR_ASPECT_LOG2_1x1, GR_TEXFMT_ARGB_4444,
        GR_MIPMAPLEVELMASK_ODD);
    GuTexPalette palette;
    for (int i = 0; i < 256; i++)
        palette.data[i] = (FxU32)(i * 0x010203u) ^ 0x00402010u;
    grTexDownloadTable(GR_TEXTABLE_PALETTE, &palette);
    GuNccTable ncc;
    memset(&ncc, 0, sizeof ncc);
    for (int i = 0; i < 16; i++)
        ncc.yRGB[i] = (FxU8)(i * 16 + 8);
    for (int i = 0; i < 4; i++)
        for (int c = 0; c < 3; c++) {
            ncc.iRGB[i][c] = (FxI16)((i - 2) * 20 + c * 5);
            ncc.qRGB[i][c] = (FxI16)((2 - i) * 15 - c * 4);
        }
    grTexDownloadTable(GR_TEXTABLE_NCC0, &ncc);
    grTexDownloadTable(GR_TEXTABLE_NCC1, &ncc);
    for (int tmu = 0; tmu < 2; tmu++)
        grTexSource(tmu, textures[tmu].address[tmu], textures[tmu].evenOdd, &textures[tmu].info);
}

void randomSceneDraw(uint32_t seed, int draws)
{
    Random rng = {seed * 2654435761ull + 1};
    setLayout(rng);
    for (int i = 0; i < draws; i++) {
        changeState(rng);
        draw(rng);
    }
}

SceneBuffers randomSceneRead(void)
{
    SceneBuffers b;
    b.colour.resize(640 * 480);
    b.aux.resize(640 * 480);
    grLfbReadRegion(GR_BUFFER_BACKBUFFER, 0, 0, 640, 480, 640 * 2, b.colour.data());
    grLfbReadRegion(GR_BUFFER_AUXBUFFER, 0, 0, 640, 480, 640 * 2, b.aux.data());
    return b;
}
