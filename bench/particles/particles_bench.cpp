// Particle and smoke scenes rendered headless at 640 x 480: frames per
// second, squares per second and pixels per second for each scene, and the
// cost of the update walk alone.
//
//   obx-bench-particles [frames per scene, default 300] [--dump PATTERN]
//
// Run from the run directory (it needs the engine's data files and
// "particle.3df", "smoke.3df"). With --dump, the last frame of each scene is
// shown and the device writes it under PATTERN (a printf pattern with one
// integer, counting the start-up picture as frame 0).
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <chrono>

#include "core/core.h"
#include "obx_glide_ext.h"
#include "particles/particles.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

TextureRecord* particleTexture;
TextureRecord* smokeTexture;

// Three fountains of glowing sparks that rise, slow down and fade from
// yellow to a dark red.
void fountainsBuild(void)
{
    const float start[3] = {1.0f, 0.85f, 0.4f}, end[3] = {0.5f, 0.05f, 0.0f};
    for (int i = 0; i < 3; i++) {
        const float up[3] = {0.0f, 0.22f, 0.0f};
        ParticleEmitter* e = obxEmitterCreate(-6.0f + 6.0f * (float)i, -4.0f, 24.0f, 400, start,
                                              end, particleTexture, up, 0.97f, 0.35f, 0.04f);
        obxEmitterAddToWorld(e);
    }
}

// Four smoke columns.
void smokeBuild(void)
{
    const float still[3] = {0, 0, 0};
    for (int i = 0; i < 4; i++) {
        SmokeEmitter* s =
            obxSmokeEmitterCreate(-7.5f + 5.0f * (float)i, -5.0f, 26.0f, 200, smokeTexture, 1.0f,
                                  still, 0.8f, 1.4f, 0.12f, 80, 2);
        obxSmokeEmitterAddToWorld(s);
    }
}

// Feeds the fountains a few particles a frame.
void fountainsFeed(void)
{
    for (ParticleEmitter* e = particles.emitters; e; e = e->next)
        obxEmitterAddParticles(e, 5);
}

void sceneClear(void)
{
    while (particles.emitters)
        obxEmitterRemoveFromWorld(particles.emitters);
    while (particles.smokeEmitters)
        obxSmokeEmitterRemoveFromWorld(particles.smokeEmitters);
}

void sceneRun(const char* name, int frames, bool show)
{
    GrObxStatsProc stats = (GrObxStatsProc)(void (*)(void))grGetProcAddress((char*)"grObxStats");
    GrObxStatsResetProc statsReset =
        (GrObxStatsResetProc)(void (*)(void))grGetProcAddress((char*)"grObxStatsReset");
    // Warm up until the streams are steady.
    for (int f = 0; f < 120; f++) {
        fountainsFeed();
        obxWorldRender(0);
    }
    if (statsReset)
        statsReset();
    uint32_t polygonsBefore = obxPerformanceGet()->polygonsDrawn;
    Clock::time_point start = Clock::now();
    for (int f = 0; f < frames; f++) {
        fountainsFeed();
        obxBackgroundClear();
        obxWorldRender(0);
    }
    double seconds = secondsSince(start);
    uint32_t squares = obxPerformanceGet()->polygonsDrawn - polygonsBefore;
    GrObxStats s = {0, 0, 0};
    if (stats)
        stats(&s);
    printf("%-10s %8.1f frames/s %10.0f squares/s %8.2f Mpixels/s (%u squares a frame)\n", name,
           frames / seconds, squares / seconds, (double)s.pixelsWritten / seconds / 1.0e6,
           squares / (unsigned)frames);
    if (show)
        obxWorldDisplay();
}

// The update walk alone: a pool of 100000 particles kept full.
void updateRun(int frames)
{
    const float white[3] = {1, 1, 1}, up[3] = {0, 0.1f, 0};
    ParticleEmitter* e =
        obxEmitterCreate(0, 0, 10, 100000, white, white, NULL, up, 0.98f, 0.1f, 0.05f);
    Clock::time_point start = Clock::now();
    long updated = 0;
    for (int f = 0; f < frames; f++) {
        obxEmitterAddParticles(e, 100000);
        updated += e->liveCount;
        particleEmitterUpdate(e);
    }
    double seconds = secondsSince(start);
    printf("%-10s %8.1f Mparticles/s\n", "update", updated / seconds / 1.0e6);
}

}   // namespace

int main(int argc, char** argv)
{
    int frames = 300;
    const char* dump = NULL;
    static const char usage[] = "usage: obx-bench-particles [FRAMES] [--dump PATTERN]\n"
                                "Particle fountains and smoke columns, headless: frames, squares\n"
                                "and pixels per second, and the rate of the update walk.\n";
    for (int i = 1; i < argc; i++) {
        char* end = NULL;
        if (strcmp(argv[i], "--dump") == 0 && i + 1 < argc) {
            dump = argv[++i];
        } else if (strcmp(argv[i], "--help") == 0) {
            fputs(usage, stdout);
            return 0;
        } else if ((frames = (int)strtol(argv[i], &end, 10)) < 1 || *end) {
            fputs(usage, stderr);
            return 2;
        }
    }
    setenv("OBX_GLIDE_DISPLAY", "headless", 1);
    if (dump)
        setenv("OBX_GLIDE_DUMP", dump, 1);
    if (!obxInitialize(NULL, 0)) {
        fprintf(stderr, "obxInitialize failed (run from the run directory)\n");
        return 1;
    }
    particleTexture = obxTextureLoad("particle.3df", 0);
    smokeTexture = obxTextureLoad("smoke.3df", 0);
    const float night[3] = {0.02f, 0.02f, 0.06f};
    obxBackgroundSetColor(night);

    fountainsBuild();
    sceneRun("fountains", frames, dump != NULL);
    sceneClear();
    smokeBuild();
    sceneRun("smoke", frames, dump != NULL);
    fountainsBuild();
    sceneRun("both", frames, dump != NULL);
    updateRun(frames);
    if (dump)
        printf("frames 1 to 3 written as %s\n", dump);
    obxShutdown();
    return 0;
}
