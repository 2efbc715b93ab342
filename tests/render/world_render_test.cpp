// The world render: the order of its Glide calls, swaps, counters, the
// background, culling and the painter's order.
#include <stdlib.h>

#include <string>

#include "object/object.h"
#include "obx_scene.h"
#include "render/render.h"
#include "world/world.h"

namespace {

class WorldRenderTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        obxPerformanceInit();
        obxStartFrameCount();
    }
};

bool startsWith(const std::string& line, const std::string& prefix)
{
    return line.compare(0, prefix.size(), prefix) == 0;
}

}   // namespace

TEST_F(WorldRenderTest, FrameCallsComeInTheOrderOfTheSteps)
{
    const float grey[3] = {0.5f, 0.25f, 1.0f};
    obxBackgroundSetColor(grey);
    // An untextured object, then a textured one behind it.
    cubeCreate({0, 0, 10}, 1, nullptr);
    cubeCreate({0, 0, 20}, 1, whiteTexture());
    traceStart();
    traceMark();
    obxWorldRender(0);
    traceMark();
    obxWorldDisplay();
    obxWorldDisplay();
    traceStop();

    std::vector<std::string> frame = traceBetween("grFinish()", "grFinish()");
    ASSERT_GE(frame.size(), 6u);
    // Depth-only clear with the background colour word, chroma key off.
    EXPECT_EQ(frame[0], "grColorMask(0, 0)");
    EXPECT_EQ(frame[1], "grBufferClear(0x007F3FFF, 0, 65535)");
    EXPECT_EQ(frame[2], "grColorMask(1, 0)");
    EXPECT_EQ(frame[3], "grChromakeyMode(0)");
    // Then the objects, farthest first, each starting opaque; the untextured
    // one draws with vertex colour only and puts texture x colour back.
    EXPECT_EQ(frame[4], "grConstantColorValue(0xFF000000)");
    EXPECT_TRUE(startsWith(frame[5], "grTexSource(0, ")) << frame[5];
    int second = -1;
    for (size_t i = 5; i < frame.size(); i++) {
        if (frame[i] == "grConstantColorValue(0xFF000000)") {
            second = (int)i;
            break;
        }
    }
    ASSERT_GT(second, 0);
    EXPECT_EQ(frame[second + 1], "grColorCombine(1, 0, 0, 2, 0)");
    EXPECT_EQ(frame.back(), "grColorCombine(3, 1, 0, 1, 0)");
    // No swap inside the render; two displays swap once, with vsync.
    for (const std::string& line : frame)
        EXPECT_FALSE(startsWith(line, "grBufferSwap")) << line;
    EXPECT_EQ(traceCalls("grBufferSwap").size(), 1u);
    EXPECT_EQ(traceCalls("grBufferSwap")[0], "grBufferSwap(1)");
    EXPECT_EQ(world.frameShown, 1);
}

TEST_F(WorldRenderTest, OnlyDisplayOneSwaps)
{
    traceStart();
    obxWorldRender(2);
    EXPECT_TRUE(traceCalls("grBufferSwap").empty());
    obxWorldRender(1);
    obxWorldDisplay();
    EXPECT_EQ(traceCalls("grBufferSwap").size(), 1u);
    obxVSyncDisable();
    obxWorldRender(1);
    std::vector<std::string> swaps = traceCalls("grBufferSwap");
    ASSERT_EQ(swaps.size(), 2u);
    EXPECT_EQ(swaps[1], "grBufferSwap(0)");
    traceStop();
    // An empty world still counts every frame.
    EXPECT_EQ(obxGetFrameCount(), 3u);
    EXPECT_EQ(obxPerformanceGet()->framesRendered, 3u);
    EXPECT_EQ(obxPerformanceGet()->polygonsDrawn, 0u);
}

TEST_F(WorldRenderTest, BackgroundClearFillsColourOnly)
{
    const float colour[3] = {1.0f, 0.5f, 0.25f};
    obxBackgroundSetColor(colour);
    traceStart();
    obxBackgroundClear();
    traceStop();
    EXPECT_EQ(traceLines(),
              (std::vector<std::string>{"grDepthMask(0)", "grBufferClear(0x00FF7F3F, 0, 65535)",
                                        "grDepthMask(1)"}));
    Frame f = frameGrab();
    EXPECT_EQ(rgb565ToRgb(f.at(0, 0)), rgb565ToRgb(rgb565(0xFF7F3F)));
    EXPECT_EQ(f.at(639, 479), f.at(0, 0));
    // Out-of-range channels stay within their byte.
    const float bright[3] = {2.0f, -1.0f, 0.0f};
    obxBackgroundSetColor(bright);
    traceStart();
    obxBackgroundClear();
    traceStop();
    EXPECT_EQ(traceLines()[1], "grBufferClear(0x00FF0000, 0, 65535)");
}

TEST_F(WorldRenderTest, CountersCountDrawnPolygonsAndFrames)
{
    Object* near = cubeCreate({0, 0, 10}, 1, whiteTexture());
    cubeCreate({0, 0, -10}, 1, whiteTexture());   // behind the camera: culled
    obxWorldRender(0);
    obxWorldRender(0);
    // Two front-facing triangles per frame.
    EXPECT_EQ(obxPerformanceGet()->polygonsDrawn, 4u);
    EXPECT_EQ(obxGetFrameCount(), 2u);
    EXPECT_EQ(near->culled, 0);
    EXPECT_EQ(objects.last->culled, 1);
    // The counters are the engine's own, live.
    PerformanceCounters* live = obxPerformanceGet();
    obxWorldRender(0);
    EXPECT_EQ(live->framesRendered, 3u);
    obxStartFrameCount();
    EXPECT_EQ(obxGetFrameCount(), 0u);
    EXPECT_EQ(live->framesRendered, 3u);
}

TEST_F(WorldRenderTest, TexturesUsedByTheRenderAreMarked)
{
    write3dfTexels("unused.3df", 8, 8, [](int, int) { return (uint16_t)0xFFFF; });
    TextureRecord* unused = obxTextureLoad("unused.3df", 0);
    ASSERT_NE(unused, nullptr);
    cubeCreate({0, 0, 10}, 1, whiteTexture());
    obxWorldRender(0);
    EXPECT_EQ(whiteTexture()->usedRecently, 1);
    EXPECT_EQ(whiteTexture()->useCount, 2);   // one selection per drawn triangle
    EXPECT_EQ(unused->usedRecently, 0);
}

TEST_F(WorldRenderTest, FarObjectsAreDrawnFirst)
{
    // Added near first; drawn far first.
    Object* a = cubeCreate({0, 0, 10}, 1, whiteTexture());
    Object* b = cubeCreate({3, 0, 40}, 1, whiteTexture());
    Object* c = cubeCreate({-3, 0, 25}, 1, whiteTexture());
    traceStart();
    obxWorldRender(0);
    traceStop();
    ASSERT_EQ(render.visibleObjectCount, 3);
    EXPECT_EQ(render.visibleObjects[0].object, b);
    EXPECT_EQ(render.visibleObjects[1].object, c);
    EXPECT_EQ(render.visibleObjects[2].object, a);
    // The first polygon drawn is the far cube's (right of the centre).
    std::vector<std::string> draws = traceCalls("grDrawVertexArray");
    ASSERT_GE(draws.size(), 6u);
    EXPECT_EQ(draws[0].compare(0, 24, "grDrawVertexArray(5, 3 {"), 0);
    float x = std::stof(draws[0].substr(24));
    EXPECT_GT(x, 320.0f) << draws[0];

    // Moving the camera behind them turns the order round.
    Camera* camera = obxCameraCreate(0, 0, 60, 0, 180, 0);
    obxCameraSetActive(camera);
    obxWorldRender(0);
    ASSERT_EQ(render.visibleObjectCount, 3);
    EXPECT_EQ(render.visibleObjects[0].object, a);
    EXPECT_EQ(render.visibleObjects[2].object, b);
    obxCameraSetActive(&view.defaultCamera);
    free(camera);
}

TEST_F(WorldRenderTest, MoreThanTenThousandVisibleObjectsAreAllDrawn)
{
    // 10050 small triangles facing the camera, none culled.
    const int count = 10050;
    for (int i = 0; i < count; i++) {
        float x = (float)(i % 100) - 50.0f, y = (float)(i / 100) - 50.0f;
        triangleCreate({x, y, 200}, {x + 0.5f, y + 1, 200}, {x + 1, y, 200}, nullptr);
    }
    obxWorldRender(0);
    EXPECT_EQ(render.visibleObjectCount, count);
    EXPECT_EQ(obxPerformanceGet()->polygonsDrawn, (uint32_t)count);
    obxWorldRender(0);
    EXPECT_EQ(obxPerformanceGet()->polygonsDrawn, 2u * count);
}

TEST_F(WorldRenderTest, DynamicLightMarksClearedAfterEachFrame)
{
    DynamicLight* light = obxDynLightsourceAdd(5, 0, 0, 10, 1, 1, 1);
    cubeCreate({0, 0, 10}, 1, whiteTexture());
    obxWorldRender(0);
    EXPECT_EQ(light->changed, 0);
    EXPECT_EQ(light->moved, 0);
    obxDynLightsourceChangeXYZ(light, 0, 0, 10);
    obxWorldRender(0);
    EXPECT_EQ(light->changed, 0);
    obxDynLightsourceChangeXYZ(light, 0, 1, 10);
    EXPECT_EQ(light->moved, 1);
    obxWorldRender(0);
    EXPECT_EQ(light->changed | light->moved, 0);
}
