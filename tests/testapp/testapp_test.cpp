// OmbrixTest as a user runs it: in a window on a (virtual) X display, where
// it shows the lit, textured tank until Escape, and without a display, where
// it renders the same frame headless and ends. Without a board it reports the
// failure and ends with exit code 1.
//
// The window tests need a display and xdotool and run under xvfb-run; the
// others take the display away from the program.
#include <png.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <string.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "obx_test.h"

namespace {

using Env = std::vector<std::pair<std::string, std::string>>;

// ---- The program ---------------------------------------------------------------

// Starts OmbrixTest in the current directory with the given environment
// added, its output in "stdout.txt" and "stderr.txt". Under the leak checker
// the engine's records, alive to the end by design, are not leaks.
pid_t programStarted = -1;

pid_t programStart(const Env& env, bool display)
{
    std::ofstream("lsan.supp") << "leak:countedAlloc\n";
    std::string suppressions = sessionDir() + "/lsan.supp";
    fflush(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        setenv("LSAN_OPTIONS", ("suppressions=" + suppressions).c_str(), 1);
        for (const auto& [name, value] : env)
            setenv(name.c_str(), value.c_str(), 1);
        if (!display) {
            unsetenv("DISPLAY");
            unsetenv("WAYLAND_DISPLAY");
        }
        if (!freopen("stdout.txt", "w", stdout) || !freopen("stderr.txt", "w", stderr))
            _exit(126);
        execl(OMBRIXTEST_PATH, "OmbrixTest", (char*)nullptr);
        _exit(127);
    }
    programStarted = pid;
    return pid;
}

// Its exit code, or -1 (after killing it) when it has not ended within
// `seconds`.
int programWait(pid_t pid, int seconds)
{
    for (int tick = 0; tick < seconds * 20; tick++) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        usleep(50000);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return -1;
}

bool programRunning(pid_t pid)
{
    return waitpid(pid, nullptr, WNOHANG) == 0;
}

// A command's standard output; empty when it fails.
std::string commandOutput(const std::string& command)
{
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return out;
    char buffer[256];
    while (fgets(buffer, sizeof buffer, pipe))
        out += buffer;
    if (pclose(pipe) != 0)
        out.clear();
    return out;
}

// The first window whose title is exactly `title`, waiting up to 30 s.
// xdotool's own search by name misses titles set as UTF-8 (SDL's message
// boxes): every window's name is asked for instead.
std::string windowFind(const std::string& title)
{
    for (int tries = 0; tries < 300; tries++) {
        std::string ids = commandOutput("xdotool search --class '.*'");
        for (size_t at = 0; at < ids.size();) {
            size_t end = ids.find('\n', at);
            std::string id = ids.substr(at, end - at);
            at = end == std::string::npos ? ids.size() : end + 1;
            if (!id.empty() && commandOutput("xdotool getwindowname " + id + " 2>/dev/null") == title + "\n")
                return id;
        }
        usleep(100000);
    }
    return "";
}

// Keys pressed in the window (which gets the focus first).
bool keysPress(const std::string& window, const std::string& keys)
{
    std::string focus = "xdotool windowfocus --sync " + window + " && ";
    return system((focus + "xdotool key --clearmodifiers " + keys).c_str()) == 0;
}

// ---- Pictures -------------------------------------------------------------------

struct Image {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
    const uint8_t* at(int x, int y) const { return &rgb[((size_t)y * width + x) * 3]; }
};

Image pngRead(const std::string& path)
{
    Image image;
    png_image png;
    memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str()))
        return image;
    png.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, pixels.data(), 0, nullptr))
        return image;
    image.width = (int)png.width;
    image.height = (int)png.height;
    image.rgb = std::move(pixels);
    return image;
}

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
    SCOPED_TRACE(::testing::Message() << "centre: " << centre.share << " covered, mean rgb "
                                      << centre.mean[0] << " " << centre.mean[1] << " "
                                      << centre.mean[2]);
    EXPECT_GT(centre.share, 0.4);
    EXPECT_GT(centre.mean[1], 12.0);
    EXPECT_GT(centre.mean[1], centre.mean[2] * 1.2);
    EXPECT_GE(centre.mean[0], centre.mean[2]);
}

// Pixels of two pictures of the same frame agree within what 5-6-5 colour
// expansion may change.
double sharedPixels(const Image& a, const Image& b)
{
    if (a.width != b.width || a.height != b.height)
        return 0;
    size_t same = 0, all = (size_t)a.width * a.height;
    for (size_t i = 0; i < all; i++) {
        bool near = true;
        for (int ch = 0; ch < 3; ch++)
            near = near && abs(a.rgb[i * 3 + ch] - b.rgb[i * 3 + ch]) <= 8;
        same += near;
    }
    return (double)same / all;
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
        // A test that failed half-way leaves no program behind.
        if (programStarted > 0 && programRunning(programStarted)) {
            kill(programStarted, SIGKILL);
            waitpid(programStarted, nullptr, 0);
        }
        programStarted = -1;
        sessionDirLeave();
    }
};

using Headless = TestProgram;
using Window = TestProgram;

const Env noBoard = {{"OBX_GLIDE_NO_BOARD", "1"}};

}  // namespace

TEST_F(Headless, RendersTheTankFrameAndEnds)
{
    pid_t pid = programStart({{"OBX_GLIDE_DUMP", "frame%d.png"}}, false);
    ASSERT_EQ(programWait(pid, 60), 0) << fileRead("stderr.txt");
    EXPECT_NE(fileRead("Ombrix.log").find("Loading object: tank.3ds\n\n"), std::string::npos);
    // Frame 0 is the start-up picture, frame 1 the tank.
    expectTankFrame(pngRead("frame1.png"));
    EXPECT_FALSE(fileExists("frame2.png"));
}

TEST_F(Headless, WithoutABoardEndsWithExitCode1)
{
    pid_t pid = programStart(noBoard, false);
    EXPECT_EQ(programWait(pid, 60), 1);
    EXPECT_NE(fileRead("stderr.txt").find("Couldn't initialize Ombrix!\n"), std::string::npos);
    EXPECT_EQ(fileRead("Ombrix.log"), "Ombrix Logfile\n\nNo glide3 compatible hardware found!\n\n");
}

TEST_F(Window, ShowsTheTankIgnoresOtherKeysAndEndsOnEscape)
{
    // The device also writes the frame it shows, to compare with the screen.
    pid_t pid = programStart({{"OBX_GLIDE_DUMP", "frame%d.png"}}, true);
    std::string window = windowFind("Ombrix Test Application");
    ASSERT_FALSE(window.empty()) << fileRead("stderr.txt");

    // The screen once the tank's frame is shown: the start-up picture comes
    // first, and the window may need a moment.
    Image shot;
    for (int tries = 0; tries < 200; tries++) {
        ASSERT_EQ(system("import -window root screenshot.png"), 0);
        shot = pngRead("screenshot.png");
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
    ASSERT_EQ(system("import -window root after-keys.png"), 0);
    EXPECT_EQ(sharedPixels(shot, pngRead("after-keys.png")), 1.0);
    EXPECT_FALSE(fileExists("frame2.png"));

    ASSERT_TRUE(keysPress(window, "Escape"));
    EXPECT_EQ(programWait(pid, 30), 0) << fileRead("stderr.txt");
    // The log is complete: closed by the engine's shutdown.
    std::string log = fileRead("Ombrix.log");
    EXPECT_NE(log.find("Loading object: tank.3ds\n\n"), std::string::npos);
    EXPECT_EQ(log.substr(log.size() - 2), "\n\n");
}

TEST_F(Window, WithoutABoardShowsTheErrorBoxAndEndsWithExitCode1)
{
    pid_t pid = programStart(noBoard, true);
    std::string box = windowFind("Error");
    ASSERT_FALSE(box.empty()) << fileRead("stderr.txt");
    EXPECT_TRUE(programRunning(pid));   // the box waits for its OK
    ASSERT_TRUE(keysPress(box, "Return"));
    EXPECT_EQ(programWait(pid, 30), 1);
    EXPECT_NE(fileRead("stderr.txt").find("Couldn't initialize Ombrix!\n"), std::string::npos);
    EXPECT_NE(fileRead("Ombrix.log").find("No glide3 compatible hardware found!\n\n"),
              std::string::npos);
}
