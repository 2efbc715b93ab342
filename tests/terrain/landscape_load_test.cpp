// Loading landscapes: accepted and refused height maps, the patch tree,
// heights and the height query, static light maps and their textures.
#include <math.h>

#include "landscape_scene.h"
#include "tex3df.h"
#include "terrain/terrain.h"
#include "texture/texture.h"

namespace {

class LandscapeLoadTest : public ::testing::Test {
protected:
    void start(int units = 2, const char* memory = "4M")
    {
        ASSERT_EQ(landscapeEngineStart(units, memory), 1) << fileRead("Ombrix.log");
    }
    void TearDown() override
    {
        engineStop();
    }

    Landscape* load(const char* file, float sizeX, float sizeZ, float heightScale = 255.0f,
                    Vector light = {0, 1, 0}, float intensity = 1.0f)
    {
        const float direction[3] = {light.x, light.y, light.z};
        return obxLandscapeLoadFromFile(file, 0, whiteTexture(), sizeX, sizeZ, heightScale,
                                        direction, intensity);
    }
};

// A map whose texels tell their position apart.
int marker(int col, int row)
{
    return (col * 7 + row * 12 + 1) & 255;
}

void expectCorner(const Vector& c, float x, float y, float z)
{
    EXPECT_EQ(c.x, x);
    EXPECT_EQ(c.y, y);
    EXPECT_EQ(c.z, z);
}

}   // namespace

TEST_F(LandscapeLoadTest, SixtyFourTexelMapMakesFourLevelsOfPatches)
{
    start();
    heightMapWrite("marks.3df", 64, 64, marker);
    Landscape* land = load("marks.3df", 640, 320);
    ASSERT_NE(land, nullptr);
    EXPECT_EQ(land->sampleCount, 65);
    EXPECT_EQ(land->sizeX, 640.0f);
    EXPECT_EQ(land->sizeZ, 320.0f);
    EXPECT_NE(land->visibleLeaves, nullptr);
    EXPECT_EQ(land->visibleCount, 0);
    std::vector<std::vector<LandscapePatch*>> levels = patchLevels(land);
    ASSERT_EQ(levels.size(), 4u);
    const size_t counts[4] = {1, 16, 256, 4096};
    for (size_t l = 0; l < 4; l++) {
        SCOPED_TRACE(l);
        ASSERT_EQ(levels[l].size(), counts[l]);
        for (LandscapePatch* p : levels[l]) {
            ASSERT_EQ(p->childCount, l < 3 ? 4 : 0);
            ASSERT_EQ(p->children == nullptr, l == 3);
            ASSERT_EQ(p->texture, whiteTexture());
            ASSERT_EQ(p->drawnOnce, 0);
        }
    }
    // Heights: texel / 255 x scale; the last row and column of samples are 0.
    const float* h = land->heights;
    for (int row = 0; row < 65; row++) {
        for (int col = 0; col < 65; col++) {
            float expected = row < 64 && col < 64 ? (float)marker(col, row) / 255.0f * 255.0f : 0;
            ASSERT_EQ(h[row * 65 + col], expected) << row << " " << col;
        }
    }
    // The root spans the whole landscape, centred on the origin, rows from +z.
    LandscapePatch* root = land->root;
    expectCorner(root->corners[0], -320, h[0], 160);
    expectCorner(root->corners[1], -320, 0, -160);
    expectCorner(root->corners[2], 320, 0, -160);
    expectCorner(root->corners[3], 320, 0, 160);
    // Child (a, b) = (2, 1) of the root: a along x, b along z.
    LandscapePatch* child = root->children[1 * 4 + 2];
    expectCorner(child->corners[0], 0, h[16 * 65 + 32], 80);
    expectCorner(child->corners[2], 160, h[32 * 65 + 48], 0);
    // A leaf is one cell.
    LandscapePatch* leaf = leafAt(land, 10, 20);
    expectCorner(leaf->corners[0], -120, h[10 * 65 + 20], 110);
    expectCorner(leaf->corners[1], -120, h[11 * 65 + 20], 105);
    expectCorner(leaf->corners[2], -110, h[11 * 65 + 21], 105);
    expectCorner(leaf->corners[3], -110, h[10 * 65 + 21], 110);
    // Bounding sphere about the mean corner; triangle normals face up.
    float cy =
        (leaf->corners[0].y + leaf->corners[1].y + leaf->corners[2].y + leaf->corners[3].y) / 4.0f;
    EXPECT_EQ(leaf->center[0], -115.0f);
    EXPECT_EQ(leaf->center[1], cy);
    EXPECT_EQ(leaf->center[2], 107.5f);
    float dy = leaf->corners[0].y - cy;
    EXPECT_FLOAT_EQ(leaf->radius, sqrtf(25.0f + dy * dy + 6.25f));
    EXPECT_GT(leaf->normalA[1], 0.0f);
    EXPECT_GT(leaf->normalB[1], 0.0f);
    // Texture coordinates span the cell, the same on both units.
    const float st[4][2] = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};
    for (int k = 0; k < 4; k++) {
        EXPECT_EQ(leaf->viewCorners[k].s0, st[k][0]);
        EXPECT_EQ(leaf->viewCorners[k].t0, st[k][1]);
        EXPECT_EQ(leaf->viewCorners[k].s1, st[k][0]);
        EXPECT_EQ(leaf->viewCorners[k].t1, st[k][1]);
    }
    // Loading does not touch the world.
    EXPECT_EQ(terrain.landscape, nullptr);
    EXPECT_EQ(terrain.landscapeRoot, nullptr);
}

TEST_F(LandscapeLoadTest, TwoHundredFiftySixTexelMapMakesFiveLevels)
{
    start();
    Landscape* land = load("terrain256.3df", 4096, 4096);
    ASSERT_NE(land, nullptr);
    EXPECT_EQ(land->sampleCount, 257);
    std::vector<std::vector<LandscapePatch*>> levels = patchLevels(land);
    ASSERT_EQ(levels.size(), 5u);
    size_t total = 0, expected = 1;
    for (size_t l = 0; l < 5; l++, expected *= 16) {
        EXPECT_EQ(levels[l].size(), expected);
        total += levels[l].size();
    }
    EXPECT_EQ(total, 69905u);
    for (LandscapePatch* leaf : levels[4])
        ASSERT_EQ(leaf->childCount, 0);
    LandscapePatch* leaf = leafAt(land, 256 - 1, 0);
    EXPECT_EQ(leaf->corners[0].x, -2048.0f);
    EXPECT_EQ(leaf->corners[2].x, -2032.0f);
    EXPECT_EQ(leaf->corners[1].z, -2048.0f);
    EXPECT_EQ(leaf->corners[1].y, 0.0f);   // the last row
    EXPECT_EQ(levels[4].back(), leafAt(land, 255, 255));
}

TEST_F(LandscapeLoadTest, OnlyIntensityMapsOfSixtyFourOrTwoHundredFiftySixAreTaken)
{
    start();
    size_t before = 0;
    for (TextureRecord* t = textures.list; t; t = t->next)
        before++;
    auto flat = [](int, int) { return 9; };
    heightMapWrite("i128.3df", 128, 128, flat);
    heightMapWrite("wide.3df", 64, 32, flat);
    heightMapWrite("tall.3df", 32, 64, flat);
    heightMapWrite("rgb.3df", 64, 64, flat, "rgb565");
    heightMapWrite("a8.3df", 64, 64, flat, "alpha8");
    EXPECT_EQ(load("i128.3df", 100, 100), nullptr);
    EXPECT_EQ(load("wide.3df", 100, 100), nullptr);
    EXPECT_EQ(load("tall.3df", 100, 100), nullptr);
    EXPECT_EQ(load("rgb.3df", 100, 100), nullptr);
    EXPECT_EQ(load("a8.3df", 100, 100), nullptr);
    EXPECT_EQ(load("absent.3df", 100, 100), nullptr);
    // Without a surface texture or a light direction there is nothing to draw.
    const float up[3] = {0, 1, 0};
    EXPECT_EQ(obxLandscapeLoadFromFile("terrain64.3df", 0, nullptr, 100, 100, 1, up, 1), nullptr);
    EXPECT_EQ(obxLandscapeLoadFromFile("terrain64.3df", 0, whiteTexture(), 100, 100, 1, nullptr, 1),
              nullptr);
    // Refusing leaves the texture cache as it was.
    size_t after = 0;
    for (TextureRecord* t = textures.list; t; t = t->next)
        after++;
    EXPECT_EQ(after, before);
    // A map with all its mipmap levels is read from its first level.
    Image image(64, 64);
    for (int row = 0; row < 64; row++)
        for (int col = 0; col < 64; col++) {
            uint8_t v = (uint8_t)marker(col, row);
            image.at(col, row) = Rgba{v, v, v, 255};
        }
    std::string error;
    ASSERT_TRUE(tex3dfWrite("mip.3df", image, *texFormatByOption("intensity8"), true, &error));
    Landscape* land = load("mip.3df", 64, 64, 255.0f);
    ASSERT_NE(land, nullptr);
    EXPECT_EQ(land->heights[63 * 65 + 63], (float)marker(63, 63));
}

TEST_F(LandscapeLoadTest, HeightQueryTakesTheSampleOfTheCellWithoutInterpolation)
{
    start();
    heightMapWrite("marks64.3df", 64, 64, marker);
    heightMapWrite("marks256.3df", 256, 256, marker);
    for (int side : {64, 256}) {
        SCOPED_TRACE(side);
        std::string file = "marks" + std::to_string(side) + ".3df";
        Landscape* land = load(file.c_str(), 1000, 500, 100.0f);
        ASSERT_NE(land, nullptr);
        int n = side + 1;
        auto sample = [&](int row, int col) { return land->heights[row * n + col]; };
        EXPECT_EQ(obxLandscapeGetHeightXZ(land, 0, 0), sample(n / 2, n / 2));
        EXPECT_EQ(obxLandscapeGetHeightXZ(land, -500, 250), sample(0, 0));
        EXPECT_NE(sample(0, 0), sample(n / 2, n / 2));
        // The cell of the query divides the extent by the sample count n.
        float cellX = 1000.0f / (float)n, cellZ = 500.0f / (float)n;
        EXPECT_EQ(obxLandscapeGetHeightXZ(land, -500 + 5.5f * cellX, 250 - 3.5f * cellZ),
                  sample(3, 5));
        // Just outside each edge.
        EXPECT_EQ(obxLandscapeGetHeightXZ(land, -500.01f, 0), -1.0f);
        EXPECT_EQ(obxLandscapeGetHeightXZ(land, 500.01f, 0), -1.0f);
        EXPECT_EQ(obxLandscapeGetHeightXZ(land, 0, 250.01f), -1.0f);
        EXPECT_EQ(obxLandscapeGetHeightXZ(land, 0, -250.01f), -1.0f);
        EXPECT_EQ(obxLandscapeGetHeightXZ(land, NAN, 0), -1.0f);
        EXPECT_EQ(obxLandscapeGetHeightXZ(land, 0, INFINITY), -1.0f);
        // The last column and the last row are 0.
        EXPECT_EQ(obxLandscapeGetHeightXZ(land, 499.99f, 0), 0.0f);
        EXPECT_EQ(obxLandscapeGetHeightXZ(land, 0, -249.99f), 0.0f);
        EXPECT_NE(obxLandscapeGetHeightXZ(land, 499.99f - cellX, 0), 0.0f);
    }
    EXPECT_EQ(obxLandscapeGetHeightXZ(nullptr, 0, 0), -1.0f);
    // Full and empty texels at a height scale of 100.
    heightMapWrite("extremes.3df", 64, 64, [](int col, int) { return col < 32 ? 255 : 0; });
    Landscape* land = load("extremes.3df", 64, 64, 100.0f);
    ASSERT_NE(land, nullptr);
    EXPECT_EQ(obxLandscapeGetHeightXZ(land, -20, 0), 100.0f);
    EXPECT_EQ(obxLandscapeGetHeightXZ(land, 20, 0), 0.0f);
}

TEST_F(LandscapeLoadTest, StaticLightMapsFollowTheLightOnTheNormals)
{
    start();
    struct Case {
        Vector light;
        float intensity;
        int expected;
    } cases[] = {
        {{0, 1, 0}, 1.0f, 255},                           // along the normal: full
        {{0, -1, 0}, 1.0f, 0},                            // against it: none
        {{1, 0, 0}, 1.0f, 127},                           // at right angles: half
        {{0, 1, 0}, 0.5f, 127}, {{0, 3, 0}, 1.0f, 255},   // not normalised: limited to full
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.light.x + 10 * c.light.y);
        Landscape* land = landscapeFlat(64, 640, 0, 100.0f, c.light, c.intensity);
        ASSERT_NE(land, nullptr);
        for (const std::vector<LandscapePatch*>& level : patchLevels(land)) {
            for (LandscapePatch* p : level) {
                for (int i = 0; i < 64; i++) {
                    ASSERT_EQ(p->lightMap.staticLight[i], c.expected) << i;
                    ASSERT_EQ(p->lightMap.lightHeights[i], 0.0f);
                }
            }
        }
    }
    // A slope rising toward +x faces the light from -x more than from +x;
    // texel heights run across the cell from corner to corner.
    heightMapWrite("ramp.3df", 64, 64, [](int col, int) { return col * 2; });
    const float fromLeft[3] = {-1, 0, 0}, fromRight[3] = {1, 0, 0};
    Landscape* left =
        obxLandscapeLoadFromFile("ramp.3df", 0, whiteTexture(), 640, 640, 255.0f, fromLeft, 1.0f);
    Landscape* right =
        obxLandscapeLoadFromFile("ramp.3df", 0, whiteTexture(), 640, 640, 255.0f, fromRight, 1.0f);
    ASSERT_TRUE(left && right);
    LandscapePatch* a = leafAt(left, 20, 20);
    LandscapePatch* b = leafAt(right, 20, 20);
    // Normal (-2, 10, 0) / |..|: the light value is (d + 1) / 2.
    float d = 2.0f / sqrtf(104.0f);
    EXPECT_NEAR(a->lightMap.staticLight[27], (int)((d + 1.0f) * 0.5f * 255.0f), 1);
    EXPECT_NEAR(b->lightMap.staticLight[27], (int)((1.0f - d) * 0.5f * 255.0f), 1);
    EXPECT_FLOAT_EQ(a->lightMap.lightHeights[0], 40.0f);
    EXPECT_FLOAT_EQ(a->lightMap.lightHeights[7], 42.0f);
    EXPECT_FLOAT_EQ(a->lightMap.lightHeights[7 * 8 + 7], 42.0f);
    EXPECT_FLOAT_EQ(a->lightMap.lightHeights[3], 40.0f + 6.0f / 7.0f);
}

TEST_F(LandscapeLoadTest, EveryPatchHasAnEightByEightLightMapTexture)
{
    start(2);
    uint32_t cursor = textures.memoryCursor[1];
    Landscape* land = landscapeFlat(64, 448, 0, 100.0f, {0, 1, 0}, 0.5f);
    ASSERT_NE(land, nullptr);
    // Depth-first creation order: the root first, then its first child and
    // everything below it.
    std::vector<LandscapePatch*> order;
    std::function<void(LandscapePatch*)> walk = [&](LandscapePatch* p) {
        order.push_back(p);
        for (int i = 0; i < p->childCount * p->childCount; i++)
            walk(p->children[i]);
    };
    walk(land->root);
    ASSERT_EQ(order.size(), 4369u);
    TextureRecord* t = textures.list;
    for (size_t i = order.size(); i-- > 0;) {
        LandscapePatch* p = order[i];
        const LandscapeLightMap& m = p->lightMap;
        ASSERT_EQ(m.lightTexture, t) << i;
        // An 8 x 8 intensity texture over the light map, on unit 1.
        ASSERT_EQ(t->info.largeLodLog2, GR_LOD_LOG2_8);
        ASSERT_EQ(t->info.format, GR_TEXFMT_INTENSITY_8);
        ASSERT_EQ(t->info.data, (void*)m.dynamicLight);
        ASSERT_EQ(t->size, 64);
        ASSERT_EQ(textureUnit(t), 1);
        ASSERT_EQ(m.lightTmu, 1);
        ASSERT_EQ(t->resident, 1);
        ASSERT_EQ(m.lightTexAddress, cursor + 64 * (uint32_t)i);
        ASSERT_EQ(t->address, m.lightTexAddress);
        t = t->next;
    }
    // Offsets of the texels from corner 0: a cell of 7 x 7 in 7 steps.
    EXPECT_EQ(terrain.lightMapOffsets[0][0][0], 0.0f);
    EXPECT_EQ(terrain.lightMapOffsets[0][3][0], 3.0f);
    EXPECT_EQ(terrain.lightMapOffsets[5][0][1], -5.0f);
    EXPECT_EQ(terrain.lightMapOffsets[7][7][0], 7.0f);
    EXPECT_EQ(terrain.lightMapOffsets[7][7][1], -7.0f);
}

TEST_F(LandscapeLoadTest, OnOneUnitLightMapsShareUnitZero)
{
    start(1);
    uint32_t cursor = (textures.memoryCursor[0] + 15u) & ~15u;
    Landscape* land = landscapeFlat(64, 448);
    ASSERT_NE(land, nullptr);
    EXPECT_EQ(land->root->lightMap.lightTmu, 0);
    EXPECT_EQ(land->root->lightMap.lightTexAddress, cursor);
    EXPECT_EQ(leafAt(land, 0, 0)->lightMap.lightTmu, 0);
    EXPECT_EQ(textureUnit(land->root->lightMap.lightTexture), 0);
}

TEST_F(LandscapeLoadTest, LightMapsWithoutTextureMemoryAreNoFailure)
{
    // 256 KB on unit 1: the reserve slot and some of the 4369 light maps.
    start(2, "256K");
    Landscape* land = landscapeFlat(64, 448);
    ASSERT_NE(land, nullptr);
    int resident = 0, without = 0;
    for (const std::vector<LandscapePatch*>& level : patchLevels(land)) {
        for (LandscapePatch* p : level) {
            TextureRecord* t = p->lightMap.lightTexture;
            if (t->resident) {
                resident++;
                ASSERT_NE(p->lightMap.lightTexAddress, TEXTURE_NO_ROOM);
            } else {
                without++;
                ASSERT_EQ(p->lightMap.lightTexAddress, TEXTURE_NO_ROOM);
                ASSERT_EQ(t->address, TEXTURE_NO_ROOM);
            }
        }
    }
    EXPECT_GT(resident, 1000);
    EXPECT_GT(without, 1000);
    EXPECT_EQ(resident + without, 4369);
}

TEST_F(LandscapeLoadTest, AddingAndRemovingSetsTheWorldsLandscape)
{
    start();
    Landscape* a = landscapeFlat(64, 448);
    Landscape* b = load("terrain64.3df", 1000, 1000);
    ASSERT_TRUE(a && b);
    obxLandscapeAddToWorld(a);
    EXPECT_EQ(terrain.landscape, a);
    EXPECT_EQ(terrain.landscapeRoot, a->root);
    obxLandscapeRemoveFromWorld();
    EXPECT_EQ(terrain.landscape, a);
    EXPECT_EQ(terrain.landscapeRoot, nullptr);
    obxLandscapeAddToWorld(b);
    EXPECT_EQ(terrain.landscapeRoot, b->root);
    obxLandscapeAddToWorld(nullptr);
    EXPECT_EQ(terrain.landscape, nullptr);
    EXPECT_EQ(terrain.landscapeRoot, nullptr);
    // A new start of the engine has no landscape in the world.
    obxLandscapeAddToWorld(a);
    engineStop();
    start();
    EXPECT_EQ(terrain.landscape, nullptr);
    EXPECT_EQ(terrain.landscapeRoot, nullptr);
}
