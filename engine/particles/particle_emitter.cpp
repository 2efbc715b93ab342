// Particle emitters: creation with a fixed pool, world membership, releasing
// particles and moving the emitter.
#include "core/core.h"
#include "particles/particles.h"

void particleEmittersInit(void)
{
    particles.emitters = NULL;
}

ParticleEmitter* obxEmitterCreate(float x, float y, float z, int capacity, const float* startColour,
                                  const float* endColour, TextureRecord* texture,
                                  const float* velocity, float damping, float particleSize,
                                  float spread)
{
    if (!startColour || !endColour || !velocity)
        return NULL;
    ParticleEmitter* emitter = (ParticleEmitter*)countedAlloc(sizeof(ParticleEmitter));
    if (!emitter)
        return NULL;
    if (capacity < 0)
        return NULL;
    // An emitter of capacity 0 has no pool and never releases anything.
    Particle* pool = NULL;
    if (capacity > 0) {
        pool = (Particle*)countedAlloc((size_t)capacity * sizeof(Particle));
        if (!pool)
            return NULL;
    }
    emitter->position.x = x;
    emitter->position.y = y;
    emitter->position.z = z;
    for (int c = 0; c < 3; c++) {
        emitter->startColour[c] = startColour[c];
        emitter->endColour[c] = endColour[c];
    }
    emitter->texture = texture;
    poolInit(emitter, pool, capacity);
    emitter->velocity.x = velocity[0];
    emitter->velocity.y = velocity[1];
    emitter->velocity.z = velocity[2];
    emitter->damping = damping;
    emitter->particleSize = particleSize;
    emitter->spread = spread;
    emitter->next = NULL;
    emitter->prev = NULL;
    return emitter;
}

void obxEmitterAddToWorld(ParticleEmitter* emitter)
{
    if (!emitter)
        return;
    worldListAdd(&particles.emitters, emitter);
}

void obxEmitterRemoveFromWorld(ParticleEmitter* emitter)
{
    if (!emitter)
        return;
    worldListRemove(&particles.emitters, emitter);
}

// A factor of -1.0, -0.98, ... 0.98 of the spread, from one draw.
static float driftComponent(float spread)
{
    float k = (float)(randomNext() % 100);
    return (k / 50.0f - 1.0f) * spread;
}

void obxEmitterAddParticle(ParticleEmitter* emitter)
{
    if (!emitter)
        return;
    Particle* p = poolFree<Particle>(emitter);
    if (!p)
        return;
    p->position = emitter->position;
    p->life = randomNext() % 50 + 50;
    float life = (float)p->life;
    for (int c = 0; c < 3; c++) {
        p->colour[c] = emitter->startColour[c];
        p->colourStep[c] = (emitter->endColour[c] - emitter->startColour[c]) / life;
    }
    p->size = emitter->particleSize;
    p->drift.x = driftComponent(emitter->spread);
    p->drift.y = driftComponent(emitter->spread);
    p->drift.z = driftComponent(emitter->spread);
    p->velocity = emitter->velocity;
    poolMakeLive(emitter, p);
}

void obxEmitterAddParticles(ParticleEmitter* emitter, int count)
{
    if (!emitter)
        return;
    // Stops at a full pool: the remaining calls would release nothing.
    for (int i = 0; i < count && emitter->liveCount < emitter->capacity; i++)
        obxEmitterAddParticle(emitter);
}

void obxEmitterChangeProperties(ParticleEmitter* emitter, float x, float y, float z,
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
