// Collision tests on bounding spheres: object against object, and against
// the ground height of a landscape.
#include "landscape_scene.h"

namespace {

class CollisionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(landscapeEngineStart(), 1);
    }
    void TearDown() override
    {
        engineStop();
    }

    // An object of the given radius (a cube scaled to it) at (x, y, z).
    Object* ball(float radius, float x, float y, float z)
    {
        Object* object = cubeCreate({0, 0, 0}, 1, nullptr);
        obxObjectPerformPrecalculations(object, radius);
        EXPECT_EQ(object->radius, radius);
        obxObjectMove(object, x, y, z);
        return object;
    }
};

}   // namespace

TEST_F(CollisionTest, SpheresTouchingOrOverlappingCollide)
{
    Object* a = ball(1, 0, 0, 0);
    Object* b = ball(1, 2, 0, 0);
    EXPECT_EQ(obxObjectDetectCollision(a, b), 1);   // touching counts
    EXPECT_EQ(obxObjectDetectCollision(b, a), 1);
    obxObjectMove(b, 0, 0, 2.01f);
    EXPECT_EQ(obxObjectDetectCollision(a, b), 0);
    obxObjectMove(b, 1.2f, -0.6f, 0.9f);
    EXPECT_EQ(obxObjectDetectCollision(a, b), 1);
    EXPECT_EQ(obxObjectDetectCollision(a, a), 1);
    // Apart along a diagonal: the distance comes from the table square root.
    obxObjectMove(b, 2.0f, 2.0f, 0.0f);
    EXPECT_EQ(obxObjectDetectCollision(a, b), 0);
    Object* big = ball(2, 2.0f, 2.0f, 0.0f);
    EXPECT_EQ(obxObjectDetectCollision(a, big), 1);
}

TEST_F(CollisionTest, ScalingKeepsTheRadiusOfTheLastPrecalculation)
{
    Object* a = ball(1, 0, 0, 0);
    Object* b = ball(1, 3, 0, 0);
    EXPECT_EQ(obxObjectDetectCollision(a, b), 0);
    obxObjectScale(a, 5.0f);
    EXPECT_EQ(obxObjectDetectCollision(a, b), 0);
    obxObjectPerformPrecalculations(a, 2.5f);
    EXPECT_EQ(obxObjectDetectCollision(a, b), 1);
}

TEST_F(CollisionTest, GroundWithinTheRadiusAboveOrBelowCollides)
{
    // Ground at 100 everywhere but the last row and column of samples.
    Landscape* land = landscapeFlat(64, 640, 255, 100.0f);
    ASSERT_NE(land, nullptr);
    ASSERT_EQ(obxLandscapeGetHeightXZ(land, 15, -40), 100.0f);
    Object* o = ball(5, 15, 104, -40);
    EXPECT_EQ(obxObjectDetectCollisionLandscape(o, land), 1);
    obxObjectMove(o, 15, 105, -40);
    EXPECT_EQ(obxObjectDetectCollisionLandscape(o, land), 1);
    obxObjectMove(o, 15, 106, -40);
    EXPECT_EQ(obxObjectDetectCollisionLandscape(o, land), 0);
    // Symmetric about the ground: deep below counts as apart.
    obxObjectMove(o, 15, 94, -40);
    EXPECT_EQ(obxObjectDetectCollisionLandscape(o, land), 0);
    obxObjectMove(o, 15, 96, -40);
    EXPECT_EQ(obxObjectDetectCollisionLandscape(o, land), 1);
    // The last column of samples lies at 0.
    obxObjectMove(o, 319, 3, -40);
    EXPECT_EQ(obxObjectDetectCollisionLandscape(o, land), 1);
}

TEST_F(CollisionTest, BeyondTheLandscapeTheGroundIsMinusOne)
{
    Landscape* land = landscapeFlat(64, 640, 255, 100.0f);
    ASSERT_NE(land, nullptr);
    Object* o = ball(0.5f, 10000, -1, 0);
    EXPECT_EQ(obxObjectDetectCollisionLandscape(o, land), 1);
    obxObjectMove(o, 0, 3, -321);
    EXPECT_EQ(obxObjectDetectCollisionLandscape(o, land), 0);
    obxObjectMove(o, -320.5f, -1.25f, 0);
    EXPECT_EQ(obxObjectDetectCollisionLandscape(o, land), 1);
    obxObjectMove(o, -319.5f, -1.25f, 0);   // inside: ground at 100
    EXPECT_EQ(obxObjectDetectCollisionLandscape(o, land), 0);
}
