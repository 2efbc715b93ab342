/* RGB pictures written as PNG files: through libpng on Linux (rgb_png.c),
 * through stb's header-only writer on Windows (rgb_png_stb.c), where
 * Debian has no libpng for MinGW. */
#ifndef OBX_RGB_PNG_H
#define OBX_RGB_PNG_H

#include <stdio.h>

/* width x height pixels of three bytes, top row first, into an open file.
 * 1 on success, 0 when encoding or writing fails. */
int rgbPngWrite(FILE* file, const unsigned char* rgb, int width, int height);

#endif
