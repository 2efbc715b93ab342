// RGBA images for the tools: PNG in and out, ordinary image files in, box-filtered
// halving, resizing.
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
    Image(int w, int h, Rgba fill = {0, 0, 0, 255})
        : width(w), height(h), pixels(size_t(w) * size_t(h), fill)
    {}
    Rgba& at(int x, int y)
    {
        return pixels[size_t(y) * size_t(width) + size_t(x)];
    }
    const Rgba& at(int x, int y) const
    {
        return pixels[size_t(y) * size_t(width) + size_t(x)];
    }
};

bool pngRead(const std::string& path, Image* image, std::string* error);
bool pngWrite(const std::string& path, const Image& image, std::string* error);

// The width and height a PNG, JPEG, TGA, BMP or GIF file's header claims,
// without decoding it. Sets error when the file is none of these.
bool imageSize(const std::string& path, int* width, int* height, std::string* error);

// Reads a PNG, JPEG, TGA, BMP or GIF file (a GIF's first frame). A picture
// whose header claims more than maxPixels pixels is refused before anything
// is decoded (a few bytes can claim gigabytes).
bool imageRead(const std::string& path, long long maxPixels, Image* image, std::string* error);

// Whether any pixel is less than opaque; whether any is neither opaque nor
// wholly transparent.
bool imageHasTransparency(const Image& image);
bool imageHasPartialAlpha(const Image& image);

// The picture resampled to width x height (a Mitchell filter in linear light,
// colours weighted by alpha).
Image imageResize(const Image& image, int width, int height);

// The rows in reverse order.
void imageFlipRows(Image* image);

// The next smaller mipmap level: each side halved (but not below 1), each
// pixel the rounded mean of the 2x2 (or 2x1) block it covers.
Image imageHalve(const Image& image);

// Mixes c over `into` with coverage 0..255 (alpha of the result is left alone).
void blendOver(Rgba* into, Rgba c, int coverage);

#endif
