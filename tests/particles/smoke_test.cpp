// Smoke emitters: puffs released every frame, rising, drifting and fading,
// drawn grey and translucent.
#include <math.h>

#include <string>

#include "particle_scene.h"

TEST(SmokePlaceholder, Builds)
{
    SUCCEED();
}
