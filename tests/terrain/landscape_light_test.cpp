// Dynamic lights in the landscape's light maps: what they add, when a map is
// rebuilt and sent again, and when it falls back to its static light.
#include "landscape_scene.h"
#include "light/light.h"
#include "terrain/terrain.h"

namespace {

// A flat landscape of 7 x 7 cells, so that light-map texels lie one unit
// apart, lit from below (static light 0); leaf (32, 32) has its corner 0 at
// the origin. The camera looks straight down at the origin.
class LandscapeLightTest : public ::testing::Test {
protected:
    Landscape* land = nullptr;
    LandscapePatch* leaf = nullptr;

    void SetUp() override
    {
        ASSERT_EQ(landscapeEngineStart(), 1) << fileRead("Ombrix.log");
        land = landscapeFlat(64, 448, 0, 100.0f, {0, -1, 0}, 1.0f);
        ASSERT_NE(land, nullptr);
        obxLandscapeAddToWorld(land);
        lookDown();
        leaf = leafAt(land, 32, 32);
        ASSERT_EQ(leaf->corners[0].x, 0.0f);
        ASSERT_EQ(leaf->corners[0].z, 0.0f);
    }
    void TearDown() override
    {
        traceStop();
        engineStop();
    }

    void lookDown()
    {
        cameraPut(0, 60, 0, 90);
    }

    // Renders a frame; returns how often the leaf's light map was sent.
    int frame(LandscapePatch* which = nullptr)
    {
        traceStart();
        obxWorldRender(0);
        traceStop();
        return downloadsOf((which ? which : leaf)->lightMap.lightTexture);
    }

    bool visible(const LandscapePatch* p)
    {
        for (int i = 0; i < land->visibleCount; i++) {
            if (land->visibleLeaves[i] == p)
                return true;
        }
        return false;
    }

    static const uint8_t* shown(const LandscapePatch* p)
    {
        return (const uint8_t*)p->lightMap.lightTexture->info.data;
    }
};

}   // namespace

TEST_F(LandscapeLightTest, WithoutDynamicLightsEveryLeafShowsItsStaticMapSentOnce)
{
    EXPECT_EQ(frame(), 1);
    ASSERT_TRUE(visible(leaf));
    for (int i = 0; i < land->visibleCount; i++) {
        const LandscapePatch* p = land->visibleLeaves[i];
        ASSERT_EQ(p->lightMap.showsStatic, 1);
        ASSERT_EQ(shown(p), p->lightMap.staticLight);
        ASSERT_EQ(p->drawnOnce, 1);
    }
    EXPECT_EQ(frame(), 0);
}

TEST_F(LandscapeLightTest, LightFallsOffToItsRadiusAndLightsAddUpToFull)
{
    DynamicLight* first = obxDynLightsourceAdd(2, 0, 0, 0, 1, 0, 0);
    EXPECT_EQ(frame(), 1);
    const LandscapeLightMap& m = leaf->lightMap;
    EXPECT_EQ(shown(leaf), m.dynamicLight);
    EXPECT_EQ(m.showsStatic, 0);
    EXPECT_EQ(m.litThisFrame, 1);
    EXPECT_EQ(m.dynamicLightCount, 1);
    // Texel (row r, column k) lies at (k, 0, -r): full at the centre, half
    // one unit away, nothing at the radius.
    EXPECT_EQ(m.dynamicLight[0], 255);
    EXPECT_EQ(m.dynamicLight[1], 127);
    EXPECT_EQ(m.dynamicLight[8], 127);
    EXPECT_EQ(m.dynamicLight[2], 0);
    EXPECT_EQ(m.dynamicLight[16], 0);
    EXPECT_GT(m.dynamicLight[9], 0);
    EXPECT_LT(m.dynamicLight[9], 127);
    EXPECT_EQ(m.dynamicLight[63], 0);
    for (int i = 0; i < 64; i++)
        ASSERT_EQ(m.staticLight[i], 0);
    // The leaf diagonally before it shares the corner at the origin.
    LandscapePatch* neighbour = leafAt(land, 31, 31);
    EXPECT_EQ(neighbour->lightMap.dynamicLight[63], 255);
    EXPECT_EQ(neighbour->lightMap.dynamicLight[62], 127);

    // A second light at the same place adds to the first, up to 255.
    obxDynLightsourceAdd(2, 0, 0, 0, 0, 1, 0);
    EXPECT_EQ(frame(), 1);
    EXPECT_EQ(m.dynamicLightCount, 2);
    EXPECT_EQ(m.dynamicLight[0], 255);
    EXPECT_EQ(m.dynamicLight[1], 254);
    EXPECT_EQ(m.dynamicLight[2], 0);
    // Switched off, a light no longer reaches the landscape.
    obxDynLightsourceDisable(first);
    EXPECT_EQ(frame(), 1);
    EXPECT_EQ(m.dynamicLightCount, 1);
    EXPECT_EQ(m.dynamicLight[1], 127);
}

TEST_F(LandscapeLightTest, LightAddsToTheStaticLight)
{
    Landscape* half = landscapeFlat(64, 448, 0, 100.0f, {0, 1, 0}, 0.5f);
    ASSERT_NE(half, nullptr);
    obxLandscapeAddToWorld(half);
    land = half;
    leaf = leafAt(half, 32, 32);
    obxDynLightsourceAdd(2, 0, 0, 0, 1, 1, 1);
    frame();
    const LandscapeLightMap& m = leaf->lightMap;
    EXPECT_EQ(m.staticLight[1], 127);
    EXPECT_EQ(m.dynamicLight[0], 255);
    EXPECT_EQ(m.dynamicLight[1], 254);
    EXPECT_EQ(m.dynamicLight[2], 127);
}

TEST_F(LandscapeLightTest, LightThatDoesNotReachALeafLeavesItsMapAlone)
{
    obxDynLightsourceAdd(2, 0, 0, 0, 1, 1, 1);
    LandscapePatch* beside = leafAt(land, 32, 33);   // centre 11 units away
    frame();
    ASSERT_TRUE(visible(beside));
    EXPECT_EQ(beside->lightMap.showsStatic, 1);
    EXPECT_EQ(shown(beside), beside->lightMap.staticLight);
    EXPECT_EQ(beside->lightMap.dynamicLightCount, 0);
    for (int i = 0; i < 64; i++)
        ASSERT_EQ(beside->lightMap.dynamicLight[i], 0);
    // A light high above reaches nothing either.
    obxDynLightsourceAdd(20, 0, 30, 0, 1, 1, 1);
    frame();
    EXPECT_EQ(leaf->lightMap.dynamicLightCount, 1);
}

TEST_F(LandscapeLightTest, MapsAreRebuiltOnlyWhenTheirLightsChange)
{
    DynamicLight* light = obxDynLightsourceAdd(2, 0, 0, 0, 1, 1, 1);
    EXPECT_EQ(frame(), 1);
    // Nothing changed: kept, not sent.
    EXPECT_EQ(frame(), 0);
    EXPECT_EQ(shown(leaf), leaf->lightMap.dynamicLight);
    // The same position again is no change.
    obxDynLightsourceChangeXYZ(light, 0, 0, 0);
    EXPECT_EQ(frame(), 0);
    // Moved within the leaf: rebuilt and sent once.
    obxDynLightsourceChangeXYZ(light, 1, 0, -1);
    EXPECT_EQ(frame(), 1);
    EXPECT_EQ(leaf->lightMap.dynamicLight[9], 255);
    EXPECT_LT(leaf->lightMap.dynamicLight[0], 127);
    EXPECT_EQ(frame(), 0);
    // A wider radius reaches further.
    obxDynLightsourceChangeRadius(light, 4);
    EXPECT_EQ(frame(), 1);
    EXPECT_EQ(leaf->lightMap.dynamicLight[11], 127);
    // The last light goes: the static map comes back, sent once.
    obxDynLightsourceDisable(light);
    EXPECT_EQ(frame(), 1);
    EXPECT_EQ(leaf->lightMap.showsStatic, 1);
    EXPECT_EQ(shown(leaf), leaf->lightMap.staticLight);
    EXPECT_EQ(frame(), 0);
    EXPECT_EQ(frame(), 0);
    // And on again.
    obxDynLightsourceActivate(light);
    EXPECT_EQ(frame(), 1);
    EXPECT_EQ(leaf->lightMap.dynamicLight[9], 255);
}

TEST_F(LandscapeLightTest, LeafBackInViewCatchesUpWithChangesMadeWhileAway)
{
    DynamicLight* light = obxDynLightsourceAdd(2, 0, 0, 0, 1, 1, 1);
    frame();
    EXPECT_EQ(leaf->lightMap.dynamicLight[0], 255);
    // Looking up, away from the ground, while the light moves.
    cameraPut(0, 60, 0, 270);
    obxDynLightsourceChangeXYZ(light, 1, 0, -1);
    frame();
    EXPECT_FALSE(visible(leaf));
    EXPECT_EQ(leaf->drawnOnce, 0);
    // Back in view, the light unchanged since: the map shows where it is now.
    lookDown();
    EXPECT_EQ(frame(), 1);
    EXPECT_EQ(leaf->lightMap.dynamicLight[9], 255);
    EXPECT_LT(leaf->lightMap.dynamicLight[0], 127);
    EXPECT_EQ(frame(), 0);
    // Likewise when the landscape was out of the world meanwhile.
    obxLandscapeRemoveFromWorld();
    obxDynLightsourceChangeXYZ(light, 0, 0, 0);
    frame();
    obxLandscapeAddToWorld(land);
    EXPECT_EQ(frame(), 1);
    EXPECT_EQ(leaf->lightMap.dynamicLight[0], 255);
}
