// Text in the virtual 640 x 480 screen, drawn glyph by glyph with the
// current character set.
#include "core/core.h"
#include "overlay/overlay.h"

void obxCharacterDraw(Glyph* glyph, float x, float y, float width, float height)
{
    if (glyph)
        overlayQuadDraw(glyph->texture, x, y, width, height);
}

void obxStringDrawXY(const char* text, float x, float y)
{
    // Without a current character set there is nothing to draw with.
    CharacterSet* set = overlay.characterSet;
    if (!set)
        return;
    const CharDrawParams* p = set->params.useDefaultMode == OBX_CHARSET_DEFAULT_MODE
                                  ? &overlay.defaultDrawParams
                                  : &set->params;
    // The opacity is always the set's own, whichever parameters draw.
    overlayOpacitySet(p->mode, set->params.opacity);
    overlayChromaKeySet(p->chromaKey, p->chromaColour);
    if (!text)
        return;
    for (const unsigned char* c = (const unsigned char*)text; *c; c++) {
        Glyph* glyph = &set->glyphs[*c];
        if (glyph->present == 1)
            obxCharacterDraw(glyph, x, y, p->glyphWidth, p->glyphHeight);
        // A character without a glyph still takes its place.
        x += p->advance;
    }
}
