// Start-up, its failures, focus loss and return, shutdown and the display
// controls that reach Glide.
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include "obx_test.h"
#include "texture/texture.h"
#include "view/view.h"

namespace {

std::string hardwareLines(void)
{
    return std::string("Glide version:\n") + grGetString(GR_VERSION) + "\n\n" +
           "3dfx Hardware detected:\n" + grGetString(GR_HARDWARE) + "\n\n";
}

// Starts the engine with the trace recording from its first Glide call.
int tracedStart(int resolutionIndex = 0)
{
    traceStart();
    return engineStart(resolutionIndex);
}

// The lines of `expected` appear in the trace in this order (other calls may
// come between them).
void expectInOrder(const std::vector<std::string>& expected)
{
    int at = 0;
    for (const std::string& line : expected) {
        int found = traceFind(line, at);
        ASSERT_GE(found, 0) << "missing after line " << at << ": " << line << "\n" << traceText();
        at = found + 1;
    }
}

class StartupTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        traceStop();
        engineStop();
    }
};

}   // namespace

TEST_F(StartupTest, LogHoldsHeaderHardwareAndTexturesInOrder)
{
    ASSERT_EQ(engineStart(0), 1);
    std::string expected =
        "Ombrix Logfile\n\n" + hardwareLines() + "Loading texture: white.3df\n\n";
    if (fileExists("Init.3df"))
        expected += "Loading texture: Init.3df\n\n";
    if (fileExists("DefaultCS.3df"))
        expected += "Loading texture: DefaultCS.3df\n\n";
    obxShutdown();   // the log reaches the disk when it is closed
    EXPECT_EQ(fileRead("Ombrix.log"), expected);
    EXPECT_GT(obxNumBytesAllocated(), 0u);
}

TEST_F(StartupTest, NoBoardFailsWithOneLogLine)
{
    setenv("OBX_GLIDE_NO_BOARD", "1", 1);
    EXPECT_EQ(engineStart(0), 0);
    logClose();
    EXPECT_EQ(fileRead("Ombrix.log"), "Ombrix Logfile\n\nNo glide3 compatible hardware found!\n\n");
}

TEST_F(StartupTest, MissingWhiteTextureFailsAfterTheHardwareLines)
{
    EXPECT_EQ(engineStart(0, {"Init.3df", "DefaultCS.3df"}), 0);
    logClose();
    EXPECT_EQ(fileRead("Ombrix.log"), "Ombrix Logfile\n\n" + hardwareLines());
}

TEST_F(StartupTest, MissingPictureAndGlyphSheetAreNoError)
{
    EXPECT_EQ(engineStart(0, {"white.3df"}), 1);
    EXPECT_EQ(textureFind("Init.3df"), nullptr);
    EXPECT_NE(textureFind("white.3df"), nullptr);
}

TEST_F(StartupTest, ResolutionIndexChoosesTheScreen)
{
    struct {
        int index;
        float width, height;
    } cases[] = {{1, 800, 600}, {7, 640, 480}, {-1, 640, 480}, {4, 1600, 1200}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.index);
        ASSERT_EQ(engineStart(c.index), 1);
        float width = 0, height = 0;
        obxResolutionGet(&width, &height);
        EXPECT_EQ(width, c.width);
        EXPECT_EQ(height, c.height);
        Frame frame = frameGrab(GR_BUFFER_FRONTBUFFER);
        EXPECT_EQ(frame.width, (uint32_t)c.width);
        EXPECT_EQ(frame.height, (uint32_t)c.height);
        EXPECT_EQ(core.scale2dX, c.width / 640.0f);
        EXPECT_EQ(core.scale2dY, c.height / 480.0f);
        EXPECT_EQ(view.viewport.maxX, c.width);
        EXPECT_EQ(view.viewport.halfHeight, c.height / 2.0f);
        engineStop();
    }
}

TEST_F(StartupTest, UnwritableDirectoryStillStartsWithoutLog)
{
    sessionDirEnter();
    // A read-only directory keeps out everyone but root; a directory in the
    // log's place keeps out root too.
    ASSERT_EQ(chmod(".", 0555), 0);
    bool readOnly = access(".", W_OK) != 0;
    if (!readOnly) {
        ASSERT_EQ(chmod(".", 0755), 0);
        ASSERT_EQ(mkdir("Ombrix.log", 0755), 0);
    }
    setenv("OBX_GLIDE_DISPLAY", "headless", 1);
    EXPECT_EQ(obxInitialize(NULL, 0), 1);
    EXPECT_EQ(core.logFile, nullptr);
    struct stat st;
    EXPECT_TRUE(stat("Ombrix.log", &st) != 0 || S_ISDIR(st.st_mode));
}

TEST_F(StartupTest, GlideSetUpInOrder)
{
    ASSERT_EQ(tracedStart(), 1);
    expectInOrder({
        "grSstSelect(0)",
        "grTexFilterMode(0, 1, 1)",
        "grTexCombine(0, 1, 0, 1, 0, 0, 0)",
        "grEnable(2)",
        "grTexMipMapMode(0, 2, 0)",
        "grTexClampMode(0, 1, 1)",
        "grTexFilterMode(1, 1, 1)",   // the second unit of the default board
        "grTexMipMapMode(1, 2, 0)",
        "grTexClampMode(1, 1, 1)",
        "grColorCombine(3, 1, 0, 1, 0)",
        "grFogTable(ptr)",
        "grDepthBufferMode(2)",
        "grDepthMask(1)",
        "grDepthBufferFunction(3)",
        "grAlphaTestFunction(7)",
        "grAlphaTestReferenceValue(1)",
        "grAlphaCombine(3, 8, 1, 2, 0)",
        "grAlphaBlendFunction(1, 5, 0, 0)",
        // The draw vertex: XY at 0, W at 8, Q at 16, RGB at 20, ST0 at 32, ST1 at 40.
        "grCoordinateSpace(0)",
        "grVertexLayout(1, 0, 1)",
        "grVertexLayout(3, 8, 1)",
        "grVertexLayout(4, 16, 1)",
        "grVertexLayout(32, 20, 1)",
        "grVertexLayout(64, 32, 1)",
        "grVertexLayout(65, 40, 1)",
    });
    EXPECT_TRUE(traceCalls("grTexCombine").size() == 1);   // unit 1 keeps Glide's default
    EXPECT_TRUE(traceCalls("grFogMode").empty());          // fog stays off
    EXPECT_EQ(core.fogMode, 0);
    EXPECT_EQ(view.farDistance, 3000.0f);
    EXPECT_EQ(view.nearDistance, 2.0f);
    EXPECT_EQ(core.vsyncFlag, 1);
    EXPECT_EQ(core.depthClearValue, 0xFFFFu);
    EXPECT_EQ(view.camera, &view.defaultCamera);
    EXPECT_EQ(core.tmuCount, 2);
}

TEST_F(StartupTest, OneUnitBoardSetsUpOnlyUnitZero)
{
    setenv("FX_GLIDE_NUM_TMU", "1", 1);
    ASSERT_EQ(tracedStart(), 1);
    EXPECT_EQ(core.tmuCount, 1);
    EXPECT_EQ(traceCalls("grTexFilterMode").size(), 1u);
    EXPECT_EQ(traceCalls("grTexClampMode").size(), 1u);
}

TEST_F(StartupTest, FogTableRunsFrom2400To3000)
{
    ASSERT_EQ(engineStart(), 1);
    uint8_t expected[64];
    guFogGenerateLinear(expected, 2400.0f, 3000.0f);
    EXPECT_EQ(memcmp(core.fogTable, expected, sizeof expected), 0);
}

TEST_F(StartupTest, FocusLossSavesOnceAndReturnDownloadsTexturesOnce)
{
    ASSERT_EQ(tracedStart(), 1);
    TextureRecord* white = textureFind("white.3df");
    ASSERT_NE(white, nullptr);
    traceStart();
    obxSetFocus();   // no focus lost yet: nothing happens
    EXPECT_EQ(traceText(), "");
    obxLooseFocus();
    obxLooseFocus();
    EXPECT_EQ(traceCalls("grGlideGetState").size(), 1u);
    EXPECT_EQ(traceCalls("grSstWinClose").size(), 1u);
    EXPECT_EQ(core.focusLost, 1);

    traceStart();
    obxSetFocus();
    obxSetFocus();
    expectInOrder({"grGlideInit()", "grGlideSetState(ptr)"});
    EXPECT_EQ(traceCalls("grSstWinOpen").size(), 1u);
    EXPECT_EQ(core.focusLost, 0);
    for (TextureRecord* t = textures.list; t; t = t->next)
        EXPECT_EQ(t->needsDownload, 1);

    traceStart();
    textureSelect(white);
    textureSelect(white);
    std::string address = std::to_string(white->address);
    EXPECT_EQ(traceLines(),
              (std::vector<std::string>{"grTexSource(0, " + address + ", 3, ptr)",
                                        "grTexDownloadMipMap(0, " + address + ", 3, ptr)",
                                        "grTexSource(0, " + address + ", 3, ptr)"}));
}

TEST_F(StartupTest, FocusReturnKeepsTheGlideState)
{
    ASSERT_EQ(engineStart(), 1);
    grFogColorValue(0x123456);
    grDepthBufferFunction(GR_CMP_LESS);
    obxLooseFocus();
    obxSetFocus();
    FxI32 size = 0;
    grGet(GR_GLIDE_STATE_SIZE, 4, &size);
    std::vector<uint8_t> now((size_t)size);
    grGlideGetState(now.data());
    EXPECT_EQ(memcmp(now.data(), core.glideState, (size_t)size), 0);
}

TEST_F(StartupTest, FogModesAndColour)
{
    ASSERT_EQ(tracedStart(), 1);
    traceStart();
    obxFogSetMode(1);
    expectInOrder({"guFogGenerateLinear(ptr, 2, 3000)", "grFogTable(ptr)", "grFogMode(2)"});
    EXPECT_EQ(traceCalls("grFogMode").size(), 1u);
    uint8_t expected[64];
    guFogGenerateLinear(expected, 2.0f, 3000.0f);
    EXPECT_EQ(memcmp(core.fogTable, expected, sizeof expected), 0);

    traceStart();
    obxFogSetMode(0);
    obxFogSetMode(5);   // stored, nothing sent
    EXPECT_EQ(traceLines(), std::vector<std::string>{"grFogMode(0)"});
    EXPECT_EQ(core.fogMode, 5);

    traceStart();
    obxFarClippingPlaneSet(500.0f);   // does not regenerate the table
    EXPECT_EQ(traceText(), "");

    traceStart();
    float red[3] = {0.5f, 0.0f, 0.0f}, white[3] = {1, 1, 1}, black[3] = {0, 0, 0};
    float mixed[3] = {0.2f, 0.7f, 0.9f};
    obxFogSetColor(red);
    obxFogSetColor(white);
    obxFogSetColor(black);
    obxFogSetColor(mixed);
    // One truncation of the sum: 0.2 * 255 * 65536 + 0.7 * 255 * 256 + 0.9 * 255.
    float sum = 0.2f * 255.0f * 65536.0f + 0.7f * 255.0f * 256.0f;
    sum += 0.9f * 255.0f;
    char mixedLine[64];
    snprintf(mixedLine, sizeof mixedLine, "grFogColorValue(0x%08X)", (unsigned)sum);
    EXPECT_EQ(traceLines(), (std::vector<std::string>{"grFogColorValue(0x007F8000)",
                                                      "grFogColorValue(0x00FFFFFF)",
                                                      "grFogColorValue(0x00000000)", mixedLine}));
}

TEST_F(StartupTest, ShutdownClosesWindowGlideAndLog)
{
    ASSERT_EQ(tracedStart(), 1);
    traceStart();
    obxShutdown();
    EXPECT_EQ(core.logFile, nullptr);
    std::vector<std::string> lines = traceLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].rfind("grSstWinClose(", 0), 0u);
    EXPECT_EQ(lines[1], "grGlideShutdown()");
}

namespace {

// Draws a red triangle over the lower-left corner with the engine's draw
// vertex and tells whether it shows in the back buffer.
bool drawVertexReachesTheScreen(void)
{
    grColorCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_ITERATED,
                   GR_COMBINE_OTHER_NONE, FXFALSE);
    grAlphaBlendFunction(GR_BLEND_ONE, GR_BLEND_ZERO, GR_BLEND_ONE, GR_BLEND_ZERO);
    grDepthBufferFunction(GR_CMP_ALWAYS);
    grBufferClear(0, 0, core.depthClearValue);
    DrawVer v[3];
    memset(v, 0, sizeof v);
    float corners[3][2] = {{0, 0}, {200, 0}, {0, 200}};
    for (int i = 0; i < 3; i++) {
        v[i].x = corners[i][0];
        v[i].y = corners[i][1];
        v[i].w = 10.0f;
        v[i].spare = -12345.0f;   // not given to Glide
        v[i].q = 0.1f;
        v[i].r = 255.0f;
    }
    grDrawTriangle(&v[0], &v[1], &v[2]);
    Frame frame = frameGrab(GR_BUFFER_BACKBUFFER);
    if (frame.colour.empty())
        return false;
    EXPECT_EQ(frame.at(20, 20), 0xF800);
    EXPECT_EQ(frame.at(300, 300), 0);
    return frame.at(20, 20) == 0xF800 && frame.at(300, 300) == 0;
}

}   // namespace

TEST_F(StartupTest, DrawVertexLayoutHoldsBeforeAndAfterFocusLoss)
{
    ASSERT_EQ(engineStart(), 1);
    EXPECT_TRUE(drawVertexReachesTheScreen());
    obxLooseFocus();
    obxSetFocus();
    EXPECT_TRUE(drawVertexReachesTheScreen());
}
