// Landscape and sky: height maps, the grass surface and the six sky-box faces.
#include "gen.h"
#include "noise.h"

#include <algorithm>
#include <cmath>

namespace {

const double pi = 3.14159265358979323846;

}   // namespace

int genTerrain(const std::vector<std::string>& args)
{
    // Rolling hills with a ridge line and a valley: fractal gradient noise,
    // slightly warped, whose sharp creases are softened by squaring.
    const int n = 256;
    std::vector<double> h(size_t(n) * n);
    for (int y = 0; y < n; y++) {
        for (int x = 0; x < n; x++) {
            double u = x / double(n), v = y / double(n);
            double wx = u + 0.08 * fbm2(u * 3, v * 3, 3, 0.5, 0, 11);
            double wy = v + 0.08 * fbm2(u * 3 + 5.2, v * 3 + 1.3, 3, 0.5, 0, 12);
            double hills = fbm2(wx * 4, wy * 4, 6, 0.5, 0, 21);
            double ridge = 1 - std::fabs(fbm2(wx * 2 + 9.1, wy * 2 + 3.7, 4, 0.5, 0, 31));
            double valley = std::exp(-std::pow((u - 0.35 - 0.1 * std::sin(v * 2 * pi)) / 0.12, 2));
            h[size_t(y) * n + size_t(x)] = hills * 0.7 + ridge * ridge * 0.6 - valley * 0.35;
        }
    }
    auto [lo, hi] = std::minmax_element(h.begin(), h.end());
    double low = *lo, range = *hi - *lo;
    Image big(n, n);
    for (size_t i = 0; i < h.size(); i++) {
        uint8_t v = uint8_t(std::lround((h[i] - low) / range * 255));
        big.pixels[i] = Rgba{v, v, v, 255};
    }
    // The small map is the same land at a quarter of the detail.
    Image small = imageHalve(imageHalve(big));
    return save3df(args[0], big, "intensity8", false) &&
                   save3df(args[1], small, "intensity8", false)
               ? 0
               : 1;
}

int genGrass(const std::vector<std::string>& args)
{
    // Tiling grass: two greens mixed by noise, dry patches, fine blades.
    const int n = 256;
    Image image(n, n);
    for (int y = 0; y < n; y++) {
        for (int x = 0; x < n; x++) {
            double u = x / double(n) * 4, v = y / double(n) * 4;
            double patches = fbm2(u, v, 5, 0.55, 4, 41);
            double dry = smoothstep(0.25, 0.55, fbm2(u * 0.5 + 3, v * 0.5 + 7, 3, 0.5, 2, 43));
            double blades = fbm2(u * 16, v * 4, 2, 0.5, 64, 47);
            double light = 0.85 + 0.25 * patches + 0.15 * blades;
            double r = mix(0.20, 0.48, dry) * light, g = mix(0.42, 0.45, dry) * light,
                   b = mix(0.12, 0.20, dry) * light;
            image.at(x, y) = rgb(r, g, b);
        }
    }
    return save3df(args[0], image, "rgb565", true) ? 0 : 1;
}

namespace {

struct Dir {
    double x, y, z;
};

// The sky seen in one direction: blue above, pale at the horizon, a soft
// sun, a layer of clouds, and hazy green land below.
Rgba skyColour(Dir d)
{
    double len = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
    d = {d.x / len, d.y / len, d.z / len};
    const Dir sun = {-0.48, 0.36, 0.80};
    double sunCos = d.x * sun.x + d.y * sun.y + d.z * sun.z;
    double r, g, b;
    if (d.y >= 0) {
        double t = std::pow(d.y, 0.6);
        r = mix(0.74, 0.17, t);
        g = mix(0.84, 0.38, t);
        b = mix(0.94, 0.78, t);
        // Clouds on a flat layer above the viewer, thinning towards the horizon.
        double k = 1.0 / (d.y + 0.12);
        double cx = d.x * k * 1.4, cz = d.z * k * 1.4;
        double density = smoothstep(0.05, 0.45, fbm2(cx, cz, 6, 0.5, 0, 61) + 0.12);
        density *= smoothstep(0.0, 0.25, d.y);
        double shade = 0.78 + 0.22 * fbm2(cx * 2 + 4, cz * 2 + 9, 3, 0.5, 0, 67);
        r = mix(r, shade, density * 0.9);
        g = mix(g, shade, density * 0.9);
        b = mix(b, shade * 1.02, density * 0.9);
    } else {
        // Far land in haze: what shows beyond the far plane's cut of a
        // landscape.
        double t = std::pow(-d.y, 0.5);
        r = mix(0.56, 0.20, t);
        g = mix(0.66, 0.34, t);
        b = mix(0.68, 0.22, t);
    }
    double glow =
        std::pow(std::max(0.0, sunCos), 64) * 0.9 + std::pow(std::max(0.0, sunCos), 8) * 0.15;
    return rgb(r + glow, g + glow * 0.95, b + glow * 0.8);
}

}   // namespace

int genSky(const std::vector<std::string>& args)
{
    // The faces in the order the sky box takes them. Texel (s, t) of a face,
    // with a = 2s - 1 and b = 2t - 1 across it, looks along these directions
    // (camera space: x right, y up, z ahead; t = 0 is the top row).
    const int n = 256;
    for (int face = 0; face < 6; face++) {
        Image image(n, n);
        for (int y = 0; y < n; y++) {
            for (int x = 0; x < n; x++) {
                double a = (x + 0.5) / n * 2 - 1, b = (y + 0.5) / n * 2 - 1;
                Dir d;
                switch (face) {
                case 0: d = {a, -b, 1}; break;     // front, z = +1
                case 1: d = {-1, -b, a}; break;    // left, x = -1
                case 2: d = {-a, -b, -1}; break;   // back, z = -1
                case 3: d = {1, -b, -a}; break;    // right, x = +1
                case 4: d = {a, 1, b}; break;      // top, y = +1
                default: d = {a, -1, -b}; break;   // bottom, y = -1
                }
                image.at(x, y) = skyColour(d);
            }
        }
        if (!save3df(args[size_t(face)], image, "rgb565", true))
            return 1;
    }
    return 0;
}

int genEnvMap(const std::vector<std::string>& args)
{
    // A sphere map of the same sky: the engine takes (n.x, n.y) * 0.5 + 0.5 of
    // the world normal as texture coordinates, so texel (s, t) shows what a
    // normal (2s - 1, 2t - 1, -nz) facing the viewer reflects (t grows with
    // n.y, so the sky is at the bottom of the picture).
    const int n = 128;
    Image image(n, n);
    for (int y = 0; y < n; y++) {
        for (int x = 0; x < n; x++) {
            double nx = (x + 0.5) / n * 2 - 1, ny = (y + 0.5) / n * 2 - 1;
            double rr = nx * nx + ny * ny;
            double nz = rr < 1 ? std::sqrt(1 - rr) : 0;
            // A view along +z reflected by a normal that faces the viewer
            // (-nz); outside the rim the reflection grazes the sphere.
            image.at(x, y) = skyColour(Dir{2 * nz * nx, 2 * nz * ny, 1 - 2 * nz * nz});
        }
    }
    return save3df(args[0], image, "rgb565", true) ? 0 : 1;
}
