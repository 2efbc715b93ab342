/*
 * obx-demo: every feature of the engine in one scene.
 *
 *   obx-demo [--headless] [--frames N] [--shots F,F,...] [--out DIR]
 *            [--resolution 0..4] [--camera 1..5] [--fog | --no-fog] [--unpaced]
 *
 * In a window: Escape quits, space pauses, F toggles the fog, 1 to 5 choose a
 * camera path, F12 writes a screenshot into --out. Without a display (or
 * with --headless) it renders --frames frames (default: one tour of the five
 * camera paths) and writes the frames named by --shots (default: the middle
 * of each camera path of the tour, or the last frame) as PNG files into
 * --out (default: the current directory), printing each path. The data
 * files are taken from the current directory, or else from the directory the
 * program lies in.
 */
#include <errno.h>
#include <limits.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "app_window.h"
#include "demo_scene.h"
#include "screenshot.h"
#include "ombrix.h"

enum { MAX_SHOTS = 256 };

typedef struct Options {
    int headless;
    int frames; /* 0: one tour */
    int shots[MAX_SHOTS];
    int shotCount;
    char out[PATH_MAX];
    int resolution;
    int camera;
    int fog; /* -1 as the tour goes, 0 off, 1 on */
    int paced;
} Options;

/* ---- Start-up --------------------------------------------------------------------- */

static void usage(FILE* out)
{
    fprintf(out,
            "usage: obx-demo [--headless] [--frames N] [--shots F,F,...] [--out DIR]\n"
            "                [--resolution 0..4] [--camera 1..5] [--fog | --no-fog] [--unpaced]\n"
            "Every part of the engine in one scene. In a window: 1..5 camera path, F fog,\n"
            "space pause, F12 screenshot into --out, Escape quit. Headless (no display, or\n"
            "--headless): --frames frames (default one tour of 2400), writing the frames\n"
            "--shots names (default the middle of each camera path) as PNG into --out.\n");
}

static int optionsRead(int argc, char** argv, Options* o)
{
    memset(o, 0, sizeof *o);
    o->fog = -1;
    o->paced = 1;
    strcpy(o->out, ".");
    for (int i = 1; i < argc; i++) {
        const char* a = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : NULL;
        if (strcmp(a, "--headless") == 0) {
            o->headless = 1;
        } else if (strcmp(a, "--fog") == 0) {
            o->fog = 1;
        } else if (strcmp(a, "--no-fog") == 0) {
            o->fog = 0;
        } else if (strcmp(a, "--unpaced") == 0) {
            o->paced = 0;
        } else if (strcmp(a, "--frames") == 0 && value) {
            o->frames = atoi(value);
            i++;
        } else if (strcmp(a, "--resolution") == 0 && value) {
            o->resolution = atoi(value);
            i++;
        } else if (strcmp(a, "--camera") == 0 && value) {
            o->camera = atoi(value);
            i++;
        } else if (strcmp(a, "--out") == 0 && value) {
            if (strlen(value) >= sizeof o->out)
                return 0;
            strcpy(o->out, value);
            i++;
        } else if (strcmp(a, "--shots") == 0 && value) {
            for (const char* s = value; *s;) {
                char* end;
                long f = strtol(s, &end, 10);
                if (end == s || f < 1 || f > 1000000000L || o->shotCount == MAX_SHOTS)
                    return 0;
                o->shots[o->shotCount++] = (int)f;
                s = *end == ',' ? end + 1 : end;
            }
            i++;
        } else {
            return 0;
        }
    }
    return o->frames >= 0 && o->camera >= 0 && o->camera <= DEMO_CAMERA_PATHS;
}

static int screenshotShow(const char* path)
{
    float width, height;
    obxResolutionGet(&width, &height);
    return screenshotWrite(path, (int)width, (int)height);
}

/* ---- Running ------------------------------------------------------------------------ */

/* The frame rate over the last second or so. */
typedef struct Rate {
    double since;
    int frames;
    float shown;
} Rate;

static void rateCount(Rate* rate)
{
    double now = secondsNow();
    if (rate->since == 0.0)
        rate->since = now;
    rate->frames++;
    if (now - rate->since >= 0.5) {
        rate->shown = (float)(rate->frames / (now - rate->since));
        rate->since = now;
        rate->frames = 0;
    }
}

static int windowRun(AppWindow* window, const Options* o)
{
    Rate rate = {0, 0, 0};
    int paused = 0, shots = 0, redraw = 0;
    for (;;) {
        AppEvent event;
        while (eventPoll(window, &event)) {
            if (event.type == APP_QUIT)
                return 0;
            /* Shown again when uncovered, also while paused. */
            if (event.type == APP_EXPOSED)
                redraw = 1;
            if (event.type != APP_KEY)
                continue;
            int key = event.key;
            if (key == APP_KEY_ESCAPE)
                return 0;
            /* Each key says what it did, for whoever watches the output. */
            if (key == APP_KEY_SPACE) {
                paused = !paused;
                demoPausedSet(paused);
                printf("obx-demo: %s\n", paused ? "paused" : "running");
                redraw = 1;
            } else if (key == 'f') {
                demoFogSet(!demoFogOn());
                printf("obx-demo: fog %s\n", demoFogOn() ? "on" : "off");
                redraw = 1;
            } else if (key >= '1' && key <= '5') {
                demoCameraPathSet(key - '1' + 1);
                printf("obx-demo: camera %d %s\n", demoCameraPath(),
                       demoCameraPathName(demoCameraPath()));
                redraw = 1;
            } else if (key == APP_KEY_F12) {
                char path[PATH_MAX + 32];
                snprintf(path, sizeof path, "%s/obx-demo-shot%d.png", o->out, ++shots);
                if (screenshotShow(path))
                    printf("obx-demo: screenshot %s\n", path);
            }
        }
        fflush(stdout);
        if (paused && !redraw) {
            appDelay(10);
            continue;
        }
        /* While paused a key's effect is shown in one more frame. */
        if (!paused)
            demoSceneAdvance();
        redraw = 0;
        demoSceneRender(rate.shown);
        rateCount(&rate);
    }
}

static int headlessRun(Options* o)
{
    int frames = o->frames > 0 ? o->frames : 5 * 480;
    /* Unless told otherwise: the middle of each camera path of the tour, or
     * the last frame of a run of a given length. */
    if (o->shotCount == 0 && o->frames == 0) {
        for (int path = 0; path < DEMO_CAMERA_PATHS; path++)
            o->shots[o->shotCount++] = 240 + 480 * path;
    } else if (o->shotCount == 0) {
        o->shots[o->shotCount++] = frames;
    }
    Rate rate = {0, 0, 0};
    double start = secondsNow();
    int written = 0;
    /* On a terminal the tour says how far it has come. */
    int progress = stderrIsTerminal();
    for (int f = 1; f <= frames; f++) {
        if (progress && (f % 60 == 0 || f == frames))
            fprintf(stderr, "\robx-demo: frame %d of %d", f, frames);
        demoSceneAdvance();
        demoSceneRender(rate.shown);
        rateCount(&rate);
        for (int s = 0; s < o->shotCount; s++) {
            if (o->shots[s] != f)
                continue;
            char path[PATH_MAX + 32];
            snprintf(path, sizeof path, "%s/obx-demo-%05d.png", o->out, f);
            if (!screenshotShow(path))
                return 1;
            if (progress)
                fprintf(stderr, "\r\033[K");
            printf("obx-demo: frame %d written to %s\n", f, path);
            fflush(stdout);
            written++;
            break;
        }
    }
    if (progress)
        fprintf(stderr, "\r\033[K");
    double seconds = secondsNow() - start;
    printf("obx-demo: %d frames in %.1f s (%.1f frames/s), %d bumps, %u bytes allocated\n", frames,
           seconds, frames / seconds, demoCollisions(), obxNumBytesAllocated());
    (void)written;
    return 0;
}

int main(int argc, char** argv)
{
    Options o;
    for (int i = 1; i < argc; i++) {
        if (strcmp(argv[i], "--help") == 0) {
            usage(stdout);
            return 0;
        }
    }
    if (!optionsRead(argc, argv, &o)) {
        usage(stderr);
        return 2;
    }
    /* Shots go where asked, seen from where the program was started. */
    char out[PATH_MAX];
    if (!pathAbsolute(o.out, out)) {
        if (!directoryMake(o.out) || !pathAbsolute(o.out, out)) {
            fprintf(stderr, "obx-demo: cannot use %s: %s\n", o.out, strerror(errno));
            return 1;
        }
    }
    strcpy(o.out, out);
    if (!dataDirectoryEnter("obx-demo"))
        return 1;

    AppWindow* window = windowOpen("Ombrix Demo", o.resolution, o.headless);
    if (!window)
        headlessChoose();
    if (!obxInitialize(window ? windowHandle(window) : NULL, o.resolution)) {
        fprintf(stderr, "Couldn't initialize Ombrix!\n");
        if (window)
            windowErrorShow(window, "Couldn't initialize Ombrix!");
        return 1;
    }
    if (!o.paced)
        obxVSyncDisable();
    /* The landscape takes a moment to build. */
    if (stderrIsTerminal())
        fprintf(stderr, "obx-demo: building the scene...");
    int built = demoSceneBuild();
    if (stderrIsTerminal())
        fprintf(stderr, "\r\033[K");
    if (!built) {
        obxShutdown();
        return 1;
    }
    if (o.camera)
        demoCameraPathSet(o.camera);
    if (o.fog >= 0)
        demoFogSet(o.fog);

    int code = window ? windowRun(window, &o) : headlessRun(&o);
    obxShutdown();
    if (window)
        windowClose(window);
    return code;
}
