// 2D overlay: character sets, text, bitmaps and the string grid, drawn over
// the rendered frame in a virtual 640 x 480 screen.
#ifndef OBX_OVERLAY_OVERLAY_H
#define OBX_OVERLAY_OVERLAY_H

#include <stdint.h>

#include "public.h"

typedef struct OverlayState {
    // 1 while Glide's chroma-key mode is on for 2D drawing.
    int32_t chromaKeyFlag;
    // The set obxStringDrawXY draws with; null after obxInitialize.
    CharacterSet* characterSet;
    // The engine's default drawing parameters, used by sets in default mode.
    CharDrawParams defaultDrawParams;
    // The string grid.
    uint8_t gridOpacity;
    float gridColour[3];          // 0..255 per channel
    TextureRecord* gridTexture;   // the 16 x 16-cell glyph sheet, or null
    TextureRecord* gridDefaultTexture;
    int32_t gridColumns, gridRows;
} OverlayState;
extern OverlayState overlay;

// ---- Shared 2D drawing state --------------------------------------------------
// Chroma keying off. Every world render and the end of 2D drawing switch it
// off; the next bitmap that needs it turns it on again.
void chromaKeyDisable(void);

// The constant colour of a 2D draw: mode 0 opaque, mode 1 black with alpha
// `opacity` (0..255), other modes leave it as it is.
void overlayOpacitySet(int32_t mode, float opacity);
// Chroma keying of a 2D draw: switched on (once) with the key colour
// (0..1 per channel) when chromaKey is 1, switched off when it is 0.
void overlayChromaKeySet(int32_t chromaKey, const float* chromaColour);

// Draws the texture stretched over the virtual rectangle with its top-left
// corner at (x, y): two triangles, vertex colour white, q = 1, texture
// coordinates 0..256 on both units. Nothing is drawn without a texture.
void overlayQuadDraw(TextureRecord* texture, float x, float y, float width, float height);

// ---- Character sets ---------------------------------------------------------------
// No current set, the default parameters, chroma-key flag off (obxInitialize).
void characterSetsInit(void);

// ---- String grid --------------------------------------------------------------------
// Makes sheet the grid's default glyph sheet and restores every default
// (obxInitialize).
void stringGridInit(TextureRecord* sheet);

#endif
