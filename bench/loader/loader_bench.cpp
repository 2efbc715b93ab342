// Loading tank.3ds (from build/run, the current directory): the parse alone,
// and parse plus merge and precalculation, through the memory reader and
// through the file reader. Texture maps are not asked for.
#include <stdio.h>

#include <vector>

#include <benchmark/benchmark.h>

#include "math/math3d.h"
#include "object/object.h"

namespace {

std::vector<uint8_t> tankBytes()
{
    std::vector<uint8_t> bytes;
    FILE* file = fopen("tank.3ds", "rb");
    if (!file)
        return bytes;
    int c;
    while ((c = fgetc(file)) != EOF)
        bytes.push_back((uint8_t)c);
    fclose(file);
    return bytes;
}

void BM_ParseFromMemory(benchmark::State& state)
{
    std::vector<uint8_t> bytes = tankBytes();
    if (bytes.empty())
        state.SkipWithError("tank.3ds not found: run from build/run");
    for (auto _ : state) {
        ChunkReader reader;
        chunkReaderMemory(&reader, bytes.data(), (uint32_t)bytes.size());
        Scene* scene = sceneParse(&reader);
        benchmark::DoNotOptimize(scene);
        sceneFree(scene);
    }
    state.SetBytesProcessed(state.iterations() * (int64_t)bytes.size());
}
BENCHMARK(BM_ParseFromMemory);

void BM_LoadFromMemory(benchmark::State& state)
{
    sqrtTableInit();
    std::vector<uint8_t> bytes = tankBytes();
    if (bytes.empty())
        state.SkipWithError("tank.3ds not found: run from build/run");
    int polygons = 0;
    for (auto _ : state) {
        ChunkReader reader;
        chunkReaderMemory(&reader, bytes.data(), (uint32_t)bytes.size());
        Scene* scene = sceneParse(&reader);
        Object* object = scene ? sceneToObject(scene, 100.0f, 0) : nullptr;
        sceneFree(scene);
        polygons = object ? object->polygonCount : 0;
        obxObjectDelete(object);
    }
    state.counters["polygons"] = polygons;
    state.SetBytesProcessed(state.iterations() * (int64_t)bytes.size());
}
BENCHMARK(BM_LoadFromMemory);

void BM_LoadFromFile(benchmark::State& state)
{
    sqrtTableInit();
    for (auto _ : state) {
        Object* object = obxObjectLoad("tank.3ds", 0, 100.0f, 0);
        if (!object) {
            state.SkipWithError("tank.3ds not found: run from build/run");
            break;
        }
        obxObjectDelete(object);
    }
}
BENCHMARK(BM_LoadFromFile);

}   // namespace
