// libFuzzer target for the 3DS loader: any bytes, parsed and merged through
// the memory reader (as a resource is read) and through the file reader over
// the same bytes (as a file is read), with texture maps asked for. Both must
// agree, and an object that comes out must be whole.
#include <stdint.h>
#include <stdio.h>

#include "math/math3d.h"
#include "object/object.h"

static Object* load(ChunkReader* reader)
{
    Scene* scene = sceneParse(reader);
    if (!scene)
        return NULL;
    Object* object = sceneToObject(scene, 50.0f, 1);
    sceneFree(scene);
    return object;
}

static void checkWhole(const Object* object)
{
    for (int p = 0; p < object->polygonCount; p++) {
        for (int k = 0; k < 3; k++) {
            int32_t v = object->polygons[p].indices[k];
            if (v < 0 || v >= object->vertexCount)
                __builtin_trap();
        }
    }
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    sqrtTableInit();
    angleTablesInit();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ChunkReader memory;
    chunkReaderMemory(&memory, data, (uint32_t)size);
    Object* fromMemory = load(&memory);

    Object* fromFile = NULL;
    FILE* file = size ? fmemopen((void*)data, size, "rb") : NULL;
    if (file) {
        ChunkReader reader;
        chunkReaderFile(&reader, file, (uint32_t)size);
        fromFile = load(&reader);
        fclose(file);
        if ((fromMemory == NULL) != (fromFile == NULL))
            __builtin_trap();
    }
    if (fromMemory) {
        checkWhole(fromMemory);
        if (fromFile && (fromFile->vertexCount != fromMemory->vertexCount ||
                         fromFile->polygonCount != fromMemory->polygonCount))
            __builtin_trap();
    }
    obxObjectDelete(fromMemory);
    obxObjectDelete(fromFile);
    return 0;
}
