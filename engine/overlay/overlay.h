// 2D overlay: character sets, text, bitmaps and the string grid, drawn over
// the rendered frame in a virtual 640 x 480 screen.
#ifndef OBX_OVERLAY_OVERLAY_H
#define OBX_OVERLAY_OVERLAY_H

#include <stdint.h>

#include "core/public.h"

// 1 while Glide's chroma-key mode is on for 2D drawing.
extern int32_t chromaKeyFlag;
// Every world render switches chroma keying off; the next bitmap that needs
// it turns it on again.
void chromaKeyFlagReset(void);

#endif
