/* The helpers of ombrix_util.h. */
#define _GNU_SOURCE /* dladdr */
#include "ombrix_util.h"

#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>
#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include "ombrix.h"
#include "screenshot.h"

/* ---- Where this program and this library lie, per system ---------------------- */

#ifdef _WIN32
#define EXPORT __declspec(dllexport)

/* The file of the module holding `address` (null: the program). */
static int moduleFile(const void* address, char* path)
{
    HMODULE module = NULL;
    if (address && !GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                       (LPCSTR)address, &module))
        return 0;
    DWORD n = GetModuleFileNameA(module, path, PATH_MAX);
    if (n == 0 || n >= PATH_MAX)
        return 0;
    /* Forward slashes, like every path here. */
    for (char* c = path; *c; c++)
        if (*c == '\\')
            *c = '/';
    return 1;
}

static int programFile(char* path)
{
    return moduleFile(NULL, path);
}

static int libraryFile(char* path)
{
    return moduleFile((const void*)libraryFile, path);
}

static int pathReal(const char* path, char* real)
{
    if (!_fullpath(real, path, PATH_MAX))
        return 0;
    for (char* c = real; *c; c++)
        if (*c == '\\')
            *c = '/';
    return 1;
}
#else
#define EXPORT __attribute__((visibility("default")))

static int programFile(char* path)
{
    ssize_t n = readlink("/proc/self/exe", path, PATH_MAX - 1);
    if (n <= 0)
        return 0;
    path[n] = '\0';
    return 1;
}

static int libraryFile(char* path)
{
    Dl_info info;
    if (!dladdr((void*)libraryFile, &info) || !info.dli_fname || info.dli_fname[0] != '/')
        return 0;
    snprintf(path, PATH_MAX, "%s", info.dli_fname);
    return 1;
}

static int pathReal(const char* path, char* real)
{
    return realpath(path, real) != NULL;
}
#endif

/* ---- Finding the data files ----------------------------------------------------- */

static const char* const dataFiles[] = {"white.3df", "Init.3df", "DefaultCS.3df"};
enum { DATA_FILES = 3, PLACES = 5 };

/* The directory part of a file's path, in place. */
static void directoryOf(char* path)
{
    char* slash = strrchr(path, '/');
    if (slash)
        *(slash == path ? slash + 1 : slash) = '\0';
}

/* dir + "/" + name into out (PATH_MAX bytes); an empty string when too long. */
static void pathJoin(char* out, const char* dir, const char* name)
{
    size_t a = strlen(dir), b = strlen(name);
    if (a + 1 + b >= PATH_MAX) {
        out[0] = '\0';
        return;
    }
    memmove(out, dir, a);
    out[a] = '/';
    memcpy(out + a + 1, name, b + 1);
}

/* Which of the data files `dir` lacks, as a bit mask. */
static unsigned missingIn(const char* dir)
{
    unsigned missing = 0;
    for (int i = 0; i < DATA_FILES; i++) {
        char path[PATH_MAX];
        pathJoin(path, dir, dataFiles[i]);
        if (!path[0] || access(path, R_OK) != 0)
            missing |= 1u << i;
    }
    return missing;
}

/* The places to look, in order (see the header); empty strings for those
 * that cannot be made out. */
static void placesList(char places[PLACES][PATH_MAX])
{
    memset(places, 0, (size_t)PLACES * PATH_MAX);
    if (!getcwd(places[0], PATH_MAX))
        strcpy(places[0], ".");
    char self[PATH_MAX];
    if (programFile(self)) {
        directoryOf(self);
        pathJoin(places[1], self, ".");
        pathJoin(places[2], self, "../share/ombrix");
    }
    char lib[PATH_MAX];
    if (libraryFile(lib)) {
        directoryOf(lib);
        pathJoin(places[3], lib, ".");
        pathJoin(places[4], lib, OBX_LIB_TO_DATA);
    }
    /* Shown and returned without "..". */
    for (int i = 1; i < PLACES; i++) {
        char real[PATH_MAX];
        if (places[i][0] && pathReal(places[i], real))
            memcpy(places[i], real, strlen(real) + 1);
    }
}

EXPORT const char* ombrixDataDirFind(const char* program)
{
    static char found[PATH_MAX];
    char places[PLACES][PATH_MAX];
    placesList(places);
    unsigned missingHere = missingIn(".");
    if (missingHere == 0) {
        strcpy(found, ".");
        return found;
    }
    for (int i = 1; i < PLACES; i++) {
        if (places[i][0] && missingIn(places[i]) == 0) {
            snprintf(found, sizeof found, "%s", places[i]);
            return found;
        }
    }
    if (program) {
        fprintf(stderr, "%s: cannot find the engine's data files (%s, %s, %s):\n", program,
                dataFiles[0], dataFiles[1], dataFiles[2]);
        for (int i = 0; i < PLACES; i++) {
            int seen = !places[i][0];
            for (int j = 0; j < i && !seen; j++)
                seen = strcmp(places[i], places[j]) == 0;
            if (seen)
                continue;
            unsigned missing = i == 0 ? missingHere : missingIn(places[i]);
            fprintf(stderr, "  %s lacks", places[i]);
            for (int f = 0, n = 0; f < DATA_FILES; f++)
                if (missing & (1u << f))
                    fprintf(stderr, "%s %s", n++ ? "," : "", dataFiles[f]);
            fprintf(stderr, "\n");
        }
    }
    return NULL;
}

EXPORT int ombrixDataDirEnter(const char* program)
{
    const char* dir = ombrixDataDirFind(program);
    if (!dir)
        return 0;
    if (strcmp(dir, ".") != 0 && chdir(dir) != 0) {
        if (program)
            fprintf(stderr, "%s: cannot enter %s, where the engine's data files are\n", program,
                    dir);
        return 0;
    }
    return 1;
}

EXPORT int ombrixFrameSave(const char* pngPath)
{
    float width = 0.0f, height = 0.0f;
    obxResolutionGet(&width, &height);
    if (!pngPath || width < 1.0f || height < 1.0f) {
        fprintf(stderr, "cannot write %s: the engine has no screen\n",
                pngPath ? pngPath : "(null)");
        return 0;
    }
    return screenshotWrite(pngPath, (int)width, (int)height);
}
