// What the overlay, flare and sky-box passes cost on the headless software
// device at 640 x 480: text, the string grid, a frame with a sky box, and a
// frame with flaring lights.
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <string>

#include <benchmark/benchmark.h>

#include "core/core.h"
#include "light/light.h"
#include "overlay/overlay.h"
#include "terrain/terrain.h"

namespace {

// The engine, started once in the run directory (which holds the data files).
void engineUp(void)
{
    static bool up = false;
    if (up)
        return;
    setenv("OBX_GLIDE_DISPLAY", "headless", 1);
    if (chdir(OBX_RUN_DIR) != 0 || !obxInitialize(NULL, 0))
        abort();
    up = true;
}

void BM_StringDrawXY(benchmark::State& state)
{
    engineUp();
    const float black[3] = {0, 0, 0};
    static CharacterSet* font = obxCharactersetLoad("font/ch", 0, 1, 200.0f, 1, black, 16, 16, 20);
    obxSetDefaultCharacterset(font);
    const char* line = "The quick brown fox jumps over the lazy dog";
    for (auto _ : state) {
        for (int row = 0; row < 20; row++)
            obxStringDrawXY(line, 0, (float)(row * 24));
    }
    state.SetItemsProcessed(state.iterations() * 20 * (int64_t)strlen(line));
}
BENCHMARK(BM_StringDrawXY)->Unit(benchmark::kMillisecond);

void BM_StrDrawGridFullScreen(benchmark::State& state)
{
    engineUp();
    std::string screen;
    for (int i = 0; i < 40 * 30; i++)
        screen += (char)(33 + i % 94);
    for (auto _ : state)
        obxStrDrawGrid(0, 0, screen.c_str());
    state.SetItemsProcessed(state.iterations() * (int64_t)screen.size());
}
BENCHMARK(BM_StrDrawGridFullScreen)->Unit(benchmark::kMillisecond);

void BM_FrameWithSkyBox(benchmark::State& state)
{
    engineUp();
    TextureRecord* faces[6];
    const char* names[6] = {"sky_front.3df", "sky_left.3df", "sky_back.3df",
                            "sky_right.3df", "sky_top.3df",  "sky_bottom.3df"};
    for (int f = 0; f < 6; f++)
        faces[f] = obxTextureLoad(names[f], 0);
    obxSkyboxAdd(1000.0f, faces[0], faces[1], faces[2], faces[3], faces[4], faces[5]);
    float heading = 0.0f;
    for (auto _ : state) {
        obxCameraRotate(10.0f, heading, 0.0f);
        heading = heading >= 359.0f ? 0.0f : heading + 1.0f;
        obxWorldRender(0);
    }
    obxSkyboxDisable();
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FrameWithSkyBox)->Unit(benchmark::kMillisecond);

void BM_FrameWithFlares(benchmark::State& state)
{
    engineUp();
    TextureRecord* textures[5];
    const char* names[5] = {"flare1.3df", "flare2.3df", "flare3.3df", "flare4.3df", "flare5.3df"};
    for (int e = 0; e < 5; e++)
        textures[e] = obxTextureLoad(names[e], 0);
    const float sizes[5] = {64, 16, 24, 12, 40}, positions[5] = {1.0f, 0.6f, 0.2f, -0.4f, -1.0f};
    LensFlare* flare = obxLensflareCreate(5, textures, sizes, positions);
    LightSource* lights[4];
    for (int l = 0; l < 4; l++)
        lights[l] =
            obxLightsourceAdd(1, 1, 1, -60.0f + 40.0f * (float)l, 20.0f, 200.0f, 0, flare, NULL);
    obxCameraRotate(0, 0, 0);
    for (auto _ : state) {
        obxBackgroundClear();
        obxWorldRender(0);
    }
    for (LightSource* light : lights)
        obxLightsourceDelete(light);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FrameWithFlares)->Unit(benchmark::kMillisecond);

}   // namespace
