// The start-up picture: "Init.3df" stretched over the whole screen and shown
// by obxInitialize, at every resolution; none without the file.
#include <stdlib.h>

#include "obx_overlay.h"
#include "overlay/overlay.h"
#include "texture/texture.h"

namespace {

// Starts the engine in a directory whose "Init.3df" has four coloured
// quadrants (or none), recording the Glide calls of the start-up.
int startWithPicture(int resolution, bool picture)
{
    setenv("OBX_GLIDE_DISPLAY", "headless", 1);
    sessionDirEnter({"white.3df", "DefaultCS.3df"});
    if (picture) {
        write3dfTexels("Init.3df", 8, 8, [](int x, int y) {
            if (y < 4)
                return x < 4 ? (uint16_t)C565_RED : (uint16_t)C565_GREEN;
            return x < 4 ? (uint16_t)C565_BLUE : (uint16_t)C565_YELLOW;
        });
    }
    traceStart();
    int started = obxInitialize(NULL, resolution);
    traceStop();
    return started;
}

}   // namespace

TEST(StartupPicture, FillsTheFrontBufferAtEveryResolution)
{
    for (int resolution : {0, 3}) {
        SCOPED_TRACE(resolution);
        ASSERT_EQ(startWithPicture(resolution, true), 1);
        Frame front = frameGrab(GR_BUFFER_FRONTBUFFER);
        int w = (int)front.width, h = (int)front.height;
        EXPECT_EQ(pixelFromTop(front, 0, 0), C565_RED);
        EXPECT_EQ(pixelFromTop(front, w - 1, 0), C565_GREEN);
        EXPECT_EQ(pixelFromTop(front, 0, h - 1), C565_BLUE);
        EXPECT_EQ(pixelFromTop(front, w - 1, h - 1), C565_YELLOW);
        // Each quadrant holds its colour away from the bilinear seams.
        for (uint16_t colour : {C565_RED, C565_GREEN, C565_BLUE, C565_YELLOW}) {
            PixelBox box = pixelBoxOf(front, colour);
            EXPECT_GT(box.count, w * h / 4 - (w + h) * w / 32);
            EXPECT_LE(box.right - box.left + 1, w / 2 + w / 16);
        }
        // Drawn opaque, unkeyed, then shown at once; the 2D state is closed.
        EXPECT_EQ(traceCalls("grBufferSwap"), std::vector<std::string>{"grBufferSwap(0)"});
        EXPECT_EQ(traceCalls("grDrawTriangle").size(), 2u);
        std::vector<std::string> lines = traceLines();
        int swap = traceFind("grBufferSwap(0)");
        ASSERT_GT(swap, 0);
        ASSERT_LT(swap + 1, (int)lines.size());
        EXPECT_EQ(lines[swap + 1], "grChromakeyMode(0)");
        EXPECT_EQ(overlay.chromaKeyFlag, 0);
        engineStop();
    }
}

TEST(StartupPicture, NoneWithoutTheFile)
{
    ASSERT_EQ(startWithPicture(0, false), 1);
    EXPECT_TRUE(traceCalls("grBufferSwap").empty());
    EXPECT_TRUE(traceCalls("grDrawTriangle").empty());
    EXPECT_EQ(traceCalls("grChromakeyMode"), std::vector<std::string>{"grChromakeyMode(0)"});
    engineStop();
}

TEST(StartupPicture, OurOwnPictureReachesTheCorners)
{
    ASSERT_EQ(engineStart(1), 1);
    Frame front = frameGrab(GR_BUFFER_FRONTBUFFER);
    ASSERT_EQ(front.width, 800u);
    const TextureRecord* picture = textureFind("Init.3df");
    ASSERT_NE(picture, nullptr);
    // Each corner pixel shows the picture's corner texel (256 x 256, one level).
    const uint16_t* texels = (const uint16_t*)picture->info.data;
    EXPECT_EQ(pixelFromTop(front, 0, 0), texels[0]);
    EXPECT_EQ(pixelFromTop(front, 799, 0), texels[255]);
    EXPECT_EQ(pixelFromTop(front, 0, 599), texels[255 * 256]);
    EXPECT_EQ(pixelFromTop(front, 799, 599), texels[255 * 256 + 255]);
    engineStop();
}
