// Texture units: texel formats, filtering, addressing, mipmaps, texture
// memory and the two-unit chain.
#include "glide_test_util.h"

#include <cstdlib>
#include <cstring>

namespace {

class TextureTest : public GlideTest {
protected:
    void SetUp() override
    {
        GlideTest::SetUp();
        decalTexture();
        grColorMask(FXTRUE, FXTRUE);   // the aux buffer shows alpha exactly
    }

    // A square of pixels all sampling the texture at (s, t).
    void drawAt(float s, float t, float x = 0, float y = 0)
    {
        Vtx v = texVtx(x, y, s, t);
        Vtx a = v, b = v, c = v;
        b.x += 4;
        c.y += 4;
        tri(a, b, c);
    }
    FxU16 colourAt(float s, float t)
    {
        drawAt(s, t);
        return pixelAt(1, 1);
    }
    int alphaAt(float s, float t)
    {
        drawAt(s, t);
        return pixelAt(1, 1, GR_BUFFER_AUXBUFFER) & 0xFF;
    }
    // A quad over [x0, x1) x [y0, y1) with the texture's 0..256 mapped on it.
    void texturedQuad(float x0, float y0, float x1, float y1, float s1 = 256, float t1 = 256)
    {
        Vtx a = texVtx(x0, y0, 0, 0), b = texVtx(x1, y0, s1, 0), c = texVtx(x1, y1, s1, t1),
            d = texVtx(x0, y1, 0, t1);
        tri(a, b, c);
        tri(a, c, d);
    }
};

// Texel centres of a 2 x 2 texture in the 256 space.
const float S0 = 64, S1 = 192;

TEST_F(TextureTest, SixteenBitFormats)
{
    struct {
        GrTextureFormat_t format;
        FxU16 texel;
        int r, g, b, a;
    } cases[] = {
        {GR_TEXFMT_RGB_565, 0xF800, 255, 0, 0, 255},
        {GR_TEXFMT_RGB_565, 0x07E0, 0, 255, 0, 255},
        {GR_TEXFMT_RGB_565, 0x8410, 132, 130, 132, 255},
        {GR_TEXFMT_ARGB_1555, 0x83E0, 0, 255, 0, 255},
        {GR_TEXFMT_ARGB_1555, 0x001F, 0, 0, 255, 0},
        {GR_TEXFMT_ARGB_4444, 0x80F0, 0, 255, 0, 136},
        {GR_TEXFMT_ARGB_4444, 0xF123, 17, 34, 51, 255},
        {GR_TEXFMT_ALPHA_INTENSITY_88, 0x804D, 77, 77, 77, 128},
        {GR_TEXFMT_ARGB_8332, 0x40E0, 255, 0, 0, 64},
        {GR_TEXFMT_ARGB_8332, 0xC01F, 0, 255, 255, 192},
    };
    for (const auto& c : cases) {
        loadTexture16(GR_TMU0, 0, GR_LOD_LOG2_2, GR_ASPECT_LOG2_1x1, c.format, {c.texel, 0, 0, 0});
        EXPECT_EQ(colourAt(S0, S0), rgb565(c.r, c.g, c.b))
            << "format " << c.format << " texel " << c.texel;
        EXPECT_EQ(alphaAt(S0, S0), c.a) << "format " << c.format << " texel " << c.texel;
    }
}

TEST_F(TextureTest, EightBitFormats)
{
    struct {
        GrTextureFormat_t format;
        FxU8 texel;
        int r, g, b, a;
    } cases[] = {
        {GR_TEXFMT_INTENSITY_8, 0x4D, 77, 77, 77, 255},
        {GR_TEXFMT_ALPHA_8, 0x60, 96, 96, 96, 96},
        {GR_TEXFMT_ALPHA_INTENSITY_44, 0xF4, 68, 68, 68, 255},
        {GR_TEXFMT_RGB_332, 0xE0, 255, 0, 0, 255},
        {GR_TEXFMT_RGB_332, 0x1F, 0, 255, 255, 255},
        {GR_TEXFMT_RGB_332, 0x49, 73, 73, 85, 255},
    };
    for (const auto& c : cases) {
        loadTexture8(GR_TMU0, 0, GR_LOD_LOG2_2, GR_ASPECT_LOG2_1x1, c.format, {c.texel, 0, 0, 0});
        EXPECT_EQ(colourAt(S0, S0), rgb565(c.r, c.g, c.b)) << "format " << c.format;
        EXPECT_EQ(alphaAt(S0, S0), c.a) << "format " << c.format;
    }
}

TEST_F(TextureTest, FormatsWithTables)
{
    GuTexPalette palette;
    for (int i = 0; i < 256; i++)
        palette.data[i] = (FxU32)((i << 16) | ((255 - i) << 8) | 0x40);
    grTexDownloadTable(GR_TEXTABLE_PALETTE, &palette);
    loadTexture8(GR_TMU0, 0, GR_LOD_LOG2_2, GR_ASPECT_LOG2_1x1, GR_TEXFMT_P_8, {200, 0, 0, 0});
    EXPECT_EQ(colourAt(S0, S0), rgb565(200, 55, 0x40));
    EXPECT_EQ(alphaAt(S0, S0), 255);
    loadTexture16(GR_TMU0, 0, GR_LOD_LOG2_2, GR_ASPECT_LOG2_1x1, GR_TEXFMT_AP_88,
                  {0x3364, 0, 0, 0});
    EXPECT_EQ(colourAt(S0, S0), rgb565(100, 155, 0x40));
    EXPECT_EQ(alphaAt(S0, S0), 0x33);
    // A new palette shows on the next draw without a new download.
    palette.data[200] = 0x00FFFFFF;
    grTexDownloadTable(GR_TEXTABLE_PALETTE, &palette);
    loadTexture8(GR_TMU0, 0, GR_LOD_LOG2_2, GR_ASPECT_LOG2_1x1, GR_TEXFMT_P_8, {200, 0, 0, 0});
    EXPECT_EQ(colourAt(S0, S0), 0xFFFF);
    // Part of a palette.
    palette.data[200] = 0x00102030;
    grTexDownloadTablePartial(GR_TEXTABLE_PALETTE, &palette, 200, 200);
    EXPECT_EQ(colourAt(S0, S0), rgb565(0x10, 0x20, 0x30));

    // 6-6-6-6 palette, given as 0xAARRGGBB and kept to six bits a channel:
    // alpha 63 -> 255, red 32 -> 130, green 0, blue 63 -> 255.
    GuTexPalette p6666 = {};
    p6666.data[7] = 0xFF8000FF;
    grTexDownloadTable(GR_TEXTABLE_PALETTE_6666_EXT, &p6666);
    loadTexture8(GR_TMU0, 0, GR_LOD_LOG2_2, GR_ASPECT_LOG2_1x1, GR_TEXFMT_P_8_6666, {7, 0, 0, 0});
    EXPECT_EQ(colourAt(S0, S0), rgb565(130, 0, 255));
    EXPECT_EQ(alphaAt(S0, S0), 255);

    // YIQ: Y from the table by the top nibble, I and Q add their rows.
    GuNccTable ncc = {};
    ncc.yRGB[9] = 100;
    ncc.iRGB[2][0] = 50;
    ncc.iRGB[2][1] = (FxI16)(-20 & 0x1FF);   // 9-bit two's complement as gu3dfLoad leaves it
    ncc.iRGB[2][2] = -30;                    // or sign-extended
    ncc.qRGB[3][0] = 10;
    ncc.qRGB[3][1] = 5;
    ncc.qRGB[3][2] = -90;
    grTexDownloadTable(GR_TEXTABLE_NCC1, &ncc);
    grTexNCCTable(GR_NCCTABLE_NCC1);
    FxU8 texel = (9 << 4) | (2 << 2) | 3;
    loadTexture8(GR_TMU0, 0, GR_LOD_LOG2_2, GR_ASPECT_LOG2_1x1, GR_TEXFMT_YIQ_422,
                 {texel, 0, 0, 0});
    EXPECT_EQ(colourAt(S0, S0), rgb565(160, 85, 0));
    loadTexture16(GR_TMU0, 0, GR_LOD_LOG2_2, GR_ASPECT_LOG2_1x1, GR_TEXFMT_AYIQ_8422,
                  {(FxU16)(0x9900 | texel), 0, 0, 0});
    EXPECT_EQ(colourAt(S0, S0), rgb565(160, 85, 0));
    EXPECT_EQ(alphaAt(S0, S0), 0x99);
    // The other table is not the one in use.
    grTexNCCTable(GR_NCCTABLE_NCC0);
    EXPECT_EQ(colourAt(S0, S0), 0);
}

TEST_F(TextureTest, OnePaletteServesBothPaletteFormats)
{
    // 6-6-6-6 entries come as 0xAARRGGBB words, six bits of each channel kept.
    GuTexPalette p6666 = {};
    p6666.data[1] = 0xFFFF0000;   // opaque red
    p6666.data[2] = 0x8000FF00;   // green, alpha 0x80 -> 32 -> 130
    p6666.data[3] = 0x40123456;   // 16 4 13 21 -> 65 16 52 85
    grTexDownloadTable(GR_TEXTABLE_PALETTE_6666_EXT, &p6666);
    for (GrTextureFormat_t format : {GR_TEXFMT_P_8_6666, GR_TEXFMT_P_8}) {
        // The board has one palette: an 8-bit palette texture reads what was loaded last.
        SCOPED_TRACE(format);
        loadTexture8(GR_TMU0, 0, GR_LOD_LOG2_2, GR_ASPECT_LOG2_1x1, format, {1, 2, 3, 0});
        EXPECT_EQ(colourAt(S0, S0), 0xF800);
        EXPECT_EQ(alphaAt(S0, S0), 255);
        EXPECT_EQ(colourAt(S1, S0), 0x07E0);
        EXPECT_EQ(alphaAt(S1, S0), 130);
        EXPECT_EQ(colourAt(S0, S1), rgb565(16, 52, 85));
        EXPECT_EQ(alphaAt(S0, S1), 65);
    }
    // Part of it.
    p6666.data[1] = 0xFF0000FF;
    grTexDownloadTablePartial(GR_TEXTABLE_PALETTE_6666_EXT, &p6666, 1, 1);
    EXPECT_EQ(colourAt(S0, S0), 0x001F);
    EXPECT_EQ(colourAt(S1, S0), 0x07E0);
    // A plain palette afterwards: opaque colours again.
    GuTexPalette plain = {};
    plain.data[2] = 0x00FF00FF;
    grTexDownloadTable(GR_TEXTABLE_PALETTE, &plain);
    EXPECT_EQ(colourAt(S1, S0), 0xF81F);
    EXPECT_EQ(alphaAt(S1, S0), 255);
}

TEST_F(TextureTest, ThirtyTwoBitTexels)
{
    FxU32 texels[4] = {0x80102030, 0, 0, 0};
    GrTexInfo info = {GR_LOD_LOG2_2, GR_LOD_LOG2_2, GR_ASPECT_LOG2_1x1, GR_TEXFMT_ARGB_8888,
                      texels};
    EXPECT_EQ(grTexTextureMemRequired(GR_MIPMAPLEVELMASK_BOTH, &info), 16u);
    grTexDownloadMipMap(GR_TMU0, 0, GR_MIPMAPLEVELMASK_BOTH, &info);
    grTexSource(GR_TMU0, 0, GR_MIPMAPLEVELMASK_BOTH, &info);
    EXPECT_EQ(colourAt(S0, S0), rgb565(0x10, 0x20, 0x30));
    EXPECT_EQ(alphaAt(S0, S0), 0x80);
}

TEST_F(TextureTest, PointAndBilinearFiltering)
{
    // Texels: black, white / white, black.
    loadTexture16(GR_TMU0, 0, GR_LOD_LOG2_2, GR_ASPECT_LOG2_1x1, GR_TEXFMT_RGB_565,
                  {0x0000, 0xFFFF, 0xFFFF, 0x0000});
    grTexClampMode(GR_TMU0, GR_TEXTURECLAMP_CLAMP, GR_TEXTURECLAMP_CLAMP);
    grTexFilterMode(GR_TMU0, GR_TEXTUREFILTER_POINT_SAMPLED, GR_TEXTUREFILTER_POINT_SAMPLED);
    EXPECT_EQ(colourAt(127.9f, S0), 0x0000);
    EXPECT_EQ(colourAt(128.0f, S0), 0xFFFF);
    EXPECT_EQ(colourAt(S0, 128.0f), 0xFFFF);
    grTexFilterMode(GR_TMU0, GR_TEXTUREFILTER_BILINEAR, GR_TEXTUREFILTER_BILINEAR);
    // On a texel centre: that texel alone.
    EXPECT_EQ(colourAt(S0, S0), 0x0000);
    EXPECT_EQ(colourAt(S1, S0), 0xFFFF);
    // Halfway across: (0 * 128 + 255 * 128) >> 8 = 127.
    EXPECT_EQ(colourAt(128, S0), rgb565(127, 127, 127));
    // A quarter of the way: (255 * 64) >> 8 = 63.
    EXPECT_EQ(colourAt(96, S0), rgb565(63, 63, 63));
    // The middle of all four: top 127, bottom 127, mixed 127.
    EXPECT_EQ(colourAt(128, 128), rgb565(127, 127, 127));
    // Clamped at the edge: the edge texel alone.
    EXPECT_EQ(colourAt(2, 2), 0x0000);
    // Wrapped: the far texels join in.
    grTexClampMode(GR_TMU0, GR_TEXTURECLAMP_WRAP, GR_TEXTURECLAMP_CLAMP);
    EXPECT_EQ(colourAt(0, S0), rgb565(127, 127, 127));
}

TEST_F(TextureTest, BilinearClampedPastASideTakesTheSideTexels)
{
    // 4 x 4 texels, alpha 17 * (4 * row + column); each row's texel centres
    // lie on t = 64 * row + 32, where nothing mixes in from the next row.
    std::vector<FxU16> texels(16);
    for (int k = 0; k < 16; k++)
        texels[(size_t)k] = (FxU16)((k << 12) | 0x0FFF);
    loadTexture16(GR_TMU0, 0, GR_LOD_LOG2_4, GR_ASPECT_LOG2_1x1, GR_TEXFMT_ARGB_4444, texels);
    grTexClampMode(GR_TMU0, GR_TEXTURECLAMP_CLAMP, GR_TEXTURECLAMP_CLAMP);
    grTexFilterMode(GR_TMU0, GR_TEXTUREFILTER_BILINEAR, GR_TEXTUREFILTER_BILINEAR);
    for (int row = 0; row < 4; row++) {
        float t = 64.0f * row + 32.0f;
        for (float s : {255.0f, 250.0f, 300.0f, 1e6f})
            EXPECT_EQ(alphaAt(s, t), 17 * (4 * row + 3)) << "s " << s << " row " << row;
        for (float s : {1.0f, 20.0f, -50.0f, -1e6f})
            EXPECT_EQ(alphaAt(s, t), 17 * (4 * row)) << "s " << s << " row " << row;
        // Between the last two texels: the mix, rounded down.
        EXPECT_EQ(alphaAt(192.0f, t), (17 * (4 * row + 2) * 128 + 17 * (4 * row + 3) * 128) >> 8);
    }
    EXPECT_EQ(alphaAt(300.0f, 300.0f), 255);
    EXPECT_EQ(alphaAt(-9.0f, -9.0f), 0);
    EXPECT_EQ(alphaAt(300.0f, -9.0f), 51);
    EXPECT_EQ(alphaAt(-9.0f, 300.0f), 204);
    // One texel wide (4 high): every s is that column.
    loadTexture16(GR_TMU0, 0, GR_LOD_LOG2_4, GR_ASPECT_LOG2_1x4, GR_TEXFMT_ARGB_4444,
                  {0x1FFF, 0x5FFF, 0x9FFF, 0xDFFF});
    for (float s : {255.0f, 300.0f, 0.0f, -50.0f})
        EXPECT_EQ(alphaAt(s, 64.0f * 2 + 32.0f), 17 * 9) << "s " << s;
}

TEST_F(TextureTest, WrapClampAndMirror)
{
    // One row of four texels: 0, 1, 2, 3 as red 0, 85, 170, 255 (I8 values).
    std::vector<FxU8> row = {0, 85, 170, 255};
    loadTexture8(GR_TMU0, 0, GR_LOD_LOG2_4, GR_ASPECT_LOG2_4x1, GR_TEXFMT_INTENSITY_8, row);
    const float texel = 64;   // one texel in the 256 space
    auto shade = [](int v) { return rgb565(v, v, v); };
    struct {
        GrTextureClampMode_t mode;
        float s;
        int value;
    } cases[] = {
        {GR_TEXTURECLAMP_WRAP, 4.5f * texel, 0},
        {GR_TEXTURECLAMP_WRAP, -0.5f * texel, 255},
        {GR_TEXTURECLAMP_WRAP, 9.5f * texel, 85},
        {GR_TEXTURECLAMP_CLAMP, 4.5f * texel, 255},
        {GR_TEXTURECLAMP_CLAMP, -3.0f * texel, 0},
        {GR_TEXTURECLAMP_MIRROR_EXT, 4.5f * texel, 255},
        {GR_TEXTURECLAMP_MIRROR_EXT, 5.5f * texel, 170},
        {GR_TEXTURECLAMP_MIRROR_EXT, -0.5f * texel, 0},
        {GR_TEXTURECLAMP_MIRROR_EXT, -1.5f * texel, 85},
    };
    for (const auto& c : cases) {
        grTexClampMode(GR_TMU0, c.mode, c.mode);
        EXPECT_EQ(colourAt(c.s, 16), shade(c.value)) << "mode " << c.mode << " s " << c.s;
    }
    // t runs over 0..64 on a 4:1 texture: one texel high.
    grTexClampMode(GR_TMU0, GR_TEXTURECLAMP_WRAP, GR_TEXTURECLAMP_WRAP);
    EXPECT_EQ(colourAt(2.5f * texel, 16 + 64 * 3), shade(170));
    // Absurd coordinates neither crash nor escape the texture.
    for (float s : {1e30f, -1e30f, 3e9f}) {
        for (auto mode :
             {GR_TEXTURECLAMP_WRAP, GR_TEXTURECLAMP_CLAMP, GR_TEXTURECLAMP_MIRROR_EXT}) {
            grTexClampMode(GR_TMU0, mode, mode);
            FxU16 p = colourAt(s, s);
            EXPECT_TRUE(p == shade(0) || p == shade(85) || p == shade(170) || p == shade(255));
        }
    }
}

TEST_F(TextureTest, PerspectiveCorrectCoordinates)
{
    // A 256 x 32 intensity ramp: texel s has value s.
    std::vector<FxU8> ramp(256 * 32);
    for (size_t i = 0; i < ramp.size(); i++)
        ramp[i] = (FxU8)(i % 256);
    loadTexture8(GR_TMU0, 0, GR_LOD_LOG2_256, GR_ASPECT_LOG2_8x1, GR_TEXFMT_INTENSITY_8, ramp);
    // Left edge at w = 1, right edge at w = 3, s from 0 to 256.
    Vtx a = texVtx(0, 0, 0, 0, 1.0f), b = texVtx(256, 0, 256, 0, 1.0f / 3),
        c = texVtx(256, 8, 256, 16, 1.0f / 3), d = texVtx(0, 8, 0, 16, 1.0f);
    tri(a, b, c);
    tri(a, c, d);
    // Pixel 127 (centre 127.5, a = 0.498): s = (a * 256 / 3) / ((1 - a) + a / 3) = 63.8.
    EXPECT_EQ(pixelAt(127, 4), rgb565(63, 63, 63));
    // Near the left edge s follows x closely; near the right it stretches.
    EXPECT_EQ(pixelAt(10, 4), rgb565(3, 3, 3));
    EXPECT_EQ(pixelAt(250, 4), rgb565(240, 240, 240));
}

TEST_F(TextureTest, MipmapLevelsByFootprint)
{
    // 64 x 64 down to 1 x 1, every level one grey: level k has value 20 + 30 * k.
    std::vector<FxU16> texels;
    for (int size = 64, k = 0; size >= 1; size /= 2, k++) {
        int v = 20 + 30 * k;
        texels.insert(texels.end(), (size_t)size * size, rgb565(v, v, v));
    }
    GrTexInfo info = {GR_LOD_LOG2_1, GR_LOD_LOG2_64, GR_ASPECT_LOG2_1x1, GR_TEXFMT_RGB_565,
                      texels.data()};
    EXPECT_EQ(grTexTextureMemRequired(GR_MIPMAPLEVELMASK_BOTH, &info), 10928u);
    grTexDownloadMipMap(GR_TMU0, 0, GR_MIPMAPLEVELMASK_BOTH, &info);
    grTexSource(GR_TMU0, 0, GR_MIPMAPLEVELMASK_BOTH, &info);
    auto level = [](int k) { return rgb565(20 + 30 * k, 20 + 30 * k, 20 + 30 * k); };

    grTexMipMapMode(GR_TMU0, GR_MIPMAP_NEAREST, FXFALSE);
    // The texture across 64, 32, 16, 128 pixels: one texel per pixel is
    // level 0, two per pixel level 1, four level 2; magnified stays at 0.
    struct {
        float size;
        int level;
    } cases[] = {{64, 0}, {32, 1}, {16, 2}, {8, 3}, {128, 0}, {2, 5}, {1, 6}};
    for (const auto& c : cases) {
        grBufferClear(0, 0, 0);
        texturedQuad(0, 0, c.size, c.size);
        EXPECT_EQ(pixelAt(0, 0), level(c.level)) << "size " << c.size;
    }
    // A bias of +1 moves one level down; mipmapping off keeps the largest.
    grTexLodBiasValue(GR_TMU0, 1.0f);
    texturedQuad(0, 0, 64, 64);
    EXPECT_EQ(pixelAt(10, 10), level(1));
    grTexLodBiasValue(GR_TMU0, 0.0f);
    grTexMipMapMode(GR_TMU0, GR_MIPMAP_DISABLE, FXFALSE);
    texturedQuad(0, 0, 16, 16);
    EXPECT_EQ(pixelAt(5, 5), level(0));

    // Between levels 0 and 1 (1.4 texels per pixel, below the middle):
    // nearest takes level 0 everywhere; dithered selection mixes levels 0
    // and 1, but only once dithering is allowed.
    const float size = 64.0f / 1.4f;
    grTexMipMapMode(GR_TMU0, GR_MIPMAP_NEAREST_DITHER, FXFALSE);
    grBufferClear(0, 0, 0);
    texturedQuad(0, 0, size, size);
    EXPECT_EQ(countPixels(level(1)), 0);
    EXPECT_GT(countPixels(level(0)), 1000);
    grEnable(GR_ALLOW_MIPMAP_DITHER);
    texturedQuad(0, 0, size, size);
    int zeros = countPixels(level(0)), ones = countPixels(level(1));
    EXPECT_GT(zeros, 100);
    EXPECT_GT(ones, 100);
    // The pattern is the same on every draw.
    std::vector<FxU16> first = grab();
    texturedQuad(0, 0, size, size);
    EXPECT_EQ(grab(), first);

    // Different filters by minification and magnification.
    std::vector<FxU16> checker = {0x0000, 0xFFFF, 0xFFFF, 0x0000};
    loadTexture16(GR_TMU0, 0, GR_LOD_LOG2_2, GR_ASPECT_LOG2_1x1, GR_TEXFMT_RGB_565, checker);
    grTexMipMapMode(GR_TMU0, GR_MIPMAP_DISABLE, FXFALSE);
    grTexFilterMode(GR_TMU0, GR_TEXTUREFILTER_POINT_SAMPLED, GR_TEXTUREFILTER_BILINEAR);
    grBufferClear(0, 0, 0);
    texturedQuad(0, 0, 256, 256);   // magnified: bilinear, greys appear
    EXPECT_GT(640 * 480 - countPixels(0) - countPixels(0xFFFF), 1000);
    grTexFilterMode(GR_TMU0, GR_TEXTUREFILTER_BILINEAR, GR_TEXTUREFILTER_POINT_SAMPLED);
    texturedQuad(0, 0, 256, 256);   // magnified: point sampled
    EXPECT_EQ(countPixels(0) + countPixels(0xFFFF), 640 * 480);
}

TEST_F(TextureTest, MultibaseLevelsLieAtTheirOwnAddresses)
{
    // 256 x 256 down to 1 x 1, level k one grey (20 + 25 k): 256, 128 and 64
    // each at an address of its own, the rest from a fourth, largest first.
    const FxU32 base[4] = {0x60000, 0x40000, 0x80000, 0x10000};   // 32 to 1, 64, 128, 256
    auto level = [](int k) { return rgb565(20 + 25 * k, 20 + 25 * k, 20 + 25 * k); };
    for (int k = 0, lod = GR_LOD_LOG2_256; lod >= GR_LOD_LOG2_1; k++, lod--) {
        std::vector<FxU16> texels((size_t)1 << (2 * lod), level(k));
        int range = lod >= GR_LOD_LOG2_64 ? lod - GR_LOD_LOG2_32 : GR_TEXBASE_32_TO_1;
        GrLOD_t top = lod >= GR_LOD_LOG2_64 ? lod : GR_LOD_LOG2_32;
        grTexDownloadMipMapLevel(GR_TMU0, base[range], lod, top, GR_ASPECT_LOG2_1x1,
                                 GR_TEXFMT_RGB_565, GR_MIPMAPLEVELMASK_BOTH, texels.data());
    }
    GrTexInfo info = {GR_LOD_LOG2_1, GR_LOD_LOG2_256, GR_ASPECT_LOG2_1x1, GR_TEXFMT_RGB_565,
                      nullptr};
    grTexMultibase(GR_TMU0, FXTRUE);
    for (GrTexBaseRange_t range :
         {GR_TEXBASE_256, GR_TEXBASE_128, GR_TEXBASE_64, GR_TEXBASE_32_TO_1})
        grTexMultibaseAddress(GR_TMU0, range, base[range], GR_MIPMAPLEVELMASK_BOTH, &info);
    grTexSource(GR_TMU0, base[GR_TEXBASE_256], GR_MIPMAPLEVELMASK_BOTH, &info);
    grTexMipMapMode(GR_TMU0, GR_MIPMAP_NEAREST, FXFALSE);
    EXPECT_TRUE(glideErrors.empty()) << glideErrors[0];
    // The texture across 256 pixels shows level 0, across 128 level 1, ...
    for (int k = 0; k <= 8; k++) {
        float size = (float)(256 >> k);
        grBufferClear(0, 0, 0);
        texturedQuad(0, 0, size, size);
        EXPECT_EQ(pixelAt(0, 0), level(k)) << "level " << k;
    }
    // A level rewritten at its own address shows at once.
    std::vector<FxU16> white((size_t)64 * 64, 0xFFFF);
    grTexDownloadMipMapLevel(GR_TMU0, base[GR_TEXBASE_64], GR_LOD_LOG2_64, GR_LOD_LOG2_64,
                             GR_ASPECT_LOG2_1x1, GR_TEXFMT_RGB_565, GR_MIPMAPLEVELMASK_BOTH,
                             white.data());
    texturedQuad(0, 0, 64, 64);
    EXPECT_EQ(pixelAt(0, 0), 0xFFFF);
    // One base again: the levels follow the largest, where nothing was put.
    grTexMultibase(GR_TMU0, FXFALSE);
    texturedQuad(0, 0, 128, 128);
    EXPECT_EQ(pixelAt(0, 0), 0);
    // Refused: a range that is none, an address off the 16-byte grid or past the memory.
    glideErrors.clear();
    grTexMultibaseAddress(GR_TMU0, 7, 0, GR_MIPMAPLEVELMASK_BOTH, &info);
    grTexMultibaseAddress(GR_TMU0, GR_TEXBASE_64, 8, GR_MIPMAPLEVELMASK_BOTH, &info);
    grTexMultibaseAddress(GR_TMU0, GR_TEXBASE_256, grTexMaxAddress(GR_TMU0) - 16,
                          GR_MIPMAPLEVELMASK_BOTH, &info);
    EXPECT_EQ(glideErrors.size(), 3u);
}

TEST_F(TextureTest, MemoryIsSharedByAddress)
{
    // Texture A (8 x 8 red) at 0, then B (4 x 4 green, 32 bytes) over A's rows 4 and 5.
    std::vector<FxU16> red(64, 0xF800), green(16, 0x07E0);
    GrTexInfo a = {GR_LOD_LOG2_8, GR_LOD_LOG2_8, GR_ASPECT_LOG2_1x1, GR_TEXFMT_RGB_565, red.data()};
    GrTexInfo b = {GR_LOD_LOG2_4, GR_LOD_LOG2_4, GR_ASPECT_LOG2_1x1, GR_TEXFMT_RGB_565,
                   green.data()};
    grTexDownloadMipMap(GR_TMU0, 0, GR_MIPMAPLEVELMASK_BOTH, &a);
    grTexSource(GR_TMU0, 0, GR_MIPMAPLEVELMASK_BOTH, &a);
    texturedQuad(0, 0, 8, 8);
    EXPECT_EQ(pixelAt(2, 4), 0xF800);
    grTexDownloadMipMap(GR_TMU0, 64, GR_MIPMAPLEVELMASK_BOTH, &b);
    texturedQuad(0, 0, 8, 8);   // A's source is unchanged, its memory is not
    EXPECT_EQ(pixelAt(2, 3), 0xF800);
    EXPECT_EQ(pixelAt(2, 4), 0x07E0);
    EXPECT_EQ(pixelAt(7, 5), 0x07E0);
    EXPECT_EQ(pixelAt(2, 6), 0xF800);
    // The same bytes read as another format.
    GrTexInfo asI8 = {GR_LOD_LOG2_8, GR_LOD_LOG2_8, GR_ASPECT_LOG2_1x1, GR_TEXFMT_INTENSITY_8,
                      nullptr};
    grTexSource(GR_TMU0, 0, GR_MIPMAPLEVELMASK_BOTH, &asI8);
    texturedQuad(0, 0, 8, 8);
    EXPECT_EQ(pixelAt(0, 0), rgb565(0, 0, 0));            // low byte of 0xF800
    EXPECT_EQ(pixelAt(1, 0), rgb565(0xF8, 0xF8, 0xF8));   // high byte
    // Units have memories of their own.
    grTexDownloadMipMap(GR_TMU1, 0, GR_MIPMAPLEVELMASK_BOTH, &b);
    grTexSource(GR_TMU0, 0, GR_MIPMAPLEVELMASK_BOTH, &a);
    texturedQuad(0, 0, 8, 8);
    EXPECT_EQ(pixelAt(2, 1), 0xF800);
}

TEST_F(TextureTest, DownloadsPieceByPiece)
{
    // A 4 x 4 chain sent level by level, and a level sent in rows, shows the
    // same as one download.
    std::vector<FxU16> chain(16 + 4 + 1);
    for (size_t i = 0; i < chain.size(); i++)
        chain[i] = (FxU16)(i * 0x0841);
    GrTexInfo info = {GR_LOD_LOG2_1, GR_LOD_LOG2_4, GR_ASPECT_LOG2_1x1, GR_TEXFMT_RGB_565,
                      chain.data()};
    grTexDownloadMipMap(GR_TMU0, 0, GR_MIPMAPLEVELMASK_BOTH, &info);
    grTexSource(GR_TMU0, 0, GR_MIPMAPLEVELMASK_BOTH, &info);
    grTexMipMapMode(GR_TMU0, GR_MIPMAP_NEAREST, FXFALSE);
    std::vector<FxU16> pictures;
    auto picture = [&]() {
        grBufferClear(0, 0, 0);
        texturedQuad(0, 0, 4, 4);     // level 4x4
        texturedQuad(8, 0, 10, 2);    // level 2x2
        texturedQuad(12, 0, 13, 1);   // level 1x1
        return grab();
    };
    std::vector<FxU16> whole = picture();
    std::vector<FxU16> zero(64, 0);
    GrTexInfo blank = {GR_LOD_LOG2_1, GR_LOD_LOG2_4, GR_ASPECT_LOG2_1x1, GR_TEXFMT_RGB_565,
                       zero.data()};
    grTexDownloadMipMap(GR_TMU0, 0, GR_MIPMAPLEVELMASK_BOTH, &blank);
    EXPECT_NE(picture(), whole);
    grTexDownloadMipMapLevel(GR_TMU0, 0, GR_LOD_LOG2_4, GR_LOD_LOG2_4, GR_ASPECT_LOG2_1x1,
                             GR_TEXFMT_RGB_565, GR_MIPMAPLEVELMASK_BOTH, chain.data());
    grTexDownloadMipMapLevelPartial(GR_TMU0, 0, GR_LOD_LOG2_2, GR_LOD_LOG2_4, GR_ASPECT_LOG2_1x1,
                                    GR_TEXFMT_RGB_565, GR_MIPMAPLEVELMASK_BOTH, chain.data() + 16,
                                    0, 0);
    grTexDownloadMipMapLevelPartial(GR_TMU0, 0, GR_LOD_LOG2_2, GR_LOD_LOG2_4, GR_ASPECT_LOG2_1x1,
                                    GR_TEXFMT_RGB_565, GR_MIPMAPLEVELMASK_BOTH, chain.data() + 18,
                                    1, 1);
    grTexDownloadMipMapLevel(GR_TMU0, 0, GR_LOD_LOG2_1, GR_LOD_LOG2_4, GR_ASPECT_LOG2_1x1,
                             GR_TEXFMT_RGB_565, GR_MIPMAPLEVELMASK_BOTH, chain.data() + 20);
    EXPECT_EQ(picture(), whole);
}

TEST_F(TextureTest, EvenAndOddHalvesOfAMipmap)
{
    // Levels 4x4 (value 40), 2x2 (80), 1x1 (120); the odd half (the 2x2)
    // downloaded alone takes 16 bytes as the driver counts it.
    std::vector<FxU16> chain;
    chain.insert(chain.end(), 16, rgb565(40, 40, 40));
    chain.insert(chain.end(), 4, rgb565(80, 80, 80));
    chain.insert(chain.end(), 1, rgb565(120, 120, 120));
    GrTexInfo info = {GR_LOD_LOG2_1, GR_LOD_LOG2_4, GR_ASPECT_LOG2_1x1, GR_TEXFMT_RGB_565,
                      chain.data()};
    EXPECT_EQ(grTexTextureMemRequired(GR_MIPMAPLEVELMASK_ODD, &info), 16u);
    EXPECT_EQ(grTexTextureMemRequired(GR_MIPMAPLEVELMASK_EVEN, &info), 48u);
    grTexDownloadMipMap(GR_TMU0, 256, GR_MIPMAPLEVELMASK_ODD, &info);
    grTexSource(GR_TMU0, 256, GR_MIPMAPLEVELMASK_ODD, &info);
    grTexMipMapMode(GR_TMU0, GR_MIPMAP_NEAREST, FXFALSE);
    texturedQuad(0, 0, 2, 2);
    EXPECT_EQ(pixelAt(0, 0), rgb565(80, 80, 80));
    // Levels the half does not hold are taken from the nearest it does.
    texturedQuad(4, 0, 8, 4);
    EXPECT_EQ(pixelAt(5, 1), rgb565(80, 80, 80));
    grTexDownloadMipMap(GR_TMU0, 0, GR_MIPMAPLEVELMASK_EVEN, &info);
    grTexSource(GR_TMU0, 0, GR_MIPMAPLEVELMASK_EVEN, &info);
    texturedQuad(4, 0, 8, 4);
    EXPECT_EQ(pixelAt(5, 1), rgb565(40, 40, 40));
    texturedQuad(12, 0, 13, 1);
    EXPECT_EQ(pixelAt(12, 0), rgb565(120, 120, 120));
    // A single level the half leaves out stores nothing: the unit reads
    // opaque white, as with no texture at all.
    GrTexInfo single = {GR_LOD_LOG2_4, GR_LOD_LOG2_4, GR_ASPECT_LOG2_1x1, GR_TEXFMT_RGB_565,
                        chain.data()};
    grTexDownloadMipMap(GR_TMU0, 512, GR_MIPMAPLEVELMASK_ODD, &single);
    grTexSource(GR_TMU0, 512, GR_MIPMAPLEVELMASK_ODD, &single);
    texturedQuad(20, 0, 24, 4);
    EXPECT_EQ(pixelAt(21, 1), 0xFFFF);
}

TEST_F(TextureTest, BadDownloadsAndSourcesAreRefused)
{
    std::vector<FxU16> texels(64, 0xFFFF);
    GrTexInfo info = {GR_LOD_LOG2_8, GR_LOD_LOG2_8, GR_ASPECT_LOG2_1x1, GR_TEXFMT_RGB_565,
                      texels.data()};
    FxU32 max = grTexMaxAddress(GR_TMU0);
    glideErrors.clear();
    grTexDownloadMipMap(GR_TMU0, max - 64, GR_MIPMAPLEVELMASK_BOTH,
                        &info);                                        // 128 bytes do not fit
    grTexDownloadMipMap(GR_TMU0, 8, GR_MIPMAPLEVELMASK_BOTH, &info);   // misaligned
    grTexDownloadMipMap(GR_TMU0, 0xFFFFFFF0u, GR_MIPMAPLEVELMASK_BOTH, &info);
    grTexSource(GR_TMU0, max - 64, GR_MIPMAPLEVELMASK_BOTH, &info);
    GrTexInfo reversed = info;
    reversed.smallLodLog2 = GR_LOD_LOG2_256;
    grTexDownloadMipMap(GR_TMU0, 0, GR_MIPMAPLEVELMASK_BOTH, &reversed);
    GrTexInfo badFormat = info;
    badFormat.format = 7;
    grTexDownloadMipMap(GR_TMU0, 0, GR_MIPMAPLEVELMASK_BOTH, &badFormat);
    GrTexInfo badAspect = info;
    badAspect.aspectRatioLog2 = 4;
    grTexSource(GR_TMU0, 0, GR_MIPMAPLEVELMASK_BOTH, &badAspect);
    GrTexInfo noData = info;
    noData.data = nullptr;
    grTexDownloadMipMap(GR_TMU0, 0, GR_MIPMAPLEVELMASK_BOTH, &noData);
    grTexDownloadMipMap(GR_TMU0, 0, 0, &info);
    EXPECT_EQ(glideErrors.size(), 9u);
    // The last 128 bytes are usable.
    glideErrors.clear();
    grTexDownloadMipMap(GR_TMU0, max - 128, GR_MIPMAPLEVELMASK_BOTH, &info);
    grTexSource(GR_TMU0, max - 128, GR_MIPMAPLEVELMASK_BOTH, &info);
    texturedQuad(0, 0, 8, 8);
    EXPECT_TRUE(glideErrors.empty());
    EXPECT_EQ(pixelAt(3, 3), 0xFFFF);
}

TEST(TextureMemory, RequiredBytesAsTheDriverCounts)
{
    struct {
        GrTextureFormat_t format;
        GrLOD_t large, small;
        GrAspectRatio_t aspect;
        FxU32 both, even, odd;
    } cases[] = {
        {GR_TEXFMT_RGB_565, 6, 6, 0, 8192, 8192, 0},
        {GR_TEXFMT_RGB_565, 6, 0, 0, 10928, 8752, 2192},
        {GR_TEXFMT_RGB_565, 8, 0, 0, 174768, 139824, 34960},
        {GR_TEXFMT_RGB_565, 8, 8, 0, 131072, 131072, 0},
        {GR_TEXFMT_INTENSITY_8, 8, 0, 0, 87392, 69920, 17488},
        {GR_TEXFMT_INTENSITY_8, 6, 0, 0, 5472, 4384, 1104},
        {GR_TEXFMT_RGB_565, 0, 0, 0, 16, 16, 0},
        {GR_TEXFMT_INTENSITY_8, 1, 1, 0, 16, 0, 16},
        {GR_TEXFMT_RGB_565, 2, 2, 0, 32, 32, 0},
        {GR_TEXFMT_RGB_565, 8, 0, 3, 21856, 17504, 4400},
        {GR_TEXFMT_RGB_565, 8, 0, -3, 21856, 17504, 4400},
        {GR_TEXFMT_ARGB_4444, 8, 0, 1, 87392, 69920, 17488},
        {GR_TEXFMT_ARGB_1555, 8, 0, -2, 43696, 34976, 8752},
        {GR_TEXFMT_P_8, 7, 0, 2, 5472, 1104, 4384},
        {GR_TEXFMT_INTENSITY_8, 3, 3, 3, 16, 0, 16},
        {GR_TEXFMT_RGB_565, 3, 3, -3, 16, 0, 32},
        {GR_TEXFMT_ALPHA_INTENSITY_88, 5, 0, 0, 2736, 560, 2192},
        {GR_TEXFMT_YIQ_422, 6, 0, 0, 5472, 4384, 1104},
        {GR_TEXFMT_AP_88, 6, 0, 0, 10928, 8752, 2192},
    };
    for (const auto& c : cases) {
        GrTexInfo info = {c.small, c.large, c.aspect, c.format, nullptr};
        EXPECT_EQ(grTexTextureMemRequired(GR_MIPMAPLEVELMASK_BOTH, &info), c.both);
        EXPECT_EQ(grTexTextureMemRequired(GR_MIPMAPLEVELMASK_EVEN, &info), c.even);
        EXPECT_EQ(grTexTextureMemRequired(GR_MIPMAPLEVELMASK_ODD, &info), c.odd);
        EXPECT_EQ(grTexCalcMemRequired(c.small, c.large, c.aspect, c.format), c.both);
    }
    // A description with its two ends swapped means the same chain.
    GrTexInfo swapped = {GR_LOD_LOG2_256, GR_LOD_LOG2_1, GR_ASPECT_LOG2_1x1, GR_TEXFMT_RGB_565,
                         nullptr};
    EXPECT_EQ(grTexTextureMemRequired(GR_MIPMAPLEVELMASK_BOTH, &swapped), 174768u);
    // Nonsense asks for nothing.
    GrTexInfo bad = {0, 9, 0, GR_TEXFMT_RGB_565, nullptr};
    EXPECT_EQ(grTexTextureMemRequired(GR_MIPMAPLEVELMASK_BOTH, &bad), 0u);
    EXPECT_EQ(grTexCalcMemRequired(0, 8, 0, 0x13), 0u);
    // The address range works without grGlideInit.
    EXPECT_EQ(grTexMinAddress(GR_TMU0), 0u);
    EXPECT_EQ(grTexMaxAddress(GR_TMU0), 4u * 1024 * 1024);
}

TEST_F(TextureTest, FilesWrittenByTexusDrawTheirTexels)
{
    // The samples' first texels: opaque red, half-transparent green,
    // transparent blue, opaque white (texus made them from one picture).
    struct {
        const char* file;
        FxU16 colour[4];
        int alpha[4];
    } cases[] = {
        {"tex64_rgb565.3df", {0xF800, 0x07E0, 0x001F, 0xFFFF}, {255, 255, 255, 255}},
        {"tex64_argb1555.3df", {0xF800, 0x07E0, 0x001F, 0xFFFF}, {255, 255, 0, 255}},
        {"tex64_argb4444.3df", {0xF800, 0x07E0, 0x001F, 0xFFFF}, {255, 136, 0, 255}},
        {"tex64_ai88.3df",
         {rgb565(77, 77, 77), rgb565(150, 150, 150), rgb565(28, 28, 28), 0xFFFF},
         {255, 128, 0, 255}},
        {"tex64_i8.3df",
         {rgb565(77, 77, 77), rgb565(150, 150, 150), rgb565(28, 28, 28), 0xFFFF},
         {255, 255, 255, 255}},
    };
    grTexMipMapMode(GR_TMU0, GR_MIPMAP_DISABLE, FXFALSE);
    for (const auto& c : cases) {
        std::string path = std::string(OBX_3DF_SAMPLES) + "/" + c.file;
        Gu3dfInfo info;
        ASSERT_TRUE(gu3dfGetInfo(path.c_str(), &info)) << path;
        std::vector<FxU8> data(info.mem_required);
        info.data = data.data();
        ASSERT_TRUE(gu3dfLoad(path.c_str(), &info)) << path;
        GrTexInfo tex = {info.header.small_lod, info.header.large_lod, info.header.aspect_ratio,
                         info.header.format, info.data};
        grTexDownloadMipMap(GR_TMU0, 0, GR_MIPMAPLEVELMASK_BOTH, &tex);
        grTexSource(GR_TMU0, 0, GR_MIPMAPLEVELMASK_BOTH, &tex);
        for (int k = 0; k < 4; k++) {
            float s = (k + 0.5f) * 4;   // texel k of the first row of 64
            EXPECT_EQ(colourAt(s, 2), c.colour[k]) << c.file << " texel " << k;
            EXPECT_EQ(alphaAt(s, 2), c.alpha[k]) << c.file << " texel " << k;
        }
    }
    // Palette and NCC files need their tables. Drawn one texel per pixel
    // they show the picture the RGB 565 file holds (red rising across, green
    // down), within what 256 colours or the YIQ code can hold.
    auto drawFile = [&](const char* file) {
        std::string path = std::string(OBX_3DF_SAMPLES) + "/" + file;
        Gu3dfInfo info;
        EXPECT_TRUE(gu3dfGetInfo(path.c_str(), &info)) << path;
        std::vector<FxU8> data(info.mem_required);
        info.data = data.data();
        EXPECT_TRUE(gu3dfLoad(path.c_str(), &info)) << path;
        if (info.header.format == GR_TEXFMT_P_8)
            grTexDownloadTable(GR_TEXTABLE_PALETTE, &info.table.palette);
        if (info.header.format == GR_TEXFMT_YIQ_422)
            grTexDownloadTable(GR_TEXTABLE_NCC0, &info.table.nccTable);
        GrTexInfo tex = {info.header.small_lod, info.header.large_lod, info.header.aspect_ratio,
                         info.header.format, info.data};
        grTexDownloadMipMap(GR_TMU0, 0, GR_MIPMAPLEVELMASK_BOTH, &tex);
        grTexSource(GR_TMU0, 0, GR_MIPMAPLEVELMASK_BOTH, &tex);
        grBufferClear(0, 0, 0);
        texturedQuad(0, 0, 64, 64);
        return grab();
    };
    grTexNCCTable(GR_NCCTABLE_NCC0);
    std::vector<FxU16> reference = drawFile("tex64_rgb565.3df");
    struct {
        const char* file;
        double meanError;
    } tabled[] = {{"tex64_p8.3df", 6.0}, {"tex64_yiq422.3df", 35.0}};
    for (const auto& c : tabled) {
        std::vector<FxU16> picture = drawFile(c.file);
        double error = 0;
        for (int y = 0; y < 64; y++)
            for (int x = 0; x < 64; x++) {
                FxU32 a = widen565(picture[y * 640 + x]), b = widen565(reference[y * 640 + x]);
                for (int shift = 0; shift < 24; shift += 8)
                    error += std::abs((int)((a >> shift) & 255) - (int)((b >> shift) & 255));
            }
        error /= 64 * 64 * 3;
        EXPECT_LT(error, c.meanError) << c.file;
        EXPECT_GT(error, 0.0) << c.file;   // a lossy format, not the reference itself
    }
}

TEST_F(TextureTest, ClipCoordinatesScaleColoursAndTextureCoordinates)
{
    // Clip coordinates take colours and alpha in 0..1 and s, t in 0..1 over
    // the whole texture, divided by w like the position.
    struct ClipVertex {
        float x, y, w, r, g, b, a, s, t;
    };
    grVertexLayout(GR_PARAM_Z, 0, GR_PARAM_DISABLE);
    grVertexLayout(GR_PARAM_Q, 0, GR_PARAM_DISABLE);
    grVertexLayout(GR_PARAM_ST1, 0, GR_PARAM_DISABLE);
    grVertexLayout(GR_PARAM_XY, offsetof(ClipVertex, x), GR_PARAM_ENABLE);
    grVertexLayout(GR_PARAM_W, offsetof(ClipVertex, w), GR_PARAM_ENABLE);
    grVertexLayout(GR_PARAM_RGB, offsetof(ClipVertex, r), GR_PARAM_ENABLE);
    grVertexLayout(GR_PARAM_A, offsetof(ClipVertex, a), GR_PARAM_ENABLE);
    grVertexLayout(GR_PARAM_ST0, offsetof(ClipVertex, s), GR_PARAM_ENABLE);
    grCoordinateSpace(GR_CLIP_COORDS);
    grViewport(0, 0, 64, 32);
    const float w = 2;
    auto quad = [&](float r, float g, float b, float a) {
        ClipVertex v[4] = {{-w, -w, w, r, g, b, a, 0, 0},
                           {w, -w, w, r, g, b, a, 1, 0},
                           {w, w, w, r, g, b, a, 1, 1},
                           {-w, w, w, r, g, b, a, 0, 1}};
        grDrawVertexArrayContiguous(GR_TRIANGLE_FAN, 4, v, sizeof(ClipVertex));
    };
    flatShading();
    quad(1, 0.5f, 0, 1);
    EXPECT_EQ(pixelAt(10, 10), rgb565(255, 128, 0));
    EXPECT_EQ(pixelAt(10, 10, GR_BUFFER_AUXBUFFER) & 0xFF, 255);

    // A 4 x 2 texture spread over the 64 x 32 viewport: 16 x 16 pixels a
    // texel (t = 1 is the texture's last row, 128 in its 256 space).
    decalTexture();
    const std::vector<FxU16> texels = {0xF800, 0x07E0, 0x001F, 0xFFFF,
                                       0xFFE0, 0x07FF, 0xF81F, 0x8410};
    loadTexture16(GR_TMU0, 0, GR_LOD_LOG2_4, GR_ASPECT_LOG2_2x1, GR_TEXFMT_RGB_565, texels);
    grBufferClear(0, 0, 0);
    quad(1, 1, 1, 1);
    for (int i = 0; i < 8; i++)
        EXPECT_EQ(pixelAt(i % 4 * 16 + 8, i / 4 * 16 + 8), texels[i]) << "texel " << i;
    // The scale follows the source's aspect: 2 x 4 the other way round.
    loadTexture16(GR_TMU0, 0, GR_LOD_LOG2_4, GR_ASPECT_LOG2_1x2, GR_TEXFMT_RGB_565, texels);
    grViewport(0, 0, 32, 64);
    grBufferClear(0, 0, 0);
    quad(1, 1, 1, 1);
    for (int i = 0; i < 8; i++)
        EXPECT_EQ(pixelAt(i % 2 * 16 + 8, i / 2 * 16 + 8), texels[i]) << "texel " << i;
}

class TwoUnitTest : public TextureTest {};

TEST_F(TwoUnitTest, UpstreamUnitFeedsTmuZero)
{
    // TMU1 holds red (160, 0, 0), TMU0 green (0, 128, 0) with alpha 0x80.
    loadTexture16(GR_TMU1, 0, GR_LOD_LOG2_1, GR_ASPECT_LOG2_1x1, GR_TEXFMT_ARGB_4444, {0xFA00});
    loadTexture16(GR_TMU0, 0, GR_LOD_LOG2_1, GR_ASPECT_LOG2_1x1, GR_TEXFMT_ARGB_4444, {0x8080});
    grTexCombine(GR_TMU1, GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE,
                 GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, FXFALSE, FXFALSE);
    struct {
        GrCombineFunction_t function;
        GrCombineFactor_t factor;
        int r, g, b;
    } cases[] = {
        {GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, 0, 136, 0},
        {GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_ONE, 170, 0, 0},
        {GR_COMBINE_FUNCTION_SCALE_OTHER_ADD_LOCAL, GR_COMBINE_FACTOR_ONE, 170, 136, 0},
        {GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL_ALPHA, 91, 0, 0},
        {GR_COMBINE_FUNCTION_BLEND, GR_COMBINE_FACTOR_LOCAL_ALPHA, 91, 63, 0},
        {GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL, GR_COMBINE_FACTOR_ONE, 170, 0, 0},
    };
    for (const auto& c : cases) {
        grTexCombine(GR_TMU0, c.function, c.factor, GR_COMBINE_FUNCTION_LOCAL,
                     GR_COMBINE_FACTOR_NONE, FXFALSE, FXFALSE);
        EXPECT_EQ(colourAt(128, 128), rgb565(c.r, c.g, c.b)) << "function " << c.function;
    }
    // The upstream unit's own combine: invert its output.
    grTexCombine(GR_TMU1, GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE,
                 GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, FXTRUE, FXFALSE);
    grTexCombine(GR_TMU0, GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_ONE,
                 GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_ONE, FXFALSE, FXFALSE);
    EXPECT_EQ(colourAt(128, 128), rgb565(85, 255, 255));
    EXPECT_EQ(alphaAt(128, 128), 255);
    // Constant white from a unit: ZERO inverted.
    grTexCombine(GR_TMU0, GR_COMBINE_FUNCTION_ZERO, GR_COMBINE_FACTOR_NONE,
                 GR_COMBINE_FUNCTION_ZERO, GR_COMBINE_FACTOR_NONE, FXTRUE, FXTRUE);
    EXPECT_EQ(colourAt(128, 128), 0xFFFF);
    EXPECT_EQ(alphaAt(128, 128), 255);
}

TEST_F(TwoUnitTest, SourcesSwitchedBetweenDrawsShowWhatMemoryHolds)
{
    // TMU1 holds four uniform 8 x 8 light maps back to back, TMU0 two uniform
    // palette textures; TMU0 multiplies its texel by TMU1's. Sources change
    // between draws, back and forth, while the maps, the textures and the
    // palette are sent again (sometimes one download over two maps), on no
    // rasterizer thread and on two: every square shows what memory holds then.
    for (const char* threads : {"0", "2"}) {
        grSstWinClose(context);
        context = 0;
        grGlideShutdown();
        ScopedEnv env("OBX_GLIDE_THREADS", threads);
        grGlideInit();
        grSstSelect(0);
        reopen(GR_ORIGIN_UPPER_LEFT);
        decalTexture();
        grTexCombine(GR_TMU1, GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE,
                     GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, FXFALSE, FXFALSE);
        grTexCombine(GR_TMU0, GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL,
                     GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL, FXFALSE, FXFALSE);
        int light[4], index[2], source1 = 0, source0 = 0;
        GuTexPalette palette = {};
        auto sendMaps = [&](int first, int count, int value) {
            std::vector<FxU8> texels((size_t)64 * count, (FxU8)value);
            GrTexInfo info = {GR_LOD_LOG2_8, GR_LOD_LOG2_8,
                              count == 1 ? GR_ASPECT_LOG2_1x1 : GR_ASPECT_LOG2_1x2,
                              GR_TEXFMT_INTENSITY_8, texels.data()};
            if (count == 2)
                info.smallLodLog2 = info.largeLodLog2 = GR_LOD_LOG2_16;
            grTexDownloadMipMap(GR_TMU1, (FxU32)(64 * first), GR_MIPMAPLEVELMASK_BOTH, &info);
            for (int k = first; k < first + count; k++)
                light[k] = value;
        };
        auto sendTexture = [&](int which, int value) {
            std::vector<FxU8> texels(64, (FxU8)value);
            GrTexInfo info = {GR_LOD_LOG2_8, GR_LOD_LOG2_8, GR_ASPECT_LOG2_1x1, GR_TEXFMT_P_8,
                              texels.data()};
            grTexDownloadMipMap(GR_TMU0, (FxU32)(64 * which), GR_MIPMAPLEVELMASK_BOTH, &info);
            index[which] = value;
        };
        auto setSource = [](GrChipID_t tmu, int which) {
            GrTexInfo info = {GR_LOD_LOG2_8, GR_LOD_LOG2_8, GR_ASPECT_LOG2_1x1,
                              tmu == GR_TMU1 ? GR_TEXFMT_INTENSITY_8 : GR_TEXFMT_P_8, nullptr};
            grTexSource(tmu, (FxU32)(64 * which), GR_MIPMAPLEVELMASK_BOTH, &info);
        };
        for (int k = 0; k < 4; k++)
            sendMaps(k, 1, 40 + 50 * k);
        for (int e = 0; e < 4; e++)
            palette.data[e] = 0xFF000000u | (FxU32)(0x3F1FFF + 0x2A4C11 * e);
        grTexDownloadTable(GR_TEXTABLE_PALETTE, &palette);
        sendTexture(0, 1);
        sendTexture(1, 2);
        setSource(GR_TMU1, source1);
        setSource(GR_TMU0, source0);
        uint32_t seed = 12345;
        auto next = [&seed](int n) {
            seed = seed * 1103515245u + 12345u;
            return (int)((seed >> 16) % (uint32_t)n);
        };
        int mismatches = 0;
        for (int step = 0; step < 600; step++) {
            switch (next(8)) {
            case 0:
            case 1: setSource(GR_TMU1, source1 = next(4)); break;
            case 2: setSource(GR_TMU0, source0 = next(2)); break;
            case 3: sendMaps(next(4), 1, next(256)); break;
            case 4: sendMaps(next(3), 2, next(256)); break;
            case 5: sendTexture(next(2), next(4)); break;
            case 6: {
                int e = next(4);
                palette.data[e] = 0xFF000000u | (FxU32)next(1 << 16) << 8 | (FxU32)next(256);
                grTexDownloadTablePartial(GR_TEXTABLE_PALETTE, &palette, e, e);
                break;
            }
            default: break;
            }
            // A square of its own for every step.
            float x = (float)(step % 40 * 16), y = (float)(step / 40 * 16);
            Vtx a = texVtx(x, y, 0, 0), b = texVtx(x + 8, y, 256, 0), c = texVtx(x, y + 8, 0, 256);
            a.s1 = a.s0, a.t1 = a.t0, b.s1 = b.s0, b.t1 = b.t0, c.s1 = c.s0, c.t1 = c.t0;
            tri(a, b, c);
            FxU32 colour = palette.data[index[source0]];
            int channel[3];
            for (int i = 0; i < 3; i++)
                channel[i] = (light[source1] * (int)(colour >> (16 - 8 * i) & 0xFF) + 127) / 255;
            FxU16 expected = rgb565(channel[0], channel[1], channel[2]);
            if (pixelAt((int)x + 1, (int)y + 1) != expected && mismatches++ < 5)
                ADD_FAILURE() << "threads " << threads << ", step " << step;
        }
        EXPECT_EQ(mismatches, 0) << "threads " << threads;
    }
}

TEST(OneUnitBoard, TmuZeroSeesNothingUpstream)
{
    ScopedEnv one("FX_GLIDE_NUM_TMU", "1");
    glideErrors.clear();
    grGlideInit();
    GrContext_t ctx = grSstWinOpen(0, GR_RESOLUTION_640x480, GR_REFRESH_60Hz, GR_COLORFORMAT_ARGB,
                                   GR_ORIGIN_UPPER_LEFT, 2, 1);
    ASSERT_NE(ctx, (GrContext_t)0);
    useFullLayout();
    decalTexture();
    loadTexture16(GR_TMU0, 0, GR_LOD_LOG2_1, GR_ASPECT_LOG2_1x1, GR_TEXFMT_RGB_565, {0x07E0});
    grTexCombine(GR_TMU0, GR_COMBINE_FUNCTION_SCALE_OTHER_ADD_LOCAL, GR_COMBINE_FACTOR_ONE,
                 GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, FXFALSE, FXFALSE);
    Vtx a = texVtx(0, 0, 128, 128), b = texVtx(4, 0, 128, 128), c = texVtx(0, 4, 128, 128);
    tri(a, b, c);
    EXPECT_EQ(pixelAt(1, 1), 0x07E0);
    // A second unit does not exist.
    std::vector<FxU16> t = {0xF800};
    GrTexInfo info = {GR_LOD_LOG2_1, GR_LOD_LOG2_1, GR_ASPECT_LOG2_1x1, GR_TEXFMT_RGB_565,
                      t.data()};
    size_t before = glideErrors.size();
    grTexDownloadMipMap(GR_TMU1, 0, GR_MIPMAPLEVELMASK_BOTH, &info);
    grTexSource(GR_TMU1, 0, GR_MIPMAPLEVELMASK_BOTH, &info);
    grTexFilterMode(GR_TMU1, GR_TEXTUREFILTER_BILINEAR, GR_TEXTUREFILTER_BILINEAR);
    (void)before;
    grSstWinClose(ctx);
    grGlideShutdown();
}

}   // namespace
