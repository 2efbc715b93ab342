// Test support for engine tests: run the engine headless in a fresh temporary
// directory that holds the engine's data files, look at the Glide calls it
// made and at the frames it drew, and tear it down again.
#ifndef OBX_TEST_H
#define OBX_TEST_H

#include <stdint.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/core.h"

// ---- Working directory ---------------------------------------------------
// The engine's own data files: "white.3df", "Init.3df", "DefaultCS.3df".
std::vector<std::string> engineDataFiles(void);
// Makes a fresh temporary directory, links the named files of the run
// directory into it (those that exist) and makes it the current directory.
void sessionDirEnter(const std::vector<std::string>& files = engineDataFiles());
// Returns to the directory the test started in and removes the temporary one.
void sessionDirLeave(void);
const std::string& sessionDir(void);
// Path of a file in the build's run directory.
std::string runFile(const std::string& name);

// ---- Engine --------------------------------------------------------------
// Sets the device headless, enters a fresh directory holding `files` and
// starts the engine; returns what obxInitialize returned.
int engineStart(int resolutionIndex = 0, const std::vector<std::string>& files = engineDataFiles());
// obxShutdown, then leaves and removes the directory.
void engineStop(void);

// A fixture that starts the engine at 640 x 480 before each test and stops it
// afterwards. Device settings must be made before SetUp (e.g. in a derived
// fixture's constructor).
class EngineTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

// ---- Device hooks (null on a Glide without them) ----------------------------
bool deviceHasHooks(void);
void traceStart(void);   // clears the trace and records from now on
void traceStop(void);
std::string traceText(void);
std::vector<std::string> traceLines(void);
// The lines of the trace whose call name is `name` (text before the '(').
std::vector<std::string> traceCalls(const std::string& name);
// Index of the first line at or after `from` equal to `line`, or -1.
int traceFind(const std::string& line, int from = 0);

// The colour buffer (RGB565), row 0 at the bottom as the engine counts rows.
struct Frame {
    uint32_t width = 0, height = 0;
    std::vector<uint16_t> colour;
    uint16_t at(int x, int y) const
    {
        return colour[(size_t)y * width + (size_t)x];
    }
};
Frame frameGrab(GrBuffer_t buffer = GR_BUFFER_BACKBUFFER);
// A 24-bit colour 0xRRGGBB from RGB565, the low bits filled by replication.
uint32_t rgb565ToRgb(uint16_t pixel);

// ---- Texture files ----------------------------------------------------------
// Writes a 3DF file of one colour in RGB565: width x height (powers of two,
// at most 8:1), all levels down to 1 x 1 or only the largest. Returns the
// texel bytes (what gu3dfGetInfo reports as mem_required).
uint32_t write3dfRgb565(const std::string& path, int width, int height, uint16_t colour,
                        bool mipmaps = true);

// ---- Files ------------------------------------------------------------------
// The whole file, or "<missing>" when it cannot be opened.
std::string fileRead(const std::string& path);
bool fileExists(const std::string& path);

#endif
