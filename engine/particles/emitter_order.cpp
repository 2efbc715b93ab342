// The painter's order of the world's emitters: gathered each frame with the
// camera-space depth of their positions, then sorted farthest first.
#include <math.h>
#include <stdlib.h>
#include <string.h>

#include "math/math3d.h"
#include "particles/particles.h"
#include "view/view.h"

static EmitterDepth particleOrderInitial[EMITTER_ORDER_INITIAL];
static EmitterDepth smokeOrderInitial[EMITTER_ORDER_INITIAL];
// The subsystem's state lives here, with the arrays its orders start in.
ParticleState particles = {1,
                           NULL,
                           NULL,
                           {particleOrderInitial, 0, EMITTER_ORDER_INITIAL},
                           {smokeOrderInitial, 0, EMITTER_ORDER_INITIAL}};

void emitterOrderClear(EmitterOrder* order)
{
    order->count = 0;
}

// Room for one more entry, doubling the array when it is full.
static int emitterOrderReserve(EmitterOrder* order)
{
    if (order->count < order->capacity)
        return 1;
    if (order->capacity > INT32_MAX / 2)
        return 0;
    int32_t capacity = order->capacity * 2;
    size_t bytes = (size_t)capacity * sizeof(EmitterDepth);
    EmitterDepth* grown;
    if (order->items == particleOrderInitial || order->items == smokeOrderInitial) {
        grown = (EmitterDepth*)malloc(bytes);
        if (grown)
            memcpy(grown, order->items, (size_t)order->count * sizeof(EmitterDepth));
    } else {
        grown = (EmitterDepth*)realloc(order->items, bytes);
    }
    if (!grown)
        return 0;
    order->items = grown;
    order->capacity = capacity;
    return 1;
}

void emitterOrderAppend(EmitterOrder* order, void* emitter, const Vector* position)
{
    if (!emitterOrderReserve(order))
        return;
    float x, y, z;
    transformPoint(&view.matrix, position->x, position->y, position->z, &x, &y, &z);
    EmitterDepth* item = &order->items[order->count];
    item->depth = z;
    item->index = order->count;
    item->emitter = emitter;
    order->count += 1;
}

static int emitterFartherFirst(const void* a, const void* b)
{
    const EmitterDepth* ea = (const EmitterDepth*)a;
    const EmitterDepth* eb = (const EmitterDepth*)b;
    // A depth that is not a number sorts as the farthest, so the order stays
    // a total one.
    float da = isnan(ea->depth) ? INFINITY : ea->depth;
    float db = isnan(eb->depth) ? INFINITY : eb->depth;
    if (da != db)
        return da > db ? -1 : 1;
    return (ea->index > eb->index) - (ea->index < eb->index);
}

void emitterOrderSort(EmitterOrder* order)
{
    qsort(order->items, (size_t)order->count, sizeof(EmitterDepth), emitterFartherFirst);
}
