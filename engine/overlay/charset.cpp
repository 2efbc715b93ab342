// Character sets: one texture per character code, loaded from its own 3DF
// file, and the drawing parameters a set draws with.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "core/core.h"
#include "overlay/overlay.h"

void characterSetsInit(void)
{
    overlay.characterSet = NULL;
    memset(&overlay.defaultDrawParams, 0, sizeof overlay.defaultDrawParams);
    overlay.defaultDrawParams.advance = 20.0f;
    overlay.defaultDrawParams.glyphWidth = 20.0f;
    overlay.defaultDrawParams.glyphHeight = 20.0f;
    overlay.defaultDrawParams.opacity = 128.0f;
    overlay.defaultDrawParams.mode = 0;
    overlay.defaultDrawParams.chromaKey = OBX_CHROMAKEY_ON;
    overlay.chromaKeyFlag = 0;
}

// Stores the parameters of a set's own drawing mode; the key colour only
// when keying is on and a colour is given.
static void drawParamsSet(CharDrawParams* p, int mode, float opacity, int chromaKey,
                          const float* chromaColour, float advance, float glyphWidth,
                          float glyphHeight)
{
    p->mode = mode;
    p->opacity = opacity;
    p->chromaKey = chromaKey;
    if (chromaKey == OBX_CHROMAKEY_ON && chromaColour) {
        p->chromaColour[0] = chromaColour[0];
        p->chromaColour[1] = chromaColour[1];
        p->chromaColour[2] = chromaColour[2];
    }
    p->advance = advance;
    p->glyphWidth = glyphWidth;
    p->glyphHeight = glyphHeight;
}

CharacterSet* obxCharactersetLoad(const char* prefix, int useDefaultMode, int mode, float opacity,
                                  int chromaKey, const float* chromaColour, float advance,
                                  float glyphWidth, float glyphHeight)
{
    if (!prefix)
        prefix = "";
    // Prefix, the code as one character, ".3df": code 0 ends the name at the
    // prefix itself.
    size_t room = strlen(prefix) + 6;
    char* name = (char*)malloc(room);
    if (!name)
        return NULL;
    CharacterSet* set = (CharacterSet*)countedAlloc(sizeof(CharacterSet));
    if (!set) {
        free(name);
        return NULL;
    }
    memset(set, 0, sizeof *set);
    for (int code = 0; code < 256; code++) {
        snprintf(name, room, "%s%c%s", prefix, code, ".3df");
        TextureRecord* texture = obxTextureLoad(name, OBX_TMU0);
        set->glyphs[code].texture = texture;
        set->glyphs[code].present = texture ? 1 : 0;
    }
    free(name);
    drawParamsSet(&set->params, mode, opacity, chromaKey, chromaColour, advance, glyphWidth,
                  glyphHeight);
    set->params.useDefaultMode = useDefaultMode;
    return set;
}

void obxSetDefaultCharacterset(CharacterSet* set)
{
    overlay.characterSet = set;
}

void obxCharactersetSetDefaultDrawingMode(CharacterSet* set)
{
    if (set)
        set->params.useDefaultMode = OBX_CHARSET_DEFAULT_MODE;
}

void obxCharactersetSetSpecialDrawingMode(CharacterSet* set, int mode, float opacity, int chromaKey,
                                          const float* chromaColour, float advance,
                                          float glyphWidth, float glyphHeight)
{
    if (!set)
        return;
    set->params.useDefaultMode = OBX_CHARSET_OWN_MODE;
    drawParamsSet(&set->params, mode, opacity, chromaKey, chromaColour, advance, glyphWidth,
                  glyphHeight);
}
