// One frame of a particle emitter's particles: they age, fade toward the end
// colour and move; those whose life has run out go back to the free list.
#include "particles/particles.h"

void particleEmitterUpdate(ParticleEmitter* emitter)
{
    int32_t count = emitter->liveCount;
    Particle* p = emitter->liveHead;
    for (int32_t i = 0; i < count && p; i++) {
        Particle* next = p->next;
        if (p->life > 0) {
            p->life -= 1;
            for (int c = 0; c < 3; c++)
                p->colour[c] += p->colourStep[c];
            p->position.x += p->drift.x + p->velocity.x;
            p->position.y += p->drift.y + p->velocity.y;
            p->position.z += p->drift.z + p->velocity.z;
            p->velocity.x *= emitter->damping;
            p->velocity.y *= emitter->damping;
            p->velocity.z *= emitter->damping;
        } else {
            poolRetire(emitter, p);
        }
        p = next;
    }
}
