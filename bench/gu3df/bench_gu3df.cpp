// gu3dfGetInfo + gu3dfLoad of a 256x256 rgb565 texture with all its levels,
// ours against Debian's real reader, and encoding such a texture.
#include "image.h"
#include "tex3df.h"

#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <glide.h>
#include <glideutl.h>

#include <vector>

namespace {

using Proc = FxBool (*)(const char*, Gu3dfInfo*);
const char* file = OBX_3DF_SAMPLES "/tex256_rgb565.3df";

void loadWith(benchmark::State& state, Proc getInfo, Proc load)
{
    std::vector<unsigned char> texels(256 * 1024);
    for (auto _ : state) {
        Gu3dfInfo info;
        if (!getInfo(file, &info) || info.mem_required > texels.size())
            state.SkipWithError("cannot read");
        info.data = texels.data();
        if (!load(file, &info))
            state.SkipWithError("cannot load");
        benchmark::DoNotOptimize(texels.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * 174762);
}

void BM_LoadOurs(benchmark::State& state)
{
    loadWith(state, gu3dfGetInfo, gu3dfLoad);
}

void BM_LoadReal(benchmark::State& state)
{
    void* lib = dlopen("/usr/lib/libglide3.so.3", RTLD_NOW | RTLD_LOCAL);
    if (!lib) {
        state.SkipWithError("Debian's libglide3 is not installed");
        return;
    }
    loadWith(state, reinterpret_cast<Proc>(dlsym(lib, "gu3dfGetInfo")),
             reinterpret_cast<Proc>(dlsym(lib, "gu3dfLoad")));
}

void BM_Encode256Rgb565WithMipmaps(benchmark::State& state)
{
    Image image(256, 256);
    for (int y = 0; y < 256; y++)
        for (int x = 0; x < 256; x++)
            image.at(x, y) = Rgba{uint8_t(x), uint8_t(y), uint8_t(x ^ y), 255};
    for (auto _ : state)
        benchmark::DoNotOptimize(tex3dfEncode(image, *texFormatByOption("rgb565"), true));
}

}   // namespace

BENCHMARK(BM_LoadOurs);
BENCHMARK(BM_LoadReal);
BENCHMARK(BM_Encode256Rgb565WithMipmaps);
BENCHMARK_MAIN();
