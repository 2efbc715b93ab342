/* Screenshots through Glide's linear frame buffer (see screenshot.h). */
#include "screenshot.h"

#include <glide.h>
#include <png.h>

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

/* RGB565 rows, top row first, into an open file; 0 when libpng fails. */
static int pngEncode(FILE* file, const uint16_t* pixels, png_bytep row, int w, int h)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, NULL, NULL, NULL);
    if (!png)
        return 0;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return 0;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, (png_uint_32)w, (png_uint_32)h, 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < h; y++) {
        for (int x = 0; x < w; x++) {
            /* Each channel widened by repeating its top bits. */
            uint16_t p = pixels[(size_t)y * (size_t)w + (size_t)x];
            int r = p >> 11, g = (p >> 5) & 63, b = p & 31;
            row[x * 3 + 0] = (png_byte)(r << 3 | r >> 2);
            row[x * 3 + 1] = (png_byte)(g << 2 | g >> 4);
            row[x * 3 + 2] = (png_byte)(b << 3 | b >> 2);
        }
        png_write_row(png, row);
    }
    png_write_end(png, NULL);
    png_destroy_write_struct(&png, &info);
    return 1;
}

int screenshotWrite(const char* path, int width, int height)
{
    int ok = 0;
    uint16_t* pixels = (uint16_t*)malloc((size_t)width * (size_t)height * 2);
    png_bytep row = (png_bytep)malloc((size_t)width * 3);
    if (pixels && row &&
        grLfbReadRegion(GR_BUFFER_FRONTBUFFER, 0, 0, (FxU32)width, (FxU32)height,
                        (FxU32)width * 2, pixels)) {
        FILE* file = fopen(path, "wb");
        if (file) {
            ok = pngEncode(file, pixels, row, width, height);
            ok = fclose(file) == 0 && ok;
        }
    }
    free(row);
    free(pixels);
    if (!ok)
        fprintf(stderr, "cannot write %s\n", path);
    return ok;
}
