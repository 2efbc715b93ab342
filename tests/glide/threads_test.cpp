// Rasterizer threads, the 256-bit pixel loops and the short rows of small
// triangles drawn together draw exactly what one thread with the 128-bit
// loops draws row by row.
#include "glide_test_util.h"
#include "random_scene.h"

#include <cstdlib>

namespace {

void ignoreError(const char*, FxBool) {}

// A 640 x 480 double-buffered window with a depth buffer on a device just
// started (the thread setting is read then).
GrContext_t windowOpen()
{
    grGlideInit();
    grSstSelect(0);
    return grSstWinOpen(0, GR_RESOLUTION_640x480, GR_REFRESH_60Hz, GR_COLORFORMAT_ARGB,
                        GR_ORIGIN_UPPER_LEFT, 2, 1);
}

void windowClose(GrContext_t context)
{
    grSstWinClose(context);
    grGlideShutdown();
}

struct Drawn {
    std::vector<SceneBuffers> scenes;
    unsigned long long pixelsWritten = 0, trianglesDrawn = 0;
};

// Random scenes drawn by a device started with these settings.
Drawn drawScenes(const char* threads, const char* simd, int scenes, const char* rows = nullptr)
{
    ScopedEnv t("OBX_GLIDE_THREADS", threads), s("OBX_GLIDE_SIMD", simd), r("OBX_GLIDE_ROWS", rows);
    Drawn d;
    grErrorSetCallback(ignoreError);
    GrContext_t context = windowOpen();
    EXPECT_NE(context, (GrContext_t)0);
    randomSceneTextures();
    for (int seed = 0; seed < scenes; seed++) {
        randomSceneDraw((uint32_t)seed, 60);
        d.scenes.push_back(randomSceneRead());
    }
    GrObxStats stats;
    extension<GrObxStatsProc>("grObxStats")(&stats);
    d.pixelsWritten = stats.pixelsWritten;
    d.trianglesDrawn = stats.trianglesDrawn;
    windowClose(context);
    grErrorSetCallback(nullptr);
    return d;
}

int firstDifference(const Drawn& a, const Drawn& b)
{
    for (size_t i = 0; i < a.scenes.size() && i < b.scenes.size(); i++)
        if (a.scenes[i].colour != b.scenes[i].colour || a.scenes[i].aux != b.scenes[i].aux)
            return (int)i;
    return a.scenes.size() == b.scenes.size() ? -1 : (int)a.scenes.size();
}

TEST(DeviceThreads, RandomScenesDrawTheSameOnAnyNumberOfThreadsWithEitherLoopsAndRowsTogether)
{
    const int scenes = 40;
    Drawn reference = drawScenes("0", "sse2", scenes, "single");
    ASSERT_EQ(reference.scenes.size(), (size_t)scenes);
    EXPECT_GT(reference.pixelsWritten, 0u);
    struct Setting {
        const char* threads;
        const char* simd;
    } settings[] = {{"0", nullptr}, {"1", nullptr}, {"2", nullptr}, {"3", "sse2"}};
    for (const Setting& s : settings) {
        Drawn d = drawScenes(s.threads, s.simd, scenes);
        EXPECT_EQ(firstDifference(reference, d), -1)
            << s.threads << " threads, " << (s.simd ? s.simd : "widest");
        EXPECT_EQ(d.pixelsWritten, reference.pixelsWritten) << s.threads << " threads";
        EXPECT_EQ(d.trianglesDrawn, reference.trianglesDrawn) << s.threads << " threads";
    }
}

TEST(DeviceThreads, WhatWasDrawnIsThereWhenReadBack)
{
    ScopedEnv t("OBX_GLIDE_THREADS", "2");
    GrContext_t context = windowOpen();
    ASSERT_NE(context, (GrContext_t)0);
    useFullLayout();
    flatShading();
    // Many small clears and rectangles, each read back at once: a read waits
    // for everything queued before it, on both threads' rows.
    for (int k = 0; k < 50; k++) {
        grBufferClear(0, 0, 0);
        int x = (k * 37) % 600, y = (k * 53) % 440;
        rect((float)x, (float)y, (float)x + 2, (float)y + 2, vtx(0, 0, 255, 255, 255));
        EXPECT_EQ(pixelAt(x, y), 0xFFFF) << k;
        EXPECT_EQ(pixelAt(x + 1, y + 1), 0xFFFF) << k;
        EXPECT_EQ(pixelAt(x + 2, y), 0) << k;
    }
    // A swap shows what was drawn before it.
    grBufferClear(0xFF0000FF, 0, 0);
    grBufferSwap(0);
    EXPECT_EQ(pixelAt(5, 5, GR_BUFFER_FRONTBUFFER), 0x001F);
    windowClose(context);
}

// Blended triangles over the whole screen with frame-buffer writes and reads
// of a few rows between them: each write lands after what was queued before
// it in its rows and before what comes after, and each read sees exactly the
// commands before it, while the threads may still draw other rows.
std::vector<FxU16> regionsMidFrameDraw(const char* threads, std::vector<FxU16>* reads)
{
    ScopedEnv t("OBX_GLIDE_THREADS", threads);
    GrContext_t context = windowOpen();
    EXPECT_NE(context, (GrContext_t)0);
    useFullLayout();
    flatShading();
    grBufferClear(0, 0, 0);
    grAlphaBlendFunction(GR_BLEND_SRC_ALPHA, GR_BLEND_ONE_MINUS_SRC_ALPHA, GR_BLEND_ZERO,
                         GR_BLEND_ZERO);
    uint32_t random = 7;
    std::vector<FxU16> patch(6 * 3);
    for (int k = 0; k < 4000; k++) {
        random = random * 1664525u + 1013904223u;
        float x = (float)(random % 600), y = (float)((random >> 12) % 440);
        tri(vtx(x, y, (float)(random >> 24), 90, 200, 140), vtx(x + 30, y + 4, 30, 200, 60, 100),
            vtx(x + 7, y + 25, 250, 40, (float)(k % 120), 200));
        if (k % 50 == 0) {
            FxU32 px = random % 630, py = (random >> 9) % 470;
            for (size_t i = 0; i < patch.size(); i++)
                patch[i] = (FxU16)(random >> (i % 16));
            grLfbWriteRegion(GR_BUFFER_BACKBUFFER, px, py, GR_LFB_SRC_FMT_565, 6, 3, FXFALSE, 12,
                             patch.data());
            FxU16 read[4 * 2];
            grLfbReadRegion(GR_BUFFER_BACKBUFFER, (px + 200) % 636, (py + 150) % 478, 4, 2, 8,
                            read);
            reads->insert(reads->end(), read, read + 8);
        }
    }
    std::vector<FxU16> pixels = grab();
    windowClose(context);
    return pixels;
}

TEST(DeviceThreads, RegionsWrittenAndReadMidFrameKeepTheirPlaceInTheOrder)
{
    std::vector<FxU16> expectedReads;
    std::vector<FxU16> expected = regionsMidFrameDraw("0", &expectedReads);
    for (const char* threads : {"1", "2"}) {
        std::vector<FxU16> reads;
        EXPECT_TRUE(regionsMidFrameDraw(threads, &reads) == expected) << threads << " threads";
        EXPECT_TRUE(reads == expectedReads) << threads << " threads";
    }
}

// Far more queued work than the queue holds, all in a few rows, blended so
// that order shows: first tens of thousands of small triangles under one
// state, then as many that each change the constant colour and now and then
// the alpha test's reference (a new pixel path each, differing from the one
// before in changing places), with no wait for the queue between them.
std::vector<FxU16> crowdedRowsDraw(const char* threads, unsigned long long* written)
{
    ScopedEnv t("OBX_GLIDE_THREADS", threads);
    GrContext_t context = windowOpen();
    EXPECT_NE(context, (GrContext_t)0);
    useFullLayout();
    extension<GrObxStatsResetProc>("grObxStatsReset")();
    grBufferClear(0, 0, 0);
    grAlphaBlendFunction(GR_BLEND_SRC_ALPHA, GR_BLEND_ONE_MINUS_SRC_ALPHA, GR_BLEND_ZERO,
                         GR_BLEND_ZERO);
    flatShading();
    const int count = 30000;
    for (int k = 0; k < count; k++) {
        float x = (float)((k * 7) % 630), y = 100.0f + (float)(k % 13);
        tri(vtx(x, y, (float)(k % 256), 90, 200, 140),
            vtx(x + 9, y + 1, 30, (float)(k % 200), 60, 100),
            vtx(x + 2, y + 3.5f, 250, 40, (float)(k % 120), 200));
    }
    grColorCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_ONE, GR_COMBINE_LOCAL_NONE,
                   GR_COMBINE_OTHER_CONSTANT, FXFALSE);
    grAlphaTestFunction(GR_CMP_GREATER);
    for (int k = 0; k < count; k++) {
        grConstantColorValue(0xFF000000u | (FxU32)(k * 2654435761u >> 8));
        grAlphaTestReferenceValue((GrAlpha_t)((k / 3) % 5 * 40));
        float x = (float)((k * 11) % 630), y = 102.0f + (float)(k % 17);
        tri(vtx(x, y, 0, 0, 0, 120), vtx(x + 8, y, 0, 0, 0, 60), vtx(x + 3, y + 4, 0, 0, 0, 220));
    }
    std::vector<FxU16> pixels = grab();
    GrObxStats stats;
    extension<GrObxStatsProc>("grObxStats")(&stats);
    *written = stats.pixelsWritten;
    windowClose(context);
    return pixels;
}

TEST(DeviceThreads, MoreWorkInAFewRowsThanTheQueueHoldsDrawsAsWithoutThreads)
{
    unsigned long long reference = 0;
    std::vector<FxU16> expected = crowdedRowsDraw("0", &reference);
    EXPECT_GT(reference, 100000u);
    for (const char* threads : {"1", "2"}) {
        unsigned long long written = 0;
        std::vector<FxU16> drawn = crowdedRowsDraw(threads, &written);
        EXPECT_TRUE(drawn == expected) << threads << " threads";
        EXPECT_EQ(written, reference) << threads << " threads";
    }
}

// Frames as a landscape draws them: a clear, then thousands of small
// triangles over the whole screen, each under a pixel path of its own (a new
// constant colour), more than the queue holds in a frame. The bands the
// threads have not reached yet start with the frame's clear, queued after
// the path the triangles behind it are drawn with; that path must stay in
// the queue until they are drawn.
std::vector<FxU16> clearsBetweenPathsDraw(const char* threads)
{
    ScopedEnv t("OBX_GLIDE_THREADS", threads);
    GrContext_t context = windowOpen();
    EXPECT_NE(context, (GrContext_t)0);
    useFullLayout();
    grAlphaBlendFunction(GR_BLEND_SRC_ALPHA, GR_BLEND_ONE_MINUS_SRC_ALPHA, GR_BLEND_ZERO,
                         GR_BLEND_ZERO);
    grColorCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_ONE, GR_COMBINE_LOCAL_NONE,
                   GR_COMBINE_OTHER_CONSTANT, FXFALSE);
    uint32_t random = 1;
    for (int frame = 0; frame < 12; frame++) {
        grBufferClear(0xFF000000u | (FxU32)frame * 0x010203u, 0, 0);
        for (int k = 0; k < 9000; k++) {
            random = random * 1664525u + 1013904223u;
            grConstantColorValue(0xFF000000u | (random >> 8));
            float x = (float)(random % 620), y = (float)((random >> 12) % 460);
            tri(vtx(x, y, 0, 0, 0, 90), vtx(x + 12, y + 2, 0, 0, 0, 160),
                vtx(x + 5, y + 9, 0, 0, 0, 220));
        }
        if (frame + 1 < 12)
            grBufferSwap(0);
    }
    std::vector<FxU16> pixels = grab();
    windowClose(context);
    return pixels;
}

TEST(DeviceThreads, ClearsBetweenPathChangesDrawAsWithoutThreads)
{
    std::vector<FxU16> expected = clearsBetweenPathsDraw("0");
    for (const char* threads : {"1", "2"})
        EXPECT_TRUE(clearsBetweenPathsDraw(threads) == expected) << threads << " threads";
}

// Ending without closing Glide, with or without rasterizer threads: no crash
// and, under the leak sanitizer, no decoded texture lost at exit (the exit
// code would say so).
TEST(DeviceThreads, AProgramMayEndWithoutClosingTheWindow)
{
    for (const char* threads : {"0", "2"}) {
        EXPECT_EXIT(
            {
                setenv("OBX_GLIDE_THREADS", threads, 1);
                grGlideInit();
                grSstSelect(0);
                grSstWinOpen(0, GR_RESOLUTION_640x480, GR_REFRESH_60Hz, GR_COLORFORMAT_ARGB,
                             GR_ORIGIN_UPPER_LEFT, 2, 1);
                useFullLayout();
                decalTexture();
                for (FxU32 address : {0u, 4096u, 8192u}) {
                    loadTexture16(GR_TMU0, address, GR_LOD_LOG2_2, GR_ASPECT_LOG2_1x1,
                                  GR_TEXFMT_RGB_565, {0xF800, 0x07E0, 0x001F, (FxU16)address});
                    tri(texVtx(0, 0, 0, 0), texVtx(640, 0, 256, 0), texVtx(0, 480, 0, 256));
                }
                flatShading();
                rect(0, 0, 640, 480, vtx(0, 0, 10, 20, 30));
                exit(0);
            },
            ::testing::ExitedWithCode(0), "")
            << threads << " threads";
    }
}

}   // namespace
