// Scenes for the particle and smoke tests (see particle_scene.h).
#include "particle_scene.h"

#include <stdio.h>
#include <string.h>

ParticleEmitter* emitterMake(const EmitterSetup& setup)
{
    const float velocity[3] = {setup.velocity.x, setup.velocity.y, setup.velocity.z};
    ParticleEmitter* emitter = obxEmitterCreate(setup.at.x, setup.at.y, setup.at.z, setup.capacity,
                                                setup.startColour, setup.endColour, setup.texture,
                                                velocity, setup.damping, setup.size, setup.spread);
    if (emitter && setup.inWorld)
        obxEmitterAddToWorld(emitter);
    return emitter;
}

SmokeEmitter* smokeMake(const SmokeSetup& setup)
{
    const float velocity[3] = {setup.velocity.x, setup.velocity.y, setup.velocity.z};
    SmokeEmitter* emitter = obxSmokeEmitterCreate(
        setup.at.x, setup.at.y, setup.at.z, setup.capacity, setup.texture, setup.spawnRadius,
        velocity, setup.damping, setup.size, setup.riseSpeed, setup.puffLife, setup.puffsPerFrame);
    if (emitter && setup.inWorld)
        obxSmokeEmitterAddToWorld(emitter);
    return emitter;
}

std::vector<Particle*> liveParticles(const ParticleEmitter* emitter)
{
    std::vector<Particle*> live;
    Particle* p = emitter->liveHead;
    for (int i = 0; i < emitter->liveCount && p; i++, p = p->next)
        live.push_back(p);
    return live;
}

std::vector<SmokePuff*> livePuffs(const SmokeEmitter* emitter)
{
    std::vector<SmokePuff*> live;
    SmokePuff* p = emitter->liveHead;
    for (int i = 0; i < emitter->liveCount && p; i++, p = p->next)
        live.push_back(p);
    return live;
}

void randomAimLife(int life)
{
    for (;;) {
        uint32_t state = particles.randomState;
        if (randomNext() % 50 + 50 == life) {
            particles.randomState = state;
            return;
        }
    }
}

uint32_t frameDrawn(void)
{
    uint32_t before = obxPerformanceGet()->polygonsDrawn;
    obxBackgroundClear();
    obxWorldRender(0);
    return obxPerformanceGet()->polygonsDrawn - before;
}

std::vector<std::vector<float>> traceFans(void)
{
    std::vector<std::vector<float>> fans;
    for (const std::string& line : traceCalls("grDrawVertexArray")) {
        std::vector<float> xy;
        const char* p = strchr(line.c_str(), '{');
        float x, y;
        while (p && sscanf(p, "{%g %g}", &x, &y) == 2) {
            xy.push_back(x);
            xy.push_back(y);
            p = strchr(p + 1, '{');
        }
        fans.push_back(xy);
    }
    return fans;
}
