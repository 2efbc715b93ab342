#include "noise.h"

#include <cmath>
#include <cstdint>

namespace {

uint32_t hash(int32_t x, int32_t y, int32_t z, unsigned seed)
{
    uint32_t h = seed * 0x9E3779B1u;
    h ^= uint32_t(x) * 0x85EBCA77u;
    h = (h << 13 | h >> 19) * 0xC2B2AE3Du;
    h ^= uint32_t(y) * 0x27D4EB2Fu;
    h = (h << 13 | h >> 19) * 0x165667B1u;
    h ^= uint32_t(z) * 0x9E3779B1u;
    h ^= h >> 15;
    h *= 0x85EBCA77u;
    h ^= h >> 13;
    return h;
}

double fade(double t)
{
    return t * t * t * (t * (t * 6 - 15) + 10);
}

double grad2(uint32_t h, double x, double y)
{
    static const double g[8][2] = {{1, 0},
                                   {-1, 0},
                                   {0, 1},
                                   {0, -1},
                                   {0.7071, 0.7071},
                                   {-0.7071, 0.7071},
                                   {0.7071, -0.7071},
                                   {-0.7071, -0.7071}};
    const double* v = g[h & 7];
    return v[0] * x + v[1] * y;
}

double grad3(uint32_t h, double x, double y, double z)
{
    static const double g[12][3] = {{1, 1, 0}, {-1, 1, 0}, {1, -1, 0}, {-1, -1, 0},
                                    {1, 0, 1}, {-1, 0, 1}, {1, 0, -1}, {-1, 0, -1},
                                    {0, 1, 1}, {0, -1, 1}, {0, 1, -1}, {0, -1, -1}};
    const double* v = g[h % 12];
    return v[0] * x + v[1] * y + v[2] * z;
}

int wrap(int v, int period)
{
    return period > 0 ? ((v % period) + period) % period : v;
}

}   // namespace

double noise2(double x, double y, int period, unsigned seed)
{
    double fx = std::floor(x), fy = std::floor(y);
    int ix = int(fx), iy = int(fy);
    double dx = x - fx, dy = y - fy;
    int x0 = wrap(ix, period), x1 = wrap(ix + 1, period), y0 = wrap(iy, period),
        y1 = wrap(iy + 1, period);
    double n00 = grad2(hash(x0, y0, 0, seed), dx, dy),
           n10 = grad2(hash(x1, y0, 0, seed), dx - 1, dy);
    double n01 = grad2(hash(x0, y1, 0, seed), dx, dy - 1),
           n11 = grad2(hash(x1, y1, 0, seed), dx - 1, dy - 1);
    double u = fade(dx), v = fade(dy);
    return 1.4 * mix(mix(n00, n10, u), mix(n01, n11, u), v);
}

double noise3(double x, double y, double z, unsigned seed)
{
    double fx = std::floor(x), fy = std::floor(y), fz = std::floor(z);
    int ix = int(fx), iy = int(fy), iz = int(fz);
    double dx = x - fx, dy = y - fy, dz = z - fz;
    double n[2][2][2];
    for (int c = 0; c < 2; c++)
        for (int b = 0; b < 2; b++)
            for (int a = 0; a < 2; a++)
                n[c][b][a] = grad3(hash(ix + a, iy + b, iz + c, seed), dx - a, dy - b, dz - c);
    double u = fade(dx), v = fade(dy), w = fade(dz);
    return mix(mix(mix(n[0][0][0], n[0][0][1], u), mix(n[0][1][0], n[0][1][1], u), v),
               mix(mix(n[1][0][0], n[1][0][1], u), mix(n[1][1][0], n[1][1][1], u), v), w);
}

double fbm2(double x, double y, int octaves, double gain, int period, unsigned seed)
{
    double sum = 0, amplitude = 1, total = 0;
    for (int o = 0; o < octaves; o++) {
        sum += amplitude * noise2(x, y, period, seed + unsigned(o) * 101u);
        total += amplitude;
        x *= 2;
        y *= 2;
        period *= 2;
        amplitude *= gain;
    }
    return sum / total;
}

double fbm3(double x, double y, double z, int octaves, double gain, unsigned seed)
{
    double sum = 0, amplitude = 1, total = 0;
    for (int o = 0; o < octaves; o++) {
        sum += amplitude * noise3(x, y, z, seed + unsigned(o) * 101u);
        total += amplitude;
        x *= 2;
        y *= 2;
        z *= 2;
        amplitude *= gain;
    }
    return sum / total;
}

double clamp01(double v)
{
    return v < 0 ? 0 : v > 1 ? 1 : v;
}
double smoothstep(double edge0, double edge1, double v)
{
    double t = clamp01((v - edge0) / (edge1 - edge0));
    return t * t * (3 - 2 * t);
}
double mix(double a, double b, double t)
{
    return a + (b - a) * t;
}
