// ombrix_util.h: the engine's data files found from anywhere, and the frame
// on the screen saved as a PNG that holds exactly the device's pixels.
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include <gtest/gtest.h>

#include "obx_glide_ext.h"
#include "obx_program.h"
#include "ombrix.h"
#include "ombrix_util.h"

// Engine records live as long as the process: not leaks.
extern "C" const char* __lsan_default_suppressions(void)
{
    return "leak:countedAlloc\n";
}

namespace {

// A fresh empty directory, made current; removed again at the end.
class OmbrixUtil : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/obx-util-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        ASSERT_NE(getcwd(start, sizeof start), nullptr);
        ASSERT_EQ(chdir(dir.c_str()), 0);
    }
    void TearDown() override
    {
        ASSERT_EQ(chdir(start), 0);
        ASSERT_EQ(system(("rm -rf " + dir).c_str()), 0);
    }
    void linkData()
    {
        for (const char* f : {"white.3df", "Init.3df", "DefaultCS.3df"})
            ASSERT_EQ(symlink((std::string(OBX_RUN_DIR) + "/" + f).c_str(), f), 0);
    }
    std::string dir;
    char start[PATH_MAX];
};

std::string realPath(const std::string& path)
{
    char out[PATH_MAX];
    return realpath(path.c_str(), out) ? out : "";
}

}   // namespace

TEST_F(OmbrixUtil, DataFilesAreUsedHereOrFoundBesideTheLibraries)
{
    // Neither here nor beside the program: the build's run directory, where
    // the helper library lies.
    const char* found = ombrixDataDirFind("util-test");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(std::string(found), realPath(OBX_RUN_DIR));
    ASSERT_EQ(ombrixDataDirEnter("util-test"), 1);
    EXPECT_EQ(realPath("."), realPath(OBX_RUN_DIR));
    ASSERT_EQ(chdir(dir.c_str()), 0);

    // Here: the current directory stays.
    linkData();
    found = ombrixDataDirFind(nullptr);
    ASSERT_NE(found, nullptr);
    EXPECT_STREQ(found, ".");
    ASSERT_EQ(ombrixDataDirEnter(nullptr), 1);
    EXPECT_EQ(realPath("."), realPath(dir));
}

TEST_F(OmbrixUtil, TheSavedFrameIsTheScreenPixelForPixel)
{
    EXPECT_EQ(ombrixFrameSave("early.png"), 0) << "no screen before obxInitialize";
    linkData();
    ASSERT_EQ(obxInitialize(NULL, OBX_RESOLUTION_800X600), 1);
    // Something of every channel: a background, the grid's text over it.
    const float grey[3] = {0.3f, 0.55f, 0.8f};
    obxBackgroundSetColor(grey);
    obxBackgroundClear();
    obxWorldRender(OBX_RENDER_ONLY);
    obxStrSetColor(255.0f, 128.0f, 0.0f);
    obxStrDrawGrid(2, 3, "Saved by ombrixFrameSave");
    obxWorldDisplay();

    ASSERT_EQ(ombrixFrameSave("frame.png"), 1);
    EXPECT_EQ(ombrixFrameSave("no/such/dir/frame.png"), 0);
    std::vector<FxU16> screen(800 * 600);
    auto grab = (GrObxFrameGrabProc)(void (*)(void))grGetProcAddress((char*)"grObxFrameGrab");
    ASSERT_NE(grab, nullptr);
    ASSERT_TRUE(grab(GR_BUFFER_FRONTBUFFER, screen.data(), nullptr));
    obxShutdown();

    Image png = pngRead("frame.png");
    ASSERT_EQ(png.width, 800);
    ASSERT_EQ(png.height, 600);
    int differing = 0, orange = 0;
    for (int y = 0; y < 600; y++) {
        for (int x = 0; x < 800; x++) {
            FxU16 p = screen[(size_t)y * 800 + x];   // row 0 at the top, as in the PNG
            int r = p >> 11, g = (p >> 5) & 63, b = p & 31;
            const uint8_t* q = png.at(x, y);
            differing +=
                q[0] != (r << 3 | r >> 2) || q[1] != (g << 2 | g >> 4) || q[2] != (b << 3 | b >> 2);
            orange += q[0] > 200 && q[2] < 60;
        }
    }
    EXPECT_EQ(differing, 0);
    EXPECT_GT(orange, 100) << "the text is in the picture";
}
