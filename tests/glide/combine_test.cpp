// Colour and alpha combine, blending, alpha test, chroma key and colour formats.
//
// Expected values follow the device's arithmetic: each product of a colour and
// a factor is x * f / 255 rounded to nearest; colours reach the 5-6-5 buffer
// by keeping their top bits.
#include "glide_test_util.h"

namespace {

// Iterated colour (200, 100, 50), alpha 128; constant (64, 128, 192), alpha
// 96; texture (48, 96, 144), alpha 160.
const GrColor_t CONSTANT = 0x604080C0;

class CombineTest : public GlideTest {
protected:
    void SetUp() override
    {
        GlideTest::SetUp();
        // The aux buffer serves as the alpha buffer: alpha is read back exactly.
        grColorMask(FXTRUE, FXTRUE);
        FxU32 texel = 0xA0306090;
        GrTexInfo info = {GR_LOD_LOG2_1, GR_LOD_LOG2_1, GR_ASPECT_LOG2_1x1, GR_TEXFMT_ARGB_8888,
                          &texel};
        grTexDownloadMipMap(GR_TMU0, 0, GR_MIPMAPLEVELMASK_BOTH, &info);
        grTexSource(GR_TMU0, 0, GR_MIPMAPLEVELMASK_BOTH, &info);
        grTexCombine(GR_TMU0, GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE,
                     GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, FXFALSE, FXFALSE);
        grConstantColorValue(CONSTANT);
    }

    void draw()
    {
        grBufferClear(0, 0, 0);
        rect(0, 0, 8, 8, vtx(0, 0, 200, 100, 50, 128));
    }
    FxU16 color()
    {
        draw();
        return pixelAt(4, 4);
    }
    int alpha()
    {
        draw();
        return pixelAt(4, 4, GR_BUFFER_AUXBUFFER) & 0xFF;
    }
};

struct ColorCase {
    GrCombineFunction_t function;
    GrCombineFactor_t factor;
    GrCombineLocal_t local;
    GrCombineOther_t other;
    FxBool invert;
    GrCombineLocal_t alphaLocal;
    GrCombineOther_t alphaOther;
    int r, g, b;
};

TEST_F(CombineTest, EveryColourFunctionAndFactor)
{
    const GrCombineLocal_t IT = GR_COMBINE_LOCAL_ITERATED, CL = GR_COMBINE_LOCAL_CONSTANT;
    const GrCombineOther_t OI = GR_COMBINE_OTHER_ITERATED, OT = GR_COMBINE_OTHER_TEXTURE,
                           OC = GR_COMBINE_OTHER_CONSTANT;
    const ColorCase cases[] = {
        {GR_COMBINE_FUNCTION_ZERO, GR_COMBINE_FACTOR_ONE, IT, OT, FXFALSE, IT, OI, 0, 0, 0},
        {GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, IT, OT, FXFALSE, IT, OI, 200, 100, 50},
        {GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, CL, OT, FXFALSE, IT, OI, 64, 128, 192},
        {GR_COMBINE_FUNCTION_LOCAL_ALPHA, GR_COMBINE_FACTOR_NONE, CL, OT, FXFALSE, IT, OI, 128, 128,
         128},
        {GR_COMBINE_FUNCTION_LOCAL_ALPHA, GR_COMBINE_FACTOR_NONE, IT, OT, FXFALSE, CL, OI, 96, 96,
         96},
        {GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_ONE, IT, OT, FXFALSE, IT, OI, 48, 96,
         144},
        {GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL, IT, OT, FXFALSE, IT, OI, 38, 38,
         28},
        {GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_OTHER_ALPHA, IT, OT, FXFALSE, IT, OT,
         30, 60, 90},
        {GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL_ALPHA, IT, OT, FXFALSE, IT, OI,
         24, 48, 72},
        {GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_TEXTURE_ALPHA, IT, OI, FXFALSE, IT, OI,
         125, 63, 31},
        {GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_TEXTURE_RGB, IT, OI, FXFALSE, IT, OI,
         38, 38, 28},
        {GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_ONE_MINUS_OTHER_ALPHA, IT, OT, FXFALSE,
         IT, OT, 18, 36, 54},
        {GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_ONE_MINUS_LOCAL, CL, OI, FXFALSE, IT,
         OI, 149, 50, 12},
        {GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_ONE_MINUS_TEXTURE_ALPHA, IT, OC,
         FXFALSE, IT, OI, 24, 48, 72},
        {GR_COMBINE_FUNCTION_SCALE_OTHER_ADD_LOCAL, GR_COMBINE_FACTOR_ONE, CL, OT, FXFALSE, IT, OI,
         112, 224, 255},
        {GR_COMBINE_FUNCTION_SCALE_OTHER_ADD_LOCAL_ALPHA, GR_COMBINE_FACTOR_ONE, CL, OT, FXFALSE,
         IT, OI, 176, 224, 255},
        {GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL, GR_COMBINE_FACTOR_ONE, IT, OT, FXFALSE, IT,
         OI, 0, 0, 94},
        {GR_COMBINE_FUNCTION_BLEND, GR_COMBINE_FACTOR_TEXTURE_ALPHA, IT, OC, FXFALSE, IT, OI, 115,
         118, 139},
        {GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL_ADD_LOCAL_ALPHA, GR_COMBINE_FACTOR_ONE, IT, OC,
         FXFALSE, IT, OI, 0, 156, 255},
        {GR_COMBINE_FUNCTION_BLEND_LOCAL, GR_COMBINE_FACTOR_ONE_MINUS_LOCAL_ALPHA, IT, OC, FXFALSE,
         IT, OI, 100, 50, 25},
        {GR_COMBINE_FUNCTION_SCALE_MINUS_LOCAL_ADD_LOCAL_ALPHA, GR_COMBINE_FACTOR_ONE, CL, OC,
         FXFALSE, IT, OI, 64, 0, 0},
        {GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, IT, OT, FXTRUE, IT, OI, 55, 155, 205},
        {GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL, IT, OT, FXTRUE, IT, OI, 217, 217,
         227},
    };
    int index = 0;
    for (const ColorCase& c : cases) {
        grColorCombine(c.function, c.factor, c.local, c.other, c.invert);
        grAlphaCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, c.alphaLocal,
                       c.alphaOther, FXFALSE);
        EXPECT_EQ(color(), rgb565(c.r, c.g, c.b)) << "case " << index;
        index++;
    }
}

TEST_F(CombineTest, EveryAlphaFunctionAndFactor)
{
    grColorCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_ITERATED,
                   GR_COMBINE_OTHER_NONE, FXFALSE);
    struct {
        GrCombineFunction_t function;
        GrCombineFactor_t factor;
        GrCombineLocal_t local;
        GrCombineOther_t other;
        FxBool invert;
        int a;
    } cases[] = {
        {GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_ITERATED,
         GR_COMBINE_OTHER_NONE, FXFALSE, 128},
        {GR_COMBINE_FUNCTION_LOCAL_ALPHA, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_CONSTANT,
         GR_COMBINE_OTHER_NONE, FXFALSE, 96},
        {GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_ONE, GR_COMBINE_LOCAL_NONE,
         GR_COMBINE_OTHER_TEXTURE, FXFALSE, 160},
        {GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL, GR_COMBINE_LOCAL_CONSTANT,
         GR_COMBINE_OTHER_TEXTURE, FXFALSE, 60},
        {GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_TEXTURE_ALPHA, GR_COMBINE_LOCAL_NONE,
         GR_COMBINE_OTHER_ITERATED, FXFALSE, 80},
        {GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_OTHER_ALPHA, GR_COMBINE_LOCAL_NONE,
         GR_COMBINE_OTHER_ITERATED, FXFALSE, 64},
        {GR_COMBINE_FUNCTION_SCALE_OTHER_ADD_LOCAL, GR_COMBINE_FACTOR_ONE,
         GR_COMBINE_LOCAL_CONSTANT, GR_COMBINE_OTHER_TEXTURE, FXFALSE, 255},
        {GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL, GR_COMBINE_FACTOR_ONE,
         GR_COMBINE_LOCAL_ITERATED, GR_COMBINE_OTHER_TEXTURE, FXFALSE, 32},
        {GR_COMBINE_FUNCTION_BLEND, GR_COMBINE_FACTOR_LOCAL_ALPHA, GR_COMBINE_LOCAL_ITERATED,
         GR_COMBINE_OTHER_TEXTURE, FXFALSE, 144},
        {GR_COMBINE_FUNCTION_ZERO, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_ITERATED,
         GR_COMBINE_OTHER_NONE, FXTRUE, 255},
        {GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_ITERATED,
         GR_COMBINE_OTHER_NONE, FXTRUE, 127},
    };
    int index = 0;
    for (const auto& c : cases) {
        grAlphaCombine(c.function, c.factor, c.local, c.other, c.invert);
        EXPECT_EQ(alpha(), c.a) << "case " << index;
        index++;
    }
    // The depth local input: the high byte of the iterated z.
    grAlphaCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_DEPTH,
                   GR_COMBINE_OTHER_NONE, FXFALSE);
    Vtx v = vtx(0, 0);
    v.z = 0x8123;
    grBufferClear(0, 0, 0);
    rect(0, 0, 8, 8, v);
    EXPECT_EQ(pixelAt(4, 4, GR_BUFFER_AUXBUFFER) & 0xFF, 0x81);
}

TEST_F(CombineTest, BlendFactorsOnEachSide)
{
    grColorMask(FXTRUE, FXFALSE);
    // Destination (132, 130, 66) is exact in 5-6-5; source (200, 100, 50) with alpha 96.
    const GrColor_t dst = 0xFF848242;
    struct {
        GrAlphaBlendFnc_t src, dst;
        int r, g, b;
    } cases[] = {
        {GR_BLEND_ONE, GR_BLEND_ZERO, 200, 100, 50},
        {GR_BLEND_ZERO, GR_BLEND_ONE, 132, 130, 66},
        {GR_BLEND_SRC_ALPHA, GR_BLEND_ONE_MINUS_SRC_ALPHA, 158, 119, 60},
        {GR_BLEND_ONE, GR_BLEND_ONE, 255, 230, 116},
        {GR_BLEND_DST_COLOR, GR_BLEND_ZERO, 104, 51, 13},
        {GR_BLEND_ZERO, GR_BLEND_SRC_COLOR, 104, 51, 13},
        {GR_BLEND_ONE_MINUS_DST_COLOR, GR_BLEND_ZERO, 96, 49, 37},
        {GR_BLEND_ZERO, GR_BLEND_ONE_MINUS_SRC_COLOR, 28, 79, 53},
        {GR_BLEND_DST_ALPHA, GR_BLEND_ZERO, 200, 100, 50},   // no alpha buffer: A_dst is 255
        {GR_BLEND_ONE_MINUS_DST_ALPHA, GR_BLEND_ONE, 132, 130, 66},
        {GR_BLEND_ALPHA_SATURATE, GR_BLEND_ONE, 132, 130, 66},   // min(96, 255 - 255) = 0
        {GR_BLEND_ONE, GR_BLEND_PREFOG_COLOR, 255, 151, 63},
        {GR_BLEND_SRC_ALPHA, GR_BLEND_ONE, 207, 168, 84},
    };
    grDepthBufferMode(GR_DEPTHBUFFER_WBUFFER);   // aux holds depth: no alpha buffer
    grDepthBufferFunction(GR_CMP_ALWAYS);
    int index = 0;
    for (const auto& c : cases) {
        grBufferClear(dst, 0, 0);
        grAlphaBlendFunction(c.src, c.dst, GR_BLEND_ZERO, GR_BLEND_ZERO);
        rect(0, 0, 8, 8, vtx(0, 0, 200, 100, 50, 96));
        EXPECT_EQ(pixelAt(3, 3), rgb565(c.r, c.g, c.b)) << "case " << index;
        EXPECT_EQ(pixelAt(7, 7), rgb565(c.r, c.g, c.b)) << "case " << index;   // the tail of a span
        index++;
    }
}

TEST_F(CombineTest, DestinationAlphaFromTheAlphaBuffer)
{
    // Alpha buffer holding 200: DST_ALPHA takes it, and the blended alpha is stored.
    grBufferClear(0xFF000000, 200, 0);
    grAlphaBlendFunction(GR_BLEND_DST_ALPHA, GR_BLEND_ZERO, GR_BLEND_ONE, GR_BLEND_ONE);
    rect(0, 0, 8, 8, vtx(0, 0, 255, 255, 255, 40));
    EXPECT_EQ(pixelAt(2, 2), rgb565(200, 200, 200));
    EXPECT_EQ(pixelAt(2, 2, GR_BUFFER_AUXBUFFER) & 0xFF, 240);
}

TEST_F(CombineTest, AlphaTestAgainstTheReference)
{
    struct {
        GrCmpFnc_t function;
        bool pass99, pass100, pass101;
    } cases[] = {
        {GR_CMP_NEVER, false, false, false},  {GR_CMP_LESS, true, false, false},
        {GR_CMP_EQUAL, false, true, false},   {GR_CMP_LEQUAL, true, true, false},
        {GR_CMP_GREATER, false, false, true}, {GR_CMP_NOTEQUAL, true, false, true},
        {GR_CMP_GEQUAL, false, true, true},   {GR_CMP_ALWAYS, true, true, true},
    };
    grColorMask(FXTRUE, FXFALSE);
    grAlphaTestReferenceValue(100);
    for (const auto& c : cases) {
        grAlphaTestFunction(c.function);
        grBufferClear(0, 0, 0);
        rect(0, 0, 4, 4, vtx(0, 0, 255, 255, 255, 99));
        rect(4, 0, 8, 4, vtx(0, 0, 255, 255, 255, 100));
        rect(8, 0, 12, 4, vtx(0, 0, 255, 255, 255, 101));
        EXPECT_EQ(pixelAt(1, 1) == 0xFFFF, c.pass99) << "function " << c.function;
        EXPECT_EQ(pixelAt(5, 1) == 0xFFFF, c.pass100) << "function " << c.function;
        EXPECT_EQ(pixelAt(9, 1) == 0xFFFF, c.pass101) << "function " << c.function;
    }
}

TEST_F(CombineTest, ChromaKeyComparesTheOtherInput)
{
    grColorMask(FXTRUE, FXFALSE);
    // A 2x1 texture: magenta (key) and green, shown by texture x vertex colour.
    FxU16 texels[2] = {0xF81F, 0x07E0};
    GrTexInfo info = {GR_LOD_LOG2_2, GR_LOD_LOG2_2, GR_ASPECT_LOG2_2x1, GR_TEXFMT_RGB_565, texels};
    grTexDownloadMipMap(GR_TMU0, 0, GR_MIPMAPLEVELMASK_BOTH, &info);
    grTexSource(GR_TMU0, 0, GR_MIPMAPLEVELMASK_BOTH, &info);
    grColorCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL,
                   GR_COMBINE_LOCAL_ITERATED, GR_COMBINE_OTHER_TEXTURE, FXFALSE);
    grChromakeyValue(0x00FF00FF);   // the texel widened to 8 bits, not the modulated colour
    grChromakeyMode(GR_CHROMAKEY_ENABLE);
    grBufferClear(0xFF0000FF, 0, 0);
    Vtx a = texVtx(0, 0, 0, 0), b = texVtx(64, 0, 256, 0), c = texVtx(64, 8, 256, 128),
        d = texVtx(0, 8, 0, 128);
    for (Vtx* v : {&a, &b, &c, &d})
        v->r = v->g = v->b = 128;
    tri(a, b, c);
    tri(a, c, d);
    EXPECT_EQ(pixelAt(10, 4), rgb565(0, 0, 255));   // keyed out: the clear colour stays
    EXPECT_EQ(pixelAt(50, 4), rgb565(0, 128, 0));
    // Off again: the magenta half is drawn.
    grChromakeyMode(GR_CHROMAKEY_DISABLE);
    tri(a, b, c);
    tri(a, c, d);
    EXPECT_EQ(pixelAt(10, 4), rgb565(128, 0, 128));
    // With the iterated colour as "other" the vertex colour is compared.
    grChromakeyMode(GR_CHROMAKEY_ENABLE);
    grChromakeyValue(0x00102030);
    flatShading();
    grColorCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_ONE, GR_COMBINE_LOCAL_NONE,
                   GR_COMBINE_OTHER_ITERATED, FXFALSE);
    grBufferClear(0, 0, 0);
    rect(0, 0, 4, 4, vtx(0, 0, 0x10, 0x20, 0x30));
    rect(4, 0, 8, 4, vtx(0, 0, 0x10, 0x20, 0x31));
    EXPECT_EQ(pixelAt(1, 1), 0);
    EXPECT_EQ(pixelAt(5, 1), rgb565(0x10, 0x20, 0x31));
}

// The Voodoo2 extensions, declared by no header: reached through grGetProcAddress.
typedef void (*ChromaRangeModeProc)(GrChromakeyMode_t mode);
typedef void (*ChromaRangeProc)(GrColor_t min, GrColor_t max, GrChromaRangeMode_t match);
typedef void (*TexChromaModeProc)(GrChipID_t tmu, GrTexChromakeyMode_t mode);
typedef void (*TexChromaRangeProc)(GrChipID_t tmu, GrColor_t min, GrColor_t max,
                                   GrTexChromakeyMode_t match);

TEST_F(CombineTest, ChromaRangesKeyTheOtherInputAndTexels)
{
    std::string listed = grGetString(GR_EXTENSION);
    EXPECT_NE(listed.find(" CHROMARANGE "), std::string::npos);
    EXPECT_NE(listed.find(" TEXCHROMA "), std::string::npos);
    auto rangeMode = extension<ChromaRangeModeProc>("grChromaRangeModeExt");
    auto range = extension<ChromaRangeProc>("grChromaRangeExt");
    auto texMode = extension<TexChromaModeProc>("grTexChromaModeExt");
    auto texRange = extension<TexChromaRangeProc>("grTexChromaRangeExt");
    ASSERT_TRUE(rangeMode && range && texMode && texRange);

    // A pixel whose "other" input lies within the range in red, green and
    // blue (ends included) is discarded.
    grColorMask(FXTRUE, FXFALSE);
    flatShading();
    grColorCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_ONE, GR_COMBINE_LOCAL_NONE,
                   GR_COMBINE_OTHER_ITERATED, FXFALSE);
    range(0x00203040, 0x00405060, GR_CHROMARANGE_RGB_ALL_EXT);
    rangeMode(GR_CHROMARANGE_ENABLE_EXT);
    grChromakeyMode(GR_CHROMAKEY_ENABLE);
    const int colours[][3] = {{0x30, 0x40, 0x50}, {0x20, 0x30, 0x40}, {0x40, 0x50, 0x60},
                              {0x1F, 0x40, 0x50}, {0x30, 0x51, 0x50}, {0x30, 0x40, 0x61}};
    const bool keyed[] = {true, true, true, false, false, false};
    auto drawColours = [&] {
        grBufferClear(0, 0, 0);
        for (int i = 0; i < 6; i++)
            rect((float)(4 * i), 0, (float)(4 * i + 4), 4,
                 vtx(0, 0, colours[i][0], colours[i][1], colours[i][2]));
    };
    drawColours();
    for (int i = 0; i < 6; i++)
        EXPECT_EQ(pixelAt(4 * i + 1, 1),
                  keyed[i] ? 0 : rgb565(colours[i][0], colours[i][1], colours[i][2]))
            << "colour " << i;
    // The range off: the key is one colour again.
    rangeMode(GR_CHROMARANGE_DISABLE_EXT);
    grChromakeyValue(0x00203040);
    drawColours();
    for (int i = 0; i < 6; i++)
        EXPECT_EQ(pixelAt(4 * i + 1, 1),
                  i == 1 ? 0 : rgb565(colours[i][0], colours[i][1], colours[i][2]))
            << "colour " << i;
    grChromakeyMode(GR_CHROMAKEY_DISABLE);

    // Texture chroma: a texel of unit 0 within its range discards the pixel.
    decalTexture();
    FxU16 texels[2] = {0x8410, 0xF800};   // grey (132, 130, 132) and red
    GrTexInfo info = {GR_LOD_LOG2_2, GR_LOD_LOG2_2, GR_ASPECT_LOG2_2x1, GR_TEXFMT_RGB_565, texels};
    grTexDownloadMipMap(GR_TMU0, 0, GR_MIPMAPLEVELMASK_BOTH, &info);
    grTexSource(GR_TMU0, 0, GR_MIPMAPLEVELMASK_BOTH, &info);
    texRange(GR_TMU0, 0x00808080, 0x00868686, GR_TEXCHROMARANGE_RGB_ALL_EXT);
    texMode(GR_TMU0, GR_TEXCHROMA_ENABLE_EXT);
    Vtx a = texVtx(0, 0, 0, 0), b = texVtx(64, 0, 256, 0), c = texVtx(64, 8, 256, 128),
        d = texVtx(0, 8, 0, 128);
    grBufferClear(0xFF0000FF, 0, 0);
    tri(a, b, c);
    tri(a, c, d);
    EXPECT_EQ(pixelAt(10, 4), 0x001F);   // keyed: the clear colour stays
    EXPECT_EQ(pixelAt(50, 4), 0xF800);
    // Also when the unit's combine does more than show its texels.
    grTexCombine(GR_TMU0, GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE,
                 GR_COMBINE_FUNCTION_ZERO, GR_COMBINE_FACTOR_NONE, FXTRUE, FXFALSE);
    grBufferClear(0xFF0000FF, 0, 0);
    tri(a, b, c);
    tri(a, c, d);
    EXPECT_EQ(pixelAt(10, 4), 0x001F);
    EXPECT_EQ(pixelAt(50, 4), 0x07FF);
    texMode(GR_TMU0, GR_TEXCHROMA_DISABLE_EXT);
    tri(a, b, c);
    tri(a, c, d);
    EXPECT_EQ(pixelAt(10, 4), rgb565(123, 125, 123));
}

TEST_F(CombineTest, ColourFormatsDecodeEveryColourArgument)
{
    struct {
        GrColorFormat_t format;
        GrColor_t value;   // red 0x11, green 0x88, blue 0xEE, alpha 0x44 in that format
    } cases[] = {
        {GR_COLORFORMAT_ARGB, 0x441188EE},
        {GR_COLORFORMAT_ABGR, 0x44EE8811},
        {GR_COLORFORMAT_RGBA, 0x1188EE44},
        {GR_COLORFORMAT_BGRA, 0xEE881144},
    };
    for (const auto& c : cases) {
        grSstWinClose(context);
        context = grSstWinOpen(0, GR_RESOLUTION_640x480, GR_REFRESH_60Hz, c.format,
                               GR_ORIGIN_UPPER_LEFT, 2, 1);
        ASSERT_NE(context, (GrContext_t)0);
        useFullLayout();
        grColorMask(FXTRUE, FXTRUE);
        grBufferClear(c.value, 0, 0);
        EXPECT_EQ(pixelAt(100, 100), rgb565(0x11, 0x88, 0xEE)) << "format " << c.format;
        grConstantColorValue(c.value);
        grColorCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_CONSTANT,
                       GR_COMBINE_OTHER_NONE, FXFALSE);
        grAlphaCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_CONSTANT,
                       GR_COMBINE_OTHER_NONE, FXFALSE);
        grBufferClear(0, 0, 0);
        rect(0, 0, 4, 4, vtx(0, 0));
        EXPECT_EQ(pixelAt(1, 1), rgb565(0x11, 0x88, 0xEE)) << "format " << c.format;
        EXPECT_EQ(pixelAt(1, 1, GR_BUFFER_AUXBUFFER) & 0xFF, 0x44) << "format " << c.format;
    }
}

TEST_F(CombineTest, PackedVertexColour)
{
    struct PackedVertex {
        float x, y;
        FxU32 argb;
    } v[3] = {{0, 0, 0x80C04020}, {16, 0, 0x80C04020}, {0, 16, 0x80C04020}};
    grVertexLayout(GR_PARAM_RGB, 0, GR_PARAM_DISABLE);
    grVertexLayout(GR_PARAM_A, 0, GR_PARAM_DISABLE);
    grVertexLayout(GR_PARAM_Z, 0, GR_PARAM_DISABLE);
    grVertexLayout(GR_PARAM_Q, 0, GR_PARAM_DISABLE);
    grVertexLayout(GR_PARAM_ST0, 0, GR_PARAM_DISABLE);
    grVertexLayout(GR_PARAM_ST1, 0, GR_PARAM_DISABLE);
    grVertexLayout(GR_PARAM_PARGB, 8, GR_PARAM_ENABLE);
    grDrawVertexArrayContiguous(GR_TRIANGLES, 3, v, sizeof(PackedVertex));
    EXPECT_EQ(pixelAt(2, 2), rgb565(0xC0, 0x40, 0x20));
    EXPECT_EQ(pixelAt(2, 2, GR_BUFFER_AUXBUFFER) & 0xFF, 0x80);
}

}   // namespace
