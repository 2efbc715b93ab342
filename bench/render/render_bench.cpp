// Object preparation and whole frames of fixed scenes, rendered headless on
// the software device: frames, polygons and pixels per second.
#include <libgen.h>
#include <limits.h>
#include <math.h>
#include <stdlib.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include "light/light.h"
#include "object/object.h"
#include "obx_glide_ext.h"
#include "render/render.h"
#include "texture/texture.h"

namespace {

// The engine, started once, headless, next to its data files.
bool engineUp(void)
{
    static int started = -1;
    if (started < 0) {
        char exe[PATH_MAX] = {0};
        if (readlink("/proc/self/exe", exe, sizeof exe - 1) > 0 && chdir(dirname(exe)) != 0)
            return false;
        setenv("OBX_GLIDE_DISPLAY", "headless", 1);
        started = obxInitialize(NULL, 0);
    }
    return started == 1;
}

// Removes every object and light of the world.
void worldEmpty(void)
{
    while (objects.first)
        obxObjectDelete(objects.first);
    while (lights.sources)
        obxLightsourceDelete(lights.sources);
}

// A sphere of radius r at (x, y, z) from a latitude-longitude grid.
Object* sphere(float x, float y, float z, float r, int rings, int segments, TextureRecord* t)
{
    Object* o = obxObjectInitDefaultState();
    for (int i = 0; i <= rings; i++) {
        float a = (float)M_PI * (float)i / (float)rings;
        for (int j = 0; j < segments; j++) {
            float b = 2.0f * (float)M_PI * (float)j / (float)segments;
            obxObjectAddVertex(o, sinf(a) * cosf(b), cosf(a), sinf(a) * sinf(b));
        }
    }
    for (int i = 0; i < rings; i++) {
        for (int j = 0; j < segments; j++) {
            int a = i * segments + j, b = i * segments + (j + 1) % segments;
            int c = a + segments, d = b + segments;
            obxObjectAddPolygon(o, a, c, b, 0, t, 0, 0, 0, 1, 1, 0);
            obxObjectAddPolygon(o, b, c, d, 0, t, 1, 0, 0, 1, 1, 1);
        }
    }
    obxObjectPerformPrecalculations(o, r);
    obxObjectMove(o, x, y, z);
    return obxObjectAdd(o);
}

void deviceStats(benchmark::State& state, uint64_t frames)
{
    GrObxStatsProc stats = (GrObxStatsProc)(void (*)(void))grGetProcAddress((char*)"grObxStats");
    if (!stats)
        return;
    GrObxStats s;
    stats(&s);
    state.counters["pixels/s"] =
        benchmark::Counter((double)s.pixelsWritten, benchmark::Counter::kIsRate);
    state.counters["triangles/frame"] = (double)s.trianglesDrawn / (double)frames;
}

void statsReset(void)
{
    GrObxStatsResetProc reset =
        (GrObxStatsResetProc)(void (*)(void))grGetProcAddress((char*)"grObxStatsReset");
    if (reset)
        reset();
}

// Transform, clip codes, back faces and smooth lighting of one sphere of
// 2 x rings x segments triangles, two light sources and a dynamic light.
void BM_ObjectPrepare(benchmark::State& state)
{
    if (!engineUp()) {
        state.SkipWithError("no engine");
        return;
    }
    worldEmpty();
    int rings = (int)state.range(0);
    Object* o = sphere(0, 0, 100, 20, rings, 2 * rings, textureFind("white.3df"));
    const uint32_t extra[3] = {0, 0, 0};
    obxLightsourceAdd(1, 1, 1, -100, 100, 0, 0.001f, NULL, extra);
    obxLightsourceAdd(0.5f, 0.2f, 0.1f, 100, 0, 50, 0.0f, NULL, extra);
    obxDynLightsourceAdd(30, 10, 0, 90, 1, 0.5f, 0);
    viewMatrixBuild();
    for (auto _ : state) {
        objectCull(o);
        objectWorldVertices(o);
        objectViewTransform(o);
        objectClipCodes(o);
        objectBackFaces(o);
        objectLighting(o);
        benchmark::DoNotOptimize(o->vertexRecords[0].r);
    }
    state.SetItemsProcessed(state.iterations() * o->polygonCount);
    state.counters["triangles"] = o->polygonCount;
    worldEmpty();
}
BENCHMARK(BM_ObjectPrepare)->Arg(16)->Arg(64);

// Whole frames: a grid of lit, textured spheres in front of the camera.
void BM_FrameSpheres(benchmark::State& state)
{
    if (!engineUp()) {
        state.SkipWithError("no engine");
        return;
    }
    worldEmpty();
    int side = (int)state.range(0);
    TextureRecord* white = textureFind("white.3df");
    for (int i = 0; i < side; i++)
        for (int j = 0; j < side; j++)
            sphere((float)(i - side / 2) * 6.0f, (float)(j - side / 2) * 6.0f,
                   40.0f + (float)(i + j), 2.5f, 8, 16, white);
    const uint32_t extra[3] = {0, 0, 0};
    obxLightsourceAdd(1, 0.9f, 0.8f, -50, 80, -20, 0.0f, NULL, extra);
    obxPerformanceInit();
    statsReset();
    uint64_t frames = 0;
    for (auto _ : state) {
        obxBackgroundClear();
        obxWorldRender(0);
        frames++;
    }
    state.counters["frames/s"] = benchmark::Counter((double)frames, benchmark::Counter::kIsRate);
    state.counters["polygons/s"] =
        benchmark::Counter((double)obxPerformanceGet()->polygonsDrawn, benchmark::Counter::kIsRate);
    deviceStats(state, frames);
    worldEmpty();
}
BENCHMARK(BM_FrameSpheres)->Arg(4)->Arg(12)->Unit(benchmark::kMillisecond);

// Whole frames of a ground that runs from under the camera to the far
// plane: most of its triangles take the clipping path.
void BM_FrameGroundClipped(benchmark::State& state)
{
    if (!engineUp()) {
        state.SkipWithError("no engine");
        return;
    }
    worldEmpty();
    Object* o = obxObjectInitDefaultState();
    const int n = 40;
    for (int i = 0; i <= n; i++)
        for (int j = 0; j <= n; j++)
            obxObjectAddVertex(o, (float)(i - n / 2) * 50.0f, -10.0f, (float)j * 50.0f - 100.0f);
    TextureRecord* white = textureFind("white.3df");
    for (int i = 0; i < n; i++) {
        for (int j = 0; j < n; j++) {
            int a = i * (n + 1) + j, b = a + 1, c = a + n + 1, d = c + 1;
            obxObjectAddPolygon(o, a, b, c, 1, white, 0, 0, 0, 1, 1, 0);
            obxObjectAddPolygon(o, c, b, d, 1, white, 1, 0, 0, 1, 1, 1);
        }
    }
    objectCentre(o);
    objectRadius(o);
    faceNormals(o);
    faceNormalsNormalise(o);
    vertexNormals(o);
    obxObjectMove(o, 0, -10, 900);
    obxObjectAdd(o);
    obxObjectSetShadingType(o, 3);
    const uint32_t extra[3] = {0, 0, 0};
    obxLightsourceAdd(1, 1, 1, 0, 200, 500, 0.0005f, NULL, extra);
    obxPerformanceInit();
    statsReset();
    uint64_t frames = 0;
    for (auto _ : state) {
        obxBackgroundClear();
        obxWorldRender(0);
        frames++;
    }
    int clipped = 0;
    for (int p = 0; p < o->polygonCount; p++)
        clipped += o->polygons[p].needsClip;
    state.counters["clipped"] = clipped;
    state.counters["frames/s"] = benchmark::Counter((double)frames, benchmark::Counter::kIsRate);
    state.counters["polygons/s"] =
        benchmark::Counter((double)obxPerformanceGet()->polygonsDrawn, benchmark::Counter::kIsRate);
    deviceStats(state, frames);
    worldEmpty();
}
BENCHMARK(BM_FrameGroundClipped)->Unit(benchmark::kMillisecond);

}   // namespace
