/*
 * Texture files for the maps of a 3D Studio model, made from the pictures
 * next to it. Shared by obx-texconv (--for-model) and obx-view, which
 * converts on the fly what has no texture file. Plain C interface.
 */
#ifndef OBX_TOOLS_MODEL_TEXTURE_H
#define OBX_TOOLS_MODEL_TEXTURE_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The file `name` in `directory`, its letter case ignored (models made on
 * other systems name WOOD.JPG for wood.jpg), the exact name preferred. 1 and
 * its path in `path`; 0 when there is none or the path does not fit. */
int fileFindIgnoringCase(const char* directory, const char* name, char* path, size_t size);

/* The picture a material's map name refers to in `directory`: the name
 * itself, else its part before the first '.' with .png, .jpg, .jpeg, .tga,
 * .bmp or .gif, letter case ignored. 1 and its path; 0 when there is none. */
int modelImageFind(const char* directory, const char* mapName, char* path, size_t size);

typedef struct ModelTexture {
    int width, height;       /* the picture's size */
    int fitWidth, fitHeight; /* the texture's (square, a power of two, at most 256) */
    int alphaDropped;        /* the picture has transparency the format cannot keep */
    char error[256];         /* why it failed */
} ModelTexture;

/* Pictures of more pixels are refused before they are decoded (64 M pixels
 * take 256 MB). */
#define MODEL_TEXTURE_MAX_PIXELS (64LL << 20)

/* Writes the picture as a 3DF texture for a model's map: resized to the
 * square texture nearest its longer side (a model's mapping spans a whole
 * texture only when it is square), its rows reversed (3D Studio counts v up from the
 * bottom row; the engine counts t down from the first), in `format` (an
 * obx-texconv format name, e.g. "rgb565"), with mipmaps down to 1x1 unless
 * mipmaps is 0. 1 on success; 0 with the reason in result->error. */
int modelTextureWrite(const char* imagePath, const char* outPath, const char* format, int mipmaps,
                      ModelTexture* result);

#ifdef __cplusplus
}
#endif

#endif
