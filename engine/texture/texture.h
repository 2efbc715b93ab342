// Textures: the texture cache (one TextureRecord per loaded 3DF file, newest
// first), texture memory handed out bottom-up per texture unit, and
// selection with download on demand and takeover of unused slots.
#ifndef OBX_TEXTURE_TEXTURE_H
#define OBX_TEXTURE_TEXTURE_H

#include <stdint.h>

#include "public.h"

// textureMemoryAlloc's answer when a unit has no room left.
#define TEXTURE_NO_ROOM 0xFFFFFFFFu

// What the texture subsystem keeps; textureMemoryInit starts the cache and
// the memory anew.
typedef struct TextureState {
    // The texture cache, newest first.
    TextureRecord* list;
    // Counts the times the list started anew (records of older lists no longer count).
    uint32_t listGeneration;
    // Texture memory of units 0 and 1: bounds and the allocation cursor.
    uint32_t memoryMin[2];
    uint32_t memoryMax[2];
    uint32_t memoryCursor[2];
    uint32_t memoryAlign;   // start addresses are multiples of this
    // The largest texture the board takes: log2 of its side, and of its aspect.
    int32_t maxLodLog2;
    int32_t maxAspectLog2;
    // Takeover candidates looked at by the searches so far (for tests and
    // benchmarks).
    uint64_t victimChecks;
} TextureState;
extern TextureState textures;

// Other modules may push records of their own (with a null name) onto the
// head of the cache; they then take part in selection and takeover.
void textureListPush(TextureRecord* record);

void textureMemoryInit(void);
uint32_t textureMemoryAlloc(int unit, uint32_t bytes);
TextureRecord* textureFind(const char* fileName);

// The unit that serves a texture: 0 unless it asked for the second unit and
// the board has one.
int textureUnit(const TextureRecord* texture);

// Makes texture the source of its unit for the drawing that follows,
// downloading it first when it is stale or has no slot. 0 when it has no
// slot and none can be taken over: the unit's source is then another
// texture's, so the caller draws as if it had no texture.
int textureSelect(TextureRecord* texture);
// For a texture that is still its unit's source since the caller last
// selected it (no other texture went to that unit since): counts the use
// like textureSelect but sends nothing when its texels are current.
int textureReselect(TextureRecord* texture);

// Takeover candidates (texture_evict.cpp). The victim is the first record of
// the list (newest first) of the texture's unit that owns a slot of at least
// its size and was not used in the last rendered frame, else the first that
// owns such a slot at all; found without walking the list.
TextureRecord* textureVictimFind(const TextureRecord* texture, int unit);
// After texture took victim's slot.
void textureVictimTaken(TextureRecord* victim, TextureRecord* texture);
// After the end of a frame cleared the texture's usedRecently.
void textureVictimUnused(const TextureRecord* texture);
// The list starts anew.
void textureVictimsReset(void);

// Use accounting around each world render: afterwards, usedRecently is 1
// exactly for the textures selected during it.
void textureFrameBegin(void);
void textureFrameEnd(void);
// Forgets every record of the accounting (the list starts anew).
void textureAccountingReset(void);

// After the Glide window is reopened: every texture is sent again when next used.
void textureMarkAllForDownload(void);

#endif
