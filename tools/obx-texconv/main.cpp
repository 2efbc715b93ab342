// obx-texconv: a picture (PNG, JPEG, TGA, BMP or GIF) to a 3DF texture file,
// or every texture file a 3D Studio model's materials name, from the pictures
// next to it.
//
//     obx-texconv [-f FORMAT] [--single-level] [--resize] INPUT OUTPUT.3df
//     obx-texconv [-f FORMAT] [--single-level] --for-model FILE.3ds
//
// FORMAT is rgb565 (default), argb1555, argb4444, intensity8, alpha8, ai44 or
// argb8888. A texture's sides are powers of two up to 256 with an aspect of at
// most 8:1: other pictures are refused, or with --resize resampled to the
// nearest such size. Mipmap levels are box-filtered down to 1x1 unless
// --single-level is given.
#include "image.h"
#include "model_texture.h"
#include "scan3ds.h"
#include "tex3df.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

void usagePrint(FILE* to)
{
    fprintf(to, "usage: obx-texconv [-f FORMAT] [--single-level] [--resize] INPUT OUTPUT.3df\n"
                "       obx-texconv [-f FORMAT] [--single-level] --for-model FILE.3ds\n"
                "\n"
                "Converts a PNG, JPEG, TGA, BMP or GIF picture to a 3DF texture file. A\n"
                "texture's sides are powers of two up to 256, at most 8:1.\n"
                "\n"
                "  -f, --format FORMAT  texel format:");
    for (const TexFormat& f : texFormats())
        fprintf(to, " %s", f.option);
    fprintf(to, "\n"
                "                       (default rgb565)\n"
                "  --single-level       no mipmap levels below the picture itself\n"
                "  --resize             resample a picture of another size to the nearest\n"
                "                       texture size (otherwise it is refused)\n"
                "  --for-model FILE.3ds write every texture file the model's materials name\n"
                "                       (NAME.3df for a map NAME.EXT) next to it, from the\n"
                "                       pictures there (NAME.png, .jpg, .jpeg, .tga, .bmp or\n"
                "                       .gif, letter case ignored): square, as a model's\n"
                "                       mapping wants, resized as needed and turned upside\n"
                "                       down (3D Studio counts v up from the bottom row)\n"
                "  -h, --help           this text\n");
}

int usageError()
{
    usagePrint(stderr);
    return 2;
}

struct Options {
    const TexFormat* format = texFormatByOption("rgb565");
    bool mipmaps = true;
    bool resize = false;
    const char* model = nullptr;
    std::vector<const char*> paths;
};

void alphaWarn(const char* path, const TexFormat& format)
{
    fprintf(stderr,
            "obx-texconv: warning: %s has transparent pixels that %s cannot keep "
            "(argb4444 and argb8888 keep them)\n",
            path, format.option);
}

// One picture to one texture file.
int pictureConvert(const Options& o)
{
    const char* in = o.paths[0];
    std::string error;
    int w = 0, h = 0;
    if (!imageSize(in, &w, &h, &error)) {
        fprintf(stderr, "obx-texconv: %s: %s\n", in, error.c_str());
        return 1;
    }
    // Checked on the header's claim, before any pixel is decoded.
    if (!o.resize && !texSizeValid(w, h, &error)) {
        fprintf(stderr, "obx-texconv: %s: %s (--resize makes it fit)\n", in, error.c_str());
        return 1;
    }
    Image image;
    if (!imageRead(in, o.resize ? MODEL_TEXTURE_MAX_PIXELS : 256 * 256, &image, &error)) {
        fprintf(stderr, "obx-texconv: %s: %s\n", in, error.c_str());
        return 1;
    }
    if (texFormatDropsAlpha(*o.format, image))
        alphaWarn(in, *o.format);
    if (o.resize) {
        int fw = 0, fh = 0;
        texSizeFit(image.width, image.height, &fw, &fh);
        image = imageResize(image, fw, fh);
    }
    if (!tex3dfWrite(o.paths[1], image, *o.format, o.mipmaps, &error)) {
        fprintf(stderr, "obx-texconv: %s: %s\n", in, error.c_str());
        return 1;
    }
    return 0;
}

std::string directoryOf(const std::string& path)
{
    size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
}

bool fileRead(const char* path, std::vector<uint8_t>* bytes)
{
    FILE* f = fopen(path, "rb");
    if (!f)
        return false;
    uint8_t buffer[65536];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, f)) > 0;) {
        bytes->insert(bytes->end(), buffer, buffer + n);
        // Far beyond any model the engine can load.
        if (bytes->size() > (size_t(256) << 20))
            break;
    }
    bool ok = !ferror(f) && bytes->size() <= (size_t(256) << 20);
    fclose(f);
    return ok;
}

// Every texture file of a model, from the pictures next to it.
int modelConvert(const Options& o)
{
    std::vector<uint8_t> bytes;
    if (!fileRead(o.model, &bytes)) {
        fprintf(stderr, "obx-texconv: cannot read %s\n", o.model);
        return 1;
    }
    Scan3ds scan;
    scan3ds(bytes.data(), bytes.size(), &scan);
    if (!scan.isMain) {
        fprintf(stderr, "obx-texconv: %s: not a 3D Studio file\n", o.model);
        return 1;
    }
    std::string directory = directoryOf(o.model);
    bool progress = isatty(fileno(stderr)) != 0;
    int failed = 0;
    for (int i = 0; i < scan.mapCount; i++) {
        const char* name = scan.maps[i];
        std::string out = directory + "/" + name;
        if (progress) {
            fprintf(stderr, "\r%d/%d %-40.40s", i + 1, scan.mapCount, name);
            fflush(stderr);
        }
        char picture[4096];
        ModelTexture t;
        int found = modelImageFind(directory.c_str(), name, picture, sizeof picture);
        int made =
            found && modelTextureWrite(picture, out.c_str(), o.format->option, o.mipmaps, &t);
        if (progress)
            fprintf(stderr, "\r%50s\r", "");
        if (made) {
            const char* base = strrchr(picture, '/');
            printf("%s  from %s", out.c_str(), base ? base + 1 : picture);
            if (t.width != t.fitWidth || t.height != t.fitHeight)
                printf(", %dx%d resized to %dx%d", t.width, t.height, t.fitWidth, t.fitHeight);
            printf("\n");
            if (t.alphaDropped)
                alphaWarn(picture, *o.format);
        } else if (found) {
            fprintf(stderr, "obx-texconv: %s: %s\n", picture, t.error);
            failed = 1;
        } else {
            char existing[4096];
            if (fileFindIgnoringCase(directory.c_str(), name, existing, sizeof existing)) {
                printf("%s  kept: no picture next to the model\n", existing);
            } else {
                fprintf(stderr, "obx-texconv: %s: no picture for it next to the model\n",
                        out.c_str());
                failed = 1;
            }
        }
        fflush(stdout);
    }
    if (scan.mapCount == 0)
        printf("%s names no texture maps\n", o.model);
    return failed;
}

}   // namespace

int main(int argc, char** argv)
{
    Options o;
    for (int i = 1; i < argc; i++) {
        const char* a = argv[i];
        if (strcmp(a, "--help") == 0 || strcmp(a, "-h") == 0) {
            usagePrint(stdout);
            return 0;
        } else if ((strcmp(a, "-f") == 0 || strcmp(a, "--format") == 0) && i + 1 < argc) {
            o.format = texFormatByOption(argv[++i]);
            if (!o.format) {
                fprintf(stderr, "obx-texconv: unknown format '%s'\n", argv[i]);
                return usageError();
            }
        } else if (strcmp(a, "--single-level") == 0 || strcmp(a, "-1") == 0) {
            o.mipmaps = false;
        } else if (strcmp(a, "--resize") == 0) {
            o.resize = true;
        } else if (strcmp(a, "--for-model") == 0 && i + 1 < argc && !o.model) {
            o.model = argv[++i];
        } else if (a[0] == '-' && a[1] != '\0') {
            return usageError();
        } else {
            o.paths.push_back(a);
        }
    }
    if (o.model)
        return o.paths.empty() ? modelConvert(o) : usageError();
    return o.paths.size() == 2 ? pictureConvert(o) : usageError();
}
