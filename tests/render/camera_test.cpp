// Cameras: aiming at a point, stepwise moves, the view matrix and the view volume.
#include <math.h>
#include <stdlib.h>
#include <string.h>

#include "math/math3d.h"
#include "obx_test.h"
#include "view/view.h"

namespace {

class CameraTest : public ::testing::Test {
protected:
    Camera* camera = nullptr;

    void SetUp() override
    {
        sqrtTableInit();
        angleTablesInit();
        cameraDefaultInit();
        view.camera = &view.defaultCamera;
        view.nearDistance = 2.0f;
        view.farDistance = 3000.0f;
        viewportSetFullScreen(640.0f, 480.0f);
    }
    void TearDown() override
    {
        view.camera = &view.defaultCamera;
        free(camera);
    }

    // A new camera, made active.
    Camera* use(float x, float y, float z, float rx = 0, float ry = 0, float rz = 0)
    {
        free(camera);
        camera = obxCameraCreate(x, y, z, rx, ry, rz);
        obxCameraSetActive(camera);
        return camera;
    }

    // Rotation after aiming from `from` at `to` for one frame.
    Camera aimed(Vector from, Vector to)
    {
        use(from.x, from.y, from.z);
        obxCameraEnableSyncToPoint(to.x, to.y, to.z);
        cameraUpdate();
        return *camera;
    }

    // A world point in camera space under the current view matrix.
    Vector seen(float x, float y, float z)
    {
        viewMatrixBuild();
        Ver in = {x, y, z}, out;
        MatXVer(&view.matrix, &in, &out);
        return out;
    }
};

}   // namespace

TEST_F(CameraTest, AimingAtAPointGivesHeadingAndPitch)
{
    Camera c = aimed({0, 0, 0}, {0, 0, 10});
    EXPECT_EQ(c.rotation[0], 0.0f);
    EXPECT_EQ(c.rotation[1], 0.0f);
    EXPECT_EQ(c.rotation[2], 0.0f);

    c = aimed({0, 0, 0}, {10, 0, 0});
    EXPECT_FLOAT_EQ(c.rotation[1], 90.0f);
    c = aimed({0, 0, 0}, {-10, 0, 0});
    EXPECT_FLOAT_EQ(c.rotation[1], 270.0f);

    c = aimed({0, 0, 0}, {0, -10, 10});   // below and ahead: looks down
    EXPECT_FLOAT_EQ(c.rotation[0], 45.0f);
    EXPECT_EQ(c.rotation[1], 0.0f);
    c = aimed({0, 0, 0}, {0, 10, 10});   // above: pitch wraps below 360
    EXPECT_FLOAT_EQ(c.rotation[0], 315.0f);

    c = aimed({0, 10, 0}, {0, 0, 0});   // straight above the point
    EXPECT_FLOAT_EQ(c.rotation[1], 90.0f);
    EXPECT_FLOAT_EQ(c.rotation[0], 90.0f);

    c = aimed({3, 4, 5}, {3, 4, 5});   // at the point itself: no division by zero
    EXPECT_FALSE(std::isnan(c.rotation[0]));
    EXPECT_FALSE(std::isnan(c.rotation[1]));

    // Aiming is done with the full-precision square root, and rotZ is cleared.
    use(0, 0, 0, 0, 0, 33);
    obxCameraEnableSyncToPoint(1, 0, 3);
    cameraUpdate();
    EXPECT_EQ(camera->rotation[2], 0.0f);
    float hd = (float)sqrt(10.0);
    EXPECT_EQ(camera->rotation[1], (float)radToDeg((float)acos((double)(3.0f / hd))));
}

TEST_F(CameraTest, AimingLooksAtThePoint)
{
    use(100, 50, -20);
    obxCameraEnableSyncToPoint(-30, 10, 40);
    cameraUpdate();
    Vector p = seen(-30, 10, 40);
    // Whole-degree rotation: nearly centred, and in front.
    EXPECT_GT(p.z, 100.0f);
    EXPECT_LT(fabsf(p.x / p.z), 0.03f);
    EXPECT_LT(fabsf(p.y / p.z), 0.03f);
}

TEST_F(CameraTest, StepwiseMoveAndTurn)
{
    use(0, 0, 0);
    float move[3] = {100, 0, 0};
    obxCameraMoveIncremental(10, move, 90, 0, 0);
    for (int frame = 1; frame <= 10; frame++) {
        cameraUpdate();
        EXPECT_EQ(camera->position[0], 10.0f * frame);
        EXPECT_EQ(camera->rotation[0], 9.0f * frame);
    }
    EXPECT_EQ(camera->stepsLeft, 0);
    cameraUpdate();   // done: nothing more
    EXPECT_EQ(camera->position[0], 100.0f);
    EXPECT_EQ(camera->rotation[0], 90.0f);
}

TEST_F(CameraTest, StepTurnsAreWholeDegreesReducedBy360)
{
    float still[3] = {0, 0, 0};
    use(0, 0, 0, 0, 355, 10);
    obxCameraMoveIncremental(1, still, 0, 10, 0.5f);
    cameraUpdate();
    EXPECT_EQ(camera->rotation[1], 5.0f);    // 365 becomes 5
    EXPECT_EQ(camera->rotation[2], 10.0f);   // a fraction of a degree is lost

    use(0, 0, 0, 5, 0, 0);
    obxCameraMoveIncremental(1, still, -10, 0, 0);
    cameraUpdate();
    EXPECT_EQ(camera->rotation[0], -5.0f);   // the remainder keeps the sign
    // ... and the view reads it as 355 degrees.
    Matrix negative = (viewMatrixBuild(), view.matrix);
    camera->rotation[0] = 355.0f;
    viewMatrixBuild();
    EXPECT_EQ(memcmp(&negative, &view.matrix, sizeof view.matrix), 0);
}

TEST_F(CameraTest, NoStepsOrNegativeStepsMoveNothing)
{
    float move[3] = {10, 10, 10};
    use(1, 1, 1);
    obxCameraMoveIncremental(0, move, 5, 5, 5);
    EXPECT_EQ(camera->stepsLeft, 0);
    obxCameraMoveIncremental(-3, move, 5, 5, 5);
    EXPECT_EQ(camera->stepsLeft, 0);
    cameraUpdate();
    EXPECT_EQ(camera->position[0], 1.0f);
    EXPECT_EQ(camera->rotation[0], 0.0f);
}

TEST_F(CameraTest, StepwiseMoveWhileAimingMovesWithoutTurning)
{
    use(0, 0, -10);
    float move[3] = {0, 0, 4};
    obxCameraMoveIncremental(2, move, 0, 100, 0);
    obxCameraEnableSyncToPoint(0, 0, 100);
    cameraUpdate();
    EXPECT_EQ(camera->position[2], -8.0f);
    EXPECT_EQ(camera->rotation[1], 0.0f);
    EXPECT_EQ(camera->stepsLeft, 1);
    obxCameraDisableSyncToPoint();
    obxCameraRotate(0, 30, 0);
    cameraUpdate();   // the last step turns again
    EXPECT_EQ(camera->rotation[1], 80.0f);
    EXPECT_EQ(camera->position[2], -6.0f);
}

TEST_F(CameraTest, ViewMatrixMovesThenTurnsHeadingRollPitch)
{
    use(1, 2, 3);
    Vector p = seen(1, 2, 13);   // 360 - 0 reads the 360-degree entries
    EXPECT_NEAR(p.x, 0.0f, 1e-5);
    EXPECT_NEAR(p.y, 0.0f, 1e-5);
    EXPECT_FLOAT_EQ(p.z, 10.0f);

    use(0, 0, 0, 0, 90, 0);   // heading 90 looks along +x
    p = seen(10, 0, 0);
    EXPECT_NEAR(p.x, 0.0f, 1e-5);
    EXPECT_FLOAT_EQ(p.z, 10.0f);

    use(0, 0, 0, 90, 0, 0);   // pitch 90 looks down
    p = seen(0, -10, 0);
    EXPECT_NEAR(p.y, 0.0f, 1e-5);
    EXPECT_FLOAT_EQ(p.z, 10.0f);

    // Heading first, then pitch: facing +x and looking down, +x is up on screen.
    use(0, 0, 0, 90, 90, 0);
    p = seen(5, -10, 0);
    EXPECT_NEAR(p.x, 0.0f, 1e-5);
    EXPECT_NEAR(p.y, 5.0f, 1e-5);
    EXPECT_NEAR(p.z, 10.0f, 1e-5);
}

TEST_F(CameraTest, AnyAngleStaysInsideTheTables)
{
    // Rotations far outside 0..360 read the tables wrapped, never beside them.
    use(0, 0, 0, -90, 720, 0);
    viewMatrixBuild();
    Matrix wild = view.matrix;
    camera->rotation[0] = 270;   // 360 + 90 reads entry 90, as 360 - 270 does
    camera->rotation[1] = 360;   // 360 - 720 wraps to entry 0, as 360 - 360 does
    viewMatrixBuild();
    EXPECT_EQ(memcmp(&wild, &view.matrix, sizeof wild), 0);
    float huge[][3] = {{1e9f, -1e9f, 3e38f}, {NAN, -INFINITY, INFINITY}};
    for (auto& r : huge) {
        obxCameraRotate(r[0], r[1], r[2]);
        viewMatrixBuild();
        for (int row = 0; row < 3; row++)
            for (int col = 0; col < 3; col++)
                EXPECT_LE(fabsf(view.matrix.m[row][col]), 1.0f);
    }
    float still[3] = {0, 0, 0};
    obxCameraMoveIncremental(1, still, 1e38f, -1e38f, NAN);
    cameraUpdate();
    EXPECT_FALSE(std::isnan(camera->rotation[2]));
}

TEST_F(CameraTest, ViewVolumeIsA90DegreePyramidCutAtNearAndFar)
{
    viewPlanesBuild();
    auto inside = [](float x, float y, float z) {
        for (const ViewPlane& plane : view.planes) {
            float d = plane.normal[0] * x + plane.normal[1] * y + plane.normal[2] * z;
            if (!(d < plane.offset))
                return false;
        }
        return true;
    };
    EXPECT_EQ(view.planes[VIEW_PLANE_FAR].offset, 3000.0f);
    EXPECT_EQ(view.planes[VIEW_PLANE_NEAR].offset, -2.0f);
    EXPECT_EQ(view.planes[VIEW_PLANE_RIGHT].normal[0], 0.70710677f);
    EXPECT_TRUE(inside(0, 0, 10));
    EXPECT_TRUE(inside(9.9f, -9.9f, 10));
    EXPECT_FALSE(inside(10.1f, 0, 10));
    EXPECT_FALSE(inside(0, -10.1f, 10));
    EXPECT_FALSE(inside(0, 0, 1.9f));
    EXPECT_FALSE(inside(0, 0, 3000.5f));

    obxFarClippingPlaneSet(500.0f);
    EXPECT_EQ(view.farDistance, 500.0f);
    EXPECT_FALSE(inside(0, 0, 501));
    EXPECT_TRUE(inside(0, 0, 499));
}

TEST_F(CameraTest, ProjectionFillsTheDrawingArea)
{
    float x, y;
    projectToScreen(10, 10, 10, &x, &y);   // the side planes land on the edges
    EXPECT_EQ(x, 640.0f);
    EXPECT_EQ(y, 480.0f);
    projectToScreen(-10, -10, 10, &x, &y);
    EXPECT_EQ(x, 0.0f);
    EXPECT_EQ(y, 0.0f);
    float q = projectToScreen(1, 2, 4, &x, &y);
    EXPECT_EQ(q, 0.25f);
    EXPECT_EQ(x, (0.25f + 1.0f) * 320.0f);
    EXPECT_EQ(y, (0.5f + 1.0f) * 240.0f);
}
