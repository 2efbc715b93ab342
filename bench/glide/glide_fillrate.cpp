// Fill rate of the software Glide device: full-screen triangles at 640 x 480,
// single-threaded, in megapixels per second of processor time, for the pixel
// paths that matter.
//
//   glide-fillrate [seconds per case, default 1] [only the cases whose name contains this]
#include <glide.h>
#include <glideutl.h>

#include <ctime>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "obx_glide_ext.h"

namespace {

// Processor time of this process: on a shared machine the time the
// renderer actually ran, not the time it waited for the processor.
double cpuSeconds()
{
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return (double)t.tv_sec + (double)t.tv_nsec * 1e-9;
}

struct Vertex {
    float x, y, q;
    float r, g, b, a;
    float s, t;
};

GrObxStatsProc stats;
GrObxStatsResetProc statsReset;

// Two triangles covering the screen. The far side is three times as far as
// the near one, so texture coordinates and fog vary in perspective.
void drawScreen(bool gouraud)
{
    const float qNear = 1.0f / 10.0f, qFar = 1.0f / 30.0f;
    Vertex v[4] = {
        {0, 0, qFar, 255, 200, 100, 160, 0, 0},
        {640, 0, qFar, 100, 255, 200, 160, 512, 0},
        {640, 480, qNear, 200, 100, 255, 160, 512, 512},
        {0, 480, qNear, 180, 180, 180, 160, 0, 512},
    };
    for (Vertex& p : v) {
        if (!gouraud)
            p.r = p.g = p.b = 200;
        p.s *= p.q;
        p.t *= p.q;
    }
    grDrawTriangle(&v[0], &v[1], &v[2]);
    grDrawTriangle(&v[0], &v[2], &v[3]);
}

// The screen tiled with right triangles of `size` pixels a side (two per
// square), drawn as the engine draws: fans of three vertices.
void drawTiles(int size)
{
    for (int y = 0; y + size <= 480; y += size)
        for (int x = 0; x + size <= 640; x += size) {
            // About one texel per pixel, the texture running on across tiles.
            float q = 1.0f / (10.0f + (float)y / 48.0f);
            float s0 = (float)x * q, s1 = (float)(x + size) * q, t0 = (float)y * q,
                  t1 = (float)(y + size) * q;
            Vertex a = {(float)x, (float)y, q, 200, 200, 200, 160, s0, t0};
            Vertex b = {(float)(x + size), (float)y, q, 200, 200, 200, 160, s1, t0};
            Vertex c = {(float)(x + size), (float)(y + size), q, 200, 200, 200, 160, s1, t1};
            Vertex d = {(float)x, (float)(y + size), q, 200, 200, 200, 160, s0, t1};
            const void* fan[4] = {&a, &b, &c, &d};
            grDrawVertexArray(GR_TRIANGLE_FAN, 3, (void*)fan);
            grDrawVertexArray(GR_TRIANGLE_FAN_CONTINUE, 1, (void*)(fan + 3));
        }
}

struct Case {
    const char* name;
    void (*setup)();
    bool gouraud;
    int tile;   // 0: full-screen triangles, else the side of the small ones
};

void untextured()
{
    grColorCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_ITERATED,
                   GR_COMBINE_OTHER_NONE, FXFALSE);
    grAlphaCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_ITERATED,
                   GR_COMBINE_OTHER_NONE, FXFALSE);
}

void textured()
{
    grColorCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL,
                   GR_COMBINE_LOCAL_ITERATED, GR_COMBINE_OTHER_TEXTURE, FXFALSE);
    grAlphaCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_ITERATED,
                   GR_COMBINE_OTHER_NONE, FXFALSE);
    grTexFilterMode(GR_TMU0, GR_TEXTUREFILTER_BILINEAR, GR_TEXTUREFILTER_BILINEAR);
}

void flat()
{
    untextured();
}
void gouraud()
{
    untextured();
}
void texturedBilinear()
{
    textured();
}
void texturedDepth()
{
    textured();
    grDepthBufferMode(GR_DEPTHBUFFER_WBUFFER);
    grDepthBufferFunction(GR_CMP_LEQUAL);
    grDepthMask(FXTRUE);
}
void texturedAll()
{
    texturedDepth();
    grAlphaBlendFunction(GR_BLEND_SRC_ALPHA, GR_BLEND_ONE_MINUS_SRC_ALPHA, GR_BLEND_ZERO,
                         GR_BLEND_ZERO);
    grFogMode(GR_FOG_WITH_TABLE_ON_Q);
}
void texturedMipmapped()
{
    texturedAll();
    grTexMipMapMode(GR_TMU0, GR_MIPMAP_NEAREST, FXFALSE);
}

void texturedDithered()
{
    texturedAll();
    grEnable(GR_ALLOW_MIPMAP_DITHER);
    grTexMipMapMode(GR_TMU0, GR_MIPMAP_NEAREST_DITHER, FXFALSE);
}

void resetState()
{
    grDepthBufferMode(GR_DEPTHBUFFER_DISABLE);
    grDepthMask(FXFALSE);
    grAlphaBlendFunction(GR_BLEND_ONE, GR_BLEND_ZERO, GR_BLEND_ONE, GR_BLEND_ZERO);
    grFogMode(GR_FOG_DISABLE);
    grTexMipMapMode(GR_TMU0, GR_MIPMAP_DISABLE, FXFALSE);
    grDisable(GR_ALLOW_MIPMAP_DITHER);
}

double measure(const Case& c, double seconds, double* triangles)
{
    resetState();
    c.setup();
    statsReset();
    double start = cpuSeconds();
    double elapsed = 0.0;
    int frames = 0;
    do {
        grDepthMask(FXTRUE);
        grBufferClear(0, 0, 0xFFFF);
        c.setup();
        for (int i = 0; i < 10; i++) {
            if (c.tile)
                drawTiles(c.tile);
            else
                drawScreen(c.gouraud);
        }
        frames++;
        elapsed = cpuSeconds() - start;
    } while (elapsed < seconds);
    GrObxStats s;
    stats(&s);
    if (s.pixelsWritten != (unsigned long long)frames * 10 * 640 * 480)
        fprintf(stderr, "%s: %llu pixels written, expected %llu\n", c.name, s.pixelsWritten,
                (unsigned long long)frames * 10 * 640 * 480);
    *triangles = (double)s.trianglesDrawn / elapsed / 1e6;
    return (double)s.pixelsWritten / elapsed / 1e6;
}

}   // namespace

int main(int argc, char** argv)
{
    static const char usage[] =
        "usage: glide-fillrate [SECONDS [PATH]]\n"
        "The device's fill rate per pixel path (those whose name holds PATH).\n";
    if (argc == 2 && strcmp(argv[1], "--help") == 0) {
        fputs(usage, stdout);
        return 0;
    }
    char* end = NULL;
    double seconds = argc > 1 ? strtod(argv[1], &end) : 1.0;
    if (argc > 3 || (argc > 1 && (!(seconds > 0.0) || *end))) {
        fputs(usage, stderr);
        return 2;
    }
    setenv("OBX_GLIDE_DISPLAY", "headless", 1);
    grGlideInit();
    grSstSelect(0);
    GrContext_t context = grSstWinOpen(0, GR_RESOLUTION_640x480, GR_REFRESH_60Hz,
                                       GR_COLORFORMAT_ARGB, GR_ORIGIN_UPPER_LEFT, 2, 1);
    if (!context) {
        fprintf(stderr, "glide-fillrate: no window\n");
        return 1;
    }
    stats = (GrObxStatsProc)(void (*)(void))grGetProcAddress((char*)"grObxStats");
    statsReset = (GrObxStatsResetProc)(void (*)(void))grGetProcAddress((char*)"grObxStatsReset");

    grVertexLayout(GR_PARAM_XY, 0, GR_PARAM_ENABLE);
    grVertexLayout(GR_PARAM_Q, 8, GR_PARAM_ENABLE);
    grVertexLayout(GR_PARAM_RGB, 12, GR_PARAM_ENABLE);
    grVertexLayout(GR_PARAM_A, 24, GR_PARAM_ENABLE);
    grVertexLayout(GR_PARAM_ST0, 28, GR_PARAM_ENABLE);

    // A 256 x 256 RGB565 texture with all its levels.
    std::vector<FxU16> texels;
    for (int size = 256; size >= 1; size /= 2)
        for (int y = 0; y < size; y++)
            for (int x = 0; x < size; x++)
                texels.push_back(
                    (FxU16)(((x * 31 / size) << 11) | ((y * 63 / size) << 5) | ((x ^ y) & 31)));
    GrTexInfo info = {GR_LOD_LOG2_1, GR_LOD_LOG2_256, GR_ASPECT_LOG2_1x1, GR_TEXFMT_RGB_565,
                      texels.data()};
    grTexDownloadMipMap(GR_TMU0, 0, GR_MIPMAPLEVELMASK_BOTH, &info);
    grTexSource(GR_TMU0, 0, GR_MIPMAPLEVELMASK_BOTH, &info);
    grTexCombine(GR_TMU0, GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE,
                 GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, FXFALSE, FXFALSE);
    grTexClampMode(GR_TMU0, GR_TEXTURECLAMP_WRAP, GR_TEXTURECLAMP_WRAP);
    GrFog_t fog[64];
    guFogGenerateLinear(fog, 5.0f, 40.0f);
    grFogTable(fog);
    grFogColorValue(0x00808080);

    const Case cases[] = {
        {"flat", flat, false, 0},
        {"Gouraud", gouraud, true, 0},
        {"textured bilinear", texturedBilinear, true, 0},
        {"textured bilinear + depth", texturedDepth, true, 0},
        {"textured + blended + fogged + depth", texturedAll, true, 0},
        {"  ... and mipmapped", texturedMipmapped, true, 0},
        {"  ... with dithered mipmap levels", texturedDithered, true, 0},
        {"32 px triangles, textured + depth", texturedDepth, true, 8},
        {"128 px triangles, textured + depth", texturedDepth, true, 16},
        {"512 px triangles, all, dithered mip", texturedDithered, true, 32},
    };
    printf("Fill rate, 640 x 480, one thread; full-screen triangles unless said\n\n");
    printf("| %-37s | %10s | %12s |\n", "pixel path", "Mpixels/s", "Mtriangles/s");
    printf("|%s|%s|%s|\n", "---------------------------------------", "------------",
           "--------------");
    const char* only = argc > 2 ? argv[2] : nullptr;
    for (const Case& c : cases) {
        if (only && !strstr(c.name, only))
            continue;
        double triangles = 0.0;
        double rate = measure(c, seconds, &triangles);
        if (c.tile)
            printf("| %-37s | %10.1f | %12.2f |\n", c.name, rate, triangles);
        else
            printf("| %-37s | %10.1f | %12s |\n", c.name, rate, "");
        fflush(stdout);
    }
    grSstWinClose(context);
    grGlideShutdown();
    return 0;
}
