// One frame of a smoke emitter's puffs: new ones start in a square around the
// emitter; every live one rises, drifts and fades, and retires when its life
// has run out.
#include "particles/particles.h"

// A whole-number offset in 0 .. 2 * trunc(radius) - 1, from one draw.
static float spawnOffset(float radius)
{
    int32_t k = randomNext();
    // Below a radius of 1 the square has no width: the puff starts on the
    // emitter itself. The draw is still made, so that every puff takes the
    // same number of draws whatever the radius.
    if (!(radius >= 1.0f))
        return 0.0f;
    // Beyond 16384 the width exceeds every draw.
    if (radius < 16384.0f)
        k %= 2 * (int32_t)radius;
    return (float)k;
}

static float puffDrift(void)
{
    return (float)(randomNext() % 1000) / 1000.0f - 0.5f;
}

static void smokePuffRelease(SmokeEmitter* emitter)
{
    SmokePuff* p = poolFree<SmokePuff>(emitter);
    if (!p)
        return;
    float radius = emitter->spawnRadius;
    float offsetX = spawnOffset(radius);
    float offsetZ = spawnOffset(radius);
    if (radius >= 1.0f) {
        p->position.x = offsetX + emitter->position.x - radius;
        p->position.z = offsetZ + emitter->position.z - radius;
    } else {
        p->position.x = emitter->position.x;
        p->position.z = emitter->position.z;
    }
    p->position.y = emitter->position.y;
    p->opacity = 128.0f;
    p->fadeStep = 128.0f / (float)emitter->puffLife;
    p->life = emitter->puffLife;
    p->size = emitter->puffSize;
    p->rise.x = 0.0f;
    p->rise.y = emitter->riseSpeed;
    p->rise.z = 0.0f;
    p->drift.x = puffDrift();
    p->drift.y = puffDrift();
    p->drift.z = puffDrift();
    poolMakeLive(emitter, p);
}

void smokeEmitterRelease(SmokeEmitter* emitter)
{
    // A full pool drops the rest of the frame's puffs.
    for (int32_t i = 0; i < emitter->puffsPerFrame && emitter->liveCount < emitter->capacity; i++)
        smokePuffRelease(emitter);
}

void smokeEmitterUpdate(SmokeEmitter* emitter)
{
    int32_t count = emitter->liveCount;
    SmokePuff* p = emitter->liveHead;
    for (int32_t i = 0; i < count && p; i++) {
        SmokePuff* next = p->next;
        // A puff released with no life (puffLife 0 or below) retires at once.
        if (p->life > 0) {
            p->life -= 1;
            p->position.x += p->rise.x + p->drift.x;
            p->position.y += p->rise.y + p->drift.y;
            p->position.z += p->rise.z + p->drift.z;
            p->opacity -= p->fadeStep;
            p->drift.x *= emitter->damping;
            p->drift.y *= emitter->damping;
            p->drift.z *= emitter->damping;
        } else {
            poolRetire(emitter, p);
        }
        p = next;
    }
}
