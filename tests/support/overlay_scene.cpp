// Helpers for overlay, flare and sky-box tests (see obx_overlay.h).
#include "obx_overlay.h"

#include <sys/stat.h>

int engineStartWith(int resolutionIndex, const std::vector<std::string>& extra)
{
    std::vector<std::string> files = engineDataFiles();
    files.insert(files.end(), extra.begin(), extra.end());
    return engineStart(resolutionIndex, files);
}

TextureRecord* textureSolid(const std::string& name, uint16_t colour, int size)
{
    write3dfRgb565(name, size, size, colour, false);
    return obxTextureLoad(name.c_str(), 0);
}

TextureRecord* textureOf(const std::string& name, int width, int height,
                         const std::function<uint16_t(int x, int y)>& texel)
{
    write3dfTexels(name, width, height, texel);
    return obxTextureLoad(name.c_str(), 0);
}

void glyphFilesWrite(const std::string& prefix,
                     const std::vector<std::pair<unsigned char, uint16_t>>& glyphs)
{
    size_t slash = prefix.rfind('/');
    if (slash != std::string::npos)
        mkdir(prefix.substr(0, slash).c_str(), 0777);
    for (const auto& glyph : glyphs)
        write3dfRgb565(prefix + (char)glyph.first + ".3df", 8, 8, glyph.second, false);
}

std::string traceFirst(const std::string& name)
{
    std::vector<std::string> calls = traceCalls(name);
    return calls.empty() ? "" : calls.front();
}

std::string traceLast(const std::string& name)
{
    std::vector<std::string> calls = traceCalls(name);
    return calls.empty() ? "" : calls.back();
}

void backgroundFill(float r, float g, float b)
{
    const float rgb[3] = {r, g, b};
    obxBackgroundSetColor(rgb);
    obxBackgroundClear();
}

uint16_t pixelFromTop(const Frame& frame, int x, int row)
{
    return frame.at(x, (int)frame.height - 1 - row);
}

PixelBox pixelBox(const Frame& frame, const std::function<bool(uint16_t)>& want)
{
    PixelBox box;
    for (int row = 0; row < (int)frame.height; row++) {
        for (int x = 0; x < (int)frame.width; x++) {
            if (!want(pixelFromTop(frame, x, row)))
                continue;
            if (box.count == 0) {
                box.left = box.right = x;
                box.top = box.bottom = row;
            }
            box.left = x < box.left ? x : box.left;
            box.right = x > box.right ? x : box.right;
            box.top = row < box.top ? row : box.top;
            box.bottom = row > box.bottom ? row : box.bottom;
            box.count++;
        }
    }
    return box;
}

PixelBox pixelBoxOf(const Frame& frame, uint16_t colour)
{
    return pixelBox(frame, [colour](uint16_t p) { return p == colour; });
}
