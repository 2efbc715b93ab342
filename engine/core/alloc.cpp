// Counted allocation: every engine record comes from here, and the running
// total of requested bytes is what obxNumBytesAllocated reports.
#include <stdlib.h>

#include "core/core.h"

void allocationCountReset(void)
{
    core.bytesAllocated = 0;
}

void* countedAlloc(size_t size)
{
    // malloc(0) may return null or a unique pointer; ask for one byte so a
    // zero-sized request never looks like a failure.
    void* block = malloc(size ? size : 1);
    if (block)
        core.bytesAllocated += (uint32_t)size;
    return block;
}

uint32_t obxNumBytesAllocated(void)
{
    return core.bytesAllocated;
}
