// The particle-emitter pass of the world render. Particle emitters are not
// built yet: the pass draws nothing.
#include "particles/particles.h"

void particleEmittersPass(void)
{
}
