// Writing 3DF texture files: texel formats, mipmap chains, the four-line header.
#ifndef OBX_TOOLS_TEX3DF_H
#define OBX_TOOLS_TEX3DF_H

#include "image.h"

#include <cstdint>
#include <string>
#include <vector>

struct TexFormat {
    const char* option;   // name on the command line
    const char* name;     // name in the file header
    int glideFormat;      // GR_TEXFMT_* value
    int bytesPerTexel;
};

// rgb565, argb1555, argb4444, intensity8, alpha8, ai44, argb8888; null if unknown.
const TexFormat* texFormatByOption(const std::string& option);
const std::vector<TexFormat>& texFormats();

// Whether writing the picture in this format loses its transparency: a format
// without alpha and a picture that is not wholly opaque, or one bit of alpha
// and a picture with partly transparent pixels.
bool texFormatDropsAlpha(const TexFormat& format, const Image& image);

// One texel of an RGBA colour, as the integer the format stores.
uint32_t texelEncode(const TexFormat& format, Rgba c);

// Whether a base image can become a texture: sides powers of two up to 256,
// aspect at most 8:1. Sets error otherwise.
bool texSizeValid(int width, int height, std::string* error);

// The texture size nearest to a picture's: each side the power of two
// nearest to it (by ratio), at most 256, and the shorter side raised until
// the aspect is at most 8:1.
void texSizeFit(int width, int height, int* fitWidth, int* fitHeight);

// The whole file in memory: header, then every level largest first (all the
// way down to 1x1 when mipmaps is true), multi-byte texels big-endian.
std::vector<uint8_t> tex3dfEncode(const Image& base, const TexFormat& format, bool mipmaps);

// Encodes and writes; prints nothing, reports through error.
bool tex3dfWrite(const std::string& path, const Image& base, const TexFormat& format, bool mipmaps,
                 std::string* error);

#endif
