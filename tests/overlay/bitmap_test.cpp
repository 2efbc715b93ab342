// Bitmaps: placement over the whole screen, opacity, and the chroma key
// switched only when it changes.
#include <sys/stat.h>

#include "obx_overlay.h"
#include "overlay/overlay.h"

TEST(Bitmap, FullVirtualScreenCoversEveryPixelAtAnyResolution)
{
    for (int resolution : {0, 4}) {
        SCOPED_TRACE(resolution);
        ASSERT_EQ(engineStart(resolution), 1);
        Bitmap* bitmap = obxBitmapCreate(textureSolid("green.3df", C565_GREEN), 0, 0, 0, nullptr);
        ASSERT_NE(bitmap, nullptr);
        backgroundFill(0, 0, 0);
        obxBitmapDrawXY(bitmap, 0, 0, 640, 480);
        Frame frame = frameGrab();
        EXPECT_EQ(pixelBoxOf(frame, C565_GREEN).count, (int)(frame.width * frame.height));
        engineStop();
    }
}

class BitmapDrawing : public EngineTest {};

TEST_F(BitmapDrawing, OpacityZeroIsInvisibleAnd255Opaque)
{
    TextureRecord* white = textureSolid("white8.3df", C565_WHITE);
    Bitmap* clear = obxBitmapCreate(white, 1, 0.0f, 0, nullptr);
    Bitmap* solid = obxBitmapCreate(white, 1, 255.0f, 0, nullptr);
    Bitmap* half = obxBitmapCreate(white, 1, 128.0f, 0, nullptr);
    // Beyond 255 an opacity is held to 255, not wrapped into the colour.
    Bitmap* over = obxBitmapCreate(white, 1, 300.0f, 0, nullptr);
    backgroundFill(0, 0, 1);
    obxBitmapDrawXY(clear, 0, 0, 100, 100);
    obxBitmapDrawXY(solid, 100, 0, 100, 100);
    obxBitmapDrawXY(half, 200, 0, 100, 100);
    traceStart();
    obxBitmapDrawXY(over, 300, 0, 100, 100);
    traceStop();
    Frame frame = frameGrab();
    EXPECT_EQ(pixelFromTop(frame, 50, 50), C565_BLUE);
    EXPECT_EQ(pixelFromTop(frame, 150, 50), C565_WHITE);
    EXPECT_TRUE(pixelShows(pixelFromTop(frame, 250, 50), 128, 128, 255));
    EXPECT_EQ(pixelFromTop(frame, 350, 50), C565_WHITE);
    EXPECT_EQ(traceFirst("grConstantColorValue"), "grConstantColorValue(0xFF000000)");
    // Opaque mode 0 sets full alpha; other modes keep the constant colour.
    Bitmap* other = obxBitmapCreate(white, 5, 0.0f, 0, nullptr);
    traceStart();
    obxBitmapDrawXY(other, 0, 0, 10, 10);
    traceStop();
    EXPECT_TRUE(traceCalls("grConstantColorValue").empty());
}

TEST_F(BitmapDrawing, TwoKeyedBitmapsSwitchTheKeyOnOnce)
{
    mkdir("b", 0777);
    TextureRecord* texture = textureOf(
        "b/keyed.3df", 8, 8, [](int x, int) { return x < 4 ? C565_MAGENTA : C565_WHITE; });
    const float magenta[3] = {1.0f, 0.0f, 1.0f};
    Bitmap* first = obxBitmapCreate(texture, 0, 0, 1, magenta);
    Bitmap* second = obxBitmapCreate(texture, 0, 0, 1, magenta);
    // Keying off, yet the colour is kept.
    Bitmap* plain = obxBitmapCreate(texture, 0, 0, 0, magenta);
    EXPECT_EQ(plain->chromaColour[2], 1.0f);

    backgroundFill(0, 1, 0);
    traceStart();
    obxBitmapDrawXY(first, 0, 0, 80, 80);
    obxBitmapDrawXY(second, 100, 0, 80, 80);
    traceStop();
    EXPECT_EQ(traceCalls("grChromakeyMode"), std::vector<std::string>{"grChromakeyMode(1)"});
    EXPECT_EQ(
        traceCalls("grChromakeyValue"),
        (std::vector<std::string>{"grChromakeyValue(0x00FF00FF)", "grChromakeyValue(0x00FF00FF)"}));
    Frame frame = frameGrab();
    EXPECT_EQ(pixelFromTop(frame, 5, 40), C565_GREEN);
    EXPECT_EQ(pixelFromTop(frame, 75, 40), C565_WHITE);
    EXPECT_EQ(pixelFromTop(frame, 105, 40), C565_GREEN);

    // The unkeyed bitmap turns the key off, draws its magenta, and only once.
    traceStart();
    obxBitmapDrawXY(plain, 200, 0, 80, 80);
    obxBitmapDrawXY(plain, 300, 0, 80, 80);
    traceStop();
    EXPECT_EQ(traceCalls("grChromakeyMode"), std::vector<std::string>{"grChromakeyMode(0)"});
    EXPECT_TRUE(traceCalls("grChromakeyValue").empty());
    EXPECT_EQ(pixelFromTop(frameGrab(), 205, 40), C565_MAGENTA);
}

TEST_F(BitmapDrawing, QuadCornersAndTextureCoordinates)
{
    Bitmap* bitmap = obxBitmapCreate(textureSolid("red.3df", C565_RED), 0, 0, 0, nullptr);
    traceStart();
    obxBitmapDrawXY(bitmap, 10, 20, 30, 40);
    traceStop();
    // Virtual (10, 20) to (40, 60), y down, on a 480-line screen.
    EXPECT_EQ(traceCalls("grDrawTriangle"),
              (std::vector<std::string>{"grDrawTriangle({10 460} {10 420} {40 420})",
                                        "grDrawTriangle({40 420} {40 460} {10 460})"}));
    // Nothing to draw from a bitmap without a texture, or without a bitmap.
    Bitmap* empty = obxBitmapCreate(nullptr, 0, 0, 0, nullptr);
    traceStart();
    obxBitmapDrawXY(empty, 0, 0, 640, 480);
    obxBitmapDrawXY(nullptr, 0, 0, 640, 480);
    traceStop();
    EXPECT_TRUE(traceCalls("grDrawTriangle").empty());
}
