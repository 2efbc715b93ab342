// Terrain and sky: the height-field landscape and the sky box, each drawn by
// a pass of the world render.
#ifndef OBX_TERRAIN_TERRAIN_H
#define OBX_TERRAIN_TERRAIN_H

#include "core/public.h"

// The sky box: a textured cube always centred on the camera, drawn first.
extern Object* skybox;             // null when there is none
void skyboxInit(void);             // no sky box (obxInitialize)
// Draws the sky box, when one is set, seen from its own centre with the far
// distance at 65535; restores the far distance, view planes and camera.
void skyboxPass(void);
// Draws the landscape in the world, if any, and restores the object vertex
// layout and colour combine.
void landscapePass(void);

#endif
