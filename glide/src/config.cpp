// Device settings from the environment, read the way a real Glide driver
// reads its own variables: once per grGlideInit (and by the queries that work
// before it).
#include "device.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>

static uint32_t parseMemorySize(const char* text, uint32_t fallback)
{
    char* end = nullptr;
    unsigned long long value = strtoull(text, &end, 10);
    if (end == text)
        return fallback;
    if (*end == 'k' || *end == 'K') {
        value *= 1024ull;
        end++;
    } else if (*end == 'm' || *end == 'M') {
        value *= 1024ull * 1024ull;
        end++;
    }
    // Anything but the end of the text, or a size no texture fits in or that
    // a 32-bit texture address cannot reach, is refused.
    if (*end != '\0' || value < 4096ull || value > 256ull * 1024 * 1024)
        return fallback;
    return (uint32_t)(value & ~15ull);
}

void configRead(Config* config)
{
    config->numTmu = 2;
    config->texMemSize = 4u * 1024 * 1024;
    config->noBoard = false;
    config->display = DISPLAY_AUTO;
    config->dumpPattern[0] = '\0';
    config->avx2 = __builtin_cpu_supports("avx2");
    config->threads = 0;

    if (const char* tmu = getenv("FX_GLIDE_NUM_TMU")) {
        if (strcmp(tmu, "1") == 0)
            config->numTmu = 1;
        else if (strcmp(tmu, "2") == 0)
            config->numTmu = 2;
    }
    if (const char* mem = getenv("OBX_GLIDE_TEXMEM"))
        config->texMemSize = parseMemorySize(mem, config->texMemSize);
    if (const char* none = getenv("OBX_GLIDE_NO_BOARD"))
        config->noBoard = strcmp(none, "1") == 0;
    if (const char* display = getenv("OBX_GLIDE_DISPLAY")) {
        if (strcasecmp(display, "window") == 0)
            config->display = DISPLAY_WINDOW;
        else if (strcasecmp(display, "headless") == 0)
            config->display = DISPLAY_HEADLESS;
    }
    if (const char* threads = getenv("OBX_GLIDE_THREADS")) {
        char* end = nullptr;
        long n = strtol(threads, &end, 10);
        if (end != threads && *end == '\0' && n >= 0 && n <= 8)
            config->threads = (int)n;
    }
    // "sse2" keeps to the loops every x86-64 runs (they draw the same pixels).
    if (const char* simd = getenv("OBX_GLIDE_SIMD"))
        if (strcasecmp(simd, "sse2") == 0)
            config->avx2 = false;
    if (const char* dump = getenv("OBX_GLIDE_DUMP")) {
        // Only a pattern with exactly one integer conversion is safe to hand
        // to snprintf with the frame number.
        int conversions = 0;
        bool usable = strlen(dump) < sizeof config->dumpPattern;
        for (const char* p = dump; usable && *p; p++) {
            if (*p != '%')
                continue;
            p++;
            if (*p == '%')
                continue;
            while (*p == '0' || *p == '-' || *p == ' ' || *p == '+')
                p++;
            while (*p >= '0' && *p <= '9')
                p++;
            if (*p == 'd' || *p == 'i' || *p == 'u' || *p == 'x' || *p == 'X')
                conversions++;
            else
                usable = false;
        }
        if (usable && conversions == 1)
            snprintf(config->dumpPattern, sizeof config->dumpPattern, "%s", dump);
        else
            fprintf(stderr, "glide: OBX_GLIDE_DUMP needs one integer conversion such as %%04d; ignored\n");
    }
}
