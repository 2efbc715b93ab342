// Helpers for tests of what is drawn over or around the world: text, bitmaps,
// the string grid, lens flares and the sky box.
#ifndef OBX_OVERLAY_TEST_H
#define OBX_OVERLAY_TEST_H

#include <stdint.h>

#include <functional>
#include <string>
#include <vector>

#include "obx_scene.h"

// RGB 565 colours.
enum : uint16_t {
    C565_BLACK = 0x0000,
    C565_WHITE = 0xFFFF,
    C565_RED = 0xF800,
    C565_GREEN = 0x07E0,
    C565_BLUE = 0x001F,
    C565_YELLOW = 0xFFE0,
    C565_CYAN = 0x07FF,
    C565_MAGENTA = 0xF81F,
};

// engineStart with the engine's data files and more files of the run
// directory (directories such as "font" too).
int engineStartWith(int resolutionIndex, const std::vector<std::string>& extra);

// A one-level texture file in the session directory, loaded.
TextureRecord* textureSolid(const std::string& name, uint16_t colour, int size = 8);
TextureRecord* textureOf(const std::string& name, int width, int height,
                         const std::function<uint16_t(int x, int y)>& texel);

// Glyph files "<prefix><code>.3df" of one colour each, written into the
// session directory (the prefix may name a sub-directory, made here).
void glyphFilesWrite(const std::string& prefix,
                     const std::vector<std::pair<unsigned char, uint16_t>>& glyphs);

// The first and the last recorded call named `name`, or "" when there is none.
std::string traceFirst(const std::string& name);
std::string traceLast(const std::string& name);

// Fills the back buffer with a 0..1 colour (obxBackgroundClear).
void backgroundFill(float r, float g, float b);

// The pixel at column x of row `row`, rows counted from the top of the screen
// as the 2D overlay places things.
uint16_t pixelFromTop(const Frame& frame, int x, int row);

// The smallest rectangle (rows from the top, both ends included) holding every
// pixel that satisfies `want`; count 0 when none does.
struct PixelBox {
    int left = 0, top = 0, right = -1, bottom = -1;
    int count = 0;
};
PixelBox pixelBox(const Frame& frame, const std::function<bool(uint16_t)>& want);
// The box of the pixels equal to one colour.
PixelBox pixelBoxOf(const Frame& frame, uint16_t colour);

#endif
