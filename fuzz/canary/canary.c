/* Overflows a signed add by the input's first byte: undefined behaviour that
 * the sanitizer reports and, with the fuzz build's flags, dies of. */
#include <limits.h>
#include <stddef.h>
#include <stdint.h>

int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    volatile int top = INT_MAX;
    if (size > 0 && data[0] > 0)
        return top + data[0] > 0;
    return 0;
}
