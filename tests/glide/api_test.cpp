// Queries, the life cycle, wrong-state calls and the call trace.
#include "glide_test_util.h"

#include <png.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>

namespace {

void collect(const char* message, FxBool)
{
    glideErrors.push_back(message);
}

FxI32 getOne(FxU32 pname)
{
    FxI32 v = -12345;
    EXPECT_EQ(grGet(pname, 4, &v), 4u) << "pname " << pname;
    return v;
}

TEST(GlideQueries, AnswersOnlyForTheExactLength)
{
    FxI32 v[4] = {-1, -1, -1, -1};
    EXPECT_EQ(grGet(GR_NUM_BOARDS, 8, v), 0u);
    EXPECT_EQ(grGet(GR_NUM_BOARDS, 2, v), 0u);
    EXPECT_EQ(grGet(GR_NUM_BOARDS, 0, v), 0u);
    EXPECT_EQ(grGet(GR_WDEPTH_MIN_MAX, 4, v), 0u);
    EXPECT_EQ(v[0], -1);   // nothing written
    EXPECT_EQ(grGet(0x999, 4, v), 0u);
    EXPECT_EQ(v[0], -1);
}

TEST(GlideQueries, BoardLikeAVoodoo2)
{
    // Before grGlideInit, as an engine asks.
    EXPECT_EQ(getOne(GR_NUM_BOARDS), 1);
    grGlideInit();
    EXPECT_EQ(getOne(GR_NUM_TMU), 2);
    EXPECT_EQ(getOne(GR_FOG_TABLE_ENTRIES), 64);
    EXPECT_EQ(getOne(GR_BITS_DEPTH), 16);
    EXPECT_EQ(getOne(GR_MAX_TEXTURE_SIZE), 256);
    EXPECT_EQ(getOne(GR_MAX_TEXTURE_ASPECT_RATIO), 3);
    EXPECT_EQ(getOne(GR_TEXTURE_ALIGN), 16);
    EXPECT_EQ(getOne(GR_MEMORY_TMU), 4 * 1024 * 1024);
    EXPECT_GT(getOne(GR_GLIDE_STATE_SIZE), 0);
    EXPECT_GT(getOne(GR_GLIDE_VERTEXLAYOUT_SIZE), 0);
    FxI32 range[2];
    ASSERT_EQ(grGet(GR_WDEPTH_MIN_MAX, 8, range), 8u);
    EXPECT_EQ(range[0], 0);
    EXPECT_EQ(range[1], 0xFFFF);
    ASSERT_EQ(grGet(GR_ZDEPTH_MIN_MAX, 8, range), 8u);
    EXPECT_EQ(range[0], 0xFFFF);
    EXPECT_EQ(range[1], 0);
    FxI32 rgba[4];
    ASSERT_EQ(grGet(GR_BITS_RGBA, 16, rgba), 16u);
    EXPECT_EQ(rgba[0], 5);
    EXPECT_EQ(rgba[1], 6);
    EXPECT_EQ(rgba[2], 5);
    EXPECT_EQ(rgba[3], 0);

    EXPECT_STREQ(grGetString(GR_RENDERER), "Glide");
    EXPECT_EQ(strncmp(grGetString(GR_VERSION), "3.", 2), 0);
    const char* ext = grGetString(GR_EXTENSION);
    ASSERT_NE(ext, nullptr);
    EXPECT_EQ(ext[0], ' ');
    EXPECT_EQ(ext[strlen(ext) - 1], ' ');
    EXPECT_NE(grGetString(GR_HARDWARE), nullptr);
    EXPECT_NE(grGetString(GR_VENDOR), nullptr);
    grGlideShutdown();
}

TEST(GlideQueries, ResolutionsReportTheirSizeInBytes)
{
    grGlideInit();
    GrResolution query = {GR_RESOLUTION_640x480, GR_REFRESH_60Hz, 2, 1};
    FxI32 bytes = grQueryResolutions(&query, nullptr);
    ASSERT_EQ(bytes, (FxI32)sizeof(GrResolution));
    GrResolution answer[2];
    memset(answer, 0, sizeof answer);
    EXPECT_EQ(grQueryResolutions(&query, answer), bytes);
    EXPECT_EQ(answer[0].resolution, GR_RESOLUTION_640x480);
    EXPECT_EQ(answer[0].numAuxBuffers, 1);

    const FxI32 any = (FxI32)GR_QUERY_ANY;
    GrResolution all = {any, any, any, any};
    FxI32 total = grQueryResolutions(&all, nullptr);
    std::vector<GrResolution> list((size_t)total / sizeof(GrResolution));
    grQueryResolutions(&all, list.data());
    for (GrScreenResolution_t r :
         {GR_RESOLUTION_640x480, GR_RESOLUTION_800x600, GR_RESOLUTION_1024x768,
          GR_RESOLUTION_1280x1024, GR_RESOLUTION_1600x1200}) {
        bool found = false;
        for (const GrResolution& e : list)
            found |= e.resolution == r && e.refresh == GR_REFRESH_60Hz && e.numColorBuffers == 2 &&
                     e.numAuxBuffers == 1;
        EXPECT_TRUE(found) << "resolution " << r;
    }
    GrResolution none = {GR_RESOLUTION_640x480, GR_REFRESH_60Hz, 7, 1};
    EXPECT_EQ(grQueryResolutions(&none, nullptr), 0);
    grGlideShutdown();
}

TEST(GlideConfig, EnvironmentShapesTheBoard)
{
    {
        ScopedEnv tmu("FX_GLIDE_NUM_TMU", "1"), mem("OBX_GLIDE_TEXMEM", "2M");
        grGlideInit();
        EXPECT_EQ(getOne(GR_NUM_TMU), 1);
        EXPECT_EQ(getOne(GR_MEMORY_TMU), 2 * 1024 * 1024);
        EXPECT_EQ(grTexMaxAddress(GR_TMU0), 2u * 1024 * 1024);
        grGlideShutdown();
    }
    {
        ScopedEnv mem("OBX_GLIDE_TEXMEM", "512K");
        grGlideInit();
        EXPECT_EQ(grTexMaxAddress(GR_TMU0), 512u * 1024);
        grGlideShutdown();
    }
    {
        ScopedEnv none("OBX_GLIDE_NO_BOARD", "1");
        EXPECT_EQ(getOne(GR_NUM_BOARDS), 0);
        glideErrors.clear();
        grErrorSetCallback(collect);
        grGlideInit();
        EXPECT_EQ(getOne(GR_NUM_BOARDS), 0);
        EXPECT_EQ(getOne(GR_NUM_TMU), 0);
        grSstSelect(0);
        EXPECT_EQ(grSstWinOpen(0, GR_RESOLUTION_640x480, GR_REFRESH_60Hz, GR_COLORFORMAT_ARGB,
                               GR_ORIGIN_LOWER_LEFT, 2, 1),
                  (GrContext_t)0);
        EXPECT_FALSE(glideErrors.empty());
        grGlideShutdown();
        grErrorSetCallback(nullptr);
    }
}

TEST(GlideLifeCycle, WrongStateCallsReportAndDoNothing)
{
    glideErrors.clear();
    grErrorSetCallback(collect);
    // Before grGlideInit and before any window: nothing crashes, nothing is drawn.
    Vtx a = vtx(0, 0), b = vtx(10, 0), c = vtx(0, 10);
    grDrawTriangle(&a, &b, &c);
    grBufferClear(0, 0, 0);
    grBufferSwap(0);
    grColorCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_ITERATED,
                   GR_COMBINE_OTHER_NONE, FXFALSE);
    FxU16 p = 0x1234;
    EXPECT_FALSE(grLfbReadRegion(GR_BUFFER_BACKBUFFER, 0, 0, 1, 1, 2, &p));
    EXPECT_EQ(p, 0x1234);
    EXPECT_EQ(grSstWinOpen(0, GR_RESOLUTION_640x480, GR_REFRESH_60Hz, GR_COLORFORMAT_ARGB,
                           GR_ORIGIN_UPPER_LEFT, 2, 1),
              (GrContext_t)0);
    EXPECT_FALSE(grSstWinClose((GrContext_t)1));
    EXPECT_GE(glideErrors.size(), 6u);

    grGlideInit();
    grGlideInit();   // twice is tolerated
    grTexSource(GR_TMU0, 0, GR_MIPMAPLEVELMASK_BOTH, nullptr);
    FxU32 w = 1, h = 1;
    extension<GrObxScreenSizeProc>("grObxScreenSize")(&w, &h);
    EXPECT_EQ(w, 0u);
    EXPECT_FALSE(
        extension<GrObxFrameGrabProc>("grObxFrameGrab")(GR_BUFFER_BACKBUFFER, nullptr, nullptr));

    // Bad arguments with a window open.
    GrContext_t ctx = grSstWinOpen(0, GR_RESOLUTION_640x480, GR_REFRESH_60Hz, GR_COLORFORMAT_ARGB,
                                   GR_ORIGIN_UPPER_LEFT, 2, 1);
    ASSERT_NE(ctx, (GrContext_t)0);
    EXPECT_EQ(grSstWinOpen(0, GR_RESOLUTION_640x480, GR_REFRESH_60Hz, GR_COLORFORMAT_ARGB,
                           GR_ORIGIN_UPPER_LEFT, 2, 1),
              (GrContext_t)0);   // one window at a time
    glideErrors.clear();
    grDrawTriangle(nullptr, &b, &c);
    grDrawVertexArray(GR_TRIANGLES, 3, nullptr);
    void* holes[3] = {&a, nullptr, &c};
    grDrawVertexArray(GR_TRIANGLES, 3, holes);
    grDrawVertexArray(99, 3, holes);
    grVertexLayout(0x77, 0, GR_PARAM_ENABLE);
    grColorCombine(99, 0, 0, 0, FXFALSE);
    grAlphaBlendFunction(9, 0, 0, 0);
    grDepthBufferFunction(12);
    grTexCombine(GR_TMU2, 0, 0, 0, 0, FXFALSE, FXFALSE);
    grFogTable(nullptr);
    grGlideGetState(nullptr);
    grGlideSetState(nullptr);
    EXPECT_FALSE(grLfbReadRegion(GR_BUFFER_BACKBUFFER, 0, 0, 1, 1, 2, nullptr));
    EXPECT_FALSE(grLfbWriteRegion(GR_BUFFER_BACKBUFFER, 0, 0, GR_LFB_SRC_FMT_565, 1, 1, FXFALSE, 2,
                                  nullptr));
    EXPECT_FALSE(grLfbReadRegion(GR_BUFFER_BACKBUFFER, 640, 0, 1, 1, 2, &p));
    EXPECT_FALSE(grLfbReadRegion(GR_BUFFER_BACKBUFFER, 0, 480, 1, 1, 2, &p));
    EXPECT_EQ(grTexTextureMemRequired(GR_MIPMAPLEVELMASK_BOTH, nullptr), 0u);
    EXPECT_GE(glideErrors.size(), 15u);

    EXPECT_TRUE(grSstWinClose(ctx));
    EXPECT_FALSE(grSstWinClose(ctx));   // already closed
    grDrawTriangle(&a, &b, &c);
    grGlideShutdown();
    grGlideShutdown();   // twice is tolerated
    grErrorSetCallback(nullptr);
}

class TraceTest : public GlideTest {};

TEST_F(TraceTest, RecordsEachCallWithItsArguments)
{
    traceOn(true);
    grColorCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL,
                   GR_COMBINE_LOCAL_ITERATED, GR_COMBINE_OTHER_TEXTURE, FXFALSE);
    grConstantColorValue(0x80FF0000);
    grDepthMask(7);
    grTexLodBiasValue(GR_TMU0, 0.5f);
    grGetProcAddress((char*)"grNoSuchExtension");
    Vtx v[3] = {vtx(10, 20), vtx(30, 20), vtx(20, 40)};
    void* list[3] = {&v[0], &v[1], &v[2]};
    grDrawVertexArray(GR_TRIANGLE_FAN, 3, list);
    grDrawTriangle(&v[0], &v[1], &v[2]);
    grDrawVertexArrayContiguous(GR_POINTS, 2, v, sizeof(Vtx));
    grSstWinClose(context);
    grDepthBiasLevel(-3);
    traceOn(false);
    grCullMode(GR_CULL_NEGATIVE);   // not recorded any more
    context = 0;

    EXPECT_EQ(traceText(), "grColorCombine(3, 1, 0, 1, 0)\n"
                           "grConstantColorValue(0x80FF0000)\n"
                           "grDepthMask(1)\n"
                           "grTexLodBiasValue(0, 0.5)\n"
                           "grGetProcAddress(\"grNoSuchExtension\")\n"
                           "grDrawVertexArray(5, 3 {10 20} {30 20} {20 40})\n"
                           "grDrawTriangle({10 20} {30 20} {20 40})\n"
                           "grDrawVertexArrayContiguous(0, 2 {10 20} {30 20}, 60)\n"
                           "grSstWinClose(1)\n"
                           "grDepthBiasLevel(-3)\n");
    // Enabling again starts from empty; clearing empties without stopping.
    traceOn(true);
    grFlush();
    extension<GrObxTraceClearProc>("grObxTraceClear")();
    grFinish();
    EXPECT_EQ(traceText(), "grFinish()\n");
}

TEST_F(TraceTest, StatisticsCountTrianglesPixelsAndSwaps)
{
    extension<GrObxStatsResetProc>("grObxStatsReset")();
    rect(0, 0, 10, 10, vtx(0, 0));
    tri(vtx(0, 0), vtx(0, 0), vtx(0, 0));   // degenerate: never reaches the rasterizer
    grBufferSwap(0);
    GrObxStats stats;
    extension<GrObxStatsProc>("grObxStats")(&stats);
    EXPECT_EQ(stats.trianglesDrawn, 2u);
    EXPECT_EQ(stats.pixelsWritten, 100u);
    EXPECT_EQ(stats.swaps, 1u);
}

TEST_F(TraceTest, BoardCountersCountPixelsByTheTestTheyFail)
{
    auto stat = [](FxU32 pname) {
        FxI32 v = -1;
        EXPECT_EQ(grGet(pname, 4, &v), 4u) << pname;
        return v;
    };
    for (FxU32 what : {GR_STATS_PIXELS, GR_STATS_POINTS, GR_STATS_LINES, GR_STATS_TRIANGLES})
        EXPECT_TRUE(grReset(what));
    rect(0, 0, 10, 10, vtx(0, 0, 10, 20, 30, 40));   // 100 pixels written
    // The chroma key takes the next 100, the alpha test the 100 after, the depth test the last.
    // (the key is compared with the colour combine's "other" input: here the iterated colour)
    grColorCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_ITERATED,
                   GR_COMBINE_OTHER_ITERATED, FXFALSE);
    grChromakeyValue(0xFF0A141E);
    grChromakeyMode(GR_CHROMAKEY_ENABLE);
    rect(0, 0, 10, 10, vtx(0, 0, 10, 20, 30, 40));
    grChromakeyMode(GR_CHROMAKEY_DISABLE);
    grAlphaTestFunction(GR_CMP_GREATER);
    grAlphaTestReferenceValue(128);
    rect(0, 0, 10, 10, vtx(0, 0, 10, 20, 30, 40));
    grAlphaTestFunction(GR_CMP_ALWAYS);
    grDepthBufferMode(GR_DEPTHBUFFER_WBUFFER);
    grDepthBufferFunction(GR_CMP_LESS);
    grDepthMask(FXTRUE);
    grBufferClear(0, 0, 0);   // nothing is nearer
    rect(0, 0, 10, 10, vtx(0, 0, 10, 20, 30, 40));
    grDepthBufferMode(GR_DEPTHBUFFER_DISABLE);
    // A culled triangle comes in and is not drawn; points and lines count apart.
    grCullMode(GR_CULL_POSITIVE);
    tri(vtx(0, 0), vtx(10, 0), vtx(0, 10));
    grCullMode(GR_CULL_DISABLE);
    Vtx p[3] = {vtx(50, 50), vtx(60, 50), vtx(70, 50)};
    grDrawVertexArrayContiguous(GR_POINTS, 3, p, sizeof(Vtx));
    grDrawVertexArrayContiguous(GR_LINE_STRIP, 3, p, sizeof(Vtx));

    EXPECT_EQ(stat(GR_STATS_PIXELS_IN), 400 + 3 + 20);
    EXPECT_EQ(stat(GR_STATS_PIXELS_CHROMA_FAIL), 100);
    EXPECT_EQ(stat(GR_STATS_PIXELS_AFUNC_FAIL), 100);
    EXPECT_EQ(stat(GR_STATS_PIXELS_DEPTHFUNC_FAIL), 100);
    EXPECT_EQ(stat(GR_STATS_PIXELS_OUT), 100 + 3 + 20);
    EXPECT_EQ(stat(GR_STATS_TRIANGLES_IN), 9);
    EXPECT_EQ(stat(GR_STATS_TRIANGLES_OUT), 8);
    EXPECT_EQ(stat(GR_STATS_POINTS), 3);
    EXPECT_EQ(stat(GR_STATS_LINES), 2);
    // Each kind resets on its own.
    EXPECT_TRUE(grReset(GR_STATS_PIXELS));
    EXPECT_EQ(stat(GR_STATS_PIXELS_IN), 0);
    EXPECT_EQ(stat(GR_STATS_PIXELS_DEPTHFUNC_FAIL), 0);
    EXPECT_EQ(stat(GR_STATS_PIXELS_OUT), 0);
    EXPECT_EQ(stat(GR_STATS_TRIANGLES_OUT), 8);
    EXPECT_TRUE(grReset(GR_STATS_TRIANGLES));
    EXPECT_EQ(stat(GR_STATS_TRIANGLES_IN), 0);
    EXPECT_EQ(stat(GR_STATS_POINTS), 3);
    EXPECT_TRUE(grReset(GR_STATS_POINTS));
    EXPECT_TRUE(grReset(GR_STATS_LINES));
    EXPECT_EQ(stat(GR_STATS_POINTS), 0);
    EXPECT_EQ(stat(GR_STATS_LINES), 0);
}

TEST_F(TraceTest, SwappedFramesAreDumpedAsPng)
{
    ScopedEnv dump("OBX_GLIDE_DUMP", "glide-dump-test-%03d.png");
    grSstWinClose(context);
    grGlideShutdown();
    grGlideInit();   // the settings are read here
    context = grSstWinOpen(0, GR_RESOLUTION_320x240, GR_REFRESH_60Hz, GR_COLORFORMAT_ARGB,
                           GR_ORIGIN_UPPER_LEFT, 2, 1);
    ASSERT_NE(context, (GrContext_t)0);
    grBufferClear(0xFFFF0000, 0, 0);
    grBufferSwap(0);
    grBufferSwap(0);
    for (const char* name : {"glide-dump-test-000.png", "glide-dump-test-001.png"}) {
        std::ifstream file(name, std::ios::binary);
        ASSERT_TRUE(file.good()) << name;
        char magic[8] = {};
        file.read(magic, 8);
        EXPECT_EQ(memcmp(magic, "\x89PNG\r\n\x1a\n", 8), 0);
        std::remove(name);
    }
}

// A pattern must give a file name a system can hold for every frame number:
// a field a billion characters wide made each swap format that many spaces.
TEST_F(TraceTest, DumpPatternsThatCannotNameAFileAreRefused)
{
    grErrorSetCallback(collect);
    for (const char* pattern :
         {"%999999999d", "%2147483648d", "glide-dump-%0300d.png", "dir/%0256x"}) {
        ScopedEnv dump("OBX_GLIDE_DUMP", pattern);
        grSstWinClose(context);
        grGlideShutdown();
        testing::internal::CaptureStderr();
        grGlideInit();
        std::string said = testing::internal::GetCapturedStderr();
        EXPECT_NE(said.find("OBX_GLIDE_DUMP"), std::string::npos) << pattern;
        EXPECT_NE(said.find("255"), std::string::npos) << pattern << ": " << said;
        context = grSstWinOpen(0, GR_RESOLUTION_320x240, GR_REFRESH_60Hz, GR_COLORFORMAT_ARGB,
                               GR_ORIGIN_UPPER_LEFT, 2, 1);
        ASSERT_NE(context, (GrContext_t)0);
        glideErrors.clear();
        grBufferSwap(0);
        EXPECT_TRUE(glideErrors.empty()) << pattern;   // nothing was tried
    }
    // The widest field that still fits is kept.
    ScopedEnv dump("OBX_GLIDE_DUMP", "glide-dump-%0200d.png");
    grSstWinClose(context);
    grGlideShutdown();
    grGlideInit();
    context = grSstWinOpen(0, GR_RESOLUTION_320x240, GR_REFRESH_60Hz, GR_COLORFORMAT_ARGB,
                           GR_ORIGIN_UPPER_LEFT, 2, 1);
    ASSERT_NE(context, (GrContext_t)0);
    grBufferSwap(0);
    std::string name = "glide-dump-" + std::string(200, '0') + ".png";
    EXPECT_TRUE(std::ifstream(name).good());
    std::remove(name.c_str());
    grErrorSetCallback(nullptr);
}

// The red, green and blue of one pixel of a PNG file, or -1s when it cannot be read.
struct Rgb {
    int r = -1, g = -1, b = -1;
};
Rgb pngPixel(const char* path, int x, int y)
{
    Rgb rgb;
    png_image png;
    memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path))
        return rgb;
    png.format = PNG_FORMAT_RGB;
    std::vector<png_byte> pixels(PNG_IMAGE_SIZE(png));
    if (png_image_finish_read(&png, nullptr, pixels.data(), 0, nullptr) && x < (int)png.width &&
        y < (int)png.height) {
        const png_byte* p = &pixels[((size_t)y * png.width + x) * 3];
        rgb.r = p[0];
        rgb.g = p[1];
        rgb.b = p[2];
    }
    return rgb;
}

TEST_F(TraceTest, DumpsShowTheGammaAndCountOnAcrossWindows)
{
    ScopedEnv dump("OBX_GLIDE_DUMP", "glide-gamma-test-%d.png");
    grSstWinClose(context);
    grGlideShutdown();
    grGlideInit();
    context = grSstWinOpen(0, GR_RESOLUTION_320x240, GR_REFRESH_60Hz, GR_COLORFORMAT_ARGB,
                           GR_ORIGIN_UPPER_LEFT, 2, 1);
    ASSERT_NE(context, (GrContext_t)0);
    const FxU16 grey = rgb565(64, 128, 192);   // 66, 130, 198 when widened
    grBufferClear(0xFF4080C0, 0, 0);
    grBufferSwap(0);   // frame 0: no gamma
    // A table that halves red, keeps green, inverts blue.
    FxU32 red[256], green[256], blue[256];
    for (int i = 0; i < 256; i++) {
        red[i] = (FxU32)i / 2;
        green[i] = (FxU32)i;
        blue[i] = (FxU32)(255 - i);
    }
    grLoadGammaTable(256, red, green, blue);
    grBufferClear(0xFF4080C0, 0, 0);
    grBufferSwap(0);                                         // frame 1
    EXPECT_EQ(pixelAt(5, 5, GR_BUFFER_FRONTBUFFER), grey);   // the buffer stays as drawn
    // Closed and opened again: the numbering goes on, the gamma starts over.
    grSstWinClose(context);
    context = grSstWinOpen(0, GR_RESOLUTION_320x240, GR_REFRESH_60Hz, GR_COLORFORMAT_ARGB,
                           GR_ORIGIN_UPPER_LEFT, 2, 1);
    ASSERT_NE(context, (GrContext_t)0);
    grBufferClear(0xFF4080C0, 0, 0);
    grBufferSwap(0);   // frame 2
    guGammaCorrectionRGB(2.0f, 1.0f, 0.5f);
    grBufferClear(0xFF4080C0, 0, 0);
    grBufferSwap(0);   // frame 3
    EXPECT_TRUE(glideErrors.empty()) << glideErrors[0];

    Rgb f0 = pngPixel("glide-gamma-test-0.png", 5, 5),
        f1 = pngPixel("glide-gamma-test-1.png", 5, 5),
        f2 = pngPixel("glide-gamma-test-2.png", 5, 5),
        f3 = pngPixel("glide-gamma-test-3.png", 5, 5);
    EXPECT_EQ(f0.r, 66);
    EXPECT_EQ(f0.g, 130);
    EXPECT_EQ(f0.b, 198);
    EXPECT_EQ(f1.r, 33);
    EXPECT_EQ(f1.g, 130);
    EXPECT_EQ(f1.b, 57);
    EXPECT_EQ(f2.r, 66);
    EXPECT_EQ(f2.b, 198);
    // 255 * (v / 255) ^ (1 / gamma), rounded.
    EXPECT_EQ(f3.r, 130);   // sqrt(66 / 255) * 255 = 129.7
    EXPECT_EQ(f3.g, 130);
    EXPECT_EQ(f3.b, 154);   // (198 / 255)^2 * 255 = 153.7
    for (int i = 0; i < 4; i++) {
        char name[64];
        snprintf(name, sizeof name, "glide-gamma-test-%d.png", i);
        std::remove(name);
    }
}

TEST_F(TraceTest, SwapHistoryCountsRetracesBetweenSwaps)
{
    FxI32 history[8];
    EXPECT_EQ(grGet(GR_SWAP_HISTORY, 4, history), 0u);
    EXPECT_EQ(grGet(GR_SWAP_HISTORY, 64, history), 0u);
    grBufferSwap(0);
    usleep(120000);   // at least six retraces at 60 Hz
    grBufferSwap(0);
    grBufferSwap(0);
    for (FxI32& h : history)
        h = -1;
    ASSERT_EQ(grGet(GR_SWAP_HISTORY, 32, history), 32u);
    EXPECT_GE(history[1], 6);   // newest first: the long wait was one swap ago
    EXPECT_LE(history[1], 60);
    for (FxI32 h : history)
        EXPECT_GE(h, 0);
    EXPECT_EQ(history[7], 0);   // fewer swaps than entries
}

TEST(GlideLogo, SplashAndShamelessPlugAreQuietAndDrawNothing)
{
    glideErrors.clear();
    grErrorSetCallback(collect);
    grGlideInit();
    // Programs written for the board turn the plug off before any window.
    grDisable(GR_SHAMELESS_PLUG);
    grEnable(GR_SHAMELESS_PLUG);
    grSplash(0, 0, 640, 480, 0);
    GrContext_t ctx = grSstWinOpen(0, GR_RESOLUTION_640x480, GR_REFRESH_60Hz, GR_COLORFORMAT_ARGB,
                                   GR_ORIGIN_UPPER_LEFT, 2, 1);
    ASSERT_NE(ctx, (GrContext_t)0);
    grEnable(GR_SHAMELESS_PLUG);
    grBufferClear(0xFF123456, 0, 0);
    grSplash(10, 10, 200, 100, 3);
    grBufferSwap(0);
    grDisable(GR_SHAMELESS_PLUG);
    EXPECT_TRUE(glideErrors.empty()) << glideErrors[0];
    FxU16 row[640];
    for (int y = 0; y < 480; y++) {
        ASSERT_TRUE(grLfbReadRegion(GR_BUFFER_FRONTBUFFER, 0, (FxU32)y, 640, 1, sizeof row, row));
        for (int x = 0; x < 640; x++)
            ASSERT_EQ(row[x], rgb565(0x12, 0x34, 0x56)) << x << "," << y;
    }
    grSstWinClose(ctx);
    grGlideShutdown();
    grErrorSetCallback(nullptr);
}

}   // namespace
