// Shared engine test support (see obx_test.h).
#include "obx_test.h"

#include <fcntl.h>
#if !defined(_WIN32)
#include <ftw.h>
#endif
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "obx_glide_ext.h"

// Engine records live as long as the process and are never freed, also not
// between one test's engine run and the next: they are not leaks.
extern "C" const char* __lsan_default_suppressions(void)
{
    return "leak:countedAlloc\n";
}

// Allocation failures are part of what the engine must handle: let a huge
// request fail with null instead of stopping the test.
extern "C" const char* __asan_default_options(void)
{
    return "allocator_may_return_null=1";
}

static std::string startDir;
static std::string tempDir;

std::vector<std::string> engineDataFiles(void)
{
    return {"white.3df", "Init.3df", "DefaultCS.3df"};
}

std::string runFile(const std::string& name)
{
    return std::string(OBX_RUN_DIR) + "/" + name;
}

const std::string& sessionDir(void)
{
    return tempDir;
}

void sessionDirEnter(const std::vector<std::string>& files)
{
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    startDir = cwd;
    const char* base = getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/obx-test-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    ASSERT_NE(mkdtemp(name.data()), nullptr);
    tempDir = name.data();
    for (const std::string& file : files) {
        std::string from = runFile(file);
        if (fileExists(from)) {
            ASSERT_EQ(symlink(from.c_str(), (tempDir + "/" + file).c_str()), 0) << file;
        }
    }
    ASSERT_EQ(chdir(tempDir.c_str()), 0);
}

#if defined(_WIN32)
static void treeRemove(const std::string& path)
{
    chmod(path.c_str(), 0700);
    std::error_code error;
    std::filesystem::remove_all(path, error);
}
#else
// Tests may leave read-only directories behind; they are opened up before
// anything is removed. Only real directories: chmod follows a symbolic link
// and would change the run directory's file it points to.
static int openDirectory(const char* path, const struct stat*, int type, struct FTW*)
{
    if (type == FTW_D || type == FTW_DNR)
        chmod(path, 0700);
    return 0;
}

static int removeEntry(const char* path, const struct stat*, int, struct FTW*)
{
    return remove(path);
}

static void treeRemove(const std::string& path)
{
    nftw(path.c_str(), openDirectory, 16, FTW_PHYS);
    nftw(path.c_str(), removeEntry, 16, FTW_DEPTH | FTW_PHYS);
}
#endif

void sessionDirLeave(void)
{
    if (tempDir.empty())
        return;
    if (chdir(startDir.c_str()) != 0)
        ADD_FAILURE() << "cannot return to " << startDir;
    treeRemove(tempDir);
    tempDir.clear();
}

int engineStart(int resolutionIndex, const std::vector<std::string>& files)
{
    setenv("OBX_GLIDE_DISPLAY", "headless", 1);
    sessionDirEnter(files);
    return obxInitialize(NULL, resolutionIndex);
}

void engineStop(void)
{
    obxShutdown();
    sessionDirLeave();
}

void EngineTest::SetUp()
{
    ASSERT_EQ(engineStart(0), 1) << fileRead("Ombrix.log");
}

void EngineTest::TearDown()
{
    engineStop();
}

template <typename Proc>
static Proc hook(const char* name)
{
    // Through void (*)(void), the generic function pointer type.
    return (Proc)(void (*)(void))grGetProcAddress((char*)name);
}

bool deviceHasHooks(void)
{
    return hook<GrObxTraceTextProc>("grObxTraceText") != nullptr;
}

void traceStart(void)
{
    GrObxTraceEnableProc enable = hook<GrObxTraceEnableProc>("grObxTraceEnable");
    ASSERT_NE(enable, nullptr) << "the device has no trace";
    enable(FXTRUE);
}

void traceStop(void)
{
    GrObxTraceEnableProc enable = hook<GrObxTraceEnableProc>("grObxTraceEnable");
    if (enable)
        enable(FXFALSE);
}

std::string traceText(void)
{
    GrObxTraceTextProc text = hook<GrObxTraceTextProc>("grObxTraceText");
    if (!text)
        return "";
    const char* s = text();
    return s ? s : "";
}

std::vector<std::string> traceLines(void)
{
    std::vector<std::string> lines;
    std::istringstream in(traceText());
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::vector<std::string> traceCalls(const std::string& name)
{
    std::vector<std::string> calls;
    for (const std::string& line : traceLines()) {
        if (line.compare(0, name.size() + 1, name + "(") == 0)
            calls.push_back(line);
    }
    return calls;
}

int traceFind(const std::string& line, int from)
{
    std::vector<std::string> lines = traceLines();
    for (size_t i = (size_t)(from < 0 ? 0 : from); i < lines.size(); i++) {
        if (lines[i] == line)
            return (int)i;
    }
    return -1;
}

Frame frameGrab(GrBuffer_t buffer)
{
    Frame frame;
    GrObxScreenSizeProc size = hook<GrObxScreenSizeProc>("grObxScreenSize");
    GrObxFrameGrabProc grab = hook<GrObxFrameGrabProc>("grObxFrameGrab");
    if (!size || !grab) {
        ADD_FAILURE() << "the device has no frame grab";
        return frame;
    }
    FxU32 width = 0, height = 0;
    size(&width, &height);
    std::vector<uint16_t> topDown((size_t)width * height);
    if (width == 0 || !grab(buffer, topDown.data(), nullptr)) {
        ADD_FAILURE() << "no window to grab";
        return frame;
    }
    frame.width = width;
    frame.height = height;
    frame.colour.resize(topDown.size());
    for (uint32_t y = 0; y < height; y++) {
        const uint16_t* row = &topDown[(size_t)(height - 1 - y) * width];
        std::copy(row, row + width, &frame.colour[(size_t)y * width]);
    }
    return frame;
}

uint32_t rgb565ToRgb(uint16_t pixel)
{
    uint32_t r = (pixel >> 11) & 31, g = (pixel >> 5) & 63, b = pixel & 31;
    r = (r << 3) | (r >> 2);
    g = (g << 2) | (g >> 4);
    b = (b << 3) | (b >> 2);
    return (r << 16) | (g << 8) | b;
}

uint32_t write3dfRgb565(const std::string& path, int width, int height, uint16_t colour,
                        bool mipmaps)
{
    int longer = width > height ? width : height;
    int ratioW = width >= height ? width / height : 1;
    int ratioH = height > width ? height / width : 1;
    std::ostringstream header;
    header << "3df v1.1\nrgb565\nlod range: " << (mipmaps ? 1 : longer) << " " << longer
           << "\naspect ratio: " << ratioW << " " << ratioH << "\n";
    uint32_t texels = 0;
    for (int w = width, h = height;; w = w > 1 ? w / 2 : 1, h = h > 1 ? h / 2 : 1) {
        texels += (uint32_t)(w * h);
        if (!mipmaps || (w == 1 && h == 1))
            break;
    }
    std::ofstream out(path, std::ios::binary);
    out << header.str();
    for (uint32_t i = 0; i < texels; i++) {
        out.put((char)(colour >> 8));   // big-endian in the file
        out.put((char)(colour & 0xFF));
    }
    return texels * 2;
}

std::string fileRead(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return "<missing>";
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool fileExists(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}
