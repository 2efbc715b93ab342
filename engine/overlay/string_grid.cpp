// The string grid: text written into a fixed grid of character cells, each
// character taken from a 16 x 16-cell glyph sheet, black keyed out.
#include <string.h>

#include "core/core.h"
#include "overlay/overlay.h"
#include "texture/texture.h"

void stringGridInit(TextureRecord* sheet)
{
    overlay.gridDefaultTexture = sheet;
    obxStrDefaultProperties();
}

void obxStrDefaultProperties(void)
{
    overlay.gridOpacity = 255;
    overlay.gridColour[0] = 255.0f;
    overlay.gridColour[1] = 255.0f;
    overlay.gridColour[2] = 255.0f;
    overlay.gridTexture = overlay.gridDefaultTexture;
    overlay.gridColumns = 40;
    overlay.gridRows = 30;
}

void obxStrSetColor(float red, float green, float blue)
{
    overlay.gridColour[0] = red;
    overlay.gridColour[1] = green;
    overlay.gridColour[2] = blue;
}

void obxStrSetOpacity(unsigned char opacity)
{
    overlay.gridOpacity = opacity;
}

void obxStrSetTexture(TextureRecord* texture)
{
    overlay.gridTexture = texture;
}

void obxStrSetGridDimensions(int columns, int rows)
{
    // A grid needs at least one cell each way: cell sizes divide by these.
    if (columns < 1 || rows < 1)
        return;
    overlay.gridColumns = columns;
    overlay.gridRows = rows;
}

// A corner at screen (x, y) with sheet texel coordinates (s, t).
static void gridCornerSet(DrawVer* v, float x, float y, float s, float t)
{
    memset(v, 0, sizeof *v);
    v->x = x;
    v->y = y;
    v->q = 1.0f;
    v->s0 = v->s1 = s;
    v->t0 = v->t1 = t;
}

void obxStrDrawGrid(int column, int row, const char* text)
{
    // Whole pixels, in 64 bits: far-off cells only land far off screen.
    const int64_t width = (int64_t)core.screenWidth, height = (int64_t)core.screenHeight;
    const int64_t cellW = width / overlay.gridColumns, cellH = height / overlay.gridRows;
    int64_t x = cellW * column;
    int64_t y = height - 1 - cellH * row;

    grChromakeyMode(GR_CHROMAKEY_ENABLE);
    grChromakeyValue(0);
    grDepthBufferMode(GR_DEPTHBUFFER_DISABLE);
    // The sheet's texels times the constant colour.
    grColorCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL,
                   GR_COMBINE_LOCAL_CONSTANT, GR_COMBINE_OTHER_TEXTURE, FXFALSE);
    grConstantColorValue(
        ((uint32_t)overlay.gridOpacity << 24) + (channelByte(overlay.gridColour[0]) << 16) +
        (channelByte(overlay.gridColour[1]) << 8) + channelByte(overlay.gridColour[2]));
    // Without a glyph sheet (no "DefaultCS.3df") there is nothing to draw.
    if (overlay.gridTexture && textureSelect(overlay.gridTexture)) {
        // Each cell is drawn one pixel smaller than its pitch from 15 of the 16
        // texels of its sheet cell, so neighbours never bleed into each other.
        const float right = (float)(cellW - 1), down = (float)(cellH - 1);
        for (const unsigned char* c = (const unsigned char*)text; c && *c; c++) {
            float s = (float)(*c % 16) * 16.0f, t = (float)(*c / 16) * 16.0f;
            float left = (float)x, top = (float)y;
            DrawVer tl, bl, br, tr;
            gridCornerSet(&tl, left, top, s, t);
            gridCornerSet(&bl, left, top - down, s, t + 15.0f);
            gridCornerSet(&br, left + right, top - down, s + 15.0f, t + 15.0f);
            gridCornerSet(&tr, left + right, top, s + 15.0f, t);
            grDrawTriangle(&tl, &bl, &br);
            grDrawTriangle(&br, &tr, &tl);
            x += cellW;
            if (x >= width) {
                x = 0;
                y -= cellH;
            }
        }
    }

    chromaKeyDisable();
    grChromakeyValue(0);
    grDepthBufferMode(GR_DEPTHBUFFER_WBUFFER);
    colourCombineDefault();
    grConstantColorValue(0xFF000000u);
}
