// Null handles and null vectors: every exported call takes them without harm,
// so a call on the result of a failed create does nothing instead of
// crashing far from its cause.
#include <string.h>

#include "object/object.h"
#include "obx_scene.h"
#include "overlay/overlay.h"
#include "particles/particles.h"
#include "view/view.h"

namespace {

class NullHandles : public EngineTest {};

}   // namespace

TEST_F(NullHandles, EveryCallIgnoresThemAndCreatorsReturnNull)
{
    TextureRecord* white = whiteTexture();
    Object* cube = cubeCreate({0, 0, 300}, 60, white);
    LightSource* light = lightPut({-200, 300, -100}, 1, 1, 1);
    DynamicLight* dynamic = obxDynLightsourceAdd(100, 0, 0, 250, 1, 0, 0);
    const float v3[3] = {0.25f, 0.5f, 0.75f};
    ParticleEmitter* emitter = obxEmitterCreate(0, 0, 0, 4, v3, v3, white, v3, 0.9f, 2, 1);
    SmokeEmitter* smoke = obxSmokeEmitterCreate(0, 0, 0, 4, white, 1, v3, 0.9f, 2, 1, 10, 1);
    ASSERT_TRUE(cube && light && dynamic && emitter && smoke);
    const Frame before = frameRender();
    Camera* camera = view.camera;

    // Creators return null when a handle or vector they need is null.
    TextureRecord* none[1] = {nullptr};
    const float size[1] = {8}, place[1] = {0.5f};
    EXPECT_EQ(obxTextureLoad(nullptr, 0), nullptr);
    EXPECT_EQ(obxTextureLoadToMemory(nullptr), nullptr);
    EXPECT_EQ(obxObjectLoad(nullptr, 0, 100, 1), nullptr);
    EXPECT_EQ(obxObjectAdd(nullptr), nullptr);
    EXPECT_EQ(obxLensflareCreate(1, none, size, place), nullptr);
    EXPECT_EQ(obxLensflareCreate(1, nullptr, size, place), nullptr);
    EXPECT_EQ(obxBitmapCreate(nullptr, 0, 0, 0, nullptr), nullptr);
    EXPECT_EQ(obxLandscapeLoadFromFile(nullptr, 0, white, 100, 100, 1, v3, 1), nullptr);
    EXPECT_EQ(obxLandscapeLoadFromFile("none.3df", 0, nullptr, 100, 100, 1, v3, 1), nullptr);
    EXPECT_EQ(obxLandscapeLoadFromFile("none.3df", 0, white, 100, 100, 1, nullptr, 1), nullptr);
    EXPECT_EQ(obxEmitterCreate(0, 0, 0, 4, nullptr, v3, white, v3, 0.9f, 2, 1), nullptr);
    EXPECT_EQ(obxEmitterCreate(0, 0, 0, 4, v3, nullptr, white, v3, 0.9f, 2, 1), nullptr);
    EXPECT_EQ(obxEmitterCreate(0, 0, 0, 4, v3, v3, white, nullptr, 0.9f, 2, 1), nullptr);
    EXPECT_EQ(obxSmokeEmitterCreate(0, 0, 0, 4, white, 1, nullptr, 0.9f, 2, 1, 10, 1), nullptr);

    // Queries answer their failure value.
    EXPECT_EQ(VectorLenght(nullptr), 0.0);
    EXPECT_EQ(obxObjectDetectCollision(nullptr, cube), 0);
    EXPECT_EQ(obxObjectDetectCollision(cube, nullptr), 0);
    EXPECT_EQ(obxObjectDetectCollisionLandscape(nullptr, nullptr), 0);
    EXPECT_EQ(obxObjectDetectCollisionLandscape(cube, nullptr), 0);
    EXPECT_EQ(obxLandscapeGetHeightXZ(nullptr, 0, 0), -1.0f);

    // Calls that fill in their arguments leave the others as they were.
    int major = -1;
    float width = -1;
    obxGetVersion(nullptr, nullptr);
    obxGetVersion(&major, nullptr);
    obxResolutionGet(nullptr, nullptr);
    obxResolutionGet(&width, nullptr);
    obxDriverGetInfo(nullptr);
    EXPECT_EQ(major, -1);
    EXPECT_EQ(width, -1.0f);
    float out[3] = {7, 7, 7};
    CrossProduct3d(nullptr, v3, v3);
    CrossProduct3d(out, nullptr, v3);
    CrossProduct3d(out, v3, nullptr);
    Matrix m;
    memset(&m, 0, sizeof m);
    Ver ver = {7, 7, 7};
    DrawVer drawVer;
    memset(&drawVer, 0, sizeof drawVer);
    MatXVer(nullptr, &ver, &ver);
    MatXVer(&m, nullptr, &ver);
    MatXVer(&m, &ver, nullptr);
    MatXVerToDrawVer(nullptr, &ver, &drawVer);
    MatXVerToDrawVer(&m, nullptr, &drawVer);
    MatXVerToDrawVer(&m, &ver, nullptr);
    MatXDrawVerToDrawVer(nullptr, &drawVer, &drawVer);
    MatXDrawVerToDrawVer(&m, nullptr, &drawVer);
    MatXDrawVerToDrawVer(&m, &drawVer, nullptr);
    EXPECT_EQ(out[0] + out[1] + out[2] + ver.x + ver.y + ver.z, 42.0f);

    // Everything else does nothing.
    traceStart();
    obxFogSetColor(nullptr);
    obxBackgroundSetColor(nullptr);
    obxObjectAddVertex(nullptr, 1, 2, 3);
    obxObjectAddPolygon(nullptr, 0, 1, 2, 0, white, 0, 0, 1, 0, 0, 1);
    obxObjectPerformPrecalculations(nullptr, 10);
    obxObjectDelete(nullptr);
    obxObjectSetShadingType(nullptr, 3);
    obxObjectMakeTranslucent(nullptr, 1);
    obxObjectDisableTranslucency(nullptr);
    obxObjectMakeEnviromentMapped(nullptr, white, 100);
    obxObjectSetEnviromentAlpha(nullptr, 100);
    obxObjectSetShape(nullptr, 1);
    obxObjectScale(nullptr, 2);
    obxObjectRotate(nullptr, 10, 20, 30);
    obxObjectMove(nullptr, 1, 2, 3);
    obxCameraSetActive(nullptr);
    obxCameraMoveIncremental(10, nullptr, 1, 2, 3);
    obxLightsourceMove(nullptr, 1, 2, 3);
    obxLightsourceLight(nullptr, 1, 0, 0);
    obxLightsourceDelete(nullptr);
    obxDynLightsourceChangeRadius(nullptr, 5);
    obxDynLightsourceChangeRGB(nullptr, 0, 1, 0);
    obxDynLightsourceChangeXYZ(nullptr, 1, 2, 3);
    obxDynLightsourceActivate(nullptr);
    obxDynLightsourceDisable(nullptr);
    obxCharactersetSetDefaultDrawingMode(nullptr);
    obxCharactersetSetSpecialDrawingMode(nullptr, 1, 255, 1, v3, 10, 10, 10);
    obxCharacterDraw(nullptr, 0, 0, 640, 480);
    obxBitmapDrawXY(nullptr, 0, 0, 640, 480);
    obxEmitterAddToWorld(nullptr);
    obxEmitterRemoveFromWorld(nullptr);
    obxEmitterAddParticle(nullptr);
    obxEmitterAddParticles(nullptr, 5);
    obxEmitterChangeProperties(nullptr, 1, 2, 3, v3);
    obxEmitterChangeProperties(emitter, 1, 2, 3, nullptr);
    obxSmokeEmitterAddToWorld(nullptr);
    obxSmokeEmitterRemoveFromWorld(nullptr);
    obxSmokeEmitterChangeProperties(nullptr, 1, 2, 3, v3);
    obxSmokeEmitterChangeProperties(smoke, 1, 2, 3, nullptr);
    obxSmokeEmitterChangeOpacity(nullptr, 3);
    traceStop();
    EXPECT_EQ(traceText(), "");

    EXPECT_EQ(view.camera, camera);
    EXPECT_EQ(camera->stepsLeft, 0);
    EXPECT_EQ(emitter->position.x, 0.0f);
    EXPECT_EQ(smoke->position.x, 0.0f);
    EXPECT_EQ(objects.first, cube);
    EXPECT_EQ(objects.first->next, nullptr);
    EXPECT_EQ(particles.emitters, nullptr);
    EXPECT_EQ(particles.smokeEmitters, nullptr);
    const Frame after = frameRender();
    EXPECT_TRUE(after.colour == before.colour);
}

// Deleting a record twice stays the caller's error, but a debug build stops
// at once, naming the call, before the world's lists are touched.
#ifndef NDEBUG
namespace {

void objectDeletedTwice()
{
    Object* object = obxObjectInitDefaultState();
    obxObjectAdd(object);
    obxObjectDelete(object);
    obxObjectDelete(object);
}

void lightDeletedTwice()
{
    const uint32_t extra[3] = {0, 0, 0};
    LightSource* light = obxLightsourceAdd(1, 1, 1, 0, 0, 0, 0, nullptr, extra);
    obxLightsourceDelete(light);
    obxLightsourceDelete(light);
}

}   // namespace

TEST(NullHandlesDebug, DeletingTwiceStopsWithTheCallsName)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(objectDeletedTwice(), "obxObjectDelete: .* deleted already");
    EXPECT_DEATH(lightDeletedTwice(), "obxLightsourceDelete: .* deleted already");
}
#endif
