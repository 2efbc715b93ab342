/* What every example shares (see example.h). */
#define _DEFAULT_SOURCE /* realpath, setenv */
#include "example.h"

#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

/* ---- The calls to the system that differ on Windows ---------------------------- */

static int currentDirectory(char* out)
{
#ifdef _WIN32
    return _fullpath(out, ".", PATH_MAX) != NULL;
#else
    return realpath(".", out) != NULL;
#endif
}

static int pathIsAbsolute(const char* path)
{
#ifdef _WIN32
    if (path[0] == '\\' || (path[0] && path[1] == ':'))
        return 1;
#endif
    return path[0] == '/';
}

static void headlessChoose(void)
{
#ifdef _WIN32
    _putenv_s("OBX_GLIDE_DISPLAY", "headless");
#else
    setenv("OBX_GLIDE_DISPLAY", "headless", 1);
#endif
}

/* ---- The example's frame ------------------------------------------------------- */

static int framesWanted, frameNumber;
static char shotPath[PATH_MAX];

static void usage(FILE* out, const char* name, const char* about)
{
    fprintf(out,
            "usage: %s [--frames N] [--shot FILE.png] [--headless] [--help]\n"
            "%s\n"
            "  --frames N       draw N frames, then end\n"
            "  --shot FILE.png  save the last frame as a PNG file\n"
            "  --headless       draw without a window, also on a desktop\n",
            name, about);
}

/* A path of the program's own, made absolute before the data directory is
 * entered. */
static int absolutePath(const char* path, char* out)
{
    if (pathIsAbsolute(path))
        return snprintf(out, PATH_MAX, "%s", path) < PATH_MAX;
    char here[PATH_MAX];
    if (!currentDirectory(here))
        return 0;
    size_t a = strlen(here), b = strlen(path);
    if (a + 1 + b >= PATH_MAX)
        return 0;
    memcpy(out, here, a);
    out[a] = '/';
    memcpy(out + a + 1, path, b + 1);
    return 1;
}

int exampleStart(int argc, char** argv, const char* name, const char* about, int frames)
{
    framesWanted = frames;
    for (int i = 1; i < argc; i++) {
        const char* a = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : NULL;
        char* end = NULL;
        if (strcmp(a, "--help") == 0) {
            usage(stdout, name, about);
            exit(0);
        } else if (strcmp(a, "--headless") == 0) {
            headlessChoose();
        } else if (strcmp(a, "--frames") == 0 && value &&
                   (framesWanted = (int)strtol(value, &end, 10)) > 0 && *end == '\0') {
            i++;
        } else if (strcmp(a, "--shot") == 0 && value && absolutePath(value, shotPath)) {
            i++;
        } else {
            usage(stderr, name, about);
            exit(2);
        }
    }
    if (!ombrixDataDirEnter(name))
        return 0;
    if (!obxInitialize(NULL, OBX_RESOLUTION_640X480)) {
        fprintf(stderr, "%s: Couldn't initialize Ombrix! (see Ombrix.log)\n", name);
        return 0;
    }
    return 1;
}

int exampleFrame(void)
{
    return ++frameNumber <= framesWanted;
}

int exampleFrameNumber(void)
{
    return frameNumber;
}

int exampleEnd(void)
{
    int ok = !shotPath[0] || ombrixFrameSave(shotPath);
    if (ok && shotPath[0])
        printf("frame %d saved as %s\n", framesWanted, shotPath);
    obxShutdown();
    return ok ? 0 : 1;
}
