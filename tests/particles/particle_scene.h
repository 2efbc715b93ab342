// Scenes for the particle and smoke tests: emitters in a few lines, their
// live entries, and frames counted by the squares they draw.
#ifndef OBX_PARTICLE_SCENE_H
#define OBX_PARTICLE_SCENE_H

#include <vector>

#include "obx_scene.h"
#include "particles/particles.h"

// A particle emitter 10 units ahead of the default camera: white particles of
// half side 1 that stay where they are released, in the world.
struct EmitterSetup {
    Vector at{0, 0, 10};
    int capacity = 10;
    float startColour[3] = {1, 1, 1};
    float endColour[3] = {1, 1, 1};
    TextureRecord* texture = nullptr;   // null: the engine's white texture
    Vector velocity{0, 0, 0};
    float damping = 1.0f;
    float size = 1.0f;
    float spread = 0.0f;
    bool inWorld = true;
};
ParticleEmitter* emitterMake(const EmitterSetup& setup = EmitterSetup());

// A smoke emitter 10 units ahead of the camera, in the world, one puff a
// frame from its very centre; the puffs drift in their first frame only.
struct SmokeSetup {
    Vector at{0, 0, 10};
    int capacity = 100;
    TextureRecord* texture = nullptr;
    float spawnRadius = 0.0f;
    Vector velocity{0, 0, 0};
    float damping = 0.0f;
    float size = 1.0f;
    float riseSpeed = 0.0f;
    int puffLife = 30;
    int puffsPerFrame = 1;
    bool inWorld = true;
};
SmokeEmitter* smokeMake(const SmokeSetup& setup = SmokeSetup());

// The live entries, newest first, walked as the engine walks them.
std::vector<Particle*> liveParticles(const ParticleEmitter* emitter);
std::vector<SmokePuff*> livePuffs(const SmokeEmitter* emitter);

// Moves the generator on until the next particle released gets `life` frames.
void randomAimLife(int life);

// Renders one frame (obxWorldRender(0) after a background clear) and returns
// how many polygons it drew.
uint32_t frameDrawn(void);

// The x, y pairs of the grDrawVertexArray lines of the trace.
std::vector<std::vector<float>> traceFans(void);

#endif
