// The world as a whole: start-up, each frame's passes in their order with
// the background they clear to, focus and shutdown. Nothing below includes
// this; it calls every other subsystem.
#ifndef OBX_WORLD_WORLD_H
#define OBX_WORLD_WORLD_H

#include <stdint.h>

#include "public.h"

typedef struct WorldState {
    float backgroundColour[3];   // 0..1; every buffer clear uses it
    int32_t frameShown;          // 1 once the frame has been swapped to the screen
} WorldState;
extern WorldState world;

void backgroundInit(void);   // black (obxInitialize)

#endif
