// The device's own window on a (virtual) X display, in a program that does
// not use SDL itself: it shows the last frame again when hidden and shown or
// resized, scaled to the window, with no further Glide call.
#include <glide.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "obx_program.h"

namespace {

struct Vertex {
    float x, y, r, g, b;
};

void quad(float x0, float y0, float x1, float y1, float r, float g, float b)
{
    Vertex a = {x0, y0, r, g, b}, c = {x1, y1, r, g, b}, d = {x1, y0, r, g, b},
           e = {x0, y1, r, g, b};
    grDrawTriangle(&a, &d, &c);
    grDrawTriangle(&a, &c, &e);
}

// Red, green, blue and white quarters over a screen of width x height.
void drawQuarters(int width, int height)
{
    float w = (float)width / 2, h = (float)height / 2;
    grBufferClear(0, 0, 0);
    quad(0, 0, w, h, 255, 0, 0);
    quad(w, 0, 2 * w, h, 0, 255, 0);
    quad(0, h, w, 2 * h, 0, 0, 255);
    quad(w, h, 2 * w, 2 * h, 255, 255, 255);
    grBufferSwap(0);
}

bool near(const Mean& m, double r, double g, double b)
{
    return std::abs(m.r - r) < 12 && std::abs(m.g - g) < 12 && std::abs(m.b - b) < 12;
}

// The quarters in the screen's rectangle [0, width) x [0, height), and
// nothing beyond it; red at `red` (the gamma may change it).
bool showsQuarters(const Image& shot, int width, int height, double red = 255)
{
    if (shot.width < width || shot.height < height)
        return false;
    int w = width / 2, h = height / 2, m = width / 16;
    bool inside = near(meanColour(shot, m, m, w - m, h - m), red, 0, 0) &&
                  near(meanColour(shot, w + m, m, 2 * w - m, h - m), 0, 255, 0) &&
                  near(meanColour(shot, m, h + m, w - m, 2 * h - m), 0, 0, 255) &&
                  near(meanColour(shot, w + m, h + m, 2 * w - m, 2 * h - m), red, 255, 255);
    bool outside = width == shot.width ||
                   near(meanColour(shot, width + 1, 0, shot.width, shot.height), 0, 0, 0);
    return inside && outside;
}

bool xdotool(const std::string& what)
{
    return system(("xdotool " + what).c_str()) == 0;
}

TEST(OwnWindow, ShowsItsLastFrameAgainWhenHiddenShownAndResized)
{
    grGlideInit();
    grSstSelect(0);
    // The screen is 640 x 480: the window covers it.
    GrContext_t context = grSstWinOpen(0, GR_RESOLUTION_640x480, GR_REFRESH_60Hz,
                                       GR_COLORFORMAT_ARGB, GR_ORIGIN_UPPER_LEFT, 2, 0);
    ASSERT_NE(context, (GrContext_t)0);
    std::string window = windowFind("Glide", 10);
    ASSERT_FALSE(window.empty());
    grVertexLayout(GR_PARAM_XY, 0, GR_PARAM_ENABLE);
    grVertexLayout(GR_PARAM_RGB, 8, GR_PARAM_ENABLE);
    grColorCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_ITERATED,
                   GR_COMBINE_OTHER_NONE, FXFALSE);
    drawQuarters(640, 480);
    auto quarters = [](const Image& shot) { return showsQuarters(shot, 640, 480); };
    EXPECT_TRUE(quarters(screenWait("own-shown.png", quarters, 10)));

    ASSERT_TRUE(xdotool("windowunmap --sync " + window));
    EXPECT_TRUE(near(meanColour(screenTake("own-hidden.png"), 0, 0, 640, 480), 0, 0, 0));
    ASSERT_TRUE(xdotool("windowmap --sync " + window));
    EXPECT_TRUE(quarters(screenWait("own-again.png", quarters, 10)));

    ASSERT_TRUE(xdotool("windowsize --sync " + window + " 320 240"));
    auto small = [](const Image& shot) { return showsQuarters(shot, 320, 240); };
    EXPECT_TRUE(small(screenWait("own-small.png", small, 10)));

    // A gamma table shows on the next frame, in the window as it is now.
    FxU32 half[256], same[256];
    for (int i = 0; i < 256; i++) {
        half[i] = (FxU32)i / 2;
        same[i] = (FxU32)i;
    }
    grLoadGammaTable(256, half, same, same);
    drawQuarters(640, 480);
    auto darker = [](const Image& shot) { return showsQuarters(shot, 320, 240, 127); };
    EXPECT_TRUE(darker(screenWait("own-gamma.png", darker, 10)));

    EXPECT_TRUE(grSstWinClose(context));
    EXPECT_TRUE(windowFind("Glide", 1).empty());
    grGlideShutdown();
}

}   // namespace
