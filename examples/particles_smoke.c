/* Particles and smoke: a fountain of glowing sparks, a fire under a column
 * of smoke and a puff of sparks now and then, over a dark floor. Particles
 * are released by the application; smoke emitters release their puffs by
 * themselves every frame. */
#include "example.h"

int main(int argc, char** argv)
{
    if (!exampleStart(argc, argv, "particles-smoke",
                      "A spark fountain, a fire and its smoke column.", 600))
        return 1;
    TextureRecord* glow = obxTextureLoad("particle.3df", OBX_TMU0);
    TextureRecord* puff = obxTextureLoad("smoke.3df", OBX_TMU0);
    TextureRecord* white = obxTextureLoad("white.3df", OBX_TMU0);
    if (!glow || !puff || !white)
        return 1;

    /* The floor: one square of two triangles, facing up, lit dimly. */
    Object* floor = obxObjectInitDefaultState();
    obxObjectAddVertex(floor, -600.0f, 0.0f, -600.0f);
    obxObjectAddVertex(floor, 600.0f, 0.0f, -600.0f);
    obxObjectAddVertex(floor, -600.0f, 0.0f, 600.0f);
    obxObjectAddVertex(floor, 600.0f, 0.0f, 600.0f);
    obxObjectAddPolygon(floor, 0, 2, 1, OBX_ONE_SIDED, white, 0, 0, 0, 1, 1, 0);
    obxObjectAddPolygon(floor, 1, 2, 3, OBX_ONE_SIDED, white, 1, 0, 0, 1, 1, 1);
    obxObjectPerformPrecalculations(floor, 848.5f);
    obxObjectSetShadingType(floor, OBX_SHADING_FLAT);
    obxObjectMove(floor, 0.0f, -100.0f, 400.0f);
    obxObjectAdd(floor);
    const uint32_t extra[3] = {0, 0, 0};
    obxLightsourceAdd(0.15f, 0.13f, 0.2f, 0.0f, 800.0f, 500.0f, 0.0f, NULL, extra);
    const float night[3] = {0.02f, 0.03f, 0.07f};
    obxBackgroundSetColor(night);

    /* Sparks: white-yellow fading to red, thrown up, slowed a little each
     * frame, scattered by a drift of up to 0.9 per frame. */
    const float sparkStart[3] = {1.0f, 0.95f, 0.6f}, sparkEnd[3] = {0.6f, 0.05f, 0.0f};
    const float up[3] = {0.0f, 6.5f, 0.0f};
    ParticleEmitter* fountain = obxEmitterCreate(-110.0f, -100.0f, 330.0f, 1500, sparkStart,
                                                 sparkEnd, glow, up, 0.96f, 4.0f, 0.9f);
    /* The fire: large, slow and orange. */
    const float fireStart[3] = {1.0f, 0.55f, 0.1f}, fireEnd[3] = {0.3f, 0.02f, 0.0f};
    const float lift[3] = {0.0f, 1.2f, 0.0f};
    ParticleEmitter* fire = obxEmitterCreate(110.0f, -96.0f, 360.0f, 500, fireStart, fireEnd, glow,
                                             lift, 0.97f, 9.0f, 0.45f);
    /* The smoke: one grey puff a frame from a square of +-10, rising 1.1 a
     * frame, drifting wider, gone after 220 frames. */
    const float still[3] = {0.0f, 0.0f, 0.0f};
    SmokeEmitter* smoke = obxSmokeEmitterCreate(110.0f, -90.0f, 360.0f, 240, puff, 10.0f, still,
                                                0.99f, 30.0f, 1.1f, 220, 1);
    if (!fountain || !fire || !smoke)
        return 1;
    obxEmitterAddToWorld(fountain);
    obxEmitterAddToWorld(fire);
    obxSmokeEmitterAddToWorld(smoke);
    obxCameraRotate(4.0f, 0.0f, 0.0f);
    obxCameraMove(0.0f, 20.0f, 0.0f);

    while (exampleFrame()) {
        obxEmitterAddParticles(fountain, 14);
        obxEmitterAddParticles(fire, 5);
        obxBackgroundClear();
        obxWorldRender(OBX_RENDER_ONLY);
        obxSetRenderState(OBX_RENDERSTATE_2D);
        obxStrDrawGrid(1, 1, "Particles and smoke");
        obxSetRenderState(OBX_RENDERSTATE_3D);
        obxWorldDisplay();
    }
    return exampleEnd();
}
