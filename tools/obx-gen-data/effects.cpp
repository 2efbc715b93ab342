// Lens-flare elements, the particle glow, the smoke puff, and the tank's
// textures. Everything drawn additively is black where it should not show.
#include "gen.h"
#include "noise.h"

#include <algorithm>
#include <cmath>

namespace {

const double pi = 3.14159265358979323846;

// Fills a square image from a function of the position relative to its
// centre, in -1..1 across.
template <typename F>
Image radial(int n, F colourAt)
{
    Image image(n, n);
    for (int y = 0; y < n; y++)
        for (int x = 0; x < n; x++)
            image.at(x, y) = colourAt((x + 0.5) / n * 2 - 1, (y + 0.5) / n * 2 - 1);
    return image;
}

}   // namespace

int genFlares(const std::vector<std::string>& args)
{
    // 1: the bright core with rays; 2: an orange ring; 3: a small green-blue
    // disc; 4: a faint blue hexagon; 5: a wide warm halo.
    Image core = radial(64, [](double x, double y) {
        double r = std::sqrt(x * x + y * y), angle = std::atan2(y, x);
        double rays = std::pow(std::fabs(std::cos(angle * 3)), 40) * std::max(0.0, 1 - r) * 0.6;
        double v = std::exp(-r * r * 14) + std::exp(-r * 4) * 0.35 + rays;
        double edge = smoothstep(1.0, 0.85, r);
        return rgb(v * edge, v * 0.96 * edge, v * 0.85 * edge);
    });
    Image ring = radial(64, [](double x, double y) {
        double r = std::sqrt(x * x + y * y);
        double v = std::exp(-std::pow((r - 0.78) / 0.07, 2)) * 0.8;
        return rgb(v, v * 0.55, v * 0.2);
    });
    Image disc = radial(32, [](double x, double y) {
        double r = std::sqrt(x * x + y * y);
        double v = smoothstep(0.9, 0.7, r) * (0.35 + 0.15 * r);
        return rgb(v * 0.4, v * 0.9, v * 0.8);
    });
    Image hexagon = radial(64, [](double x, double y) {
        double angle = std::atan2(y, x), r = std::sqrt(x * x + y * y);
        double sector = std::fmod(angle + pi, pi / 3) - pi / 6;
        double edge = r * std::cos(sector) / std::cos(pi / 6);   // 1 on the hexagon's sides
        double v = smoothstep(0.92, 0.82, edge) * (0.25 + 0.2 * edge);
        return rgb(v * 0.5, v * 0.6, v);
    });
    Image halo = radial(64, [](double x, double y) {
        double r = std::sqrt(x * x + y * y);
        double v = std::exp(-r * r * 3) * 0.45 * smoothstep(1.0, 0.8, r);
        return rgb(v, v * 0.8, v * 0.55);
    });
    const Image* images[] = {&core, &ring, &disc, &hexagon, &halo};
    for (size_t i = 0; i < 5; i++)
        if (!save3df(args[i], *images[i], "rgb565", true))
            return 1;
    return 0;
}

int genParticle(const std::vector<std::string>& args)
{
    Image glow = radial(32, [](double x, double y) {
        double r2 = x * x + y * y;
        double v = std::exp(-r2 * 6) * smoothstep(1.0, 0.8, std::sqrt(r2));
        return rgb(v, v * 0.9, v * 0.7);
    });
    return save3df(args[0], glow, "rgb565", true) ? 0 : 1;
}

int genSmoke(const std::vector<std::string>& args)
{
    Image puff = radial(64, [](double x, double y) {
        double r = std::sqrt(x * x + y * y);
        double billow = fbm2(x * 2.5 + 10, y * 2.5 + 10, 5, 0.55, 0, 81);
        double v = smoothstep(0.95, 0.25, r + 0.3 * billow) * (0.55 + 0.35 * billow);
        return rgb(v * 0.82, v * 0.82, v * 0.85);
    });
    return save3df(args[0], puff, "rgb565", true) ? 0 : 1;
}

int genCamo(const std::vector<std::string>& args)
{
    // Woodland camouflage that tiles: three noise fields cut into blotches.
    const int n = 128;
    Image image(n, n);
    const Rgba colours[4] = {rgb(0.33, 0.38, 0.21), rgb(0.22, 0.27, 0.14), rgb(0.42, 0.36, 0.24),
                             rgb(0.12, 0.12, 0.09)};
    for (int y = 0; y < n; y++) {
        for (int x = 0; x < n; x++) {
            double u = x / double(n) * 3, v = y / double(n) * 3;
            int c = 0;
            if (fbm2(u, v, 4, 0.5, 3, 91) > 0.12)
                c = 1;
            if (fbm2(u + 7, v + 3, 4, 0.5, 3, 93) > 0.22)
                c = 2;
            if (fbm2(u * 1.5 + 2, v * 1.5 + 5, 3, 0.5, 0, 95) > 0.35)
                c = 3;
            double grain = 1 + 0.06 * fbm2(u * 20, v * 20, 2, 0.5, 60, 97);
            Rgba p = colours[c];
            image.at(x, y) = rgb(p.r / 255.0 * grain, p.g / 255.0 * grain, p.b / 255.0 * grain);
        }
    }
    return save3df(args[0], image, "rgb565", true) ? 0 : 1;
}

int genTread(const std::vector<std::string>& args)
{
    // Sixteen track links along s (the tank maps the whole belt once onto
    // s = 0..1), steel grey with dark gaps and a guide horn down the middle.
    const int w = 256, h = 32;
    Image image(w, h);
    for (int y = 0; y < h; y++) {
        for (int x = 0; x < w; x++) {
            double along = std::fmod(x / 16.0, 1.0), across = (y + 0.5) / h;
            double gap = smoothstep(0.8, 0.9, along);
            double horn =
                (std::fabs(across - 0.5) < 0.07 && along > 0.3 && along < 0.65) ? 0.25 : 0;
            double v =
                (0.34 + horn) * (1 - 0.75 * gap) * (0.9 + 0.1 * std::cos(across * 2 * pi * 3));
            image.at(x, y) = rgb(v, v * 0.97, v * 0.92);
        }
    }
    return save3df(args[0], image, "rgb565", true) ? 0 : 1;
}

int genPanel(const std::vector<std::string>& args)
{
    // The backing of the demo's read-outs, drawn translucent: deep blue,
    // lighter towards the top, with a pale frame.
    const int n = 64;
    Image image(n, n);
    for (int y = 0; y < n; y++) {
        for (int x = 0; x < n; x++) {
            double t = y / double(n - 1);
            bool frame = x == 0 || y == 0 || x == n - 1 || y == n - 1;
            image.at(x, y) = frame
                                 ? rgb(0.55, 0.65, 0.85)
                                 : rgb(mix(0.10, 0.03, t), mix(0.14, 0.05, t), mix(0.26, 0.12, t));
        }
    }
    return save3df(args[0], image, "rgb565", false) ? 0 : 1;
}
