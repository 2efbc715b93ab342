// Selecting textures for drawing: download on demand, takeover of the slots
// of textures not used in the last rendered frame, and use accounting.
#include <stdlib.h>

#include "core/core.h"
#include "texture/texture.h"

int textureUnit(const TextureRecord* texture)
{
    return (texture->tmu == 0 || core.tmuCount <= 1) ? 0 : 1;
}

static GrChipID_t textureChip(int unit)
{
    return unit == 0 ? GR_TMU0 : GR_TMU1;
}

// The frame's use accounting touches only the records that take part: those
// counted since the frame began, those marked recently used, and records
// pushed onto the list since it last looked (new records arrive at the head).
// A landscape brings tens of thousands of light-map records; walking them all
// twice a frame cost more than drawing some of them.
typedef struct RecordList {
    TextureRecord** items;
    size_t count, capacity;
} RecordList;

static RecordList countedSinceBegin;   // useCount went above 0
static RecordList markedRecent;        // usedRecently is 1
static TextureRecord* knownHead;       // the list's head when last looked at

static void recordListPush(RecordList* list, TextureRecord* t)
{
    if (list->count == list->capacity) {
        size_t capacity = list->capacity ? list->capacity * 2 : 256;
        TextureRecord** grown = (TextureRecord**)realloc(list->items, capacity * sizeof *grown);
        if (!grown)
            return;   // an unlisted record keeps its marks one frame longer
        list->items = grown;
        list->capacity = capacity;
    }
    list->items[list->count++] = t;
}

// Records pushed onto the list since it was last looked at; with
// `newFrame`, their counts start from zero.
static void textureNewRecordsNote(int newFrame)
{
    for (TextureRecord* t = textures.list; t && t != knownHead; t = t->next) {
        if (newFrame)
            t->useCount = 0;
        if (t->usedRecently)
            recordListPush(&markedRecent, t);
    }
    knownHead = textures.list;
}

void textureAccountingReset(void)
{
    countedSinceBegin.count = 0;
    markedRecent.count = 0;
    knownHead = NULL;
}

static void textureUseCount(TextureRecord* texture)
{
    if (texture->useCount++ == 0)
        recordListPush(&countedSinceBegin, texture);
    if (!texture->usedRecently)
        recordListPush(&markedRecent, texture);
    texture->usedRecently = 1;
}

int textureReselect(TextureRecord* texture)
{
    if (!texture->resident || texture->needsDownload)
        return textureSelect(texture);
    textureUseCount(texture);
    return 1;
}

int textureSelect(TextureRecord* texture)
{
    textureUseCount(texture);
    int unit = textureUnit(texture);
    GrChipID_t chip = textureChip(unit);
    GrTexInfo* info = (GrTexInfo*)&texture->info;
    if (texture->resident) {
        grTexSource(chip, texture->address, GR_MIPMAPLEVELMASK_BOTH, info);
        if (texture->needsDownload) {
            grTexDownloadMipMap(chip, texture->address, GR_MIPMAPLEVELMASK_BOTH, info);
            texture->needsDownload = 0;
        }
        return 1;
    }
    // Records without texels (a slot that lost its texels) cannot be sent.
    if (!info->data)
        return 0;
    TextureRecord* victim = textureVictimFind(texture, unit);
    if (!victim)
        return 0;   // the previous texture source stays in effect
    texture->address = victim->address;
    victim->resident = 0;
    texture->resident = 1;
    texture->slotSize = victim->slotSize;
    texture->needsDownload = 0;
    textureVictimTaken(victim, texture);
    grTexDownloadMipMap(chip, texture->address, GR_MIPMAPLEVELMASK_BOTH, info);
    grTexSource(chip, texture->address, GR_MIPMAPLEVELMASK_BOTH, info);
    return 1;
}

void textureFrameBegin(void)
{
    textureNewRecordsNote(1);
    for (size_t i = 0; i < countedSinceBegin.count; i++)
        countedSinceBegin.items[i]->useCount = 0;
    countedSinceBegin.count = 0;
}

void textureFrameEnd(void)
{
    textureNewRecordsNote(0);
    size_t kept = 0;
    for (size_t i = 0; i < markedRecent.count; i++) {
        TextureRecord* t = markedRecent.items[i];
        if (t->useCount == 0) {
            t->usedRecently = 0;
            textureVictimUnused(t);
        } else
            markedRecent.items[kept++] = t;
    }
    markedRecent.count = kept;
}

void textureMarkAllForDownload(void)
{
    for (TextureRecord* t = textures.list; t; t = t->next)
        t->needsDownload = 1;
}
