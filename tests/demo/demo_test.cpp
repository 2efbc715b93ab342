// obx-demo as a user runs it: headless, where it renders its tour and writes
// the frames asked for; in a window on a virtual X display, where its keys
// switch the camera, the fog and the pause and Escape ends it; and on a
// machine without a board or without its data files, where it says so and
// ends with exit code 1.
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "demo_files.h"
#include "obx_program.h"
#include "obx_test.h"

namespace {

pid_t demoStart(const std::vector<std::string>& args, const Env& env, bool display)
{
    return programStart(OBX_DEMO_PATH, args, env, display);
}

// The frame looks like the demo: sky above, grass below, the read-outs'
// panel along the bottom.
struct DemoLook {
    Mean sky, grass, panel;
    explicit DemoLook(const Image& frame)
        : sky(meanColour(frame, 240, 70, 400, 90)), grass(meanColour(frame, 0, 400, 640, 440)),
          panel(meanColour(frame, 0, 456, 640, 480))
    {}
    bool sky_blue() const
    {
        return sky.b > sky.r && sky.b > 120.0;
    }
    bool grass_green() const
    {
        return grass.g > grass.r * 1.2 && grass.g > grass.b * 1.2;
    }
    bool panel_dark() const
    {
        return panel.r + panel.g + panel.b < grass.r + grass.g + grass.b;
    }
};

bool looksLikeTheDemo(const Image& frame)
{
    if (frame.width != 640 || frame.height != 480)
        return false;
    DemoLook look(frame);
    return look.sky_blue() && look.grass_green() && look.panel_dark();
}

void expectDemoFrame(const Image& frame)
{
    ASSERT_EQ(frame.width, 640);
    ASSERT_EQ(frame.height, 480);
    DemoLook look(frame);
    SCOPED_TRACE(::testing::Message()
                 << "sky " << look.sky.r << " " << look.sky.g << " " << look.sky.b << ", grass "
                 << look.grass.r << " " << look.grass.g << " " << look.grass.b);
    EXPECT_TRUE(look.sky_blue());
    EXPECT_TRUE(look.grass_green());
    EXPECT_TRUE(look.panel_dark());
}

// The share of the upper part of the picture in the fog's colour
// (188, 204, 226), as the 5-6-5 screen shows it.
double fogShare(const Image& frame)
{
    if (frame.width != 640 || frame.height != 480)
        return 0;
    int fog = 0, all = 0;
    for (int y = 70; y < 220; y++) {
        for (int x = 0; x < 640; x++, all++) {
            const uint8_t* p = frame.at(x, y);
            fog += abs(p[0] - 189) <= 4 && abs(p[1] - 206) <= 4 && abs(p[2] - 231) <= 4;
        }
    }
    return (double)fog / all;
}

class DemoProgram : public ::testing::Test {
protected:
    void SetUp() override
    {
        sessionDirEnter(demoDataFiles());
    }
    void TearDown() override
    {
        programStopAll();
        sessionDirLeave();
    }
};

using Headless = DemoProgram;
using Window = DemoProgram;

}   // namespace

TEST_F(Headless, RendersItsTourAndWritesTheFramesAskedFor)
{
    pid_t pid = demoStart({"--frames", "200", "--shots", "100,200", "--out", "shots"}, {}, false);
    ASSERT_EQ(programWait(pid, 600), 0) << fileRead("stderr.txt");
    std::string out = fileRead("stdout.txt");
    EXPECT_NE(out.find("frame 100 written to " + sessionDir() + "/shots/obx-demo-00100.png"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("200 frames"), std::string::npos) << out;
    Image first = pngRead("shots/obx-demo-00100.png"), last = pngRead("shots/obx-demo-00200.png");
    expectDemoFrame(first);
    expectDemoFrame(last);
    EXPECT_LT(sharedPixels(first, last), 0.9) << "the scene moves";
    // The tank meets the ball early in its loop.
    EXPECT_EQ(out.find(", 0 bumps"), std::string::npos) << out;
    EXPECT_NE(fileRead("Ombrix.log").find("Loading object: tank.3ds\n\n"), std::string::npos);
}

TEST_F(Headless, WithoutABoardOrItsDataItSaysSoAndEndsWithExitCode1)
{
    pid_t pid = demoStart({"--frames", "1"}, {{"OBX_GLIDE_NO_BOARD", "1"}}, false);
    EXPECT_EQ(programWait(pid, 60), 1);
    EXPECT_NE(fileRead("stderr.txt").find("Couldn't initialize Ombrix!\n"), std::string::npos);

    ASSERT_EQ(unlink("terrain256.3df"), 0);
    pid = demoStart({"--frames", "1"}, {}, false);
    EXPECT_EQ(programWait(pid, 60), 1);
    EXPECT_NE(fileRead("stderr.txt").find("terrain256.3df"), std::string::npos)
        << fileRead("stderr.txt");

    pid = demoStart({"--frames", "x", "--bogus"}, {}, false);
    EXPECT_EQ(programWait(pid, 60), 2);
    EXPECT_NE(fileRead("stderr.txt").find("usage: obx-demo"), std::string::npos);
}

TEST_F(Window, KeysSwitchCameraFogAndPauseAndEscapeEndsIt)
{
    pid_t pid = demoStart({}, {}, true);
    std::string window = windowFind("Ombrix Demo");
    ASSERT_FALSE(window.empty()) << fileRead("stderr.txt");

    // Running, once the start-up picture has gone: the picture moves.
    Image a = screenWait("a.png", looksLikeTheDemo, 120);
    Image b = screenWait("b.png", [&](const Image& now) {
        return looksLikeTheDemo(now) && sharedPixels(a, now) < 0.9;
    });
    expectDemoFrame(b);
    EXPECT_LT(sharedPixels(a, b), 0.9);

    // Each key is answered on the standard output once it has been handled.
    ASSERT_TRUE(keysPress(window, "2"));
    ASSERT_TRUE(keysPress(window, "5 1"));
    ASSERT_TRUE(outputWait("stdout.txt", "camera 1 CHASE"));
    // Fog on: the sky far behind the hills takes the fog's colour.
    double clear = fogShare(screenTake("clear.png"));
    ASSERT_TRUE(keysPress(window, "f"));
    ASSERT_TRUE(outputWait("stdout.txt", "fog on"));
    Image fogged = screenWait("fogged.png", [](const Image& now) { return fogShare(now) > 0.25; });
    EXPECT_GT(fogShare(fogged), 0.25);
    EXPECT_GT(fogShare(fogged), clear + 0.15);
    ASSERT_TRUE(keysPress(window, "f"));
    ASSERT_TRUE(outputWait("stdout.txt", "fog off"));

    // Paused: the picture stands still until space again.
    ASSERT_TRUE(keysPress(window, "space"));
    ASSERT_TRUE(outputWait("stdout.txt", "paused"));
    Image still = screenSettled("still.png", looksLikeTheDemo);
    sleep(1);
    EXPECT_EQ(sharedPixels(still, screenTake("still2.png")), 1.0);
    ASSERT_TRUE(keysPress(window, "space"));
    ASSERT_TRUE(outputWait("stdout.txt", "running"));
    Image moving = screenWait("moving.png", [&](const Image& now) {
        return looksLikeTheDemo(now) && sharedPixels(still, now) < 0.95;
    });
    EXPECT_LT(sharedPixels(still, moving), 0.95);
    std::ofstream(SCREENSHOT_PATH, std::ios::binary) << fileRead("moving.png");

    ASSERT_TRUE(keysPress(window, "Escape"));
    EXPECT_EQ(programWait(pid, 60), 0) << fileRead("stderr.txt");
    EXPECT_EQ(fileRead("stdout.txt"), "obx-demo: camera 2 ORBIT\n"
                                      "obx-demo: camera 5 SUNWARD\n"
                                      "obx-demo: camera 1 CHASE\n"
                                      "obx-demo: fog on\n"
                                      "obx-demo: fog off\n"
                                      "obx-demo: paused\n"
                                      "obx-demo: running\n");
}
