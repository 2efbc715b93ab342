// Linked into every fuzz target that drives the whole engine.
#include "fuzz_engine.h"

#include <stdlib.h>

#include "ombrix.h"

// Engine records of the start-up live as long as the process.
extern "C" const char* __lsan_default_suppressions(void)
{
    return "leak:countedAlloc\n";
}

void fuzzEngineStart(bool (*setup)(void))
{
    static bool started = false;
    if (started)
        return;
    setenv("OBX_GLIDE_DISPLAY", "headless", 1);
    if (obxInitialize(NULL, 0) != 1 || (setup && !setup()))
        abort();
    started = true;
}
