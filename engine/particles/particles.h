// Particles: particle emitters and smoke emitters with fixed pools, the
// engine's random generator that feeds them, the camera-facing squares both
// are drawn as, and the two passes of the world render, farthest emitter
// first.
#ifndef OBX_PARTICLES_PARTICLES_H
#define OBX_PARTICLES_PARTICLES_H

#include <stddef.h>
#include <stdint.h>

#include "public.h"

// ---- Random generator ---------------------------------------------------------
// Linear congruential: state * 214013 + 2531011 modulo 2^32, giving bits 16..30
// of the new state (0..32767). It starts at 1 and is never reseeded, so the
// same calls give the same particles on every run.
int32_t randomNext(void);

// ---- World lists (new emitters at the front) ------------------------------------
void particleEmittersInit(void);   // empty list (obxInitialize)
void smokeEmittersInit(void);      // empty list (obxInitialize)

// ---- Particle emitters ----------------------------------------------------------
// One frame of an emitter's particles: age, fade and move them, retiring those
// whose life has run out; then draw the live ones.
void particleEmitterUpdate(ParticleEmitter* emitter);
void particleEmitterDraw(ParticleEmitter* emitter);
// Updates and draws the particle emitters of the world.
void particleEmittersPass(void);

// ---- Smoke emitters ---------------------------------------------------------------
// One frame of a smoke emitter: puffsPerFrame new puffs, then rise, drift and
// fade, then the live puffs drawn.
void smokeEmitterRelease(SmokeEmitter* emitter);
void smokeEmitterUpdate(SmokeEmitter* emitter);
void smokeEmitterDraw(SmokeEmitter* emitter);
// Releases, moves, fades and draws the puffs of the world's smoke emitters.
void smokeEmittersPass(void);

// ---- Camera-facing squares ----------------------------------------------------------
// The four corners (left-top, left-bottom, right-bottom, right-top) of the
// square of half side `size` about the camera-space point (x, y, z), projected,
// cut to the drawing area and snapped, with q, w and the texture coordinates of
// both units set. Returns 0, leaving the corners alone, when the square lies
// outside the view volume (beside it, before the near or beyond the far
// distance) or has no area.
int spriteCorners(float x, float y, float z, float size, DrawVer corners[4]);
// Counts the square as a polygon drawn and sends it as one fan of four.
void spriteDraw(DrawVer corners[4]);
// The emitter's texture, or the engine's white texture when it has none or
// its texture can have no slot; 0 when neither can be drawn with.
int spriteTextureSelect(TextureRecord* texture);

// ---- Painter's order of emitters ------------------------------------------------------
typedef struct EmitterDepth {
    float depth;     // camera-space z of the emitter's position
    int32_t index;   // place in the world list, to order equal depths
    void* emitter;
} EmitterDepth;

// The emitters of one kind gathered this frame. The array starts at 1000
// entries and grows beyond that, so no emitter of the world is ever left out
// for lack of room (only for lack of memory).
typedef struct EmitterOrder {
    EmitterDepth* items;
    int32_t count;
    int32_t capacity;
} EmitterOrder;
#define EMITTER_ORDER_INITIAL 1000

typedef struct ParticleState {
    uint32_t randomState;        // the generator's state, 1 at the start
    ParticleEmitter* emitters;   // the world's lists, new emitters at the front
    SmokeEmitter* smokeEmitters;
    EmitterOrder emitterOrder;   // this frame's emitters of each kind in painter's order
    EmitterOrder smokeOrder;
} ParticleState;
extern ParticleState particles;

void emitterOrderClear(EmitterOrder* order);
// Appends an emitter with the camera-space depth of its position.
void emitterOrderAppend(EmitterOrder* order, void* emitter, const Vector* position);
// Farthest first; equal depths keep the world list's order.
void emitterOrderSort(EmitterOrder* order);

// ---- Pools and lists shared by both kinds -----------------------------------------------
// A pool entry has prev and next; an emitter has capacity, liveCount, liveHead
// and freeHead. The live list runs from the newest entry, the free list ends
// with null, and both are kept properly linked in both directions.

// Links `count` entries into the free list, in array order.
template <typename Entry, typename Emitter>
static inline void poolInit(Emitter* emitter, Entry* pool, int32_t count)
{
    for (int32_t i = 0; i < count; i++) {
        pool[i].prev = NULL;
        pool[i].next = i + 1 < count ? &pool[i + 1] : NULL;
    }
    emitter->capacity = count;
    emitter->liveCount = 0;
    emitter->liveHead = NULL;
    emitter->freeHead = count > 0 ? pool : NULL;
}

// The next free entry, or null when the pool is full.
template <typename Entry, typename Emitter>
static inline Entry* poolFree(Emitter* emitter)
{
    if (emitter->liveCount >= emitter->capacity)
        return NULL;
    return emitter->freeHead;
}

// Moves the entry at freeHead to the front of the live list.
template <typename Entry, typename Emitter>
static inline void poolMakeLive(Emitter* emitter, Entry* entry)
{
    emitter->freeHead = entry->next;
    entry->prev = NULL;
    entry->next = emitter->liveHead;
    if (emitter->liveHead)
        emitter->liveHead->prev = entry;
    emitter->liveHead = entry;
    emitter->liveCount += 1;
}

// Takes a live entry out of the live list and pushes it on the free list.
template <typename Entry, typename Emitter>
static inline void poolRetire(Emitter* emitter, Entry* entry)
{
    if (entry->prev)
        entry->prev->next = entry->next;
    else
        emitter->liveHead = entry->next;
    if (entry->next)
        entry->next->prev = entry->prev;
    entry->prev = NULL;
    entry->next = emitter->freeHead;
    emitter->freeHead = entry;
    emitter->liveCount -= 1;
}

// Puts an emitter at the front of a world list; an emitter already there
// stays where it is (linking it twice would close the list into a ring).
template <typename Emitter>
static inline void worldListAdd(Emitter** head, Emitter* emitter)
{
    for (Emitter* e = *head; e; e = e->next) {
        if (e == emitter)
            return;
    }
    emitter->prev = NULL;
    emitter->next = *head;
    if (*head)
        (*head)->prev = emitter;
    *head = emitter;
}

// Unlinks an emitter from a world list; one that is not in it is left alone
// (its old links may point anywhere).
template <typename Emitter>
static inline void worldListRemove(Emitter** head, Emitter* emitter)
{
    Emitter* e = *head;
    while (e && e != emitter)
        e = e->next;
    if (!e)
        return;
    if (emitter->prev)
        emitter->prev->next = emitter->next;
    else
        *head = emitter->next;
    if (emitter->next)
        emitter->next->prev = emitter->prev;
    emitter->prev = NULL;
    emitter->next = NULL;
}

#endif
