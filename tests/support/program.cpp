// Programs, windows and pictures for tests (see obx_program.h).
#include "obx_program.h"

#include <png.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

static std::vector<pid_t> started;

pid_t programStart(const std::string& path, const std::vector<std::string>& args, const Env& env,
                   bool display)
{
    std::ofstream("lsan.supp") << "leak:countedAlloc\n";
    char cwd[4096];
    std::string suppressions = std::string(getcwd(cwd, sizeof cwd) ? cwd : ".") + "/lsan.supp";
    std::vector<char*> argv;
    std::string name = path.substr(path.rfind('/') + 1);
    argv.push_back((char*)name.c_str());
    for (const std::string& a : args)
        argv.push_back((char*)a.c_str());
    argv.push_back(nullptr);
    fflush(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        setenv("LSAN_OPTIONS", ("suppressions=" + suppressions).c_str(), 1);
        for (const auto& [variable, value] : env)
            setenv(variable.c_str(), value.c_str(), 1);
        if (!display) {
            unsetenv("DISPLAY");
            unsetenv("WAYLAND_DISPLAY");
        }
        if (!freopen("stdout.txt", "w", stdout) || !freopen("stderr.txt", "w", stderr))
            _exit(126);
        execv(path.c_str(), argv.data());
        _exit(127);
    }
    if (pid > 0)
        started.push_back(pid);
    return pid;
}

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

void programStopAll(void)
{
    for (pid_t pid : started) {
        if (programRunning(pid)) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
    started.clear();
}

bool outputWait(const std::string& file, const std::string& text, int seconds)
{
    for (int tick = 0; tick < seconds * 20; tick++) {
        std::ifstream in(file, std::ios::binary);
        std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (all.find(text) != std::string::npos)
            return true;
        usleep(50000);
    }
    return false;
}

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

// xdotool's own search by name misses titles set as UTF-8 (SDL's message
// boxes): every window's name is asked for instead.
std::string windowFind(const std::string& title, int seconds)
{
    for (int tries = 0; tries < seconds * 10; tries++) {
        std::string ids = commandOutput("xdotool search --class '.*'");
        for (size_t at = 0; at < ids.size();) {
            size_t end = ids.find('\n', at);
            std::string id = ids.substr(at, end - at);
            at = end == std::string::npos ? ids.size() : end + 1;
            if (!id.empty() &&
                commandOutput("xdotool getwindowname " + id + " 2>/dev/null") == title + "\n")
                return id;
        }
        usleep(100000);
    }
    return "";
}

bool keysPress(const std::string& window, const std::string& keys)
{
    std::string focus = "xdotool windowfocus --sync " + window + " && ";
    return system((focus + "xdotool key --clearmodifiers " + keys).c_str()) == 0;
}

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

Image screenTake(const std::string& path)
{
    if (system(("import -window root " + path).c_str()) != 0)
        return Image();
    return pngRead(path);
}

Image screenWait(const std::string& path, const std::function<bool(const Image&)>& shows,
                 int seconds)
{
    Image now;
    for (int tick = 0; tick < seconds * 5; tick++) {
        now = screenTake(path);
        if (shows(now))
            break;
        usleep(200000);
    }
    return now;
}

Image screenSettled(const std::string& path, const std::function<bool(const Image&)>& shows,
                    int seconds)
{
    Image last;
    for (int tick = 0; tick < seconds * 5; tick++) {
        Image now = screenTake(path);
        if (shows(now) && sharedPixels(now, last) == 1.0)
            return now;
        last = now;
        usleep(200000);
    }
    return last;
}

double sharedPixels(const Image& a, const Image& b)
{
    if (a.width != b.width || a.height != b.height || a.rgb.empty())
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

Mean meanColour(const Image& image, int x0, int y0, int x1, int y1)
{
    Mean m;
    double n = 0;
    for (int y = y0; y < y1; y++) {
        for (int x = x0; x < x1; x++) {
            const uint8_t* p = image.at(x, y);
            m.r += p[0];
            m.g += p[1];
            m.b += p[2];
            n++;
        }
    }
    if (n > 0) {
        m.r /= n;
        m.g /= n;
        m.b /= n;
    }
    return m;
}
