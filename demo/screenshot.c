/* Screenshots through Glide's linear frame buffer (see screenshot.h). */
#include "screenshot.h"

#include <glide.h>

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include "rgb_png.h"

int screenshotWrite(const char* path, int width, int height)
{
    int ok = 0;
    size_t count = (size_t)width * (size_t)height;
    uint16_t* pixels = (uint16_t*)malloc(count * 2);
    unsigned char* rgb = (unsigned char*)malloc(count * 3);
    if (pixels && rgb &&
        grLfbReadRegion(GR_BUFFER_FRONTBUFFER, 0, 0, (FxU32)width, (FxU32)height, (FxU32)width * 2,
                        pixels)) {
        for (size_t i = 0; i < count; i++) {
            /* Each channel widened by repeating its top bits. */
            uint16_t p = pixels[i];
            int r = p >> 11, g = (p >> 5) & 63, b = p & 31;
            rgb[i * 3 + 0] = (unsigned char)(r << 3 | r >> 2);
            rgb[i * 3 + 1] = (unsigned char)(g << 2 | g >> 4);
            rgb[i * 3 + 2] = (unsigned char)(b << 3 | b >> 2);
        }
        FILE* file = fopen(path, "wb");
        if (file) {
            ok = rgbPngWrite(file, rgb, width, height);
            ok = fclose(file) == 0 && ok;
        }
    }
    free(rgb);
    free(pixels);
    if (!ok)
        fprintf(stderr, "cannot write %s\n", path);
    return ok;
}
