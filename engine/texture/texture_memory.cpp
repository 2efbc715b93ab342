// Texture memory: each unit's memory is handed out from the bottom up and
// never given back. Two reserve slots keep room that textures without a slot
// of their own can take over.
#include <string.h>

#include "core/core.h"
#include "texture/texture.h"

TextureState textures = {NULL, 0, {}, {}, {}, 16, GR_LOD_LOG2_256, GR_ASPECT_LOG2_8x1, 0};

static const uint32_t twoMegabytes = 0x200000;

uint32_t textureMemoryAlloc(int unit, uint32_t bytes)
{
    if (unit != 0 && !(unit == 1 && core.tmuCount > 1))
        return TEXTURE_NO_ROOM;
    // Blocks start on the board's texture alignment: 3DF sizes are exact byte
    // counts, so an unaligned cursor is normal.
    uint64_t start = ((uint64_t)textures.memoryCursor[unit] + textures.memoryAlign - 1) &
                     ~(uint64_t)(textures.memoryAlign - 1);
    // A block must not straddle the 2 MB line of texture memory; the bytes
    // skipped below it stay unused.
    if (start < twoMegabytes && start + bytes > twoMegabytes)
        start = twoMegabytes;
    if (start + bytes > textures.memoryMax[unit])
        return TEXTURE_NO_ROOM;
    textures.memoryCursor[unit] = (uint32_t)(start + bytes);
    return (uint32_t)start;
}

// A resident record without texels: room kept free for a 256 x 256 16-bit
// texture with all its levels.
static TextureRecord* textureReserveSlot(uint8_t tmu, int unit)
{
    TextureRecord* slot = (TextureRecord*)countedAlloc(sizeof *slot);
    if (!slot)
        return NULL;
    memset(slot, 0, sizeof *slot);
    slot->info.smallLodLog2 = GR_LOD_LOG2_1;
    slot->info.largeLodLog2 = GR_LOD_LOG2_256;
    slot->info.aspectRatioLog2 = GR_ASPECT_LOG2_1x1;
    slot->info.format = GR_TEXFMT_RGB_565;
    slot->info.data = NULL;
    slot->size = (int32_t)grTexTextureMemRequired(GR_MIPMAPLEVELMASK_BOTH, (GrTexInfo*)&slot->info);
    slot->slotSize = slot->size;
    slot->tmu = tmu;
    slot->usedRecently = 0;
    slot->resident = 1;
    slot->needsDownload = 0;
    slot->name = NULL;
    slot->address = textureMemoryAlloc(unit, (uint32_t)slot->size);
    if (slot->address == TEXTURE_NO_ROOM)
        slot->resident = 0;   // a unit too small for it: nothing to take over
    textureListPush(slot);
    return slot;
}

void textureMemoryInit(void)
{
    textures.list = NULL;
    textureAccountingReset();
    textureVictimsReset();
    textures.listGeneration++;
    memset(textures.memoryMin, 0, sizeof textures.memoryMin);
    memset(textures.memoryMax, 0, sizeof textures.memoryMax);
    memset(textures.memoryCursor, 0, sizeof textures.memoryCursor);
    FxI32 align = 0;
    grGet(GR_TEXTURE_ALIGN, sizeof align, &align);
    textures.memoryAlign = (align > 0 && (align & (align - 1)) == 0) ? (uint32_t)align : 16;
    FxI32 maxSize = 0, maxAspect = -1;
    grGet(GR_MAX_TEXTURE_SIZE, sizeof maxSize, &maxSize);
    grGet(GR_MAX_TEXTURE_ASPECT_RATIO, sizeof maxAspect, &maxAspect);
    textures.maxLodLog2 = GR_LOD_LOG2_256;
    for (int lod = GR_LOD_LOG2_1; lod <= 11; lod++) {
        if (maxSize == (1 << lod))
            textures.maxLodLog2 = lod;
    }
    textures.maxAspectLog2 =
        maxAspect >= 0 && maxAspect <= GR_ASPECT_LOG2_8x1 ? maxAspect : GR_ASPECT_LOG2_8x1;
    textures.memoryMin[0] = grTexMinAddress(GR_TMU0);
    textures.memoryMax[0] = grTexMaxAddress(GR_TMU0);
    textures.memoryCursor[0] = textures.memoryMin[0];
    if (core.tmuCount > 1) {
        textures.memoryMin[1] = grTexMinAddress(GR_TMU1);
        textures.memoryMax[1] = grTexMaxAddress(GR_TMU1);
        textures.memoryCursor[1] = textures.memoryMin[1];
    }
    textureReserveSlot(0, 0);
    textureReserveSlot(1, core.tmuCount > 1 ? 1 : 0);
}
