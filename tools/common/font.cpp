#include "font.h"

#include <ft2build.h>
#include FT_FREETYPE_H

struct Font {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
};

Font* fontOpen(const std::string& path, int pixelHeight, std::string* error)
{
    Font* font = new Font;
    if (FT_Init_FreeType(&font->library) != 0) {
        *error = "FreeType does not start";
        delete font;
        return nullptr;
    }
    if (FT_New_Face(font->library, path.c_str(), 0, &font->face) != 0 ||
        FT_Set_Pixel_Sizes(font->face, 0, FT_UInt(pixelHeight)) != 0) {
        *error = "cannot open font " + path;
        fontClose(font);
        return nullptr;
    }
    return font;
}

void fontClose(Font* font)
{
    if (!font)
        return;
    if (font->face)
        FT_Done_Face(font->face);
    if (font->library)
        FT_Done_FreeType(font->library);
    delete font;
}

bool fontGlyph(Font* font, unsigned long codePoint, GlyphBitmap* glyph)
{
    FT_UInt index = FT_Get_Char_Index(font->face, codePoint);
    if (index == 0 || FT_Load_Glyph(font->face, index, FT_LOAD_RENDER) != 0)
        return false;
    FT_GlyphSlot slot = font->face->glyph;
    const FT_Bitmap& bm = slot->bitmap;
    glyph->width = int(bm.width);
    glyph->height = int(bm.rows);
    glyph->left = slot->bitmap_left;
    glyph->top = slot->bitmap_top;
    glyph->advance = int(slot->advance.x >> 6);
    glyph->coverage.assign(size_t(glyph->width) * size_t(glyph->height), 0);
    for (int y = 0; y < glyph->height; y++)
        for (int x = 0; x < glyph->width; x++)
            glyph->coverage[size_t(y) * size_t(glyph->width) + size_t(x)] =
                bm.buffer[y * bm.pitch + x];
    return true;
}

int fontTextWidth(Font* font, const std::string& text)
{
    int width = 0;
    GlyphBitmap g;
    for (unsigned char c : text)
        if (fontGlyph(font, c, &g))
            width += g.advance;
    return width;
}

int fontAscent(Font* font)
{
    return int(font->face->size->metrics.ascender >> 6);
}

void fontDraw(Font* font, Image* image, const std::string& text, int x, int baseline, Rgba colour)
{
    GlyphBitmap g;
    for (unsigned char c : text) {
        if (!fontGlyph(font, c, &g))
            continue;
        for (int gy = 0; gy < g.height; gy++) {
            for (int gx = 0; gx < g.width; gx++) {
                int px = x + g.left + gx, py = baseline - g.top + gy;
                if (px < 0 || py < 0 || px >= image->width || py >= image->height)
                    continue;
                blendOver(&image->at(px, py), colour,
                          g.coverage[size_t(gy) * size_t(g.width) + size_t(gx)]);
            }
        }
        x += g.advance;
    }
}
