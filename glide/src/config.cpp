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

// Longest file or directory name a dump may have: the limit of every common
// file system. A wider field would cost each swap its formatting and then fail.
static const int dumpNameMax = 255;

// Keeps `dump` as the pattern for each swapped frame's file name when it is
// safe to hand to snprintf with the frame number (exactly one integer
// conversion) and every name it gives stays within dumpNameMax bytes per
// path component; otherwise says why and dumps nothing.
static void dumpPatternRead(Config* config, const char* dump)
{
    int conversions = 0;
    int nameLength = 0, longestName = 0;
    bool usable = strlen(dump) < sizeof config->dumpPattern;
    for (const char* p = dump; usable && *p; p++) {
        if (*p == '/' || *p == '\\') {
            nameLength = 0;
            continue;
        }
        if (*p == '%' && p[1] == '%')
            p++;
        else if (*p == '%') {
            p++;
            while (*p == '0' || *p == '-' || *p == ' ' || *p == '+')
                p++;
            int width = 0;
            for (; *p >= '0' && *p <= '9'; p++)
                width = width > dumpNameMax ? width : width * 10 + (*p - '0');
            if (*p == 'd' || *p == 'i' || *p == 'u' || *p == 'x' || *p == 'X')
                conversions++;
            else
                usable = false;
            // A frame number has at most 11 characters ("-2147483648").
            nameLength += width > 11 ? width : 11;
            longestName = nameLength > longestName ? nameLength : longestName;
            continue;
        }
        nameLength++;
        longestName = nameLength > longestName ? nameLength : longestName;
    }
    if (!usable || conversions != 1)
        fprintf(stderr,
                "glide: OBX_GLIDE_DUMP needs one integer conversion such as %%04d; ignored\n");
    else if (longestName > dumpNameMax)
        fprintf(stderr, "glide: OBX_GLIDE_DUMP gives file names longer than %d bytes; ignored\n",
                dumpNameMax);
    else
        snprintf(config->dumpPattern, sizeof config->dumpPattern, "%s", dump);
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
    config->rowSpans = true;

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
    // "single" runs every row of a triangle through the stages on its own
    // (for comparison; the pictures are the same).
    if (const char* rows = getenv("OBX_GLIDE_ROWS"))
        if (strcasecmp(rows, "single") == 0)
            config->rowSpans = false;
    if (const char* dump = getenv("OBX_GLIDE_DUMP"))
        dumpPatternRead(config, dump);
}
