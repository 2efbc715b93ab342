// The two lens-flare passes of the world render. Lens flares are not built
// yet: both passes draw nothing.
#include "light/light.h"

void flareMarkPass(void)
{
}

void flareDrawPass(void)
{
}
