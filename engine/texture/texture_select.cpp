// Selecting textures for drawing: download on demand, takeover of the slots
// of textures not used in the last rendered frame, and use accounting.
#include "core/core.h"
#include "texture/texture.h"

int textureUnit(const TextureRecord* texture)
{
    return (texture->tmu == 0 || tmuCount <= 1) ? 0 : 1;
}

static GrChipID_t textureChip(int unit)
{
    return unit == 0 ? GR_TMU0 : GR_TMU1;
}

// Whether victim's slot could hold texture on the given unit.
static int textureSlotFits(const TextureRecord* victim, const TextureRecord* texture, int unit)
{
    if (victim == texture || !victim->resident || victim->slotSize < texture->size)
        return 0;
    return textureUnit(victim) == unit;
}

static TextureRecord* textureFindVictim(const TextureRecord* texture, int unit)
{
    for (TextureRecord* t = textureList; t; t = t->next) {
        if (!t->usedRecently && textureSlotFits(t, texture, unit))
            return t;
    }
    for (TextureRecord* t = textureList; t; t = t->next) {
        if (textureSlotFits(t, texture, unit))
            return t;
    }
    return NULL;
}

void textureSelect(TextureRecord* texture)
{
    texture->useCount += 1;
    texture->usedRecently = 1;
    int unit = textureUnit(texture);
    GrChipID_t chip = textureChip(unit);
    GrTexInfo* info = (GrTexInfo*)&texture->info;
    if (texture->resident) {
        grTexSource(chip, texture->address, GR_MIPMAPLEVELMASK_BOTH, info);
        if (texture->needsDownload) {
            grTexDownloadMipMap(chip, texture->address, GR_MIPMAPLEVELMASK_BOTH, info);
            texture->needsDownload = 0;
        }
        return;
    }
    // Records without texels (a slot that lost its texels) cannot be sent.
    if (!info->data)
        return;
    TextureRecord* victim = textureFindVictim(texture, unit);
    if (!victim)
        return;   // the previous texture source stays in effect
    texture->address = victim->address;
    victim->resident = 0;
    texture->resident = 1;
    texture->slotSize = victim->slotSize;
    texture->needsDownload = 0;
    grTexDownloadMipMap(chip, texture->address, GR_MIPMAPLEVELMASK_BOTH, info);
    grTexSource(chip, texture->address, GR_MIPMAPLEVELMASK_BOTH, info);
}

void textureFrameBegin(void)
{
    for (TextureRecord* t = textureList; t; t = t->next)
        t->useCount = 0;
}

void textureFrameEnd(void)
{
    for (TextureRecord* t = textureList; t; t = t->next) {
        if (t->useCount == 0)
            t->usedRecently = 0;
    }
}

void textureMarkAllForDownload(void)
{
    for (TextureRecord* t = textureList; t; t = t->next)
        t->needsDownload = 1;
}
