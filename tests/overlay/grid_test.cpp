// The string grid: cells of the glyph sheet placed in a fixed grid, wrapping,
// grid dimensions, colour and opacity, and the state it leaves behind.
#include "obx_overlay.h"
#include "overlay/overlay.h"
#include "texture/texture.h"

namespace {

// Texel (s, t) of the engine's glyph sheet, as loaded.
uint16_t sheetTexel(int s, int t)
{
    const TextureRecord* sheet = textureFind("DefaultCS.3df");
    return ((const uint16_t*)sheet->info.data)[t * 256 + s];
}

// Whether the cell of `code` drawn with its top-left pixel at (x, row from
// the top) shows the sheet's texels 1:1 over its 15 x 15 pixels, black keyed
// out to `background`.
::testing::AssertionResult cellShowsGlyph(const Frame& frame, int x, int row, unsigned code,
                                          uint16_t background)
{
    int s0 = (int)(code % 16) * 16, t0 = (int)(code / 16) * 16;
    for (int dy = 0; dy < 15; dy++) {
        for (int dx = 0; dx < 15; dx++) {
            uint16_t texel = sheetTexel(s0 + dx, t0 + dy);
            uint16_t want = texel == 0 ? background : texel;
            uint16_t got = pixelFromTop(frame, x + dx, row + dy);
            if (got != want)
                return ::testing::AssertionFailure() << "pixel " << x + dx << ", " << row + dy
                                                     << ": " << std::hex << got << " not " << want;
        }
    }
    return ::testing::AssertionSuccess();
}

class Grid : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        ASSERT_NE(textureFind("DefaultCS.3df"), nullptr);
        ASSERT_EQ(overlay.gridTexture, textureFind("DefaultCS.3df"));
        backgroundFill(0, 0, 1);
    }
};

}   // namespace

TEST_F(Grid, DefaultCellsAreSixteenPixelsAndShowTheSheet)
{
    EXPECT_EQ(overlay.gridColumns, 40);
    EXPECT_EQ(overlay.gridRows, 30);
    obxStrDrawGrid(0, 0, "A");
    Frame frame = frameGrab();
    // The top-left cell, drawn one pixel smaller than its 16 x 16 pitch.
    PixelBox drawn = pixelBox(frame, [](uint16_t p) { return p != C565_BLUE; });
    EXPECT_GE(drawn.left, 0);
    EXPECT_LE(drawn.right, 14);
    EXPECT_GE(drawn.top, 1);
    EXPECT_LE(drawn.bottom, 15);
    EXPECT_GT(drawn.count, 20);
    // "A" is texels 16..31, 64..79 of the sheet.
    EXPECT_TRUE(cellShowsGlyph(frame, 0, 1, 'A', C565_BLUE));
}

TEST_F(Grid, LongTextWrapsToTheNextRow)
{
    obxStrDrawGrid(38, 2, "ABC");
    Frame frame = frameGrab();
    EXPECT_TRUE(cellShowsGlyph(frame, 38 * 16, 2 * 16 + 1, 'A', C565_BLUE));
    EXPECT_TRUE(cellShowsGlyph(frame, 39 * 16, 2 * 16 + 1, 'B', C565_BLUE));
    EXPECT_TRUE(cellShowsGlyph(frame, 0, 3 * 16 + 1, 'C', C565_BLUE));
    PixelBox drawn = pixelBox(frame, [](uint16_t p) { return p != C565_BLUE; });
    EXPECT_EQ(drawn.bottom / 16, 3);

    // Past the last row the text goes on below the screen, drawing nothing.
    backgroundFill(0, 0, 1);
    obxStrDrawGrid(39, 29, "AB");
    EXPECT_TRUE(cellShowsGlyph(frameGrab(), 39 * 16, 29 * 16 + 1, 'A', C565_BLUE));
}

TEST_F(Grid, DimensionsSetTheCellSizeAndBadOnesAreIgnored)
{
    obxStrSetGridDimensions(80, 60);
    obxStrDrawGrid(1, 1, "M");
    Frame frame = frameGrab();
    // 8 x 8 cells: cell (1, 1) starts at pixel 8 of line 8, drawn 7 x 7.
    PixelBox drawn = pixelBox(frame, [](uint16_t p) { return p != C565_BLUE; });
    EXPECT_GT(drawn.count, 0);
    EXPECT_GE(drawn.left, 8);
    EXPECT_LE(drawn.right, 14);
    EXPECT_GE(drawn.top, 9);
    EXPECT_LE(drawn.bottom, 15);

    // Zero or negative dimensions would divide by zero: the grid stays 80 x 60.
    obxStrSetGridDimensions(0, 30);
    obxStrSetGridDimensions(40, -1);
    EXPECT_EQ(overlay.gridColumns, 80);
    EXPECT_EQ(overlay.gridRows, 60);
    traceStart();
    obxStrDrawGrid(1, 0, "A");
    traceStop();
    EXPECT_EQ(traceFirst("grDrawTriangle"), "grDrawTriangle({8 479} {8 472} {15 472})");

    obxStrDefaultProperties();
    EXPECT_EQ(overlay.gridColumns, 40);
    EXPECT_EQ(overlay.gridRows, 30);
}

TEST_F(Grid, ColourOpacityAndTheStateAroundTheText)
{
    obxStrSetColor(255.0f, 0.0f, 128.9f);
    obxStrSetOpacity(128);
    traceStart();
    obxStrDrawGrid(0, 0, "A");
    traceStop();
    std::vector<std::string> lines = traceLines();
    const std::vector<std::string> before = {
        "grChromakeyMode(1)", "grChromakeyValue(0x00000000)", "grDepthBufferMode(0)",
        "grColorCombine(3, 1, 1, 1, 0)", "grConstantColorValue(0x80FF0080)"};
    const std::vector<std::string> after = {"grChromakeyMode(0)", "grChromakeyValue(0x00000000)",
                                            "grDepthBufferMode(2)", "grColorCombine(3, 1, 0, 1, 0)",
                                            "grConstantColorValue(0xFF000000)"};
    ASSERT_GT(lines.size(), before.size() + after.size());
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 5), before);
    EXPECT_EQ(std::vector<std::string>(lines.end() - 5, lines.end()), after);
    // Texels 16..31 by 64..79 for "A": the corners take s and t 16 / 31, 64 / 79.
    EXPECT_EQ(traceCalls("grDrawTriangle"),
              (std::vector<std::string>{"grDrawTriangle({0 479} {0 464} {15 464})",
                                        "grDrawTriangle({15 464} {15 479} {0 479})"}));
    EXPECT_EQ(overlay.chromaKeyFlag, 0);

    // A null text only sets and restores the state.
    traceStart();
    obxStrDrawGrid(0, 0, nullptr);
    traceStop();
    lines = traceLines();
    ASSERT_EQ(lines.size(), 11u);
    EXPECT_EQ(lines[5].compare(0, 12, "grTexSource("), 0) << lines[5];

    // An all-white sheet times red, half transparent over blue.
    obxStrSetTexture(textureSolid("sheet.3df", C565_WHITE, 256));
    obxStrSetColor(255.0f, 0.0f, 0.0f);
    backgroundFill(0, 0, 1);
    obxStrDrawGrid(0, 0, "A");
    uint16_t pixel = pixelFromTop(frameGrab(), 5, 5);
    EXPECT_TRUE(pixelShows(pixel, 128, 0, 127)) << std::hex << pixel;
    // The defaults bring the engine's sheet back.
    obxStrDefaultProperties();
    EXPECT_EQ(overlay.gridTexture, textureFind("DefaultCS.3df"));
    EXPECT_EQ(overlay.gridOpacity, 255);
}

TEST(GridWithoutSheet, DrawsNothingAndKeepsTheState)
{
    ASSERT_EQ(engineStart(0, {"white.3df", "Init.3df"}), 1);
    EXPECT_EQ(overlay.gridTexture, nullptr);
    traceStart();
    obxStrDrawGrid(0, 0, "AB");
    traceStop();
    EXPECT_TRUE(traceCalls("grDrawTriangle").empty());
    EXPECT_EQ(traceLast("grDepthBufferMode"), "grDepthBufferMode(2)");
    // Another sheet can still be given.
    obxStrSetTexture(textureSolid("sheet.3df", C565_WHITE, 256));
    obxStrDrawGrid(0, 0, "AB");
    EXPECT_EQ(pixelBoxOf(frameGrab(), C565_WHITE).right, 30);
    engineStop();
}
