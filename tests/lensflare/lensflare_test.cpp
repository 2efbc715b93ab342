// Lens flares: the marker pixel and its read-back, brightness, the flare axis,
// elements cut at the drawing area, occlusion and frame-buffer failures.
#include <stdio.h>

#include <initializer_list>

#include "light/light.h"
#include "math/math3d.h"
#include "obx_overlay.h"
#include "terrain/terrain.h"
#include "view/view.h"

namespace {

struct Element {
    float axisPosition, halfSize;
};

// A Glide call as the trace writes it, from integer arguments.
std::string call(const std::string& name, std::initializer_list<long> args)
{
    std::string text = name + "(";
    const char* comma = "";
    for (long a : args) {
        text += comma + std::to_string(a);
        comma = ", ";
    }
    return text + ")";
}

class Flare : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        white = textureSolid("flare.3df", C565_WHITE);
    }

    // A light at `position` carrying a flare of the given elements.
    LightSource* flareLight(Vector position, std::initializer_list<Element> elements,
                            TextureRecord* texture = nullptr)
    {
        std::vector<TextureRecord*> textures;
        std::vector<float> sizes, positions;
        for (const Element& e : elements) {
            textures.push_back(texture ? texture : white);
            sizes.push_back(e.halfSize);
            positions.push_back(e.axisPosition);
        }
        LensFlare* flare = obxLensflareCreate((int)elements.size(), textures.data(), sizes.data(),
                                              positions.data());
        EXPECT_NE(flare, nullptr);
        const uint32_t extra[3] = {0, 0, 0};
        return obxLightsourceAdd(1, 1, 1, position.x, position.y, position.z, 0, flare, extra);
    }

    // Renders a frame over black, recording the Glide calls.
    Frame render()
    {
        backgroundFill(0, 0, 0);
        traceStart();
        obxWorldRender(0);
        traceStop();
        return frameGrab();
    }

    // The flare squares drawn (four-corner fans; objects draw three-corner ones).
    std::vector<std::string> squares()
    {
        std::vector<std::string> found;
        for (const std::string& line : traceCalls("grDrawVertexArray")) {
            if (line.compare(0, 23, "grDrawVertexArray(5, 4 ") == 0)
                found.push_back(line);
        }
        return found;
    }

    TextureRecord* white = nullptr;
};

}   // namespace

TEST_F(Flare, CreateKeepsElementsInFieldOrder)
{
    TextureRecord* textures[2] = {white, white};
    const float sizes[2] = {8, 16}, positions[2] = {1.0f, -0.5f};
    LensFlare* flare = obxLensflareCreate(2, textures, sizes, positions);
    ASSERT_NE(flare, nullptr);
    EXPECT_EQ(flare->elementCount, 2);
    EXPECT_EQ(flare->elements[1].texture, white);
    EXPECT_EQ(flare->elements[1].axisPosition, -0.5f);
    EXPECT_EQ(flare->elements[1].halfSize, 16.0f);
    EXPECT_EQ(obxLensflareCreate(-1, textures, sizes, positions), nullptr);
    EXPECT_EQ(obxLensflareCreate(2, nullptr, sizes, positions), nullptr);
    LensFlare* none = obxLensflareCreate(0, nullptr, nullptr, nullptr);
    ASSERT_NE(none, nullptr);
    EXPECT_EQ(none->elementCount, 0);
}

TEST_F(Flare, OnTheViewAxisAtFullBrightness)
{
    // The table square root runs short, so on the axis the cosine comes out
    // at 1 or a little above: always alpha 255.
    for (float z : {100.0f, 300.0f, 777.0f, 1234.0f}) {
        SCOPED_TRACE(z);
        LightSource* light = flareLight({0, 0, z}, {{1.0f, 8.0f}});
        Frame frame = render();
        obxLightsourceDelete(light);
        EXPECT_EQ(traceCalls("grLfbWriteRegion"),
                  std::vector<std::string>{"grLfbWriteRegion(1, 320, 240, 0, 1, 1, 0, 2, ptr)"});
        EXPECT_EQ(traceCalls("grLfbReadRegion"),
                  std::vector<std::string>{"grLfbReadRegion(1, 320, 240, 1, 1, 2, ptr)"});
        EXPECT_EQ(squares(),
                  std::vector<std::string>{
                      "grDrawVertexArray(5, 4 {312 248} {312 232} {328 232} {328 248})"});
        // White texels at alpha 255 added to black: a white 16 x 16 square.
        PixelBox box = pixelBoxOf(frame, C565_WHITE);
        EXPECT_EQ(box.count, 256);
        EXPECT_EQ(box.left, 312);
        EXPECT_EQ(box.top, 232);
    }
    // The flare's state, set and restored around its squares.
    std::vector<std::string> lines = traceLines();
    const std::vector<std::string> state = {
        call("grDepthBufferMode", {GR_DEPTHBUFFER_DISABLE}),
        call("grTexFilterMode",
             {GR_TMU0, GR_TEXTUREFILTER_POINT_SAMPLED, GR_TEXTUREFILTER_POINT_SAMPLED}),
        call("grTexFilterMode",
             {GR_TMU1, GR_TEXTUREFILTER_POINT_SAMPLED, GR_TEXTUREFILTER_POINT_SAMPLED}),
        call("grColorCombine", {GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL_ALPHA,
                                GR_COMBINE_LOCAL_CONSTANT, GR_COMBINE_OTHER_TEXTURE, 0}),
        call("grAlphaCombine", {GR_COMBINE_FUNCTION_LOCAL_ALPHA, GR_COMBINE_FACTOR_ZERO,
                                GR_COMBINE_LOCAL_CONSTANT, GR_COMBINE_OTHER_CONSTANT, 0}),
        "grConstantColorValue(0xFF000000)",
        call("grAlphaBlendFunction", {GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ZERO, GR_BLEND_ZERO}),
        call("grAlphaTestFunction", {GR_CMP_ALWAYS}),
    };
    const std::vector<std::string> restore = {
        call("grTexFilterMode", {GR_TMU0, GR_TEXTUREFILTER_BILINEAR, GR_TEXTUREFILTER_BILINEAR}),
        call("grTexFilterMode", {GR_TMU1, GR_TEXTUREFILTER_BILINEAR, GR_TEXTUREFILTER_BILINEAR}),
        call("grColorCombine", {GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL,
                                GR_COMBINE_LOCAL_ITERATED, GR_COMBINE_OTHER_TEXTURE, 0}),
        call("grAlphaCombine", {GR_COMBINE_FUNCTION_LOCAL_ALPHA, GR_COMBINE_FACTOR_ZERO,
                                GR_COMBINE_LOCAL_CONSTANT, GR_COMBINE_OTHER_CONSTANT, 0}),
        "grConstantColorValue(0xFF000000)",
        call("grAlphaBlendFunction",
             {GR_BLEND_SRC_ALPHA, GR_BLEND_ONE_MINUS_SRC_ALPHA, GR_BLEND_ZERO, GR_BLEND_ZERO}),
        call("grDepthBufferMode", {GR_DEPTHBUFFER_WBUFFER}),
    };
    int read = traceFind("grLfbReadRegion(1, 320, 240, 1, 1, 2, ptr)");
    ASSERT_GE(read, 0);
    ASSERT_GT(lines.size(), read + state.size() + 2 + restore.size());
    EXPECT_EQ(std::vector<std::string>(lines.begin() + read + 1,
                                       lines.begin() + read + 1 + (long)state.size()),
              state);
    auto end = lines.begin() + read + 1 + (long)state.size() + 2;   // texture and square
    EXPECT_EQ(std::vector<std::string>(end, end + (long)restore.size()), restore);
}

TEST_F(Flare, FarOnTheAxisStillAtFullBrightness)
{
    for (float z : {1e19f, 3e19f, 1e20f, 1e25f, 1e30f, 1e38f, 3e38f}) {
        SCOPED_TRACE(z);
        LightSource* light = flareLight({0, 0, z}, {{0.0f, 4.0f}});
        render();
        obxLightsourceDelete(light);
        EXPECT_EQ(traceFirst("grConstantColorValue"), "grConstantColorValue(0xFF000000)");
    }
}

TEST_F(Flare, BrightnessFallsOffTheAxis)
{
    // 45 degrees off the axis, on the right edge of the screen: the marker goes
    // to the last column rather than past it.
    flareLight({100, 0, 100}, {{0.0f, 4.0f}});
    Frame frame = render();
    EXPECT_EQ(traceCalls("grLfbWriteRegion"),
              std::vector<std::string>{"grLfbWriteRegion(1, 639, 240, 0, 1, 1, 0, 2, ptr)"});
    const float v[3] = {100, 0, 100};
    uint32_t alpha = (uint32_t)(100.0f / (float)VectorLenght(v) * 255.0f);
    EXPECT_NEAR(alpha, 180, 2);
    char colour[40];
    snprintf(colour, sizeof colour, "grConstantColorValue(0x%02X000000)", alpha);
    EXPECT_EQ(traceFirst("grConstantColorValue"), colour);
    // Drawn at the centre (axis position 0), white scaled by alpha / 255.
    uint16_t pixel = pixelFromTop(frame, 320, 240);
    EXPECT_TRUE(pixelShows(pixel, (float)alpha, (float)alpha, (float)alpha)) << std::hex << pixel;
    EXPECT_TRUE(fileRead("Ombrix.log").find("Unable") == std::string::npos);
}

TEST_F(Flare, NoneBehindTheCameraOrOffTheDrawingArea)
{
    flareLight({0, 0, -100}, {{1.0f, 8.0f}});
    flareLight({0, 0, 2.0f}, {{1.0f, 8.0f}});    // not beyond the near distance
    flareLight({150, 0, 100}, {{0.0f, 8.0f}});   // off screen, its element would be inside
    flareLight({0, 0, 100}, {});                 // a flare without elements marks only
    Frame frame = render();
    EXPECT_EQ(traceCalls("grLfbWriteRegion").size(), 1u);
    EXPECT_TRUE(squares().empty());
    // The marker stays in the picture.
    EXPECT_EQ(pixelBoxOf(frame, C565_WHITE).count, 1);
    EXPECT_EQ(pixelFromTop(frame, 320, 240), C565_WHITE);
}

TEST_F(Flare, ElementsLieOnTheAxisThroughTheCentre)
{
    // Screen point (480, 240): 160 right of the centre.
    flareLight({50, 0, 100}, {{-1.0f, 4.0f}, {0.5f, 4.0f}, {1.0f, 2.0f}});
    Frame frame = render();
    EXPECT_EQ(squares(), (std::vector<std::string>{
                             "grDrawVertexArray(5, 4 {156 244} {156 236} {164 236} {164 244})",
                             "grDrawVertexArray(5, 4 {396 244} {396 236} {404 236} {404 244})",
                             "grDrawVertexArray(5, 4 {478 242} {478 238} {482 238} {482 242})"}));
    PixelBox lit = pixelBox(frame, [](uint16_t p) { return p != 0; });
    EXPECT_EQ(lit.count, 64 + 64 + 16);
    EXPECT_EQ(lit.left, 156);
    EXPECT_EQ(lit.right, 481);
    EXPECT_NE(pixelFromTop(frame, 160, 240), 0);
}

TEST_F(Flare, ElementsAreCutAtTheDrawingArea)
{
    // Left half red, right half green; the light's square crosses the right
    // edge at 640 and loses a quarter of its texture with it.
    TextureRecord* halves =
        textureOf("halves.3df", 8, 8, [](int x, int) { return x < 4 ? C565_RED : C565_GREEN; });
    flareLight({98.75f, 0, 100}, {{1.0f, 8.0f}}, halves);
    Frame frame = render();
    ASSERT_EQ(squares().size(), 1u);
    EXPECT_EQ(squares()[0], "grDrawVertexArray(5, 4 {628 248} {628 232} {640 232} {640 248})");
    // Scaled by the light's brightness, the halves stay pure red and green.
    PixelBox red = pixelBox(frame, [](uint16_t p) { return p != 0 && (p & 0x07FF) == 0; });
    PixelBox green = pixelBox(frame, [](uint16_t p) { return p != 0 && (p & 0xF81F) == 0; });
    EXPECT_EQ(red.left, 628);
    EXPECT_EQ(red.right, 635);
    EXPECT_EQ(green.left, 636);
    EXPECT_EQ(green.right, 639);
    EXPECT_EQ(red.count + green.count + 1, 12 * 16);   // the marker pixel is white
}

TEST_F(Flare, ElementsWhollyOutsideTheDrawingAreaAreLeftOut)
{
    // Drawing area x 0..400, centre 200; the light at 390. The element at axis
    // position 2 (x 580) lies wholly beyond the edge and is not drawn; no pixel
    // right of the area is touched.
    obxRenderWindowSet(0, 0, 400, 480);
    flareLight({95, 0, 100}, {{1.0f, 6.0f}, {2.0f, 6.0f}, {1.0f, 0.0f}});
    Frame frame = render();
    EXPECT_EQ(squares().size(), 1u);
    PixelBox lit = pixelBox(frame, [](uint16_t p) { return p != 0; });
    EXPECT_LE(lit.right, 399);
    EXPECT_GT(lit.count, 0);
}

TEST_F(Flare, HiddenByAnObjectButNotByTheSkyBox)
{
    TextureRecord* blue = textureSolid("blue.3df", C565_BLUE);
    obxSkyboxAdd(100, blue, blue, blue, blue, blue, blue);
    flareLight({0, 0, 500}, {{1.0f, 8.0f}});
    render();
    EXPECT_EQ(squares().size(), 1u);
    cubeCreate({0, 0, 50}, 5, nullptr);
    Frame frame = render();
    EXPECT_EQ(traceCalls("grLfbReadRegion").size(), 1u);
    EXPECT_TRUE(squares().empty());
    EXPECT_NE(pixelFromTop(frame, 320, 240), C565_WHITE);
}

TEST_F(Flare, BottomEdgeMarksTheLastLine)
{
    // Screen y just above 0: the row counted from the top would be 480, one
    // past the last line.
    flareLight({0, -99.9f, 100}, {{1.0f, 8.0f}});
    Frame frame = render();
    EXPECT_EQ(traceCalls("grLfbWriteRegion"),
              std::vector<std::string>{"grLfbWriteRegion(1, 320, 479, 0, 1, 1, 0, 2, ptr)"});
    EXPECT_EQ(squares().size(), 1u);
    EXPECT_EQ(pixelBoxOf(frame, C565_WHITE).bottom, 479);
}

TEST_F(Flare, FrameBufferFailuresAreLoggedAndCostTheFlare)
{
    flareLight({0, 0, 100}, {{1.0f, 8.0f}});
    flareLight({0, 10, 100}, {{1.0f, 8.0f}});
    obxWorldRender(0);
    // With the Glide window closed neither the marker nor the read-back works.
    obxLooseFocus();
    flareMarkPass();
    flareDrawPass();
    obxSetFocus();
    fflush(core.logFile);
    std::string log = fileRead("Ombrix.log");
    const std::string both =
        "Unable to write to linear frame buffer!Unable to write to linear frame buffer!"
        "Unable to read data from Linear Frame Buffer!Unable to read data from Linear Frame "
        "Buffer!";
    EXPECT_NE(log.find(both), std::string::npos) << log;
}
