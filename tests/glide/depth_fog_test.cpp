// Depth buffering in W and Z modes, and fog.
#include "glide_test_util.h"

#include <cmath>
#include <cstring>

namespace {

class DepthTest : public GlideTest {
protected:
    void SetUp() override
    {
        GlideTest::SetUp();
        grDepthBufferMode(GR_DEPTHBUFFER_WBUFFER);
        grDepthMask(FXTRUE);
    }
};

Vtx atW(float x0, float y0, float x1, float y1, float w, float r, float g, float b)
{
    (void)x1;
    (void)y1;
    Vtx v = vtx(x0, y0, r, g, b);
    v.q = 1.0f / w;
    return v;
}

void rectAtW(float x0, float y0, float x1, float y1, float w, float r, float g, float b)
{
    rect(x0, y0, x1, y1, atW(x0, y0, x1, y1, w, r, g, b));
}

// q whose W value is exactly d (d < 0xF000): the inverse of the floating
// 4.12 format.
float qForWValue(int d)
{
    int zeros = d >> 12, mantissa = ~d & 0xFFF;
    return std::ldexp(1.0f + mantissa / 4096.0f, -(zeros + 1));
}

TEST_F(DepthTest, WBufferStoresTheFloatingValueOfOneOverW)
{
    struct {
        float w;
        FxU16 d;
    } cases[] = {{1, 0x0000},     {1.5f, 0x0AAA},  {2, 0x0FFF},    {3, 0x1AAA},    {4, 0x1FFF},
                 {10, 0x3666},    {100, 0x6B85},   {1000, 0x9F9D}, {4096, 0xBFFF}, {10000, 0xD5C9},
                 {65535, 0xFFFF}, {70000, 0xFFFF}, {0.5f, 0x0000}};
    grDepthBufferFunction(GR_CMP_ALWAYS);
    for (const auto& c : cases) {
        rectAtW(0, 0, 4, 4, c.w, 255, 255, 255);
        EXPECT_EQ(depthAt(1, 1), c.d) << "w " << c.w;
    }
    // The frame grab gives the same depth.
    std::vector<FxU16> depth(640 * 480);
    ASSERT_TRUE(extension<GrObxFrameGrabProc>("grObxFrameGrab")(GR_BUFFER_BACKBUFFER, nullptr,
                                                                depth.data()));
    EXPECT_EQ(depth[1 * 640 + 1], depthAt(1, 1));
    EXPECT_EQ(depth[100 * 640 + 100], 0xFFFF);
}

TEST_F(DepthTest, EveryCompareFunctionAgainstTheStoredDepth)
{
    struct {
        GrCmpFnc_t function;
        bool nearer, same, farther;
    } cases[] = {
        {GR_CMP_NEVER, false, false, false},  {GR_CMP_LESS, true, false, false},
        {GR_CMP_EQUAL, false, true, false},   {GR_CMP_LEQUAL, true, true, false},
        {GR_CMP_GREATER, false, false, true}, {GR_CMP_NOTEQUAL, true, false, true},
        {GR_CMP_GEQUAL, false, true, true},   {GR_CMP_ALWAYS, true, true, true},
    };
    for (const auto& c : cases) {
        grDepthBufferFunction(GR_CMP_ALWAYS);
        grBufferClear(0, 0, 0xFFFF);
        rectAtW(0, 0, 30, 10, 10, 255, 0, 0);   // the stored depth: w = 10
        grDepthBufferFunction(c.function);
        rectAtW(0, 0, 10, 10, 5, 0, 255, 0);
        rectAtW(10, 0, 20, 10, 10, 0, 255, 0);
        rectAtW(20, 0, 30, 10, 20, 0, 255, 0);
        const FxU16 green = rgb565(0, 255, 0);
        EXPECT_EQ(pixelAt(5, 5) == green, c.nearer) << "function " << c.function;
        EXPECT_EQ(pixelAt(15, 5) == green, c.same) << "function " << c.function;
        EXPECT_EQ(pixelAt(25, 5) == green, c.farther) << "function " << c.function;
        // Failing pixels leave the depth alone; passing ones write theirs.
        EXPECT_EQ(depthAt(5, 5), c.nearer ? 0x2666 : 0x3666);
    }
}

TEST_F(DepthTest, MaskBiasAndFailingTestsKeepTheBuffer)
{
    grDepthBufferFunction(GR_CMP_LESS);
    rectAtW(0, 0, 10, 10, 10, 255, 0, 0);
    // With the mask off the pixel is drawn but its depth is not written.
    grDepthMask(FXFALSE);
    rectAtW(0, 0, 10, 10, 5, 0, 255, 0);
    EXPECT_EQ(pixelAt(5, 5), rgb565(0, 255, 0));
    EXPECT_EQ(depthAt(5, 5), 0x3666);
    // A pixel failing the alpha test writes no depth either.
    grDepthMask(FXTRUE);
    grAlphaTestFunction(GR_CMP_GREATER);
    grAlphaTestReferenceValue(200);
    Vtx faint = atW(0, 0, 0, 0, 4, 0, 0, 255);
    faint.a = 100;
    rect(0, 0, 10, 10, faint);
    EXPECT_EQ(pixelAt(5, 5), rgb565(0, 255, 0));
    EXPECT_EQ(depthAt(5, 5), 0x3666);
    grAlphaTestFunction(GR_CMP_ALWAYS);
    // The bias is added before the test and the write.
    grDepthBiasLevel(0x100);
    grDepthBufferFunction(GR_CMP_ALWAYS);
    rectAtW(20, 0, 30, 10, 10, 255, 255, 255);
    EXPECT_EQ(depthAt(25, 5), 0x3766);
    // Clearing leaves the depth alone while writes are off.
    grDepthMask(FXFALSE);
    grBufferClear(0, 0, 0x1234);
    EXPECT_EQ(depthAt(25, 5), 0x3766);
    grDepthMask(FXTRUE);
    grBufferClear(0, 0, 0x11234);   // the low 16 bits
    EXPECT_EQ(depthAt(25, 5), 0x1234);
}

// The bias level keeps its low 16 bits as a signed value, as the board's
// Glide does, and the biased depth stays within 0..0xFFFF, whatever level the
// application or a saved state gives.
TEST_F(DepthTest, BiasLevelIsItsLowSixteenBitsSigned)
{
    const FxI32 levels[] = {0x7FFFFFFF, 0x10005, (FxI32)0x80000001, 0x7FFF, 0x8000, 40000, -70000};
    const int bias[] = {-1, 5, 1, 32767, -32768, -25536, -4464};
    grDepthBufferFunction(GR_CMP_ALWAYS);
    for (int k = 0; k < 7; k++) {
        grDepthBiasLevel(levels[k]);
        grDepthBufferMode(GR_DEPTHBUFFER_WBUFFER);
        rectAtW(0, 0, 4, 4, 10, 255, 255, 255);   // W value 0x3666
        int w = 0x3666 + bias[k];
        EXPECT_EQ(depthAt(1, 1), w < 0 ? 0 : (w > 0xFFFF ? 0xFFFF : w)) << "level " << levels[k];
        grDepthBufferMode(GR_DEPTHBUFFER_ZBUFFER);
        for (float z : {1000.0f, 60000.0f}) {
            Vtx v = vtx(0, 0);
            v.z = z;
            rect(0, 0, 4, 4, v);
            int d = (int)z + bias[k];
            EXPECT_EQ(depthAt(1, 1), d < 0 ? 0 : (d > 0xFFFF ? 0xFFFF : d))
                << "level " << levels[k] << ", z " << z;
        }
    }
    // Compared to the bias itself, a level of 0x10005 is a depth of 5.
    grDepthBiasLevel(0x10005);
    grDepthBufferMode(GR_DEPTHBUFFER_WBUFFER_COMPARE_TO_BIAS);
    grDepthBufferFunction(GR_CMP_LESS);
    grBufferClear(0, 0, 6);
    rectAtW(0, 0, 2, 2, 10, 255, 0, 0);
    grColorMask(FXFALSE, FXFALSE);
    grBufferClear(0, 0, 5);
    grColorMask(FXTRUE, FXFALSE);
    rectAtW(2, 0, 4, 2, 10, 0, 255, 0);
    EXPECT_EQ(pixelAt(0, 0), rgb565(255, 0, 0));
    EXPECT_EQ(pixelAt(3, 0), 0);

    // A saved state holds the bias as set; one holding a bias no level gives
    // is refused.
    FxI32 size = 0;
    ASSERT_EQ(grGet(GR_GLIDE_STATE_SIZE, 4, &size), 4u);
    std::vector<char> state((size_t)size);
    grDepthBiasLevel(0x12345A3C);
    grGlideGetState(state.data());
    std::vector<size_t> at;
    for (size_t i = 0; i + 4 <= state.size(); i += 4) {
        FxI32 v;
        memcpy(&v, &state[i], 4);
        if (v == 0x5A3C)
            at.push_back(i);
    }
    ASSERT_EQ(at.size(), 1u);
    glideErrors.clear();
    grGlideSetState(state.data());
    EXPECT_TRUE(glideErrors.empty());
    FxI32 wild = 0x7FFFFFFF;
    memcpy(&state[at[0]], &wild, 4);
    grGlideSetState(state.data());
    EXPECT_FALSE(glideErrors.empty());
}

TEST_F(DepthTest, ZBufferInterpolatesZ)
{
    grDepthBufferMode(GR_DEPTHBUFFER_ZBUFFER);
    grDepthBufferFunction(GR_CMP_GREATER);
    grBufferClear(0, 0, 0);
    Vtx a = vtx(0, 0), b = vtx(256, 0), c = vtx(0, 256);
    a.z = 1000;
    b.z = 1000 + 256 * 100;   // z rises 100 per pixel to the right
    c.z = 1000;
    tri(a, b, c);
    EXPECT_EQ(depthAt(0, 10), 1050);    // at x = 0.5
    EXPECT_EQ(depthAt(10, 10), 2050);   // at x = 10.5
    // A triangle behind it (smaller z) fails GREATER.
    Vtx d = vtx(0, 0, 0, 255, 0), e = vtx(20, 0, 0, 255, 0), f = vtx(0, 20, 0, 255, 0);
    d.z = e.z = f.z = 1500;
    tri(d, e, f);
    EXPECT_EQ(pixelAt(1, 5), rgb565(0, 255, 0));
    EXPECT_EQ(pixelAt(8, 5), rgb565(255, 255, 255));
    // Out of range z clamps to 16 bits.
    grDepthBufferFunction(GR_CMP_ALWAYS);
    d.z = e.z = f.z = 1e9f;
    tri(d, e, f);
    EXPECT_EQ(depthAt(1, 1), 0xFFFF);
}

TEST_F(DepthTest, NoAuxBufferMeansNoDepthTest)
{
    reopen(GR_ORIGIN_UPPER_LEFT, 0);
    grDepthBufferMode(GR_DEPTHBUFFER_WBUFFER);
    grDepthBufferFunction(GR_CMP_NEVER);
    rectAtW(0, 0, 4, 4, 10, 255, 255, 255);
    EXPECT_EQ(pixelAt(1, 1), 0xFFFF);
    FxU16 p;
    EXPECT_FALSE(grLfbReadRegion(GR_BUFFER_AUXBUFFER, 0, 0, 1, 1, 2, &p));
}

class FogTest : public GlideTest {
protected:
    void SetUp() override
    {
        GlideTest::SetUp();
        grFogColorValue(0x000000FF);   // blue
        grFogMode(GR_FOG_WITH_TABLE_ON_Q);
    }
    // Colour of a red square whose pixels have the W value d.
    FxU16 fogged(int d)
    {
        Vtx v = vtx(0, 0, 255, 0, 0);
        v.q = qForWValue(d);
        grBufferClear(0, 0, 0);
        rect(0, 0, 4, 4, v);
        return pixelAt(1, 1);
    }
};

TEST_F(FogTest, TableIndexedByWAndInterpolated)
{
    GrFog_t table[64];
    for (int i = 0; i < 64; i++)
        table[i] = (GrFog_t)(i < 20 ? 0 : (i == 20 ? 100 : 200));
    grFogTable(table);
    // On entry 10: no fog.
    EXPECT_EQ(fogged(10 * 1024), rgb565(255, 0, 0));
    // On entry 20 exactly: f = 100 -> red 255 * 155 / 255, blue 255 * 100 / 255.
    EXPECT_EQ(fogged(20 * 1024), rgb565(155, 0, 100));
    // Halfway to entry 21: f = 100 + 100 * 128 / 256 = 150.
    EXPECT_EQ(fogged(20 * 1024 + 512), rgb565(105, 0, 150));
    // A quarter of the way from entry 19 (0) to 20 (100): f = 25.
    EXPECT_EQ(fogged(19 * 1024 + 256), rgb565(230, 0, 25));
    // The last entry holds to the far end.
    table[63] = 255;
    grFogTable(table);
    EXPECT_EQ(fogged(0xFFFF), rgb565(0, 0, 255));
    // Alpha is not fogged.
    grColorMask(FXTRUE, FXTRUE);
    grBufferClear(0, 0, 0);
    Vtx v = vtx(0, 0, 255, 0, 0, 77);
    v.q = qForWValue(0xFFFF);
    rect(0, 0, 4, 4, v);
    EXPECT_EQ(depthAt(1, 1) & 0xFF, 77);
}

TEST_F(FogTest, IndexToWMatchesTheWValues)
{
    // Entry i applies exactly at w = guFogTableIndexToW(i), one step above
    // the W value stored there.
    GrFog_t table[64];
    for (int i = 0; i < 64; i++)
        table[i] = (GrFog_t)(i * 4);
    grFogTable(table);
    grDepthBufferMode(GR_DEPTHBUFFER_WBUFFER);
    grDepthBufferFunction(GR_CMP_ALWAYS);
    grDepthMask(FXTRUE);
    for (int i : {1, 7, 22, 40, 63}) {
        Vtx v = vtx(0, 0, 0, 0, 0);
        v.q = 1.0f / guFogTableIndexToW(i);
        rect(0, 0, 4, 4, v);
        // (1/w in single precision may land a hair either side)
        EXPECT_GE(depthAt(1, 1), i * 1024 - 1) << "entry " << i;
        EXPECT_LE(depthAt(1, 1), i * 1024) << "entry " << i;
        EXPECT_EQ(pixelAt(1, 1), rgb565(0, 0, i * 4)) << "entry " << i;
    }
}

TEST_F(FogTest, FogCoordinateTakesThePlaceOfOneOverW)
{
    // The fog coordinate is interpolated and looked up exactly as q is:
    // a coordinate of 1/50 fogs like w = 50.
    GrFog_t table[64];
    for (int i = 0; i < 64; i++)
        table[i] = (GrFog_t)(i * 4);
    grFogTable(table);
    grVertexLayout(GR_PARAM_FOG_EXT, offsetof(Vtx, fog), GR_PARAM_ENABLE);
    // Across a wide rectangle: 1/w from near to far, left to right.
    auto drawRamp = [](bool byCoordinate) {
        Vtx left = vtx(0, 0, 255, 0, 0), right = vtx(0, 0, 255, 0, 0);
        left.q = byCoordinate ? 1.0f : 1.0f / 2.0f;
        left.fog = 1.0f / 2.0f;
        right.q = byCoordinate ? 1.0f : 1.0f / 5000.0f;
        right.fog = 1.0f / 5000.0f;
        Vtx a = left, b = right, c = right, d = left;
        a.x = 0, a.y = 0, b.x = 640, b.y = 0, c.x = 640, c.y = 8, d.x = 0, d.y = 8;
        grBufferClear(0, 0, 0);
        tri(a, b, c);
        tri(a, c, d);
        std::vector<FxU16> row(640);
        grLfbReadRegion(GR_BUFFER_BACKBUFFER, 0, 4, 640, 1, 1280, row.data());
        return row;
    };
    std::vector<FxU16> byW = drawRamp(false);
    grFogMode(GR_FOG_WITH_TABLE_ON_FOGCOORD_EXT);
    std::vector<FxU16> byCoordinate = drawRamp(true);
    EXPECT_EQ(byCoordinate, byW);
    EXPECT_NE(byCoordinate[0], byCoordinate[639]);   // the ramp goes through the table
    // One value: w = 50 lies between entries 22 (42.7) and 23 (51.2).
    Vtx v = vtx(0, 0, 255, 0, 0);
    v.fog = 1.0f / 50.0f;
    grBufferClear(0, 0, 0);
    rect(0, 0, 4, 4, v);
    FxU16 atFifty = pixelAt(1, 1);   // q is 1 here: it plays no part
    grFogMode(GR_FOG_WITH_TABLE_ON_Q);
    v.fog = 0;
    v.q = 1.0f / 50.0f;
    grBufferClear(0, 0, 0);
    rect(0, 0, 4, 4, v);
    EXPECT_EQ(atFifty, pixelAt(1, 1));
    int blue = (atFifty & 31) << 3;
    EXPECT_GT(blue, 22 * 4 - 8);
    EXPECT_LT(blue, 23 * 4 + 8);
}

TEST_F(FogTest, OtherSourcesAndTwoPassModes)
{
    // Iterated z: the factor is its high byte.
    grFogMode(GR_FOG_WITH_ITERATED_Z);
    Vtx v = vtx(0, 0, 255, 0, 0);
    v.z = 0x6600;   // f = 0x66 = 102
    rect(0, 0, 4, 4, v);
    EXPECT_EQ(pixelAt(1, 1), rgb565(153, 0, 102));
    // Iterated alpha.
    grFogMode(GR_FOG_WITH_ITERATED_ALPHA_EXT);
    rect(0, 0, 4, 4, vtx(0, 0, 255, 0, 0, 51));
    EXPECT_EQ(pixelAt(1, 1), rgb565(204, 0, 51));
    // MULT2 keeps only the fog term, ADD2 only the colour term.
    grFogMode(GR_FOG_WITH_ITERATED_ALPHA_EXT | GR_FOG_MULT2);
    rect(0, 0, 4, 4, vtx(0, 0, 255, 0, 0, 51));
    EXPECT_EQ(pixelAt(1, 1), rgb565(0, 0, 51));
    grFogMode(GR_FOG_WITH_ITERATED_ALPHA_EXT | GR_FOG_ADD2);
    rect(0, 0, 4, 4, vtx(0, 0, 255, 0, 0, 51));
    EXPECT_EQ(pixelAt(1, 1), rgb565(204, 0, 0));
    // PREFOG_COLOR blending sees the colour before fog.
    grFogMode(GR_FOG_WITH_ITERATED_ALPHA_EXT);
    grBufferClear(0xFFFFFFFF, 0, 0);
    grAlphaBlendFunction(GR_BLEND_ZERO, GR_BLEND_PREFOG_COLOR, GR_BLEND_ZERO, GR_BLEND_ZERO);
    rect(0, 0, 4, 4, vtx(0, 0, 255, 0, 0, 51));
    EXPECT_EQ(pixelAt(1, 1), rgb565(255, 0, 0));
}

TEST(FogUtilities, TablesAsTheRealLibraryMakesThem)
{
    EXPECT_FLOAT_EQ(guFogTableIndexToW(0), 1.0f);
    EXPECT_FLOAT_EQ(guFogTableIndexToW(5), 16.0f / 7.0f);
    EXPECT_FLOAT_EQ(guFogTableIndexToW(63), 52428.8f);
    for (int i = 0; i < 63; i++)
        EXPECT_LT(guFogTableIndexToW(i), guFogTableIndexToW(i + 1));

    GrFog_t t[64];
    guFogGenerateLinear(t, 10.0f, 1000.0f);
    const int expected16to39[] = {1,  2,  2,  4,  5,  6,  8,  10,  13,  16,  19,  23,
                                  30, 35, 41, 50, 63, 72, 85, 102, 129, 148, 173, 208};
    for (int i = 0; i < 16; i++)
        EXPECT_EQ(t[i], 0) << i;
    for (int i = 16; i < 40; i++)
        EXPECT_EQ(t[i], expected16to39[i - 16]) << i;
    for (int i = 40; i < 64; i++)
        EXPECT_EQ(t[i], 255) << i;

    guFogGenerateExp(t, 0.0001f);
    EXPECT_EQ(t[0], 0);
    EXPECT_EQ(t[48], 86);
    EXPECT_EQ(t[63], 255);
    guFogGenerateExp2(t, 0.0001f);
    EXPECT_EQ(t[63], 255);
    for (int i = 0; i < 63; i++)
        EXPECT_LE(t[i], t[i + 1]);
}

}   // namespace
