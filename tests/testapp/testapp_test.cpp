// OmbrixTest as a user runs it: in a window on a (virtual) X display, where
// it shows the lit, textured tank until Escape, and without a display, where
// it renders the same frame headless and ends. Without a board it reports the
// failure and ends with exit code 1.
//
// The window tests need a display and xdotool and run under xvfb-run; the
// others take the display away from the program.
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "obx_program.h"
#include "obx_test.h"

namespace {

// ---- The program ---------------------------------------------------------------

pid_t testProgramStart(const Env& env, bool display)
{
    return programStart(OMBRIXTEST_PATH, {}, env, display);
}

// ---- Pictures -------------------------------------------------------------------

bool isBackground(const uint8_t* p)
{
    return p[0] <= 8 && p[1] <= 8 && p[2] <= 8;   // black
}

// What covers the box of side 2r about (cx, cy): the share of pixels that
// are not background, and their mean colour.
struct Coverage {
    double share = 0;
    double mean[3] = {0, 0, 0};
};

Coverage coverage(const Image& image, int cx, int cy, int r)
{
    Coverage c;
    int covered = 0, all = 0;
    for (int y = cy - r; y < cy + r; y++) {
        for (int x = cx - r; x < cx + r; x++, all++) {
            const uint8_t* p = image.at(x, y);
            if (isBackground(p))
                continue;
            covered++;
            for (int ch = 0; ch < 3; ch++)
                c.mean[ch] += p[ch];
        }
    }
    c.share = (double)covered / all;
    for (int ch = 0; ch < 3; ch++)
        c.mean[ch] = covered ? c.mean[ch] / covered : 0;
    return c;
}

// The frame of OmbrixTest: the background in every corner, the tank about
// the centre in its colours (olive camouflage, grey steel: green ahead of
// blue).
void expectTankFrame(const Image& image)
{
    ASSERT_EQ(image.width, 640);
    ASSERT_EQ(image.height, 480);
    for (int x : {0, 624}) {
        for (int y : {0, 464})
            EXPECT_EQ(coverage(image, x + 8, y + 8, 8).share, 0.0) << "corner " << x << "," << y;
    }
    Coverage centre = coverage(image, 320, 240, 80);
    SCOPED_TRACE(::testing::Message()
                 << "centre: " << centre.share << " covered, mean rgb " << centre.mean[0] << " "
                 << centre.mean[1] << " " << centre.mean[2]);
    EXPECT_GT(centre.share, 0.4);
    EXPECT_GT(centre.mean[1], 12.0);
    EXPECT_GT(centre.mean[1], centre.mean[2] * 1.2);
    EXPECT_GE(centre.mean[0], centre.mean[2]);
}

// ---- Fixtures --------------------------------------------------------------------

// A fresh directory holding what OmbrixTest needs next to it.
class TestProgram : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::vector<std::string> files = engineDataFiles();
        files.insert(files.end(), {"tank.3ds", "CAMO.3df", "TREAD.3df"});
        sessionDirEnter(files);
    }
    void TearDown() override
    {
        programStopAll();
        sessionDirLeave();
    }
};

using Headless = TestProgram;
using Window = TestProgram;

const Env noBoard = {{"OBX_GLIDE_NO_BOARD", "1"}};

}   // namespace

TEST_F(Headless, RendersTheTankFrameAndEnds)
{
    pid_t pid = testProgramStart({{"OBX_GLIDE_DUMP", "frame%d.png"}}, false);
    ASSERT_EQ(programWait(pid, 60), 0) << fileRead("stderr.txt");
    EXPECT_NE(fileRead("Ombrix.log").find("Loading object: tank.3ds\n\n"), std::string::npos);
    // Frame 0 is the start-up picture, frame 1 the tank.
    expectTankFrame(pngRead("frame1.png"));
    EXPECT_FALSE(fileExists("frame2.png"));
}

TEST_F(Headless, WithoutABoardEndsWithExitCode1)
{
    pid_t pid = testProgramStart(noBoard, false);
    EXPECT_EQ(programWait(pid, 60), 1);
    EXPECT_NE(fileRead("stderr.txt").find("Couldn't initialize Ombrix!\n"), std::string::npos);
    EXPECT_EQ(fileRead("Ombrix.log"), "Ombrix Logfile\n\nNo glide3 compatible hardware found!\n\n");
}

TEST_F(Window, ShowsTheTankIgnoresOtherKeysAndEndsOnEscape)
{
    // The device also writes the frame it shows, to compare with the screen.
    pid_t pid = testProgramStart({{"OBX_GLIDE_DUMP", "frame%d.png"}}, true);
    std::string window = windowFind("Ombrix Test Application");
    ASSERT_FALSE(window.empty()) << fileRead("stderr.txt");

    // The screen once the tank's frame is shown: the start-up picture comes
    // first, and the window may need a moment.
    Image shot;
    for (int tries = 0; tries < 200; tries++) {
        shot = screenTake("screenshot.png");
        ASSERT_GT(shot.width, 0);
        if (fileExists("frame1.png") && sharedPixels(shot, pngRead("frame1.png")) > 0.99)
            break;
        usleep(100000);
    }
    std::ofstream(SCREENSHOT_PATH, std::ios::binary) << fileRead("screenshot.png");
    expectTankFrame(shot);
    EXPECT_GT(sharedPixels(shot, pngRead("frame1.png")), 0.99) << "the window shows the frame";

    // Other keys change nothing: the program goes on and the screen stays.
    ASSERT_TRUE(keysPress(window, "a space Return q F1"));
    usleep(500000);
    EXPECT_TRUE(programRunning(pid));
    EXPECT_EQ(sharedPixels(shot, screenTake("after-keys.png")), 1.0);
    EXPECT_FALSE(fileExists("frame2.png"));

    ASSERT_TRUE(keysPress(window, "Escape"));
    EXPECT_EQ(programWait(pid, 30), 0) << fileRead("stderr.txt");
    // The log is complete: closed by the engine's shutdown.
    std::string log = fileRead("Ombrix.log");
    EXPECT_NE(log.find("Loading object: tank.3ds\n\n"), std::string::npos);
    EXPECT_EQ(log.substr(log.size() - 2), "\n\n");
}

TEST_F(Window, ShowsTheTankAgainWhenHiddenShownAndResized)
{
    // OmbrixTest renders its one frame and then only waits for keys: what
    // the window shows afterwards is the device's to keep.
    pid_t pid = testProgramStart({{"OBX_GLIDE_DUMP", "frame%d.png"}}, true);
    std::string window = windowFind("Ombrix Test Application");
    ASSERT_FALSE(window.empty()) << fileRead("stderr.txt");
    auto showsTheTank = [](const Image& shot) {
        return fileExists("frame1.png") && sharedPixels(shot, pngRead("frame1.png")) > 0.99;
    };
    ASSERT_TRUE(showsTheTank(screenWait("shown.png", showsTheTank, 30)));

    // Hidden (the screen goes black) and shown again: the tank is back.
    ASSERT_EQ(system(("xdotool windowunmap --sync " + window).c_str()), 0);
    EXPECT_EQ(coverage(screenTake("hidden.png"), 320, 240, 80).share, 0.0);
    ASSERT_EQ(system(("xdotool windowmap --sync " + window).c_str()), 0);
    Image again = screenWait("again.png", showsTheTank, 10);
    expectTankFrame(again);
    EXPECT_GT(sharedPixels(again, pngRead("frame1.png")), 0.99);

    // Resized to a quarter of the screen: the whole frame, scaled into it.
    ASSERT_EQ(system(("xdotool windowsize --sync " + window + " 320 240").c_str()), 0);
    auto showsTheTankSmall = [](const Image& shot) {
        return coverage(shot, 160, 120, 40).share > 0.4 &&
               coverage(shot, 480, 360, 100).share == 0.0;
    };
    Image small = screenWait("small.png", showsTheTankSmall, 10);
    EXPECT_TRUE(showsTheTankSmall(small));
    for (int x : {0, 304})
        for (int y : {0, 224})
            EXPECT_EQ(coverage(small, x + 8, y + 8, 8).share, 0.0) << "corner " << x << "," << y;
    Coverage centre = coverage(small, 160, 120, 40);
    EXPECT_GT(centre.mean[1], centre.mean[2] * 1.2);

    ASSERT_TRUE(keysPress(window, "Escape"));
    EXPECT_EQ(programWait(pid, 30), 0) << fileRead("stderr.txt");
}

TEST_F(Window, WithoutABoardShowsTheErrorBoxAndEndsWithExitCode1)
{
    pid_t pid = testProgramStart(noBoard, true);
    std::string box = windowFind("Error");
    ASSERT_FALSE(box.empty()) << fileRead("stderr.txt");
    EXPECT_TRUE(programRunning(pid));   // the box waits for its OK
    ASSERT_TRUE(keysPress(box, "Return"));
    EXPECT_EQ(programWait(pid, 30), 1);
    EXPECT_NE(fileRead("stderr.txt").find("Couldn't initialize Ombrix!\n"), std::string::npos);
    EXPECT_NE(fileRead("Ombrix.log").find("No glide3 compatible hardware found!\n\n"),
              std::string::npos);
}
