// The engine's own pictures: the white texture, the start-up picture, the
// glyph sheet of the string grid, and a character set of one file per glyph.
#include "font.h"
#include "gen.h"
#include "noise.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// Draws one glyph with its cell-relative origin at (x, baseline), clipped to
// the rectangle [x0, x1) x [y0, y1), as white on black.
void drawGlyphClipped(Image* image, const GlyphBitmap& g, int x, int baseline, int x0, int y0,
                      int x1, int y1)
{
    for (int gy = 0; gy < g.height; gy++) {
        for (int gx = 0; gx < g.width; gx++) {
            int px = x + g.left + gx, py = baseline - g.top + gy;
            if (px < x0 || py < y0 || px >= x1 || py >= y1)
                continue;
            uint8_t c = g.coverage[size_t(gy) * size_t(g.width) + size_t(gx)];
            Rgba& p = image->at(px, py);
            if (c > p.r)
                p = Rgba{c, c, c, 255};
        }
    }
}

// The largest pixel size at which the font's ascent plus descent fit `height` rows.
Font* openFitting(const std::string& path, int height, int* ascent, std::string* error)
{
    for (int size = height + 4; size > 4; size--) {
        Font* font = fontOpen(path, size, error);
        if (!font)
            return nullptr;
        GlyphBitmap g;
        int top = 0, bottom = 0;
        for (const char* s = "AgjpqyQ|[]{}"; *s; s++) {
            if (!fontGlyph(font, (unsigned char)*s, &g))
                continue;
            if (g.top > top)
                top = g.top;
            if (g.height - g.top > bottom)
                bottom = g.height - g.top;
        }
        if (top + bottom <= height) {
            *ascent = top;
            return font;
        }
        fontClose(font);
    }
    *error = "no size of " + path + " fits";
    return nullptr;
}

}   // namespace

int genWhite(const std::vector<std::string>& args)
{
    return save3df(args[0], Image(8, 8, Rgba{255, 255, 255, 255}), "rgb565", true) ? 0 : 1;
}

int genInit(const std::vector<std::string>& args)
{
    const int size = 256;
    Image image(size, size);
    // Night-blue to violet, a glow behind the name and a thin horizon.
    for (int y = 0; y < size; y++) {
        for (int x = 0; x < size; x++) {
            double t = y / double(size - 1);
            double dx = (x - 128) / 128.0, dy = (y - 118) / 90.0;
            double glow = std::exp(-(dx * dx + dy * dy) * 1.6);
            double grain = 0.02 * fbm2(x / 32.0, y / 32.0, 3, 0.5, 8, 7);
            double r = mix(0.03, 0.22, t) + 0.35 * glow + grain;
            double g = mix(0.05, 0.08, t) + 0.25 * glow + grain;
            double b = mix(0.16, 0.32, t) + 0.45 * glow + grain;
            double line = std::exp(-std::pow((y - 150) / 1.2, 2)) * (1 - std::fabs(dx));
            image.at(x, y) = rgb(r + line * 0.8, g + line * 0.7, b + line * 0.9);
        }
    }
    std::string error;
    Font* bold = fontOpen(args[1], 52, &error);
    Font* regular = bold ? fontOpen(args[2], 15, &error) : nullptr;
    if (!bold || !regular) {
        fprintf(stderr, "obx-gen-data: %s\n", error.c_str());
        fontClose(bold);
        return 1;
    }
    const std::string name = "OMBRIX", line = "real-time 3D engine";
    int x = (size - fontTextWidth(bold, name)) / 2;
    fontDraw(bold, &image, name, x + 3, 139, Rgba{0, 0, 0, 255});
    fontDraw(bold, &image, name, x, 136, Rgba{255, 250, 235, 255});
    fontDraw(regular, &image, line, (size - fontTextWidth(regular, line)) / 2, 176,
             Rgba{190, 200, 235, 255});
    fontClose(bold);
    fontClose(regular);
    return save3df(args[0], image, "rgb565", false) ? 0 : 1;
}

int genLogo(const std::vector<std::string>& args)
{
    // The demo's name plate, 256 x 64 (stored as 256 x 256): the name in warm white over a dark
    // outline, on black that the demo keys out. Nothing but the outline
    // touches the black, so the keyed edge stays clean.
    const int w = 256, h = 64;
    Image image(w, h);
    std::string error;
    Font* bold = fontOpen(args[1], 50, &error);
    if (!bold) {
        fprintf(stderr, "obx-gen-data: %s\n", error.c_str());
        return 1;
    }
    const std::string name = "OMBRIX";
    int x = (w - fontTextWidth(bold, name)) / 2, baseline = 51;
    Image text(w, h);
    fontDraw(bold, &text, name, x, baseline, Rgba{255, 255, 255, 255});
    fontClose(bold);
    // A two-pixel outline: the coverage spread to its neighbours, in a dark
    // blue that is never pure black.
    for (int y = 0; y < h; y++) {
        for (int px = 0; px < w; px++) {
            int spread = 0;
            for (int dy = -2; dy <= 2; dy++)
                for (int dx = -2; dx <= 2; dx++) {
                    int sx = px + dx, sy = y + dy;
                    if (sx >= 0 && sy >= 0 && sx < w && sy < h && dx * dx + dy * dy <= 5)
                        spread = std::max(spread, int(text.at(sx, sy).r));
                }
            if (spread > 40)
                image.at(px, y) = Rgba{14, 18, 40, 255};
        }
    }
    for (int y = 0; y < h; y++) {
        double t = clamp01((y - 12.0) / 40.0);
        Rgba top = rgb(1.0, 0.97, 0.86), bottom = rgb(0.98, 0.70, 0.30);
        Rgba fill = rgb(mix(top.r, bottom.r, t) / 255.0, mix(top.g, bottom.g, t) / 255.0,
                        mix(top.b, bottom.b, t) / 255.0);
        for (int px = 0; px < w; px++) {
            int c = text.at(px, y).r;
            if (c > 0)
                blendOver(&image.at(px, y), fill, c);
        }
    }
    // A bitmap spans its texture's full 0..256 in s and in t, so the plate
    // is stretched into a square texture, each row four times over.
    Image square(w, w);
    for (int y = 0; y < w; y++)
        for (int px = 0; px < w; px++)
            square.at(px, y) = image.at(px, y * h / w);
    return save3df(args[0], square, "rgb565", false) ? 0 : 1;
}

int genDefaultCharset(const std::vector<std::string>& args)
{
    // Code k in cell (k mod 16, k div 16) of 16x16 texels, row 0 at the top.
    // The grid samples only the first 15 texels of each cell, so every glyph
    // stays inside them. Codes 32..126 are ASCII, 160..255 Latin-1; the
    // control codes stay black, which the grid's chroma key leaves out.
    std::string error;
    int ascent = 0;
    Font* font = openFitting(args[1], 15, &ascent, &error);
    if (!font) {
        fprintf(stderr, "obx-gen-data: %s\n", error.c_str());
        return 1;
    }
    Image sheet(256, 256);
    for (int code = 0; code < 256; code++) {
        if (code < 32 || (code >= 127 && code < 160))
            continue;
        GlyphBitmap g;
        if (!fontGlyph(font, (unsigned long)code, &g))
            continue;
        int cx = (code % 16) * 16, cy = (code / 16) * 16;
        int x = cx + (15 - g.advance) / 2;
        drawGlyphClipped(&sheet, g, x, cy + ascent, cx, cy, cx + 15, cy + 15);
    }
    fontClose(font);
    return save3df(args[0], sheet, "rgb565", false) ? 0 : 1;
}

int genCharacterSet(const std::vector<std::string>& args)
{
    // One 32x32 texture per printable ASCII character, named prefix + the
    // character + ".3df" as the engine builds the names; '/' cannot be part
    // of a file name and has no file. Glyphs are white on black.
    const std::string& prefix = args[0];
    size_t slash = prefix.rfind('/');
    if (slash != std::string::npos)
        mkdir(prefix.substr(0, slash).c_str(), 0777);
    std::string error;
    int ascent = 0;
    Font* font = openFitting(args[1], 30, &ascent, &error);
    if (!font) {
        fprintf(stderr, "obx-gen-data: %s\n", error.c_str());
        return 1;
    }
    int written = 0;
    for (int code = 32; code < 127; code++) {
        if (code == '/')
            continue;
        Image image(32, 32);
        GlyphBitmap g;
        if (fontGlyph(font, (unsigned long)code, &g))
            drawGlyphClipped(&image, g, (32 - g.advance) / 2, 1 + ascent, 0, 0, 32, 32);
        if (!save3df(prefix + char(code) + ".3df", image, "rgb565", true)) {
            fontClose(font);
            return 1;
        }
        written++;
    }
    fontClose(font);
    FILE* stamp = fopen(args[2].c_str(), "w");
    if (!stamp)
        return 1;
    fprintf(stamp, "%d glyph files\n", written);
    fclose(stamp);
    return 0;
}
