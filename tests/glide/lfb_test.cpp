// The linear frame buffer, buffers, swaps, clears and saved state.
#include "glide_test_util.h"

#include <cstring>

namespace {

class LfbTest : public GlideTest {};

TEST_F(LfbTest, RegionsRoundTrip)
{
    // A 5 x 3 region with a padded source stride comes back unchanged.
    FxU16 src[3][8];
    for (int y = 0; y < 3; y++)
        for (int x = 0; x < 8; x++)
            src[y][x] = (FxU16)(0x1000 * y + 0x111 * x + 1);
    ASSERT_TRUE(
        grLfbWriteRegion(GR_BUFFER_BACKBUFFER, 10, 20, GR_LFB_SRC_FMT_565, 5, 3, FXFALSE, 16, src));
    FxU16 back[3][6] = {};
    ASSERT_TRUE(grLfbReadRegion(GR_BUFFER_BACKBUFFER, 10, 20, 5, 3, 12, back));
    for (int y = 0; y < 3; y++) {
        for (int x = 0; x < 5; x++)
            EXPECT_EQ(back[y][x], src[y][x]) << x << "," << y;
        EXPECT_EQ(back[y][5], 0);   // beyond the width: untouched
    }
    EXPECT_EQ(pixelAt(9, 20), 0);
    EXPECT_EQ(pixelAt(15, 20), 0);
    // A negative stride writes a bottom-up image.
    ASSERT_TRUE(grLfbWriteRegion(GR_BUFFER_BACKBUFFER, 100, 100, GR_LFB_SRC_FMT_565, 5, 3, FXFALSE,
                                 -16, src[2]));
    EXPECT_EQ(pixelAt(100, 100), src[2][0]);
    EXPECT_EQ(pixelAt(100, 102), src[0][0]);
    // Single pixels, as an engine marks and reads them, in the front buffer too.
    FxU16 marker = 0xFFFF;
    ASSERT_TRUE(grLfbWriteRegion(GR_BUFFER_FRONTBUFFER, 639, 479, GR_LFB_SRC_FMT_565, 1, 1, FXFALSE,
                                 2, &marker));
    EXPECT_EQ(pixelAt(639, 479, GR_BUFFER_FRONTBUFFER), 0xFFFF);
    EXPECT_EQ(pixelAt(639, 479, GR_BUFFER_BACKBUFFER), 0);
}

TEST_F(LfbTest, RegionsAreCutToTheScreen)
{
    FxU16 src[4] = {1, 2, 3, 4};
    // Half inside: the inside half is written.
    EXPECT_TRUE(
        grLfbWriteRegion(GR_BUFFER_BACKBUFFER, 638, 0, GR_LFB_SRC_FMT_565, 4, 1, FXFALSE, 8, src));
    EXPECT_EQ(pixelAt(638, 0), 1);
    EXPECT_EQ(pixelAt(639, 0), 2);
    EXPECT_EQ(pixelAt(0, 1), 0);   // nothing wrapped onto the next row
    // Wholly outside: refused.
    EXPECT_FALSE(
        grLfbWriteRegion(GR_BUFFER_BACKBUFFER, 640, 0, GR_LFB_SRC_FMT_565, 1, 1, FXFALSE, 2, src));
    EXPECT_FALSE(
        grLfbWriteRegion(GR_BUFFER_BACKBUFFER, 0, 480, GR_LFB_SRC_FMT_565, 1, 1, FXFALSE, 2, src));
    EXPECT_FALSE(grLfbWriteRegion(GR_BUFFER_BACKBUFFER, 0xFFFFFFFFu, 0, GR_LFB_SRC_FMT_565, 2, 1,
                                  FXFALSE, 4, src));
    FxU16 dst[4] = {9, 9, 9, 9};
    EXPECT_TRUE(grLfbReadRegion(GR_BUFFER_BACKBUFFER, 638, 0, 4, 1, 8, dst));
    EXPECT_EQ(dst[0], 1);
    EXPECT_EQ(dst[1], 2);
    EXPECT_EQ(dst[2], 9);
    EXPECT_FALSE(grLfbReadRegion(GR_BUFFER_BACKBUFFER, 0, 480, 1, 1, 2, dst));
    // A buffer that does not exist.
    EXPECT_FALSE(grLfbReadRegion(GR_BUFFER_TRIPLEBUFFER, 0, 0, 1, 1, 2, dst));
    EXPECT_FALSE(grLfbReadRegion(77, 0, 0, 1, 1, 2, dst));
    // Colour formats do not go to the aux buffer, nor depth to colour.
    EXPECT_FALSE(
        grLfbWriteRegion(GR_BUFFER_AUXBUFFER, 0, 0, GR_LFB_SRC_FMT_565, 1, 1, FXFALSE, 2, src));
    EXPECT_FALSE(
        grLfbWriteRegion(GR_BUFFER_BACKBUFFER, 0, 0, GR_LFB_SRC_FMT_ZA16, 1, 1, FXFALSE, 2, src));
    EXPECT_FALSE(
        grLfbWriteRegion(GR_BUFFER_BACKBUFFER, 0, 0, GR_LFB_SRC_FMT_RLE16, 1, 1, FXFALSE, 2, src));
}

TEST_F(LfbTest, SourceFormatsConvertTo565)
{
    FxU16 x555 = (FxU16)((31 << 10) | (16 << 5) | 1);
    ASSERT_TRUE(
        grLfbWriteRegion(GR_BUFFER_BACKBUFFER, 0, 0, GR_LFB_SRC_FMT_555, 1, 1, FXFALSE, 2, &x555));
    EXPECT_EQ(pixelAt(0, 0), (FxU16)((31 << 11) | (33 << 5) | 1));
    FxU16 x1555 = (FxU16)(0x8000 | (1 << 10) | (31 << 5) | 0);
    ASSERT_TRUE(grLfbWriteRegion(GR_BUFFER_BACKBUFFER, 1, 0, GR_LFB_SRC_FMT_1555, 1, 1, FXFALSE, 2,
                                 &x1555));
    EXPECT_EQ(pixelAt(1, 0), (FxU16)((1 << 11) | (63 << 5)));
    FxU32 x8888 = 0x80FF8040;
    ASSERT_TRUE(grLfbWriteRegion(GR_BUFFER_BACKBUFFER, 2, 0, GR_LFB_SRC_FMT_8888, 1, 1, FXFALSE, 4,
                                 &x8888));
    EXPECT_EQ(pixelAt(2, 0), rgb565(0xFF, 0x80, 0x40));
    ASSERT_TRUE(
        grLfbWriteRegion(GR_BUFFER_BACKBUFFER, 3, 0, GR_LFB_SRC_FMT_888, 1, 1, FXFALSE, 4, &x8888));
    EXPECT_EQ(pixelAt(3, 0), rgb565(0xFF, 0x80, 0x40));
    // Colour with depth: low half colour, high half depth.
    FxU32 withDepth = (0x1234u << 16) | 0xF81F;
    ASSERT_TRUE(grLfbWriteRegion(GR_BUFFER_BACKBUFFER, 4, 0, GR_LFB_SRC_FMT_565_DEPTH, 1, 1,
                                 FXFALSE, 4, &withDepth));
    EXPECT_EQ(pixelAt(4, 0), 0xF81F);
    EXPECT_EQ(depthAt(4, 0), 0x1234);
    // Depth alone into the aux buffer, and back.
    FxU16 depths[2] = {0xABCD, 0x0102};
    ASSERT_TRUE(
        grLfbWriteRegion(GR_BUFFER_AUXBUFFER, 5, 0, GR_LFB_SRC_FMT_ZA16, 2, 1, FXFALSE, 4, depths));
    EXPECT_EQ(depthAt(5, 0), 0xABCD);
    EXPECT_EQ(depthAt(6, 0), 0x0102);
    // 32-bit words are ARGB unless grLfbWriteColorFormat says otherwise.
    grLfbWriteColorFormat(GR_COLORFORMAT_ABGR);
    ASSERT_TRUE(grLfbWriteRegion(GR_BUFFER_BACKBUFFER, 7, 0, GR_LFB_SRC_FMT_8888, 1, 1, FXFALSE, 4,
                                 &x8888));
    EXPECT_EQ(pixelAt(7, 0), rgb565(0x40, 0x80, 0xFF));
}

TEST_F(LfbTest, LongWordsAreArgbWhateverTheWindowsColourFormat)
{
    // A window in ABGR: colour arguments are read in it, 32-bit frame buffer
    // words are not.
    grSstWinClose(context);
    context = grSstWinOpen(0, GR_RESOLUTION_640x480, GR_REFRESH_60Hz, GR_COLORFORMAT_ABGR,
                           GR_ORIGIN_UPPER_LEFT, 2, 1);
    ASSERT_NE(context, (GrContext_t)0);
    useFullLayout();
    flatShading();
    grBufferClear(0xFFFF0000, 0, 0);   // blue in ABGR
    EXPECT_EQ(pixelAt(0, 0), 0x001F);
    FxU32 red = 0xFFFF0000, green = 0x0000FF00;
    ASSERT_TRUE(
        grLfbWriteRegion(GR_BUFFER_BACKBUFFER, 1, 0, GR_LFB_SRC_FMT_8888, 1, 1, FXFALSE, 4, &red));
    ASSERT_TRUE(
        grLfbWriteRegion(GR_BUFFER_BACKBUFFER, 2, 0, GR_LFB_SRC_FMT_888, 1, 1, FXFALSE, 4, &green));
    ASSERT_TRUE(
        grLfbWriteRegion(GR_BUFFER_BACKBUFFER, 3, 0, GR_LFB_SRC_FMT_8888, 1, 1, FXTRUE, 4, &red));
    EXPECT_EQ(pixelAt(1, 0), 0xF800);
    EXPECT_EQ(pixelAt(2, 0), 0x07E0);
    EXPECT_EQ(pixelAt(3, 0), 0xF800);
    // A lock in 8888 hands out ARGB words and takes them back as ARGB.
    GrLfbInfo_t info;
    memset(&info, 0, sizeof info);
    info.size = sizeof info;
    ASSERT_TRUE(grLfbLock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER, GR_LFBWRITEMODE_8888,
                          GR_ORIGIN_UPPER_LEFT, FXFALSE, &info));
    FxU32* words = (FxU32*)info.lfbPtr;
    EXPECT_EQ(words[1] & 0x00FFFFFF, 0x00FF0000u);
    words[4] = 0xFF0000FF;
    EXPECT_TRUE(grLfbUnlock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER));
    EXPECT_EQ(pixelAt(1, 0), 0xF800);
    EXPECT_EQ(pixelAt(4, 0), 0x001F);
    // Only grLfbWriteColorFormat changes the lane order.
    const struct {
        GrColorFormat_t format;
        FxU32 word;
    } orders[] = {{GR_COLORFORMAT_ARGB, 0xFFFF0000},
                  {GR_COLORFORMAT_ABGR, 0xFF0000FF},
                  {GR_COLORFORMAT_RGBA, 0xFF0000FF},
                  {GR_COLORFORMAT_BGRA, 0x0000FFFF}};
    for (int i = 0; i < 4; i++) {
        grLfbWriteColorFormat(orders[i].format);
        FxU32 w = orders[i].word;
        ASSERT_TRUE(grLfbWriteRegion(GR_BUFFER_BACKBUFFER, 10 + i, 0, GR_LFB_SRC_FMT_8888, 1, 1,
                                     FXFALSE, 4, &w));
        EXPECT_EQ(pixelAt(10 + i, 0), 0xF800) << "format " << orders[i].format;
    }
}

TEST_F(LfbTest, PixelPipelineWrites)
{
    // Through the pixel path: the written colour stands in for the iterated
    // one, so blending with the constant LFB alpha applies.
    grBufferClear(0xFF0000FF, 0, 0);
    grAlphaBlendFunction(GR_BLEND_SRC_ALPHA, GR_BLEND_ONE_MINUS_SRC_ALPHA, GR_BLEND_ZERO,
                         GR_BLEND_ZERO);
    grLfbConstantAlpha(0x80);
    FxU16 red = 0xF800;
    ASSERT_TRUE(
        grLfbWriteRegion(GR_BUFFER_BACKBUFFER, 0, 0, GR_LFB_SRC_FMT_565, 1, 1, FXTRUE, 2, &red));
    EXPECT_EQ(pixelAt(0, 0), rgb565(128, 0, 127));
    // Raw writes ignore it.
    ASSERT_TRUE(
        grLfbWriteRegion(GR_BUFFER_BACKBUFFER, 1, 0, GR_LFB_SRC_FMT_565, 1, 1, FXFALSE, 2, &red));
    EXPECT_EQ(pixelAt(1, 0), 0xF800);
    // The depth test uses the constant LFB depth.
    grAlphaBlendFunction(GR_BLEND_ONE, GR_BLEND_ZERO, GR_BLEND_ONE, GR_BLEND_ZERO);
    grDepthBufferMode(GR_DEPTHBUFFER_WBUFFER);
    grDepthBufferFunction(GR_CMP_LESS);
    grDepthMask(FXTRUE);
    grBufferClear(0, 0, 0x4000);
    grLfbConstantDepth(0x5000);
    FxU16 green = 0x07E0;
    grLfbWriteRegion(GR_BUFFER_BACKBUFFER, 0, 0, GR_LFB_SRC_FMT_565, 1, 1, FXTRUE, 2, &green);
    EXPECT_EQ(pixelAt(0, 0), 0);
    grLfbConstantDepth(0x3000);
    grLfbWriteRegion(GR_BUFFER_BACKBUFFER, 0, 0, GR_LFB_SRC_FMT_565, 1, 1, FXTRUE, 2, &green);
    EXPECT_EQ(pixelAt(0, 0), 0x07E0);
    EXPECT_EQ(depthAt(0, 0), 0x3000);
}

TEST_F(LfbTest, LocksHandOutTheBufferOrACopy)
{
    GrLfbInfo_t info;
    memset(&info, 0, sizeof info);
    info.size = sizeof info;
    // Reading top-down gives the buffer itself.
    FxU16 p = 0x1357;
    grLfbWriteRegion(GR_BUFFER_BACKBUFFER, 3, 2, GR_LFB_SRC_FMT_565, 1, 1, FXFALSE, 2, &p);
    ASSERT_TRUE(grLfbLock(GR_LFB_READ_ONLY, GR_BUFFER_BACKBUFFER, GR_LFBWRITEMODE_ANY,
                          GR_ORIGIN_UPPER_LEFT, FXFALSE, &info));
    EXPECT_EQ(info.strideInBytes, 640u * 2);
    EXPECT_EQ(((const FxU16*)info.lfbPtr)[2 * 640 + 3], 0x1357);
    EXPECT_FALSE(grLfbLock(GR_LFB_READ_ONLY, GR_BUFFER_BACKBUFFER, GR_LFBWRITEMODE_ANY,
                           GR_ORIGIN_UPPER_LEFT, FXFALSE, &info));   // already locked
    EXPECT_TRUE(grLfbUnlock(GR_LFB_READ_ONLY, GR_BUFFER_BACKBUFFER));
    EXPECT_FALSE(grLfbUnlock(GR_LFB_READ_ONLY, GR_BUFFER_BACKBUFFER));

    // Writing 32-bit pixels bottom-up goes through a copy written back on unlock.
    ASSERT_TRUE(grLfbLock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER, GR_LFBWRITEMODE_8888,
                          GR_ORIGIN_LOWER_LEFT, FXFALSE, &info));
    EXPECT_EQ(info.strideInBytes, 640u * 4);
    FxU32* pixels = (FxU32*)info.lfbPtr;
    EXPECT_EQ(pixels[(479 - 2) * 640 + 3] & 0x00FFFFFF,
              widen565(0x1357));   // starts as the buffer shows
    pixels[0] = 0xFF00FF00;        // bottom left
    EXPECT_TRUE(grLfbUnlock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER));
    EXPECT_EQ(pixelAt(0, 479), 0x07E0);
    EXPECT_EQ(pixelAt(3, 2), 0x1357);   // untouched pixels survive the round trip
    // The depth buffer through a lock.
    ASSERT_TRUE(grLfbLock(GR_LFB_WRITE_ONLY, GR_BUFFER_AUXBUFFER, GR_LFBWRITEMODE_ZA16,
                          GR_ORIGIN_UPPER_LEFT, FXFALSE, &info));
    ((FxU16*)info.lfbPtr)[10] = 0x4321;
    EXPECT_TRUE(grLfbUnlock(GR_LFB_WRITE_ONLY, GR_BUFFER_AUXBUFFER));
    EXPECT_EQ(depthAt(10, 0), 0x4321);
    // Nonsense is refused.
    EXPECT_FALSE(grLfbLock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER, GR_LFBWRITEMODE_ZA16,
                           GR_ORIGIN_UPPER_LEFT, FXFALSE, &info));
    EXPECT_FALSE(grLfbLock(GR_LFB_READ_ONLY, GR_BUFFER_BACKBUFFER, GR_LFBWRITEMODE_ANY,
                           GR_ORIGIN_UPPER_LEFT, FXFALSE, nullptr));
}

TEST_F(LfbTest, SwapsRotateTheBuffers)
{
    grBufferClear(0xFFFF0000, 0, 0);
    grBufferSwap(0);
    EXPECT_EQ(pixelAt(5, 5, GR_BUFFER_FRONTBUFFER), 0xF800);
    grBufferClear(0xFF00FF00, 0, 0);
    std::vector<FxU16> front = grab(GR_BUFFER_FRONTBUFFER), back = grab(GR_BUFFER_BACKBUFFER);
    EXPECT_EQ(front[0], 0xF800);
    EXPECT_EQ(back[0], 0x07E0);
    grBufferSwap(1);
    EXPECT_EQ(pixelAt(5, 5, GR_BUFFER_FRONTBUFFER), 0x07E0);
    EXPECT_EQ(pixelAt(5, 5, GR_BUFFER_BACKBUFFER), 0xF800);   // the old front buffer
    // Drawing into the front buffer.
    grRenderBuffer(GR_BUFFER_FRONTBUFFER);
    rect(0, 0, 4, 4, vtx(0, 0));
    EXPECT_EQ(pixelAt(1, 1, GR_BUFFER_FRONTBUFFER), 0xFFFF);
    EXPECT_EQ(pixelAt(1, 1, GR_BUFFER_BACKBUFFER), 0xF800);

    // Three buffers rotate through all three.
    grSstWinClose(context);
    context = grSstWinOpen(0, GR_RESOLUTION_320x240, GR_REFRESH_60Hz, GR_COLORFORMAT_ARGB,
                           GR_ORIGIN_UPPER_LEFT, 3, 0);
    ASSERT_NE(context, (GrContext_t)0);
    FxU32 w = 0, h = 0;
    extension<GrObxScreenSizeProc>("grObxScreenSize")(&w, &h);
    EXPECT_EQ(w, 320u);
    EXPECT_EQ(h, 240u);
    const GrColor_t colours[3] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF};
    for (GrColor_t c : colours) {
        grBufferClear(c, 0, 0);
        grBufferSwap(0);
    }
    EXPECT_EQ(pixelAt(0, 0, GR_BUFFER_FRONTBUFFER), 0x001F);
    EXPECT_EQ(pixelAt(0, 0, GR_BUFFER_BACKBUFFER), 0xF800);
    EXPECT_EQ(pixelAt(0, 0, GR_BUFFER_TRIPLEBUFFER), 0x07E0);
}

TEST_F(LfbTest, ClearsObeyClipWindowAndMasks)
{
    grClipWindow(10, 10, 20, 20);
    grBufferClear(0xFFFFFFFF, 0, 0);
    EXPECT_EQ(countPixels(0xFFFF), 100);
    grClipWindow(0, 0, 640, 480);
    grColorMask(FXFALSE, FXFALSE);
    grDepthMask(FXTRUE);
    grBufferClear(0xFF00FF00, 0, 0x2222);
    EXPECT_EQ(countPixels(0x07E0), 0);
    EXPECT_EQ(depthAt(300, 300), 0x2222);
    // A clip window beyond the screen is cut to it.
    grColorMask(FXTRUE, FXFALSE);
    grClipWindow(600, 400, 100000, 100000);
    grBufferClear(0xFF00FF00, 0, 0);
    EXPECT_EQ(countPixels(0x07E0), 40 * 80);
}

TEST_F(LfbTest, StateAndLayoutSaveAndRestore)
{
    FxI32 size = 0, layoutSize = 0;
    ASSERT_EQ(grGet(GR_GLIDE_STATE_SIZE, 4, &size), 4u);
    ASSERT_EQ(grGet(GR_GLIDE_VERTEXLAYOUT_SIZE, 4, &layoutSize), 4u);
    std::vector<char> state((size_t)size), layout((size_t)layoutSize);

    grConstantColorValue(0xFF102030);
    grColorCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_CONSTANT,
                   GR_COMBINE_OTHER_NONE, FXFALSE);
    grGlideGetState(state.data());
    grGlideGetVertexLayout(layout.data());
    rect(0, 0, 4, 4, vtx(0, 0));
    std::vector<FxU16> before = grab();

    // Change everything, then restore.
    flatShading();
    grConstantColorValue(0);
    grVertexLayout(GR_PARAM_XY, 4, GR_PARAM_ENABLE);
    grGlideSetState(state.data());
    grGlideSetVertexLayout(layout.data());
    grBufferClear(0, 0, 0);
    rect(0, 0, 4, 4, vtx(0, 0));
    EXPECT_EQ(grab(), before);

    // Closing and reopening, as an application losing focus does.
    grSstWinClose(context);
    context = grSstWinOpen(0, GR_RESOLUTION_640x480, GR_REFRESH_60Hz, GR_COLORFORMAT_ARGB,
                           GR_ORIGIN_UPPER_LEFT, 2, 1);
    ASSERT_NE(context, (GrContext_t)0);
    grGlideSetState(state.data());
    grGlideSetVertexLayout(layout.data());
    rect(0, 0, 4, 4, vtx(0, 0));
    EXPECT_EQ(pixelAt(1, 1), rgb565(0x10, 0x20, 0x30));

    // A buffer that never came from grGlideGetState is refused, not obeyed.
    std::vector<char> junk((size_t)size, (char)0x7F);
    glideErrors.clear();
    grGlideSetState(junk.data());
    EXPECT_FALSE(glideErrors.empty());
    grBufferClear(0, 0, 0);
    rect(0, 0, 4, 4, vtx(0, 0));
    EXPECT_EQ(pixelAt(1, 1), rgb565(0x10, 0x20, 0x30));
}

}   // namespace
