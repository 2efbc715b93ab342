#include "image.h"

#include <png.h>

#include <cstring>

bool pngRead(const std::string& path, Image* image, std::string* error) {
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

bool pngWrite(const std::string& path, const Image& image, std::string* error) {
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

Image imageHalve(const Image& image) {
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

void blendOver(Rgba* into, Rgba c, int coverage) {
    into->r = uint8_t((into->r * (255 - coverage) + c.r * coverage + 127) / 255);
    into->g = uint8_t((into->g * (255 - coverage) + c.g * coverage + 127) / 255);
    into->b = uint8_t((into->b * (255 - coverage) + c.b * coverage + 127) / 255);
}
