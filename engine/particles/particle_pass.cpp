// The particle-emitter pass of the world render: every emitter of the world,
// farthest first, is updated and then drawn.
#include "particles/particles.h"

void particleEmittersPass(void)
{
    EmitterOrder* order = &particles.emitterOrder;
    emitterOrderClear(order);
    for (ParticleEmitter* e = particles.emitters; e; e = e->next)
        emitterOrderAppend(order, e, &e->position);
    emitterOrderSort(order);
    for (int32_t i = 0; i < order->count; i++) {
        ParticleEmitter* emitter = (ParticleEmitter*)order->items[i].emitter;
        particleEmitterUpdate(emitter);
        particleEmitterDraw(emitter);
    }
}
