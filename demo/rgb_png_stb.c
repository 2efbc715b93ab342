/* RGB pictures as PNG through stb's header-only writer (see rgb_png.h). */
#include "rgb_png.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb_image_write.h>

typedef struct Sink {
    FILE* file;
    int failed;
} Sink;

static void sinkWrite(void* context, void* data, int size)
{
    Sink* sink = (Sink*)context;
    if (fwrite(data, 1, (size_t)size, sink->file) != (size_t)size)
        sink->failed = 1;
}

int rgbPngWrite(FILE* file, const unsigned char* rgb, int width, int height)
{
    Sink sink = {file, 0};
    int ok = stbi_write_png_to_func(sinkWrite, &sink, width, height, 3, rgb, width * 3);
    return ok && !sink.failed;
}
