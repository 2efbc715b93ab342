// Text through FreeType, for the generated pictures and glyph sheets.
#ifndef OBX_TOOLS_FONT_H
#define OBX_TOOLS_FONT_H

#include "image.h"

#include <string>

struct Font;

// Opens a font file at a pixel height; null (and error set) on failure.
Font* fontOpen(const std::string& path, int pixelHeight, std::string* error);
void fontClose(Font* font);

// The anti-aliased coverage of one character: w x h bytes 0..255, placed at
// (left, -top) from the pen position on the baseline; advance in pixels.
struct GlyphBitmap {
    int width = 0, height = 0, left = 0, top = 0, advance = 0;
    std::vector<uint8_t> coverage;
};
bool fontGlyph(Font* font, unsigned long codePoint, GlyphBitmap* glyph);

// Width in pixels of a line of text (sum of advances).
int fontTextWidth(Font* font, const std::string& text);
// Ascender above the baseline, in pixels.
int fontAscent(Font* font);

// Draws a line of text with its baseline at y, blending colour by coverage.
void fontDraw(Font* font, Image* image, const std::string& text, int x, int baseline, Rgba colour);

#endif
