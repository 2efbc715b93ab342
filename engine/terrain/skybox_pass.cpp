// The sky-box pass of the world render. The sky box is not built yet: the
// pass draws nothing.
#include "terrain/terrain.h"

void skyboxPass(void)
{
}
