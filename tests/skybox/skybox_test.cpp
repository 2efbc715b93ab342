// The sky box: its cube, the texture of each face, and a sky that turns with
// the camera but never moves, drawn beyond the normal far distance.
#include <string.h>

#include "math/math3d.h"
#include "object/object.h"
#include "obx_overlay.h"
#include "terrain/terrain.h"
#include "view/view.h"

namespace {

// Face colours in the order obxSkyboxAdd takes the textures:
// z = +s, x = -s, z = -s, x = +s, y = +s, y = -s.
const uint16_t faceColours[6] = {C565_RED,    C565_GREEN, C565_BLUE,
                                 C565_YELLOW, C565_CYAN,  C565_MAGENTA};

class Sky : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        for (int f = 0; f < 6; f++)
            faces[f] = textureSolid("face" + std::to_string(f) + ".3df", faceColours[f]);
    }

    int add(float halfSide)
    {
        return obxSkyboxAdd(halfSide, faces[0], faces[1], faces[2], faces[3], faces[4], faces[5]);
    }

    // The face the camera looks at: the world axis deepest in view space.
    int faceAhead()
    {
        const Ver axes[6] = {{0, 0, 1}, {-1, 0, 0}, {0, 0, -1}, {1, 0, 0}, {0, 1, 0}, {0, -1, 0}};
        Matrix turnOnly = view.matrix;
        turnOnly.m[3][0] = turnOnly.m[3][1] = turnOnly.m[3][2] = 0.0f;
        int best = 0;
        float deepest = -2.0f;
        for (int f = 0; f < 6; f++) {
            Ver v;
            MatXVer(&turnOnly, &axes[f], &v);
            if (v.z > deepest) {
                deepest = v.z;
                best = f;
            }
        }
        return best;
    }

    TextureRecord* faces[6] = {};
};

}   // namespace

TEST_F(Sky, CubeOfTwelveFullyBrightTriangles)
{
    EXPECT_EQ(terrain.skybox, nullptr);
    ASSERT_EQ(add(100.0f), 1);
    Object* cube = terrain.skybox;
    ASSERT_NE(cube, nullptr);
    EXPECT_EQ(cube->vertexCount, 8);
    ASSERT_EQ(cube->polygonCount, 12);
    EXPECT_EQ(cube->radius, 100.0f);
    EXPECT_EQ(cube->shadingType, 1);
    // Not one of the world's objects.
    EXPECT_EQ(objects.first, nullptr);
    for (int p = 0; p < 12; p++) {
        EXPECT_EQ(cube->polygons[p].texture, faces[p / 2]);
        EXPECT_EQ(cube->polygons[p].emissive[1], 1.0f);
    }
    // It stays at the origin.
    EXPECT_EQ(cube->worldVertices[6].x, cube->vertices[6].x);

    // A second sky box replaces the first.
    ASSERT_EQ(add(50.0f), 1);
    EXPECT_NE(terrain.skybox, cube);
    EXPECT_EQ(terrain.skybox->radius, 50.0f);
}

TEST_F(Sky, EachFaceShowsItsTexture)
{
    add(100.0f);
    const float turns[][3] = {{0, 0, 0},   {0, 90, 0}, {0, 180, 0},
                              {0, 270, 0}, {90, 0, 0}, {270, 0, 0}};
    bool seen[6] = {};
    for (const auto& turn : turns) {
        SCOPED_TRACE(testing::Message() << turn[0] << " " << turn[1]);
        obxCameraRotate(turn[0], turn[1], turn[2]);
        Frame frame = frameRender();
        int face = faceAhead();
        seen[face] = true;
        EXPECT_EQ(pixelFromTop(frame, 320, 240), faceColours[face]);
        // The face ahead fills the 90-degree view.
        EXPECT_EQ(pixelFromTop(frame, 20, 20), faceColours[face]);
        EXPECT_EQ(pixelFromTop(frame, 620, 460), faceColours[face]);
    }
    for (int f = 0; f < 6; f++)
        EXPECT_TRUE(seen[f]) << f;
}

TEST_F(Sky, FacePicturesAreUprightSeenFromInside)
{
    // Quadrants: red top left, green top right, blue bottom left, yellow
    // bottom right (t = 0 is the top row).
    faces[0] = textureOf("quadrants.3df", 8, 8, [](int x, int y) {
        if (y < 4)
            return x < 4 ? (uint16_t)C565_RED : (uint16_t)C565_GREEN;
        return x < 4 ? (uint16_t)C565_BLUE : (uint16_t)C565_YELLOW;
    });
    add(100.0f);
    Frame frame = frameRender();
    EXPECT_EQ(pixelFromTop(frame, 160, 120), C565_RED);
    EXPECT_EQ(pixelFromTop(frame, 480, 120), C565_GREEN);
    EXPECT_EQ(pixelFromTop(frame, 160, 360), C565_BLUE);
    EXPECT_EQ(pixelFromTop(frame, 480, 360), C565_YELLOW);
}

TEST_F(Sky, MovingWithoutTurningShowsTheSameSky)
{
    add(100.0f);
    obxCameraRotate(20, 35, 0);
    Frame here = frameRender();
    obxCameraMove(500, -20, 3000);
    Frame there = frameRender();
    EXPECT_TRUE(here.colour == there.colour);
    // The camera and the far distance are given back after the sky box.
    EXPECT_EQ(view.camera->position[2], 3000.0f);
    EXPECT_EQ(view.farDistance, 3000.0f);
    EXPECT_EQ(view.planes[VIEW_PLANE_FAR].offset, 3000.0f);
    Matrix after = view.matrix;
    viewMatrixBuild();
    EXPECT_EQ(memcmp(&after, &view.matrix, sizeof after), 0);
}

TEST_F(Sky, DrawnBeyondTheFarDistanceWhileObjectsAreNot)
{
    // Faces 10000 / sqrt(3) away, far beyond 3000.
    add(10000.0f);
    cubeCreate({0, 0, 3500}, 100, nullptr);
    Frame frame = frameRender();
    EXPECT_EQ(pixelFromTop(frame, 320, 240), C565_RED);
    EXPECT_EQ(pixelBoxOf(frame, C565_RED).count, 640 * 480);

    // Disabled: the background shows where the sky was.
    obxSkyboxDisable();
    EXPECT_EQ(terrain.skybox, nullptr);
    const float grey[3] = {0.5f, 0.5f, 0.5f};
    obxBackgroundSetColor(grey);
    frame = frameRender();
    EXPECT_EQ(pixelBoxOf(frame, rgb565(rgbOf(0.5f, 0.5f, 0.5f))).count, 640 * 480);
}
