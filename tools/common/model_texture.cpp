#include "model_texture.h"

#include <dirent.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "image.h"
#include "tex3df.h"

namespace {

bool sameIgnoringCase(const char* a, const char* b)
{
    for (; *a && *b; a++, b++) {
        char x = *a >= 'A' && *a <= 'Z' ? char(*a - 'A' + 'a') : *a;
        char y = *b >= 'A' && *b <= 'Z' ? char(*b - 'A' + 'a') : *b;
        if (x != y)
            return false;
    }
    return *a == *b;
}

bool pathPut(const std::string& directory, const std::string& name, char* path, size_t size)
{
    std::string full = directory.empty() ? name : directory + "/" + name;
    if (full.size() + 1 > size)
        return false;
    memcpy(path, full.c_str(), full.size() + 1);
    return true;
}

bool fileExists(const std::string& path)
{
    FILE* f = fopen(path.c_str(), "rb");
    if (f)
        fclose(f);
    return f != nullptr;
}

void errorSet(ModelTexture* result, const std::string& text)
{
    snprintf(result->error, sizeof result->error, "%s", text.c_str());
}

}   // namespace

extern "C" int fileFindIgnoringCase(const char* directory, const char* name, char* path,
                                    size_t size)
{
    std::string dir = directory;
    if (fileExists(dir.empty() ? name : dir + "/" + name))
        return pathPut(dir, name, path, size);
    DIR* d = opendir(dir.empty() ? "." : dir.c_str());
    if (!d)
        return 0;
    std::string found;
    for (struct dirent* e = readdir(d); e; e = readdir(d)) {
        // The first in name order, so the choice does not depend on the directory's order.
        if (sameIgnoringCase(e->d_name, name) && (found.empty() || found > e->d_name))
            found = e->d_name;
    }
    closedir(d);
    return !found.empty() && pathPut(dir, found, path, size);
}

extern "C" int modelImageFind(const char* directory, const char* mapName, char* path, size_t size)
{
    static const char* const extensions[] = {".png", ".jpg", ".jpeg", ".tga", ".bmp", ".gif"};
    std::string map = mapName;
    if (map.empty())
        return 0;
    std::string stem = map.substr(0, map.find('.'));
    // The map's own name only when it is a picture of a kind we read.
    for (const char* ext : extensions) {
        size_t n = strlen(ext);
        if (map.size() > n && sameIgnoringCase(map.c_str() + map.size() - n, ext) &&
            fileFindIgnoringCase(directory, mapName, path, size))
            return 1;
    }
    for (const char* ext : extensions)
        if (!stem.empty() && fileFindIgnoringCase(directory, (stem + ext).c_str(), path, size))
            return 1;
    return 0;
}

extern "C" int modelTextureWrite(const char* imagePath, const char* outPath, const char* formatName,
                                 int mipmaps, ModelTexture* result)
{
    memset(result, 0, sizeof *result);
    const TexFormat* format = texFormatByOption(formatName);
    if (!format) {
        errorSet(result, std::string("unknown format ") + formatName);
        return 0;
    }
    std::string error;
    Image image;
    if (!imageRead(imagePath, MODEL_TEXTURE_MAX_PIXELS, &image, &error)) {
        errorSet(result, error);
        return 0;
    }
    int w = image.width, h = image.height;
    result->width = w;
    result->height = h;
    result->alphaDropped = texFormatDropsAlpha(*format, image);
    // Square: the engine spreads a model's mapping coordinates 0..1 over 0..255
    // both ways, which is the whole texture only when it is square (Glide
    // gives the shorter side of an oblong one less of that range).
    int longer = w > h ? w : h;
    texSizeFit(longer, longer, &result->fitWidth, &result->fitHeight);
    image = imageResize(image, result->fitWidth, result->fitHeight);
    imageFlipRows(&image);
    if (!tex3dfWrite(outPath, image, *format, mipmaps != 0, &error)) {
        errorSet(result, error);
        return 0;
    }
    return 1;
}
