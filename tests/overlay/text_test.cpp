// Character sets and text: placement and advance in the virtual 640 x 480
// screen, missing glyphs, opacity, chroma keying and the 2D render state.
#include <sys/stat.h>

#include "obx_overlay.h"
#include "overlay/overlay.h"
#include "texture/texture.h"

namespace {

// A set of the glyphs written under prefix "g/", drawn with its own
// parameters: opaque, no chroma key, 20 x 20 glyphs advancing by 20.
CharacterSet* plainSet(const std::vector<std::pair<unsigned char, uint16_t>>& glyphs)
{
    glyphFilesWrite("g/", glyphs);
    CharacterSet* set = obxCharactersetLoad("g/", 0, 0, 255.0f, 0, nullptr, 20, 20, 20);
    obxSetDefaultCharacterset(set);
    return set;
}

struct Expected {
    int resolution;
    int a0, a1, b0, b1;   // columns of A and of B, both ends included
    int top, bottom;      // their rows from the top
};

}   // namespace

TEST(Text, PlacedAndAdvancedInTheVirtualScreenAtEveryResolution)
{
    // "AB" at virtual (10, 10) with advance 20: A at x 10..30, B at 30..50.
    const Expected cases[] = {
        {0, 10, 29, 30, 49, 10, 29},
        {2, 16, 47, 48, 79, 16, 47},   // 1024 x 768: 1.6 screen pixels per virtual one
    };
    for (const Expected& e : cases) {
        SCOPED_TRACE(e.resolution);
        ASSERT_EQ(engineStart(e.resolution), 1);
        ASSERT_NE(plainSet({{'A', C565_RED}, {'B', C565_GREEN}}), nullptr);
        backgroundFill(0, 0, 0);
        obxStringDrawXY("AB", 10, 10);
        Frame frame = frameGrab();
        PixelBox a = pixelBoxOf(frame, C565_RED), b = pixelBoxOf(frame, C565_GREEN);
        EXPECT_EQ(a.left, e.a0);
        EXPECT_EQ(a.right, e.a1);
        EXPECT_EQ(b.left, e.b0);
        EXPECT_EQ(b.right, e.b1);
        EXPECT_EQ(a.top, e.top);
        EXPECT_EQ(a.bottom, e.bottom);
        EXPECT_EQ(b.top, e.top);
        EXPECT_EQ(b.bottom, e.bottom);
        EXPECT_EQ(a.count, (e.a1 - e.a0 + 1) * (e.bottom - e.top + 1));

        // Virtual (640, 480) is the bottom-right corner of the screen.
        backgroundFill(0, 0, 0);
        obxStringDrawXY("A", 620, 460);
        frame = frameGrab();
        a = pixelBoxOf(frame, C565_RED);
        EXPECT_EQ(a.right, (int)frame.width - 1);
        EXPECT_EQ(a.bottom, (int)frame.height - 1);
        engineStop();
    }
}

TEST(Text, GlyphsByUnsignedCodeAndGapsForMissingOnes)
{
    ASSERT_EQ(engineStart(0), 1);
    // Code 0xC9 names its own file and glyph entry; 'X' has no file.
    CharacterSet* set = plainSet({{'A', C565_RED}, {0xC9, C565_GREEN}});
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(set->glyphs['A'].present, 1);
    EXPECT_EQ(set->glyphs[0xC9].present, 1);
    EXPECT_NE(set->glyphs[0xC9].texture, nullptr);
    EXPECT_EQ(set->glyphs['X'].present, 0);
    EXPECT_EQ(set->glyphs['X'].texture, nullptr);
    EXPECT_EQ(set->glyphs[0].present, 0);

    backgroundFill(0, 0, 0);
    obxStringDrawXY("AX\xC9", 0, 0);
    Frame frame = frameGrab();
    EXPECT_EQ(pixelBoxOf(frame, C565_RED).left, 0);
    // The missing glyph leaves one advance empty: the third glyph is at 40.
    PixelBox third = pixelBoxOf(frame, C565_GREEN);
    EXPECT_EQ(third.left, 40);
    EXPECT_EQ(third.right, 59);
    EXPECT_EQ(pixelBox(frame, [](uint16_t p) { return p != 0; }).count, 2 * 20 * 20);
    engineStop();
}

TEST(Text, CodeZeroLoadsThePrefixItself)
{
    ASSERT_EQ(engineStart(0), 1);
    write3dfRgb565("zero.3df", 8, 8, C565_BLUE, false);
    CharacterSet* set = obxCharactersetLoad("zero.3df", 0, 0, 255, 0, nullptr, 20, 20, 20);
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(set->glyphs[0].present, 1);
    EXPECT_EQ(set->glyphs[0].texture, textureFind("zero.3df"));
    engineStop();
}

class TextDrawing : public EngineTest {};

TEST_F(TextDrawing, TranslucentTextBlendsAndOpaqueTextCovers)
{
    glyphFilesWrite("g/", {{'A', C565_WHITE}});
    CharacterSet* set = obxCharactersetLoad("g/", 0, 1, 128.0f, 0, nullptr, 20, 20, 20);
    obxSetDefaultCharacterset(set);
    backgroundFill(0, 0, 1);
    obxStringDrawXY("A", 0, 0);
    Frame frame = frameGrab();
    // White at alpha 128 over blue: 128 of white, 127 of blue.
    uint16_t half = pixelFromTop(frame, 10, 10);
    EXPECT_TRUE(pixelShows(half, 128, 128, 255)) << std::hex << half;

    obxCharactersetSetSpecialDrawingMode(set, 0, 128.0f, 0, nullptr, 20, 20, 20);
    obxStringDrawXY("A", 0, 0);
    EXPECT_EQ(pixelFromTop(frameGrab(), 10, 10), C565_WHITE);

    // The engine's defaults: opaque 20 x 20 glyphs advancing by 20, black
    // keyed out.
    obxCharactersetSetDefaultDrawingMode(set);
    EXPECT_EQ(set->params.useDefaultMode, 1);
    backgroundFill(0, 0, 1);
    traceStart();
    obxStringDrawXY("AA", 0, 0);
    traceStop();
    EXPECT_EQ(traceFirst("grConstantColorValue"), "grConstantColorValue(0xFF000000)");
    EXPECT_EQ(traceCalls("grChromakeyMode"), std::vector<std::string>{"grChromakeyMode(1)"});
    EXPECT_EQ(traceFirst("grChromakeyValue"), "grChromakeyValue(0x00000000)");
    PixelBox box = pixelBoxOf(frameGrab(), C565_WHITE);
    EXPECT_EQ(box.right, 39);
    EXPECT_EQ(box.bottom, 19);
}

TEST_F(TextDrawing, ChromaKeyLeavesOutTexelsOfTheKeyColour)
{
    // Left half black, right half white.
    mkdir("k", 0777);
    write3dfTexels("k/A.3df", 8, 8, [](int x, int) { return x < 4 ? C565_BLACK : C565_WHITE; });
    const float black[3] = {0, 0, 0};
    CharacterSet* set = obxCharactersetLoad("k/", 0, 0, 255, 1, black, 40, 40, 40);
    obxSetDefaultCharacterset(set);
    backgroundFill(1, 0, 0);
    obxStringDrawXY("A", 0, 0);
    Frame frame = frameGrab();
    EXPECT_EQ(pixelFromTop(frame, 2, 20), C565_RED);   // keyed out: the background shows
    EXPECT_EQ(pixelFromTop(frame, 37, 20), C565_WHITE);

    // Without the key the black texels are drawn.
    obxCharactersetSetSpecialDrawingMode(set, 0, 255, 0, black, 40, 40, 40);
    obxStringDrawXY("A", 0, 0);
    EXPECT_EQ(pixelFromTop(frameGrab(), 2, 20), C565_BLACK);
}

TEST_F(TextDrawing, ChromaKeyModeChangesOnlyWhenNeeded)
{
    glyphFilesWrite("g/", {{'A', C565_WHITE}});
    const float key[3] = {1.0f, 0.0f, 0.5f};
    CharacterSet* keyed = obxCharactersetLoad("g/", 0, 0, 255, 1, key, 20, 20, 20);
    CharacterSet* plain = obxCharactersetLoad("g/", 0, 0, 255, 0, key, 20, 20, 20);
    // The colour is only kept when keying is on.
    EXPECT_EQ(keyed->params.chromaColour[0], 1.0f);
    EXPECT_EQ(plain->params.chromaColour[0], 0.0f);
    traceStart();
    obxSetDefaultCharacterset(keyed);
    obxStringDrawXY("A", 0, 0);
    obxStringDrawXY("A", 0, 0);
    obxSetDefaultCharacterset(plain);
    obxStringDrawXY("A", 0, 0);
    obxStringDrawXY("A", 0, 0);
    traceStop();
    EXPECT_EQ(traceCalls("grChromakeyMode"),
              (std::vector<std::string>{"grChromakeyMode(1)", "grChromakeyMode(0)"}));
    EXPECT_EQ(
        traceCalls("grChromakeyValue"),
        (std::vector<std::string>{"grChromakeyValue(0x00FF007F)", "grChromakeyValue(0x00FF007F)"}));
    // Every world render turns keying off, so the next keyed text turns it on.
    obxSetDefaultCharacterset(keyed);
    obxStringDrawXY("A", 0, 0);
    obxWorldRender(0);
    EXPECT_EQ(overlay.chromaKeyFlag, 0);
    traceStart();
    obxStringDrawXY("A", 0, 0);
    traceStop();
    EXPECT_EQ(traceCalls("grChromakeyMode"), std::vector<std::string>{"grChromakeyMode(1)"});
}

TEST_F(TextDrawing, WithoutACharacterSetOrTextLittleHappens)
{
    // No current set after start-up: nothing is drawn and no state changes.
    EXPECT_EQ(overlay.characterSet, nullptr);
    traceStart();
    obxStringDrawXY("AB", 10, 10);
    obxStringDrawXY(nullptr, 10, 10);
    obxCharacterDraw(nullptr, 0, 0, 10, 10);
    traceStop();
    EXPECT_EQ(traceText(), "");

    // A null text only sets the colour and the key.
    glyphFilesWrite("g/", {{'A', C565_WHITE}});
    CharacterSet* set = obxCharactersetLoad("g/", 0, 1, 64.0f, 1, nullptr, 20, 20, 20);
    obxSetDefaultCharacterset(set);
    traceStart();
    obxStringDrawXY(nullptr, 10, 10);
    // A glyph without a texture draws nothing.
    obxCharacterDraw(&set->glyphs['B'], 0, 0, 10, 10);
    traceStop();
    EXPECT_EQ(traceLines(),
              (std::vector<std::string>{"grConstantColorValue(0x40000000)", "grChromakeyMode(1)",
                                        "grChromakeyValue(0x00000000)"}));
}

TEST_F(TextDrawing, RenderStateSwitchesFogAndTheKey)
{
    // Fog off: state 0 does nothing, state 1 turns the key off.
    traceStart();
    obxSetRenderState(0);
    obxSetRenderState(1);
    obxSetRenderState(7);
    traceStop();
    EXPECT_EQ(traceLines(), std::vector<std::string>{"grChromakeyMode(0)"});

    obxFogSetMode(1);
    overlay.chromaKeyFlag = 1;
    traceStart();
    obxSetRenderState(0);
    obxSetRenderState(1);
    traceStop();
    std::vector<std::string> lines = traceLines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], "grFogMode(0)");
    EXPECT_EQ(lines[1], "grChromakeyMode(0)");
    EXPECT_EQ(lines.back(), "grFogMode(2)");
    EXPECT_EQ(overlay.chromaKeyFlag, 0);
    EXPECT_EQ(core.fogMode, 1);
}

TEST(Text, OurOwnCharacterSetDrawsItsGlyphs)
{
    ASSERT_EQ(engineStartWith(0, {"font"}), 1);
    const float black[3] = {0, 0, 0};
    CharacterSet* set = obxCharactersetLoad("font/ch", 0, 0, 255, 1, black, 16, 16, 16);
    ASSERT_NE(set, nullptr);
    int present = 0;
    for (int code = 0; code < 256; code++)
        present += set->glyphs[code].present;
        // Every printable ASCII character but '/', which no file name can hold.
#if defined(_WIN32)
    // Nor can a Windows file name hold \ : * ? " < > |: those may be missing.
    for (int code = 32; code < 127; code++) {
        if (!strchr("/\\:*?\"<>|", code)) {
            EXPECT_EQ(set->glyphs[code].present, 1) << (char)code;
        }
    }
    (void)present;
#else
    EXPECT_EQ(present, 94);
#endif
    EXPECT_EQ(set->glyphs['/'].present, 0);
    EXPECT_EQ(set->glyphs[' '].present, 1);
    obxSetDefaultCharacterset(set);
    backgroundFill(0, 0, 1);
    obxStringDrawXY("Hi /x", 100, 200);
    Frame frame = frameGrab();
    // Light glyph strokes inside the five cells; the space and the '/' stay empty.
    auto bright = [](uint16_t p) { return (p >> 11) > 16 && (p & 31) > 16; };
    PixelBox ink = pixelBox(frame, bright);
    EXPECT_GE(ink.left, 100);
    EXPECT_LE(ink.right, 179);
    EXPECT_GE(ink.top, 200);
    EXPECT_LE(ink.bottom, 215);
    for (int cell : {2, 3}) {
        int x0 = 100 + 16 * cell;
        for (int row = 200; row < 216; row++) {
            for (int x = x0; x < x0 + 16; x++)
                EXPECT_EQ(pixelFromTop(frame, x, row), C565_BLUE) << x << ", " << row;
        }
    }
    EXPECT_GT(ink.count, 40);
    engineStop();
}
