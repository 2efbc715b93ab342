#include "tex3df.h"

#include <cstdio>

const std::vector<TexFormat>& texFormats()
{
    static const std::vector<TexFormat> formats = {
        {"rgb565", "rgb565", 0xA, 2},      {"argb1555", "argb1555", 0xB, 2},
        {"argb4444", "argb4444", 0xC, 2},  {"intensity8", "i8", 0x3, 1},
        {"alpha8", "a8", 0x2, 1},          {"ai44", "ai44", 0x4, 1},
        {"argb8888", "argb8888", 0x12, 4},
    };
    return formats;
}

const TexFormat* texFormatByOption(const std::string& option)
{
    for (const TexFormat& f : texFormats())
        if (option == f.option)
            return &f;
    return nullptr;
}

bool texFormatDropsAlpha(const TexFormat& format, const Image& image)
{
    switch (format.glideFormat) {
    case 0xA:
    case 0x3: return imageHasTransparency(image);
    case 0xB: return imageHasPartialAlpha(image);
    }
    return false;
}

namespace {

// 8 bits to n bits, rounded to nearest.
uint32_t narrow(uint8_t v, int bits)
{
    uint32_t max = (1u << bits) - 1;
    return (v * max + 127) / 255;
}

uint8_t intensity(Rgba c)
{
    return uint8_t((77 * c.r + 150 * c.g + 29 * c.b + 128) >> 8);
}

bool powerOfTwo(int v)
{
    return v > 0 && (v & (v - 1)) == 0;
}

}   // namespace

uint32_t texelEncode(const TexFormat& format, Rgba c)
{
    switch (format.glideFormat) {
    case 0xA: return narrow(c.r, 5) << 11 | narrow(c.g, 6) << 5 | narrow(c.b, 5);
    case 0xB:
        return uint32_t(c.a >= 128) << 15 | narrow(c.r, 5) << 10 | narrow(c.g, 5) << 5 |
               narrow(c.b, 5);
    case 0xC:
        return narrow(c.a, 4) << 12 | narrow(c.r, 4) << 8 | narrow(c.g, 4) << 4 | narrow(c.b, 4);
    case 0x3: return intensity(c);
    case 0x2: return c.a;
    case 0x4: return narrow(c.a, 4) << 4 | narrow(intensity(c), 4);
    case 0x12: return uint32_t(c.a) << 24 | uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | c.b;
    }
    return 0;
}

bool texSizeValid(int width, int height, std::string* error)
{
    if (!powerOfTwo(width) || !powerOfTwo(height) || width > 256 || height > 256) {
        *error = "sides must be powers of two up to 256, not " + std::to_string(width) + "x" +
                 std::to_string(height);
        return false;
    }
    if (width > 8 * height || height > 8 * width) {
        *error = "aspect must be at most 8:1, not " + std::to_string(width) + "x" +
                 std::to_string(height);
        return false;
    }
    return true;
}

namespace {

// The power of two nearest to n by ratio (n between 2^k and 2^(k+1) goes up
// from 2^k * sqrt 2 on), from 1 to 256.
int nearestPowerOfTwo(int n)
{
    int p = 1;
    // p * p * 2 < n * n: n is past p * sqrt 2, so 2p is nearer.
    while (p < 256 && 2.0 * p * p < double(n) * n)
        p *= 2;
    return p;
}

}   // namespace

void texSizeFit(int width, int height, int* fitWidth, int* fitHeight)
{
    int w = nearestPowerOfTwo(width), h = nearestPowerOfTwo(height);
    if (w > 8 * h)
        h = w / 8;
    if (h > 8 * w)
        w = h / 8;
    *fitWidth = w;
    *fitHeight = h;
}

std::vector<uint8_t> tex3dfEncode(const Image& base, const TexFormat& format, bool mipmaps)
{
    std::vector<Image> levels{base};
    while (mipmaps && (levels.back().width > 1 || levels.back().height > 1))
        levels.push_back(imageHalve(levels.back()));
    auto longer = [](const Image& i) { return i.width > i.height ? i.width : i.height; };
    int ratioW = base.width >= base.height ? base.width / base.height : 1;
    int ratioH = base.height > base.width ? base.height / base.width : 1;
    std::string header = std::string("3df v1.1\n") + format.name +
                         "\nlod range: " + std::to_string(longer(levels.back())) + " " +
                         std::to_string(longer(base)) +
                         "\naspect ratio: " + std::to_string(ratioW) + " " +
                         std::to_string(ratioH) + "\n";
    std::vector<uint8_t> out(header.begin(), header.end());
    for (const Image& level : levels) {
        for (const Rgba& p : level.pixels) {
            uint32_t t = texelEncode(format, p);
            for (int b = format.bytesPerTexel - 1; b >= 0; b--)
                out.push_back(uint8_t(t >> (8 * b)));
        }
    }
    return out;
}

bool tex3dfWrite(const std::string& path, const Image& base, const TexFormat& format, bool mipmaps,
                 std::string* error)
{
    if (!texSizeValid(base.width, base.height, error))
        return false;
    std::vector<uint8_t> bytes = tex3dfEncode(base, format, mipmaps);
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) {
        *error = "cannot create " + path;
        return false;
    }
    bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = fclose(f) == 0 && ok;
    if (!ok)
        *error = "cannot write " + path;
    return ok;
}
