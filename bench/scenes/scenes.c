/* The benchmark scenes (see scenes.h). */
#include "scenes.h"

#include <math.h>
#include <stdint.h>
#include <stdio.h>

#include "demo_scene.h"
#include "ombrix.h"

static const uint32_t noExtra[3] = {0, 0, 0};

/* ---- The tank ------------------------------------------------------------------ */

static Object* tank;

int sceneTankBuild(void)
{
    tank = obxObjectLoad("tank.3ds", 0, 100.0f, 1);
    if (!tank)
        return 0;
    obxObjectRotate(tank, 90.0f, 0.0f, 0.0f); /* z up in the file */
    obxObjectMove(tank, 0.0f, -30.0f, 180.0f);
    obxObjectAdd(tank);
    obxLightsourceAdd(1.0f, 1.0f, 0.95f, -2000.0f, 3000.0f, -1000.0f, 0.0f, NULL, noExtra);
    obxAmbientlightLight(0.15f, 0.15f, 0.18f);
    const float grey[3] = {40.0f / 255.0f, 44.0f / 255.0f, 52.0f / 255.0f};
    obxBackgroundSetColor(grey);
    return 1;
}

void sceneTankFrame(int frame)
{
    (void)frame;
    obxObjectRotate(tank, 0.0f, 1.0f, 0.0f);
    obxBackgroundClear();
    obxWorldRender(1);
}

/* ---- The demo scene ---------------------------------------------------------------- */

int sceneDemoBuild(void)
{
    return demoSceneBuild();
}

void sceneDemoFrame(int frame)
{
    (void)frame;
    demoSceneAdvance();
    demoSceneRender(0.0f);
}

/* ---- The landscape --------------------------------------------------------------------- */

static Landscape* land;

int sceneLandscapeBuild(void)
{
    TextureRecord* grass = obxTextureLoad("grass.3df", 0);
    const float light[3] = {-0.86f, 0.65f, 1.44f};
    land = grass ? obxLandscapeLoadFromFile("terrain256.3df", 0, grass, 8192.0f, 8192.0f, 760.0f,
                                            light, 0.9f)
                 : NULL;
    if (!land)
        return 0;
    obxLandscapeAddToWorld(land);
    const float haze[3] = {188.0f / 255.0f, 204.0f / 255.0f, 226.0f / 255.0f};
    obxBackgroundSetColor(haze);
    obxCameraSetActive(obxCameraCreate(0.0f, 0.0f, 0.0f, 18.0f, 0.0f, 0.0f));
    return 1;
}

void sceneLandscapeFrame(int frame)
{
    /* A circle of radius 1200 round the middle, one degree a frame, looking
     * ahead and down, 320 units over the ground below. */
    int heading = frame % 360;
    float a = (float)heading * 0.017453292f;
    float x = 1200.0f * -cosf(a), z = 1200.0f * sinf(a);
    float ground = obxLandscapeGetHeightXZ(land, x, z);
    obxCameraMove(x, ground + 320.0f, z);
    obxCameraRotate(18.0f, (float)heading, 0.0f);
    obxBackgroundClear();
    obxWorldRender(1);
}

/* ---- Particles --------------------------------------------------------------------------- */

enum { FOUNTAINS = 20, FOUNTAIN_PARTICLES = 1000 };
static ParticleEmitter* fountains[FOUNTAINS];

int sceneParticlesBuild(void)
{
    TextureRecord* glow = obxTextureLoad("particle.3df", 0);
    if (!glow)
        return 0;
    const float start[3] = {1.0f, 0.85f, 0.4f}, end[3] = {0.4f, 0.05f, 0.0f};
    const float up[3] = {0.0f, 1.6f, 0.0f};
    for (int i = 0; i < FOUNTAINS; i++) {
        float x = -160.0f + 80.0f * (float)(i % 5), z = 220.0f + 60.0f * (float)(i / 5);
        fountains[i] = obxEmitterCreate(x, -90.0f, z, FOUNTAIN_PARTICLES, start, end, glow, up,
                                        0.97f, 2.0f, 0.5f);
        if (!fountains[i])
            return 0;
        obxEmitterAddToWorld(fountains[i]);
        obxEmitterAddParticles(fountains[i], FOUNTAIN_PARTICLES);
    }
    const float night[3] = {4.0f / 255.0f, 6.0f / 255.0f, 16.0f / 255.0f};
    obxBackgroundSetColor(night);
    return 1;
}

void sceneParticlesFrame(int frame)
{
    (void)frame;
    for (int i = 0; i < FOUNTAINS; i++)
        obxEmitterAddParticles(fountains[i], FOUNTAIN_PARTICLES);
    obxBackgroundClear();
    obxWorldRender(1);
}

const BenchScene benchScenes[] = {
    {"tank", sceneTankBuild, sceneTankFrame},
    {"demo", sceneDemoBuild, sceneDemoFrame},
    {"landscape", sceneLandscapeBuild, sceneLandscapeFrame},
    {"particles", sceneParticlesBuild, sceneParticlesFrame},
};
const int benchSceneCount = (int)(sizeof benchScenes / sizeof benchScenes[0]);
