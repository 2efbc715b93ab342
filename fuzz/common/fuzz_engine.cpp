// Linked into every fuzz target that drives the whole engine.

// Engine records of the start-up live as long as the process.
extern "C" const char* __lsan_default_suppressions(void)
{
    return "leak:countedAlloc\n";
}
