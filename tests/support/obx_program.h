// The project's programs run as a user runs them: started in the current
// directory with an environment of their own, with or without the display;
// their windows on a (virtual) X display found by title and given keys with
// xdotool; the screen taken with ImageMagick's import; PNG pictures read
// back and compared.
#ifndef OBX_PROGRAM_H
#define OBX_PROGRAM_H

#include <stdint.h>
#include <sys/types.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

using Env = std::vector<std::pair<std::string, std::string>>;

// Starts `path` with `args` in the current directory, the environment `env`
// added, its output in "stdout.txt" and "stderr.txt" there. Without
// `display` the program sees neither X nor Wayland. Under the leak checker
// the engine's records, alive to the end by design, are not leaks.
pid_t programStart(const std::string& path, const std::vector<std::string>& args, const Env& env,
                   bool display);
// Its exit code (128 + signal when killed by one), or -1 (after killing it)
// when it has not ended within `seconds`.
int programWait(pid_t pid, int seconds);
bool programRunning(pid_t pid);
// Kills every program started that still runs (for a test's tear-down: a
// test that failed half-way leaves nothing behind).
void programStopAll(void);

// Waits up to `seconds` until the file (a program's "stdout.txt") holds
// `text`; whether it does.
bool outputWait(const std::string& file, const std::string& text, int seconds = 60);

// A command's standard output; empty when it fails.
std::string commandOutput(const std::string& command);

// The first window whose title is exactly `title`, waiting up to `seconds`;
// empty when none shows.
std::string windowFind(const std::string& title, int seconds = 30);
// Keys pressed in the window (given the focus first), xdotool's names
// separated by spaces.
bool keysPress(const std::string& window, const std::string& keys);

struct Image {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
    const uint8_t* at(int x, int y) const
    {
        return &rgb[((size_t)y * width + x) * 3];
    }
};
// An empty image when the file cannot be read.
Image pngRead(const std::string& path);
// The whole virtual screen, also written to `path`.
Image screenTake(const std::string& path);
// The first take of the screen that shows what `shows` accepts, waiting up
// to `seconds`; the last take when none does.
Image screenWait(const std::string& path, const std::function<bool(const Image&)>& shows,
                 int seconds = 60);
// The screen once it shows what `shows` accepts and has stopped changing
// (two takes in a row agree), waiting up to `seconds`; the last take when
// it never does.
Image screenSettled(const std::string& path, const std::function<bool(const Image&)>& shows,
                    int seconds = 60);
// The share of pixels two pictures of one size agree on, within what 5-6-5
// colour expansion may change (0 for pictures of different sizes).
double sharedPixels(const Image& a, const Image& b);
// The mean colour of a rectangle.
struct Mean {
    double r = 0, g = 0, b = 0;
};
Mean meanColour(const Image& image, int x0, int y0, int x1, int y1);

#endif
