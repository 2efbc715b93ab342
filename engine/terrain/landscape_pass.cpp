// The landscape pass of the world render. Landscapes are not built yet: the
// pass draws nothing.
#include "terrain/terrain.h"

void landscapePass(void)
{
}
