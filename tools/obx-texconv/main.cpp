// obx-texconv: a PNG picture to a 3DF texture file.
//
//     obx-texconv [-f FORMAT] [--single-level] input.png output.3df
//
// FORMAT is rgb565 (default), argb1555, argb4444, intensity8, alpha8, ai44 or
// argb8888. The picture's sides must be powers of two up to 256 with an aspect
// of at most 8:1. Mipmap levels are box-filtered down to 1x1 unless
// --single-level is given.
#include "image.h"
#include "tex3df.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

int usage() {
    fprintf(stderr, "usage: obx-texconv [-f FORMAT] [--single-level] input.png output.3df\n  FORMAT:");
    for (const TexFormat& f : texFormats()) fprintf(stderr, " %s", f.option);
    fprintf(stderr, " (default rgb565)\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    const TexFormat* format = texFormatByOption("rgb565");
    bool mipmaps = true;
    const char* paths[2] = {nullptr, nullptr};
    int pathCount = 0;
    for (int i = 1; i < argc; i++) {
        if ((strcmp(argv[i], "-f") == 0 || strcmp(argv[i], "--format") == 0) && i + 1 < argc) {
            format = texFormatByOption(argv[++i]);
            if (!format) {
                fprintf(stderr, "obx-texconv: unknown format '%s'\n", argv[i]);
                return usage();
            }
        } else if (strcmp(argv[i], "--single-level") == 0 || strcmp(argv[i], "-1") == 0) {
            mipmaps = false;
        } else if (argv[i][0] == '-' && argv[i][1] != '\0') {
            return usage();
        } else if (pathCount < 2) {
            paths[pathCount++] = argv[i];
        } else {
            return usage();
        }
    }
    if (pathCount != 2) return usage();

    Image image;
    std::string error;
    if (!pngRead(paths[0], &image, &error)) {
        fprintf(stderr, "obx-texconv: %s: %s\n", paths[0], error.c_str());
        return 1;
    }
    if (!tex3dfWrite(paths[1], image, *format, mipmaps, &error)) {
        fprintf(stderr, "obx-texconv: %s: %s\n", paths[0], error.c_str());
        return 1;
    }
    return 0;
}
