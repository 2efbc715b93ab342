// Loading 3DF files into the texture cache and into host memory.
#include <stdlib.h>
#include <string.h>

#include "core/core.h"
#include "texture/texture.h"

void textureListPush(TextureRecord* record)
{
    record->next = textures.list;
    textures.list = record;
}

TextureRecord* textureFind(const char* fileName)
{
    // The last record found first: drawing looks the same name up again and
    // again, and records stay until the list starts anew.
    static TextureRecord* last;
    static uint32_t lastGeneration;
    if (last && lastGeneration == textures.listGeneration && strcmp(last->name, fileName) == 0)
        return last;
    for (TextureRecord* t = textures.list; t; t = t->next) {
        if (t->name && strcmp(t->name, fileName) == 0) {
            last = t;
            lastGeneration = textures.listGeneration;
            return t;
        }
    }
    return NULL;
}

// Reads the whole file into a new record holding only its Glide description
// and texels; null when the file is unreadable or memory runs out. A texture
// for the board (`forBoard`) is logged, and refused like an unreadable file
// when it is larger or longer than the board takes: the board would refuse
// to hold it, and whatever texture it held before would be drawn instead.
static TextureRecord* textureReadFile(const char* fileName, Gu3dfInfo* fileInfo, int forBoard)
{
    if (!gu3dfGetInfo(fileName, fileInfo))
        return NULL;
    if (forBoard) {
        int aspect = fileInfo->header.aspect_ratio;
        if (fileInfo->header.large_lod > textures.maxLodLog2 ||
            (aspect < 0 ? -aspect : aspect) > textures.maxAspectLog2)
            return NULL;
        logWrite("Loading texture: ");
        logWrite(fileName);
        logWrite("\n\n");
    }
    void* texels = countedAlloc(fileInfo->mem_required);
    if (!texels)
        return NULL;
    fileInfo->data = texels;
    // Only the texels are used; a palette or NCC table in the file is never
    // sent. A file that breaks off after its header is a failure, not a
    // texture of whatever the buffer held.
    if (!gu3dfLoad(fileName, fileInfo)) {
        free(texels);
        return NULL;
    }
    TextureRecord* record = (TextureRecord*)countedAlloc(sizeof *record);
    if (!record) {
        free(texels);
        return NULL;
    }
    memset(record, 0, sizeof *record);
    record->info.smallLodLog2 = fileInfo->header.small_lod;
    record->info.largeLodLog2 = fileInfo->header.large_lod;
    record->info.aspectRatioLog2 = fileInfo->header.aspect_ratio;
    record->info.format = fileInfo->header.format;
    record->info.data = texels;
    return record;
}

TextureRecord* obxTextureLoad(const char* fileName, char useSecondTmu)
{
    if (!fileName)
        return NULL;
    TextureRecord* found = textureFind(fileName);
    if (found)
        return found;
    Gu3dfInfo fileInfo;
    TextureRecord* record = textureReadFile(fileName, &fileInfo, 1);
    if (!record)
        return NULL;
    size_t nameLength = strlen(fileName) + 1;
    record->name = (char*)countedAlloc(nameLength);
    if (!record->name) {
        // Without its name the texture could never be found again; give up
        // cleanly instead of keeping an anonymous record.
        free(record->info.data);
        free(record);
        return NULL;
    }
    memcpy(record->name, fileName, nameLength);
    record->size = (int32_t)fileInfo.mem_required;
    record->slotSize = record->size;
    record->tmu = (uint8_t)useSecondTmu;
    record->usedRecently = 1;
    record->useCount = 0;
    record->needsDownload = 0;
    int unit = textureUnit(record);
    record->address = textureMemoryAlloc(unit, fileInfo.mem_required);
    if (record->address != TEXTURE_NO_ROOM) {
        grTexDownloadMipMap(unit == 0 ? GR_TMU0 : GR_TMU1, record->address, GR_MIPMAPLEVELMASK_BOTH,
                            (GrTexInfo*)&record->info);
        record->resident = 1;
    } else {
        record->resident = 0;   // gets a slot when first selected
    }
    textureListPush(record);
    return record;
}

TextureRecord* obxTextureLoadToMemory(const char* fileName)
{
    if (!fileName)
        return NULL;
    Gu3dfInfo fileInfo;
    return textureReadFile(fileName, &fileInfo, 0);
}
