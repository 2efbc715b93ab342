// The smoke-emitter pass of the world render: every smoke emitter of the
// world, farthest first, releases its puffs for the frame, moves them and
// draws them.
#include "particles/particles.h"

void smokeEmittersPass(void)
{
    EmitterOrder* order = &particles.smokeOrder;
    emitterOrderClear(order);
    for (SmokeEmitter* e = particles.smokeEmitters; e; e = e->next)
        emitterOrderAppend(order, e, &e->position);
    emitterOrderSort(order);
    for (int32_t i = 0; i < order->count; i++) {
        SmokeEmitter* emitter = (SmokeEmitter*)order->items[i].emitter;
        smokeEmitterRelease(emitter);
        smokeEmitterUpdate(emitter);
        smokeEmitterDraw(emitter);
    }
}
