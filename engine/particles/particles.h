// Particles: particle emitters and smoke emitters, each drawn by a pass of
// the world render, farthest emitter first.
#ifndef OBX_PARTICLES_PARTICLES_H
#define OBX_PARTICLES_PARTICLES_H

#include "core/public.h"

// Updates and draws the particle emitters of the world.
void particleEmittersPass(void);
// Releases, moves, fades and draws the puffs of the world's smoke emitters.
void smokeEmittersPass(void);

#endif
