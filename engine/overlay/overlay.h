// 2D overlay: character sets, text, bitmaps and the string grid, drawn over
// the rendered frame in a virtual 640 x 480 screen.
#ifndef OBX_OVERLAY_OVERLAY_H
#define OBX_OVERLAY_OVERLAY_H

#include <stdint.h>

#include "public.h"

// ---- Shared 2D drawing state --------------------------------------------------
// 1 while Glide's chroma-key mode is on for 2D drawing.
extern int32_t chromaKeyFlag;
// Every world render switches chroma keying off; the next bitmap that needs
// it turns it on again.
void chromaKeyFlagReset(void);

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
// The set obxStringDrawXY draws with; null after obxInitialize.
extern CharacterSet* currentCharacterSet;
// The engine's default drawing parameters, used by sets in default mode.
extern CharDrawParams defaultDrawParams;
// No current set, the default parameters, chroma-key flag off (obxInitialize).
void characterSetsInit(void);

// ---- String grid --------------------------------------------------------------------
extern uint8_t gridOpacity;
extern float gridColour[3];             // 0..255 per channel
extern TextureRecord* gridTexture;      // the 16 x 16-cell glyph sheet, or null
extern TextureRecord* gridDefaultTexture;
extern int32_t gridColumns, gridRows;
// Makes sheet the grid's default glyph sheet and restores every default
// (obxInitialize).
void stringGridInit(TextureRecord* sheet);

#endif
