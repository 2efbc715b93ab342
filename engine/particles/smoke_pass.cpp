// The smoke-emitter pass of the world render. Smoke emitters are not built
// yet: the pass draws nothing.
#include "particles/particles.h"

void smokeEmittersPass(void)
{
}
