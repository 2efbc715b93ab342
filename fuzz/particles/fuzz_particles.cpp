// fuzz-particles: one particle emitter and one smoke emitter per input, with
// arbitrary parameters, released, updated and drawn for a few frames on the
// headless software device.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "core/core.h"
#include "fuzz_engine.h"
#include "fuzz_input.h"
#include "particles/particles.h"
#include "texture/texture.h"

namespace {

const int kPool = 64;

// The two emitters are made once and given new parameters and an empty
// pool for each input (emitters cannot be deleted).
ParticleEmitter* sparks;
Particle* sparkPool;
SmokeEmitter* smoke;
SmokePuff* puffPool;

bool setup(void)
{
    const float zero[3] = {0, 0, 0};
    sparks = obxEmitterCreate(0, 0, 0, kPool, zero, zero, NULL, zero, 0, 0, 0);
    smoke = obxSmokeEmitterCreate(0, 0, 0, kPool, NULL, 0, zero, 0, 0, 0, 0, 0);
    if (!sparks || !smoke)
        return false;
    sparkPool = sparks->freeHead;
    puffPool = smoke->freeHead;
    return true;
}

}   // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzEngineStart(setup);
    Reader in = {data, size};
    uint8_t flags = in.byte();
    int frames = in.byte() % 4 + 1;
    int16_t wx = in.half(), wy = in.half(), ww = in.half(), wh = in.half();

    poolInit(sparks, sparkPool, kPool);
    const float position[3] = {in.real(), in.real(), in.real()};
    const float velocity[3] = {in.real(), in.real(), in.real()};
    obxEmitterChangeProperties(sparks, position[0], position[1], position[2], velocity);
    for (int c = 0; c < 3; c++) {
        sparks->startColour[c] = in.real();
        sparks->endColour[c] = in.real();
    }
    sparks->damping = in.real();
    sparks->particleSize = in.real();
    sparks->spread = in.real();
    sparks->texture = (flags & 1) ? textureFind("white.3df") : NULL;
    int released = in.byte() % (kPool + 8);

    poolInit(smoke, puffPool, kPool);
    const float at[3] = {in.real(), in.real(), in.real()};
    obxSmokeEmitterChangeProperties(smoke, at[0], at[1], at[2], velocity);
    smoke->spawnRadius = in.real();
    smoke->damping = in.real();
    smoke->puffSize = in.real();
    smoke->riseSpeed = in.real();
    smoke->puffLife = in.half();
    obxSmokeEmitterChangeOpacity(smoke, (int8_t)in.byte());
    smoke->texture = (flags & 2) ? textureFind("white.3df") : NULL;

    obxEmitterAddToWorld(sparks);
    obxSmokeEmitterAddToWorld(smoke);
    if (flags & 4)
        obxRenderWindowSet(wx, wy, ww, wh);
    else
        obxRenderWindowSet(0, 0, 640, 480);
    obxFogSetMode((flags >> 3) & 1);
    for (int f = 0; f < frames; f++) {
        obxEmitterAddParticles(sparks, released);
        obxWorldRender(0);
    }
    obxEmitterRemoveFromWorld(sparks);
    obxSmokeEmitterRemoveFromWorld(smoke);
    return 0;
}
