// Floating-point set-up, and the constant that snaps screen coordinates to
// 1/16 pixel (snapToSubpixel, core.h).
#include "core/core.h"

void fpuSetup(void)
{
    // On x86-64 float arithmetic is SSE and already rounds every operation to
    // single precision, so only the snap constant is left to set.
    core.snapConstant = 786432.0f;
#if defined(__i386__)
    // The 32-bit build: the x87 unit back to its default control word, then
    // its precision control cleared to 24 bits (rounding to nearest, every
    // exception masked), for this thread. The engine's own float arithmetic
    // is SSE there too; this governs what still runs on the x87.
    uint16_t control;
    __asm__ volatile("fninit\n\tfnstcw %0" : "=m"(control));
    control &= (uint16_t)~0x0300u;
    __asm__ volatile("fldcw %0" : : "m"(control));
#endif
}
