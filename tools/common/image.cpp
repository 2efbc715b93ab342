#include "image.h"

#include <png.h>

#include <cstdio>
#include <cstring>
#include <utility>

bool pngRead(const std::string& path, Image* image, std::string* error)
{
    png_image png;
    memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str())) {
        *error = png.message;
        return false;
    }
    png.format = PNG_FORMAT_RGBA;
    Image out(int(png.width), int(png.height));
    if (!png_image_finish_read(&png, nullptr, out.pixels.data(), 0, nullptr)) {
        *error = png.message;
        png_image_free(&png);
        return false;
    }
    *image = std::move(out);
    return true;
}

bool pngWrite(const std::string& path, const Image& image, std::string* error)
{
    png_image png;
    memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    png.width = png_uint_32(image.width);
    png.height = png_uint_32(image.height);
    png.format = PNG_FORMAT_RGBA;
    if (!png_image_write_to_file(&png, path.c_str(), 0, image.pixels.data(), 0, nullptr)) {
        *error = png.message;
        return false;
    }
    return true;
}

Image imageHalve(const Image& image)
{
    int w = image.width > 1 ? image.width / 2 : 1;
    int h = image.height > 1 ? image.height / 2 : 1;
    int sx = image.width > 1 ? 2 : 1, sy = image.height > 1 ? 2 : 1;
    int n = sx * sy;
    Image out(w, h);
    for (int y = 0; y < h; y++) {
        for (int x = 0; x < w; x++) {
            int sum[4] = {0, 0, 0, 0};
            for (int dy = 0; dy < sy; dy++) {
                for (int dx = 0; dx < sx; dx++) {
                    const Rgba& p = image.at(x * sx + dx, y * sy + dy);
                    sum[0] += p.r;
                    sum[1] += p.g;
                    sum[2] += p.b;
                    sum[3] += p.a;
                }
            }
            out.at(x, y) = Rgba{uint8_t((sum[0] + n / 2) / n), uint8_t((sum[1] + n / 2) / n),
                                uint8_t((sum[2] + n / 2) / n), uint8_t((sum[3] + n / 2) / n)};
        }
    }
    return out;
}

void blendOver(Rgba* into, Rgba c, int coverage)
{
    into->r = uint8_t((into->r * (255 - coverage) + c.r * coverage + 127) / 255);
    into->g = uint8_t((into->g * (255 - coverage) + c.g * coverage + 127) / 255);
    into->b = uint8_t((into->b * (255 - coverage) + c.b * coverage + 127) / 255);
}

// Only the formats a model's texture maps name; the others stay out of reach
// of untrusted files.
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_ONLY_TGA
#define STBI_ONLY_BMP
#define STBI_ONLY_GIF
#define STBI_NO_HDR
#define STBI_NO_LINEAR
#include <stb/stb_image.h>

#define STB_IMAGE_RESIZE_STATIC
#define STB_IMAGE_RESIZE_IMPLEMENTATION
#include <stb/stb_image_resize.h>

bool imageSize(const std::string& path, int* width, int* height, std::string* error)
{
    FILE* file = stbi__fopen(path.c_str(), "rb");
    if (!file) {
        *error = "cannot open it";
        return false;
    }
    int channels = 0;
    bool ok = stbi_info_from_file(file, width, height, &channels) != 0;
    unsigned char head[4] = {0, 0, 0, 0};
    bool known = false;
    if (!ok && fseek(file, 0, SEEK_SET) == 0 && fread(head, 1, 4, file) == 4)
        known = memcmp(head, "\x89PNG", 4) == 0 || memcmp(head, "\xFF\xD8\xFF", 3) == 0 ||
                memcmp(head, "GIF8", 4) == 0 || memcmp(head, "BM", 2) == 0;
    fclose(file);
    // stb_image refuses a header that claims more than 2^30 bytes.
    if (!ok)
        *error = known ? "its header is damaged or claims a picture too large to read"
                       : "not a PNG, JPEG, TGA, BMP or GIF picture";
    return ok;
}

bool imageRead(const std::string& path, long long maxPixels, Image* image, std::string* error)
{
    int w = 0, h = 0;
    if (!imageSize(path, &w, &h, error))
        return false;
    if (w <= 0 || h <= 0 || (long long)w * h > maxPixels) {
        *error = "the picture is too large (" + std::to_string(w) + "x" + std::to_string(h) + ")";
        return false;
    }
    int channels = 0;
    stbi_uc* data = stbi_load(path.c_str(), &w, &h, &channels, 4);
    if (!data) {
        *error = std::string("cannot decode it: ") + stbi_failure_reason();
        return false;
    }
    Image out(w, h);
    memcpy(out.pixels.data(), data, out.pixels.size() * sizeof(Rgba));
    stbi_image_free(data);
    *image = std::move(out);
    return true;
}

bool imageHasTransparency(const Image& image)
{
    for (const Rgba& p : image.pixels)
        if (p.a != 255)
            return true;
    return false;
}

bool imageHasPartialAlpha(const Image& image)
{
    for (const Rgba& p : image.pixels)
        if (p.a != 255 && p.a != 0)
            return true;
    return false;
}

Image imageResize(const Image& image, int width, int height)
{
    if (width == image.width && height == image.height)
        return image;
    Image out(width, height);
    stbir_resize_uint8_srgb(&image.pixels[0].r, image.width, image.height, 0, &out.pixels[0].r,
                            width, height, 0, 4, 3, 0);
    return out;
}

void imageFlipRows(Image* image)
{
    for (int top = 0, bottom = image->height - 1; top < bottom; top++, bottom--)
        for (int x = 0; x < image->width; x++)
            std::swap(image->at(x, top), image->at(x, bottom));
}
