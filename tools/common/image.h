// RGBA images for the tools: PNG in and out, box-filtered halving.
#ifndef OBX_TOOLS_IMAGE_H
#define OBX_TOOLS_IMAGE_H

#include <cstdint>
#include <string>
#include <vector>

struct Rgba {
    uint8_t r, g, b, a;
};

// Rows top to bottom, pixels left to right, four bytes R, G, B, A each.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<Rgba> pixels;

    Image() = default;
    Image(int w, int h, Rgba fill = {0, 0, 0, 255}) : width(w), height(h), pixels(size_t(w) * size_t(h), fill) {}
    Rgba& at(int x, int y) { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
    const Rgba& at(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

bool pngRead(const std::string& path, Image* image, std::string* error);
bool pngWrite(const std::string& path, const Image& image, std::string* error);

// The next smaller mipmap level: each side halved (but not below 1), each
// pixel the rounded mean of the 2x2 (or 2x1) block it covers.
Image imageHalve(const Image& image);

// Mixes c over `into` with coverage 0..255 (alpha of the result is left alone).
void blendOver(Rgba* into, Rgba c, int coverage);

#endif
