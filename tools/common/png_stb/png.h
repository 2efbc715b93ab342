// The part of libpng's simplified interface the tools' image code and the
// tests need, over Debian's header-only stb_image and stb_image_write, for
// the Windows build (there is no libpng for MinGW in Debian): 8-bit RGB or
// RGBA, whole rows.
#ifndef OBX_TEST_PNG_SHIM_H
#define OBX_TEST_PNG_SHIM_H

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

// A source with stb_image's implementation of its own (the tools' image.cpp)
// defines OBX_PNG_SHIM_STB_ELSEWHERE.
#ifndef OBX_PNG_SHIM_STB_ELSEWHERE
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#endif
#define STB_IMAGE_STATIC
#define STBI_NO_STDIO_UTF8
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#include <stb_image.h>
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#define STBI_WRITE_NO_STDIO_UTF8
#include <stb_image_write.h>
#pragma GCC diagnostic pop

typedef unsigned char png_byte;
typedef uint32_t png_uint_32;

#define PNG_IMAGE_VERSION                1
#define PNG_FORMAT_RGB                   1
#define PNG_FORMAT_RGBA                  3
#define PNG_IMAGE_PIXEL_CHANNELS(format) ((format) == PNG_FORMAT_RGBA ? 4 : 3)
#define PNG_IMAGE_SIZE(image)                                                                      \
    ((size_t)(image).width * (image).height * PNG_IMAGE_PIXEL_CHANNELS((image).format))

typedef struct {
    void* opaque;   // the decoded pixels
    png_uint_32 version;
    png_uint_32 width;
    png_uint_32 height;
    png_uint_32 format;
    png_uint_32 flags;
    png_uint_32 colormap_entries;
    png_uint_32 warning_or_error;
    char message[64];
} png_image;

static inline void png_image_free(png_image* image)
{
    stbi_image_free(image->opaque);
    image->opaque = NULL;
}

static inline int png_image_begin_read_from_file(png_image* image, const char* path)
{
    int width, height, channels;
    image->opaque = stbi_load(path, &width, &height, &channels, 4);
    if (!image->opaque) {
        snprintf(image->message, sizeof image->message, "%s", stbi_failure_reason());
        return 0;
    }
    image->width = (png_uint_32)width;
    image->height = (png_uint_32)height;
    return 1;
}

static inline int png_image_finish_read(png_image* image, const void* background, void* buffer,
                                        int32_t row_stride, void* colormap)
{
    (void)background;
    (void)colormap;
    int channels = PNG_IMAGE_PIXEL_CHANNELS(image->format);
    int ok = image->opaque &&
             (image->format == PNG_FORMAT_RGB || image->format == PNG_FORMAT_RGBA) &&
             (row_stride == 0 || row_stride == (int32_t)image->width * channels);
    if (ok) {
        const unsigned char* from = (const unsigned char*)image->opaque;
        unsigned char* to = (unsigned char*)buffer;
        for (size_t i = 0; i < (size_t)image->width * image->height; i++)
            memcpy(to + i * channels, from + i * 4, (size_t)channels);
    }
    png_image_free(image);
    return ok;
}

static inline int png_image_write_to_file(png_image* image, const char* path, int convert_to_8bit,
                                          const void* buffer, int32_t row_stride,
                                          const void* colormap)
{
    (void)convert_to_8bit;
    (void)colormap;
    int channels = PNG_IMAGE_PIXEL_CHANNELS(image->format);
    int stride = row_stride ? (int)row_stride : (int)image->width * channels;
    if (!stbi_write_png(path, (int)image->width, (int)image->height, channels, buffer, stride)) {
        snprintf(image->message, sizeof image->message, "cannot write %s", path);
        return 0;
    }
    return 1;
}

#endif
