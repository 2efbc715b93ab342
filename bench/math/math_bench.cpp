// The inner loops of the math every frame runs: table square root against
// the library's, vector length, point transform and matrix product.
#include <math.h>

#include <vector>

#include <benchmark/benchmark.h>

#include "math/math3d.h"

namespace {

std::vector<float> inputs(size_t n)
{
    std::vector<float> v(n);
    for (size_t i = 0; i < n; i++)
        v[i] = 0.001f + (float)i * 1.37f;
    return v;
}

void tables()
{
    sqrtTableInit();
    angleTablesInit();
}

void BM_FastSqrt(benchmark::State& state)
{
    tables();
    std::vector<float> v = inputs(4096);
    for (auto _ : state) {
        for (float x : v)
            benchmark::DoNotOptimize(fastSqrt(x));
    }
    state.SetItemsProcessed(state.iterations() * (int64_t)v.size());
}
BENCHMARK(BM_FastSqrt);

void BM_LibrarySqrt(benchmark::State& state)
{
    std::vector<float> v = inputs(4096);
    for (auto _ : state) {
        for (float x : v)
            benchmark::DoNotOptimize(sqrtf(x));
    }
    state.SetItemsProcessed(state.iterations() * (int64_t)v.size());
}
BENCHMARK(BM_LibrarySqrt);

void BM_VectorLength(benchmark::State& state)
{
    tables();
    std::vector<float> v = inputs(3 * 1024);
    for (auto _ : state) {
        for (size_t i = 0; i < v.size(); i += 3)
            benchmark::DoNotOptimize(VectorLenght(&v[i]));
    }
    state.SetItemsProcessed(state.iterations() * 1024);
}
BENCHMARK(BM_VectorLength);

void BM_TransformVertices(benchmark::State& state)
{
    tables();
    Matrix m, r;
    matrixTranslation(&m, 1, 2, 3);
    matrixRotationY(&r, 33);
    matrixMultiply(&m, &r);
    std::vector<Ver> in(1024);
    for (size_t i = 0; i < in.size(); i++)
        in[i] = {(float)i, (float)i * 0.5f, (float)i * 2.0f};
    std::vector<DrawVer> out(in.size());
    for (auto _ : state) {
        for (size_t i = 0; i < in.size(); i++)
            MatXVerToDrawVer(&r, &in[i], &out[i]);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * (int64_t)in.size());
}
BENCHMARK(BM_TransformVertices);

void BM_ViewMatrixProducts(benchmark::State& state)
{
    tables();
    for (auto _ : state) {
        Matrix t, rx, ry, rz;
        matrixTranslation(&t, -1, -2, -3);
        matrixRotationX(&rx, 10);
        matrixRotationY(&ry, 20);
        matrixRotationZ(&rz, 30);
        matrixMultiply(&t, &ry);
        matrixMultiply(&ry, &rz);
        matrixMultiply(&rz, &rx);
        benchmark::DoNotOptimize(rx);
    }
}
BENCHMARK(BM_ViewMatrixProducts);

}   // namespace
