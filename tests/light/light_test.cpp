// Light sources, the ambient light and dynamic lights with their change marks.
#include <math.h>

#include "light/light.h"
#include "obx_scene.h"

namespace {

class LightTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        sceneOffline();
    }
    void TearDown() override
    {
        while (lights.sources)
            obxLightsourceDelete(lights.sources);
    }

    // The lights from the first to the last, checking the back links too.
    static std::vector<LightSource*> order()
    {
        std::vector<LightSource*> list;
        for (LightSource* l = lightSourceFirst(); l; l = l->next) {
            if (!list.empty()) {
                EXPECT_EQ(l->prev, list.back());
            }
            list.push_back(l);
        }
        return list;
    }
};

}   // namespace

TEST_F(LightTest, LightSourcesKeepCreationOrder)
{
    const uint32_t extra[3] = {7, 8, 9};
    LightSource* a = obxLightsourceAdd(1, 0.5f, 0.25f, 10, 20, 30, 0.01f, nullptr, extra);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->colour[1], 0.5f);
    EXPECT_EQ(a->position.z, 30.0f);
    EXPECT_EQ(a->attenuation, 0.01f);
    EXPECT_EQ(a->extra[2], 9u);
    EXPECT_EQ(a->prev, nullptr);
    EXPECT_EQ(a->next, nullptr);
    LightSource* b = lightPut({0, 0, 0}, 1, 1, 1);
    LightSource* c = lightPut({0, 0, 0}, 1, 1, 1);
    EXPECT_EQ(lights.sources, c);
    EXPECT_EQ(order(), (std::vector<LightSource*>{a, b, c}));

    obxLightsourceMove(b, 4, 5, 6);
    obxLightsourceLight(b, 0.1f, 0.2f, 0.3f);
    EXPECT_EQ(b->position.y, 5.0f);
    EXPECT_EQ(b->colour[2], 0.3f);

    // The middle one goes: first and last stay linked in order, and the
    // list is held through the later neighbour.
    obxLightsourceDelete(b);
    EXPECT_EQ(lights.sources, c);
    EXPECT_EQ(order(), (std::vector<LightSource*>{a, c}));
    // A light added while the list is held through its first member still
    // goes to the end.
    obxLightsourceDelete(c);
    EXPECT_EQ(lights.sources, a);
    LightSource* d = lightPut({0, 0, 0}, 1, 1, 1);
    EXPECT_EQ(order(), (std::vector<LightSource*>{a, d}));
    obxLightsourceDelete(a);
    EXPECT_EQ(lights.sources, d);
    EXPECT_EQ(d->prev, nullptr);
    obxLightsourceDelete(d);
    EXPECT_EQ(lights.sources, nullptr);
    EXPECT_TRUE(order().empty());
    // Empty again: the next light is the first, and extra may be null.
    LightSource* e = obxLightsourceAdd(1, 1, 1, 0, 0, 0, 0, nullptr, nullptr);
    EXPECT_EQ(order(), (std::vector<LightSource*>{e}));
    EXPECT_EQ(e->extra[0], 0u);

    obxAmbientlightLight(0.2f, 0.3f, 0.4f);
    EXPECT_EQ(lights.ambient[1], 0.3f);
    ambientLightInit();
    EXPECT_EQ(lights.ambient[2], 0.0f);
}

TEST_F(LightTest, StartingAgainForgetsTheOldLights)
{
    LightSource* a = lightPut({0, 0, 0}, 1, 1, 1);
    LightSource* b = lightPut({0, 0, 0}, 1, 1, 1);
    lightSourcesInit();   // what a second obxInitialize does
    LightSource* c = lightPut({0, 0, 0}, 1, 1, 1);
    obxLightsourceDelete(a);
    obxLightsourceDelete(b);
    EXPECT_EQ(order(), (std::vector<LightSource*>{c}));
}

TEST_F(LightTest, DynamicLightMarksSeenByOneRender)
{
    DynamicLight* older = obxDynLightsourceAdd(10, 1, 2, 3, 1, 0.5f, 0);
    ASSERT_NE(older, nullptr);
    EXPECT_EQ(older->invRadius, 0.1f);
    EXPECT_EQ(older->active, 1);
    EXPECT_EQ(older->changed, 1);
    EXPECT_EQ(older->moved, 1);
    dynamicLightsEndFrame();
    EXPECT_EQ(older->changed, 0);
    EXPECT_EQ(older->moved, 0);

    // A newer light goes in front; both stay in the list.
    DynamicLight* newer = obxDynLightsourceAdd(4, 0, 0, 0, 1, 1, 1);
    EXPECT_EQ(lights.dynamic, newer);
    EXPECT_EQ(newer->next, older);

    // The same values change nothing.
    obxDynLightsourceChangeXYZ(older, 1, 2, 3);
    obxDynLightsourceChangeRadius(older, 10);
    obxDynLightsourceChangeRGB(older, 1, 0.5f, 0);
    EXPECT_EQ(older->changed, 0);
    EXPECT_EQ(older->moved, 0);
    // One coordinate different raises both marks.
    obxDynLightsourceChangeXYZ(older, 1, 2, 3.5f);
    EXPECT_EQ(older->changed, 1);
    EXPECT_EQ(older->moved, 1);
    EXPECT_EQ(older->position.z, 3.5f);
    dynamicLightsEndFrame();
    EXPECT_EQ(older->changed | older->moved | newer->changed | newer->moved, 0);

    // Twice the radius halves the inverse; a NaN radius counts as no change.
    obxDynLightsourceChangeRadius(older, 20);
    EXPECT_EQ(older->invRadius, 0.05f);
    EXPECT_EQ(older->changed, 1);
    EXPECT_EQ(older->moved, 0);
    dynamicLightsEndFrame();
    obxDynLightsourceChangeRadius(older, NAN);
    EXPECT_EQ(older->radius, 20.0f);
    EXPECT_EQ(older->changed, 0);

    obxDynLightsourceChangeRGB(older, 1, 0.5f, 0.25f);
    EXPECT_EQ(older->changed, 1);
    EXPECT_EQ(older->colour[2], 0.25f);
    dynamicLightsEndFrame();
    obxDynLightsourceDisable(older);
    EXPECT_EQ(older->active, 0);
    EXPECT_EQ(older->changed, 1);
    dynamicLightsEndFrame();
    obxDynLightsourceActivate(older);
    EXPECT_EQ(older->active, 1);
    EXPECT_EQ(older->changed, 1);
    dynamicLightsEndFrame();
}
