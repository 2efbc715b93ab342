/*
 * obx-bench-scenes: the fixed scenes of scenes.h rendered headless for a
 * fixed number of frames at 640 x 480 and 1024 x 768, one table row per
 * scene and resolution: frames, polygons and (counted by the device) pixels
 * written per second.
 *
 *   obx-bench-scenes [--frames N] [--tmu] [--scene NAME] [--dump DIR]
 *
 * --tmu runs every scene on a board with one texture unit and on one with
 * two. --dump writes the last frame of each run as a PNG into DIR. Run from
 * the run directory (the data files lie there). Each run has a process of
 * its own, so each starts from a fresh engine.
 */
#define _DEFAULT_SOURCE /* realpath, readlink, setenv, clock_gettime */
#include <glide.h>

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include "obx_glide_ext.h"
#include "ombrix.h"
#include "scenes.h"
#include "screenshot.h"

typedef struct Result {
    int ok;
    double framesPerSecond;
    double polygonsPerSecond;
    double pixelsPerSecond;
    double polygonsPerFrame;
} Result;

static double secondsNow(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec + (double)t.tv_nsec * 1e-9;
}

/* One scene at one resolution and number of texture units, in this process. */
static Result sceneMeasure(const BenchScene* scene, int resolution, int tmus, int frames,
                           const char* dump)
{
    Result r = {0, 0, 0, 0, 0};
    char tmu[2] = {(char)('0' + tmus), 0};
    setenv("OBX_GLIDE_DISPLAY", "headless", 1);
    setenv("FX_GLIDE_NUM_TMU", tmu, 1);
    if (!obxInitialize(NULL, resolution) || !scene->build())
        return r;
    GrObxStatsProc stats = (GrObxStatsProc)(void (*)(void))grGetProcAddress((char*)"grObxStats");
    GrObxStatsResetProc statsReset =
        (GrObxStatsResetProc)(void (*)(void))grGetProcAddress((char*)"grObxStatsReset");
    /* Warm up: pools fill, every texture and light map is sent once. */
    int frame = 0;
    for (; frame < 60; frame++)
        scene->frame(frame);
    if (statsReset)
        statsReset();
    obxPerformanceInit();
    double start = secondsNow();
    for (int f = 0; f < frames; f++, frame++)
        scene->frame(frame);
    double seconds = secondsNow() - start;
    GrObxStats s = {0, 0, 0};
    if (stats)
        stats(&s);
    r.ok = 1;
    r.framesPerSecond = frames / seconds;
    r.polygonsPerSecond = obxPerformanceGet()->polygonsDrawn / seconds;
    r.polygonsPerFrame = (double)obxPerformanceGet()->polygonsDrawn / frames;
    r.pixelsPerSecond = (double)s.pixelsWritten / seconds;
    if (dump) {
        float w, h;
        obxResolutionGet(&w, &h);
        char path[1024];
        snprintf(path, sizeof path, "%s/%s-%dx%d-%dtmu.png", dump, scene->name, (int)w, (int)h,
                 tmus);
        screenshotWrite(path, (int)w, (int)h);
    }
    obxShutdown();
    return r;
}

/* The same in a child process, so that every run starts afresh. */
static Result sceneRun(const BenchScene* scene, int resolution, int tmus, int frames,
                       const char* dump)
{
    Result r = {0, 0, 0, 0, 0};
    int fds[2];
    if (pipe(fds) != 0)
        return r;
    fflush(NULL);
    pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        Result mine = sceneMeasure(scene, resolution, tmus, frames, dump);
        ssize_t n = write(fds[1], &mine, sizeof mine);
        _exit(n == (ssize_t)sizeof mine ? 0 : 1);
    }
    close(fds[1]);
    if (pid > 0) {
        if (read(fds[0], &r, sizeof r) != (ssize_t)sizeof r)
            r.ok = 0;
        waitpid(pid, NULL, 0);
    }
    close(fds[0]);
    return r;
}

static void usage(FILE* out)
{
    fprintf(out, "usage: obx-bench-scenes [--frames N] [--tmu] [--scene NAME] [--dump DIR]\n"
                 "Frames, polygons and pixels per second of the fixed scenes, headless.\n");
}

int main(int argc, char** argv)
{
    int frames = 200, withTmus = 0;
    const char* only = NULL;
    const char* dump = NULL;
    for (int i = 1; i < argc; i++) {
        if (strcmp(argv[i], "--frames") == 0 && i + 1 < argc)
            frames = atoi(argv[++i]);
        else if (strcmp(argv[i], "--tmu") == 0)
            withTmus = 1;
        else if (strcmp(argv[i], "--scene") == 0 && i + 1 < argc)
            only = argv[++i];
        else if (strcmp(argv[i], "--dump") == 0 && i + 1 < argc)
            dump = argv[++i];
        else if (strcmp(argv[i], "--help") == 0) {
            usage(stdout);
            return 0;
        } else {
            usage(stderr);
            return 2;
        }
    }
    if (frames < 1) {
        usage(stderr);
        return 2;
    }
    static const int resolutions[2] = {0, 2};
    static const char* const sizes[2] = {"640x480", "1024x768"};
    printf("%-10s %-9s %4s %10s %12s %12s %10s\n", "scene", "screen", "TMUs", "frames/s",
           "polygons/s", "Mpixels/s", "poly/frame");
    int failed = 0;
    for (int s = 0; s < benchSceneCount; s++) {
        const BenchScene* scene = &benchScenes[s];
        if (only && strcmp(only, scene->name) != 0)
            continue;
        for (int r = 0; r < 2; r++) {
            for (int tmus = withTmus ? 1 : 2; tmus <= 2; tmus++) {
                Result res = sceneRun(scene, resolutions[r], tmus, frames, dump);
                if (!res.ok) {
                    printf("%-10s %-9s %4d   failed (run from the run directory)\n", scene->name,
                           sizes[r], tmus);
                    failed = 1;
                    continue;
                }
                printf("%-10s %-9s %4d %10.1f %12.0f %12.2f %10.0f\n", scene->name, sizes[r], tmus,
                       res.framesPerSecond, res.polygonsPerSecond, res.pixelsPerSecond / 1e6,
                       res.polygonsPerFrame);
                fflush(stdout);
            }
        }
    }
    return failed;
}
