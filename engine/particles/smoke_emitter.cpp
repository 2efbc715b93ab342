// Smoke emitters: creation with a fixed pool of puffs, world membership,
// moving the emitter and changing its density.
#include "core/core.h"
#include "particles/particles.h"

void smokeEmittersInit(void)
{
    particles.smokeEmitters = NULL;
}

SmokeEmitter* obxSmokeEmitterCreate(float x, float y, float z, int capacity, TextureRecord* texture,
                                    float spawnRadius, const float* velocity, float damping,
                                    float puffSize, float riseSpeed, int puffLife,
                                    int puffsPerFrame)
{
    if (!velocity)
        return NULL;
    SmokeEmitter* emitter = (SmokeEmitter*)countedAlloc(sizeof(SmokeEmitter));
    if (!emitter)
        return NULL;
    if (capacity < 0)
        return NULL;
    SmokePuff* pool = NULL;
    if (capacity > 0) {
        pool = (SmokePuff*)countedAlloc((size_t)capacity * sizeof(SmokePuff));
        if (!pool)
            return NULL;
    }
    emitter->position.x = x;
    emitter->position.y = y;
    emitter->position.z = z;
    emitter->spawnRadius = spawnRadius;
    emitter->puffLife = puffLife;
    emitter->puffsPerFrame = puffsPerFrame;
    emitter->texture = texture;
    poolInit(emitter, pool, capacity);
    emitter->velocity.x = velocity[0];
    emitter->velocity.y = velocity[1];
    emitter->velocity.z = velocity[2];
    emitter->damping = damping;
    emitter->puffSize = puffSize;
    emitter->riseSpeed = riseSpeed;
    emitter->next = NULL;
    emitter->prev = NULL;
    return emitter;
}

void obxSmokeEmitterAddToWorld(SmokeEmitter* emitter)
{
    if (!emitter)
        return;
    worldListAdd(&particles.smokeEmitters, emitter);
}

void obxSmokeEmitterRemoveFromWorld(SmokeEmitter* emitter)
{
    if (!emitter)
        return;
    worldListRemove(&particles.smokeEmitters, emitter);
}

void obxSmokeEmitterChangeProperties(SmokeEmitter* emitter, float x, float y, float z,
                                     const float* velocity)
{
    if (!emitter || !velocity)
        return;
    emitter->position.x = x;
    emitter->position.y = y;
    emitter->position.z = z;
    emitter->velocity.x = velocity[0];
    emitter->velocity.y = velocity[1];
    emitter->velocity.z = velocity[2];
}

void obxSmokeEmitterChangeOpacity(SmokeEmitter* emitter, int puffsPerFrame)
{
    if (!emitter)
        return;
    emitter->puffsPerFrame = puffsPerFrame;
}
