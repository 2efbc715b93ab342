// Loading objects from 3D Studio files on disk and from "FILE_3DS" resources
// of the running program.
#include <stdint.h>

#include "core/core.h"
#include "object/object.h"

// Parses the file and closes it; null when anything is wrong with it.
static Scene* fileParse(FILE* file)
{
    Scene* scene = NULL;
    long size = -1;
    if (fseek(file, 0, SEEK_END) == 0)
        size = ftell(file);
    if (size >= 0 && fseek(file, 0, SEEK_SET) == 0) {
        ChunkReader reader;
        // A chunk length is 32 bits: no 3DS file reaches beyond that.
        // (Compared as 64 bits: long is 32 on Windows, where (long)UINT32_MAX is -1.)
        chunkReaderFile(&reader, file, (uint64_t)size > UINT32_MAX ? UINT32_MAX : (uint32_t)size);
        scene = sceneParse(&reader);
    }
    fclose(file);
    return scene;
}

Object* obxObjectLoad(const char* fileName, int reserved, float radius, int textured)
{
    if (reserved != 0 || !fileName)
        return NULL;
    // Opened for reading only: a model the user may not write is still a
    // model to load.
    FILE* file = fopen(fileName, "rb");
    if (!file)
        return NULL;
    Scene* scene = fileParse(file);
    if (!scene)
        return NULL;
    logWrite("Loading object: ");
    logWrite(fileName);
    logWrite("\n\n");
    Object* object = sceneToObject(scene, radius, textured);
    sceneFree(scene);
    return object;
}

Object* obxObjectLoadFromExe(unsigned short resourceId, int reserved, float radius, int textured)
{
    if (reserved != 0)
        return NULL;
    uint32_t size = 0;
    const void* data = resourceRead(resourceId, "FILE_3DS", &size);
    if (!data)
        return NULL;
    ChunkReader reader;
    chunkReaderMemory(&reader, data, size);
    Scene* scene = sceneParse(&reader);
    if (!scene)
        return NULL;
    Object* object = sceneToObject(scene, radius, textured);
    sceneFree(scene);
    return object;
}
