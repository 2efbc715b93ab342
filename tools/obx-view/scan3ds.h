/*
 * What a 3D Studio file holds, as far as the engine's loader reads it: its
 * triangle meshes (each merged into the one object the engine makes), the
 * vertices and faces they count, its materials and their texture maps.
 * Every chunk is checked against its parent before it is read, so any file
 * can be scanned; a file the engine refuses may still be scanned in part.
 */
#ifndef OBX_VIEW_SCAN3DS_H
#define OBX_VIEW_SCAN3DS_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

enum { SCAN_NAMES = 32, SCAN_MAPS = 256, SCAN_NAME_BYTES = 81 };

typedef struct Scan3ds {
    int isMain;    /* the file starts with a main chunk */
    int damaged;   /* a chunk runs past its parent or is shorter than its header */
    int meshes;    /* triangle meshes */
    long vertices; /* as their vertex lists count them */
    long faces;    /* as their face lists count them */
    int materials;
    int meshNameCount; /* names kept, at most SCAN_NAMES */
    char meshNames[SCAN_NAMES][SCAN_NAME_BYTES];
    int mapCount; /* texture files named by materials, each once, at most SCAN_MAPS */
    char maps[SCAN_MAPS][SCAN_NAME_BYTES];
} Scan3ds;

/* Scans the bytes of a file. */
void scan3ds(const uint8_t* data, size_t size, Scan3ds* scan);

/* The texture file the engine loads for a map name: the characters before
 * its first '.', then ".3df". 0 when that does not fit in `size` bytes. */
int scanTextureName(const char* mapName, char* out, size_t size);

#ifdef __cplusplus
}
#endif

#endif
