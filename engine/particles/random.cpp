// The engine's random generator, shared by particle and smoke emitters.
#include "particles/particles.h"

int32_t randomNext(void)
{
    // Unsigned arithmetic wraps modulo 2^32 as the generator needs.
    particles.randomState = particles.randomState * 214013u + 2531011u;
    return (int32_t)((particles.randomState >> 16) & 0x7FFFu);
}
