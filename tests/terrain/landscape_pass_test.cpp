// The landscape pass: culling, leaf clipping, back faces, its Glide state
// and drawing on one and on two texture units, and the picture it makes.
#include <math.h>

#include "landscape_scene.h"
#include "light/light.h"
#include "math/math3d.h"
#include "render/render.h"
#include "terrain/terrain.h"
#include "texture/texture.h"
#include "view/view.h"

namespace {

class LandscapePassTest : public ::testing::Test {
protected:
    void start(int units = 2)
    {
        ASSERT_EQ(landscapeEngineStart(units), 1) << fileRead("Ombrix.log");
    }
    void TearDown() override
    {
        traceStop();
        engineStop();
    }
};

// The leaf of one cell lying at y = -1 below the default camera, x from -1
// to 1 and z from zNear to zFar (corner 0 at the far left).
LandscapePatch* floorLeaf(float zNear, float zFar)
{
    return leafMake({{-1, -1, zFar}, {-1, -1, zNear}, {1, -1, zNear}, {1, -1, zFar}});
}

// Fans the visible leaves make this frame.
int fansOf(const Landscape* land)
{
    int fans = 0;
    for (int i = 0; i < land->visibleCount; i++) {
        const LandscapePatch* leaf = land->visibleLeaves[i];
        fans += leaf->clipped ? (leaf->clipCountA > 2) + (leaf->clipCountB > 2) : 1;
    }
    return fans;
}

std::vector<std::string> fromFirst(const std::vector<std::string>& lines, const std::string& prefix)
{
    for (size_t i = 0; i < lines.size(); i++) {
        if (lines[i].compare(0, prefix.size(), prefix) == 0)
            return std::vector<std::string>(lines.begin() + (long)i, lines.end());
    }
    return {};
}

// A texture call of the trace: (unit, address, both mipmap levels, texels).
std::string texLine(const std::string& name, int unit, const TextureRecord* t)
{
    return name + "(" + std::to_string(unit) + ", " + std::to_string(t->address) + ", " +
           std::to_string(GR_MIPMAPLEVELMASK_BOTH) + ", ptr)";
}

}   // namespace

TEST_F(LandscapePassTest, CullTestDropsWhatLiesWhollyOutside)
{
    start();
    viewMatrixBuild();   // the default camera: camera space is world space, nearly
    LandscapePatch* behind = floorLeaf(0.5f, 2.0f);
    EXPECT_EQ(patchCull(behind), 1);
    EXPECT_EQ(behind->culled, 1);
    LandscapePatch* inside = floorLeaf(3, 5);
    EXPECT_EQ(patchCull(inside), 0);
    EXPECT_EQ(inside->culled, 0);
    EXPECT_EQ(inside->clipped, 0);
    EXPECT_FLOAT_EQ(inside->viewCorners[1].z, 3.0f);
    // All corners above the view: a leaf is culled, an inner patch is not.
    std::vector<Vector> above = {{-5, 50, 20}, {-5, 50, 10}, {5, 50, 10}, {5, 50, 20}};
    LandscapePatch* high = leafMake(above);
    EXPECT_EQ(patchCull(high), 1);
    high->childCount = 4;
    EXPECT_EQ(patchCull(high), 0);
    EXPECT_EQ(high->culled, 0);
    EXPECT_EQ(high->clipped, 0);
    // Wholly left of the view culls inner patches too.
    std::vector<Vector> left = {{-50, 0, 20}, {-50, 0, 10}, {-21, 0, 10}, {-21, 0, 20}};
    LandscapePatch* side = leafMake(left);
    side->childCount = 4;
    EXPECT_EQ(patchCull(side), 1);
    EXPECT_EQ(side->culled, 1);
    // Beyond the far distance.
    obxFarClippingPlaneSet(9.0f);
    EXPECT_EQ(patchCull(high), 1);
}

TEST_F(LandscapePassTest, LeafCrossingOnlyTheNearPlaneIsDrawnAsTwoClippedFans)
{
    start();
    LandscapePatch* leaf = floorLeaf(1.5f, 5.0f);
    obxLandscapeAddToWorld(landscapeOfLeaf(leaf));
    obxPerformanceInit();
    std::vector<std::string> frame = frameTrace();
    ASSERT_EQ(terrain.landscape->visibleCount, 1);
    EXPECT_EQ(leaf->clipped, 1);
    ASSERT_EQ(leaf->clipCountA, 3);
    ASSERT_EQ(leaf->clipCountB, 4);
    // Triangle A keeps corner 0 and the two cuts at the near distance, with
    // texture coordinates interpolated along the cut edges.
    // (The default camera's 360-degree turns leave last-bit differences.)
    const LandscapeVertex* a = leaf->clipA;
    EXPECT_FLOAT_EQ(a[0].z, 5.0f);
    EXPECT_NEAR(a[1].z, 2.0f, 1e-5);
    EXPECT_NEAR(a[2].z, 2.0f, 1e-5);
    EXPECT_EQ(a[1].s0, 0.0f);
    EXPECT_NEAR(a[1].t0, 3.0f / 3.5f, 1e-6);
    EXPECT_NEAR(a[2].x, -1.0f + 2.0f * 3.0f / 3.5f, 1e-5);
    EXPECT_NEAR(a[2].s0, 3.0f / 3.5f, 1e-6);
    EXPECT_NEAR(a[2].t0, 3.0f / 3.5f, 1e-6);
    EXPECT_EQ(a[2].s1, a[2].s0);
    EXPECT_EQ(a[2].t1, a[2].t0);
    // Triangle B: the cut on edge 2-3, corners 3 and 0, the cut on edge 0-2.
    const LandscapeVertex* b = leaf->clipB;
    EXPECT_NEAR(b[0].x, 1.0f, 1e-5);
    EXPECT_NEAR(b[0].z, 2.0f, 1e-5);
    EXPECT_FLOAT_EQ(b[1].z, 5.0f);
    EXPECT_NEAR(b[1].x, 1.0f, 1e-5);
    EXPECT_NEAR(b[2].x, -1.0f, 1e-5);
    EXPECT_NEAR(b[3].z, 2.0f, 1e-5);
    // Drawn B first, then A, each one fan.
    std::vector<std::string> fans = linesStarting(frame, "grDrawVertexArray(");
    ASSERT_EQ(fans.size(), 2u);
    EXPECT_EQ(fans[0].rfind("grDrawVertexArray(5, 4 {480 120} {384 192} {256 192} ", 0), 0u)
        << fans[0];
    EXPECT_EQ(fans[1].rfind("grDrawVertexArray(5, 3 {256 192} ", 0), 0u) << fans[1];
    EXPECT_EQ(obxPerformanceGet()->polygonsDrawn, 2u);
}

TEST_F(LandscapePassTest, ClippedPolygonsNeverOutgrowEightCorners)
{
    start();
    // A regular octagon at z = 5: cutting off one corner would make nine.
    LandscapeVertex octagon[LEAF_CLIP_MAX];
    for (int k = 0; k < 8; k++) {
        LandscapeVertex v = {};
        v.x = cosTable[k * 45];
        v.y = sinTable[k * 45];
        v.z = 5.0f;
        v.s0 = v.s1 = (float)k / 8.0f;
        octagon[k] = v;
    }
    LandscapeVertex polygon[LEAF_CLIP_MAX];
    for (int k = 0; k < 8; k++)
        polygon[k] = octagon[k];
    const ViewPlane tip = {{1, 0, 0}, 0.9f};
    EXPECT_EQ(leafPolygonClip(&tip, polygon, 8), 8);
    for (int k = 0; k < 8; k++) {
        EXPECT_EQ(polygon[k].x, octagon[k].x);
        EXPECT_EQ(polygon[k].y, octagon[k].y);
    }
    // Cutting off three corners leaves seven, all inside.
    const ViewPlane half = {{1, 0, 0}, 0.5f};
    int count = leafPolygonClip(&half, polygon, 8);
    EXPECT_EQ(count, 7);
    for (int k = 0; k < count; k++)
        EXPECT_LE(polygon[k].x, 0.5f + 1e-6f);

    // A leaf crossing all six planes at once, around the camera.
    obxFarClippingPlaneSet(10.0f);
    LandscapePatch* leaf =
        leafMake({{-100, -1, 100}, {-100, -1, -100}, {100, -1, -100}, {100, -1, 100}});
    obxLandscapeAddToWorld(landscapeOfLeaf(leaf));
    std::vector<std::string> frame = frameTrace();
    ASSERT_EQ(terrain.landscape->visibleCount, 1);
    EXPECT_EQ(leaf->clipped, 1);
    EXPECT_LE(leaf->clipCountA, LEAF_CLIP_MAX);
    // B holds the whole visible floor: near to far, between the sides.
    ASSERT_GE(leaf->clipCountB, 4);
    ASSERT_LE(leaf->clipCountB, LEAF_CLIP_MAX);
    for (int k = 0; k < leaf->clipCountB; k++) {
        const LandscapeVertex& v = leaf->clipB[k];
        EXPECT_GE(v.z, 2.0f - 1e-4f);
        EXPECT_LE(v.z, 10.0f + 1e-4f);
        EXPECT_LE(fabsf(v.x), v.z + 1e-4f);
    }
    EXPECT_GE(linesStarting(frame, "grDrawVertexArray(").size(), 1u);
}

TEST_F(LandscapePassTest, InnerPatchesAboveTheViewAreTraversedAndLeavesSeenFromBelowNotDrawn)
{
    start();
    Landscape* land = landscapeFlat(64, 448);
    ASSERT_NE(land, nullptr);
    obxLandscapeAddToWorld(land);
    // Below the ground, looking along +z: everything near lies above the view.
    cameraPut(0, -200, -234);
    std::vector<std::string> frame = frameTrace();
    LandscapePatch* nearQuarter = land->root->children[13];   // x from -112, z from -112
    EXPECT_EQ(nearQuarter->culled, 0);
    EXPECT_EQ(nearQuarter->children[3]->culled, 0);   // x from -28
    LandscapePatch* leaf = leafAt(land, 48, 31);
    EXPECT_EQ(leaf->culled, 1);   // its own cull test ran this frame
    EXPECT_NEAR(leaf->viewCorners[0].x, -7.0f, 1e-3);
    EXPECT_NEAR(leaf->viewCorners[0].y, 200.0f, 1e-3);
    EXPECT_NEAR(leaf->viewCorners[0].z, 122.0f, 1e-3);
    EXPECT_EQ(land->visibleCount, 0);
    EXPECT_TRUE(linesStarting(frame, "grDrawVertexArray(").empty());

    // Looking up at the ground from below: leaves in view, none drawn.
    cameraPut(0, -50, 0, 300);
    frame = frameTrace();
    LandscapePatch* overhead = leafAt(land, 27, 32);   // around (0, 0, 29)
    EXPECT_EQ(overhead->culled, 0);
    EXPECT_NE(overhead->viewCorners[0].z, 0.0f);
    EXPECT_EQ(land->visibleCount, 0);
    EXPECT_TRUE(linesStarting(frame, "grDrawVertexArray(").empty());
    // The same ground from above is drawn.
    cameraPut(0, 50, 0, 60);
    frame = frameTrace();
    EXPECT_GT(land->visibleCount, 50);
    bool found = false;
    for (int i = 0; i < land->visibleCount; i++)
        found = found || land->visibleLeaves[i] == overhead;
    EXPECT_TRUE(found);
    EXPECT_EQ((int)linesStarting(frame, "grDrawVertexArray(").size(), fansOf(land));
}

TEST_F(LandscapePassTest, TwoUnitsDrawEachLeafInOnePass)
{
    start(2);
    obxAmbientlightLight(1.0f, 0.5f, 0.25f);
    LandscapePatch* leaf = floorLeaf(3, 5);
    obxLandscapeAddToWorld(landscapeOfLeaf(leaf));
    std::vector<std::string> pass = fromFirst(frameTrace(), "grVertexLayout(");
    const TextureRecord* light = leaf->lightMap.lightTexture;
    std::vector<std::string> expected = {
        call("grVertexLayout", {GR_PARAM_XY, 0, GR_PARAM_ENABLE}),
        call("grVertexLayout", {GR_PARAM_W, 8, GR_PARAM_DISABLE}),
        call("grVertexLayout", {GR_PARAM_Q, 12, GR_PARAM_ENABLE}),
        call("grVertexLayout", {GR_PARAM_RGB, 20, GR_PARAM_DISABLE}),
        call("grVertexLayout", {GR_PARAM_ST0, 16, GR_PARAM_ENABLE}),
        call("grVertexLayout", {GR_PARAM_ST1, 24, GR_PARAM_ENABLE}),
        "grConstantColorValue(0xFFFF7F3F)",
        call("grColorCombine", {GR_COMBINE_FUNCTION_SCALE_OTHER_ADD_LOCAL, GR_COMBINE_FACTOR_ONE,
                                GR_COMBINE_LOCAL_CONSTANT, GR_COMBINE_OTHER_TEXTURE, 0}),
        call("grAlphaBlendFunction",
             {GR_BLEND_SRC_ALPHA, GR_BLEND_ONE_MINUS_SRC_ALPHA, GR_BLEND_ZERO, GR_BLEND_ZERO}),
        call("grTexCombine", {GR_TMU0, GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL,
                              GR_COMBINE_FUNCTION_LOCAL_ALPHA, GR_COMBINE_FACTOR_ZERO, 0, 0}),
        call("grTexCombine", {GR_TMU1, GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_ZERO,
                              GR_COMBINE_FUNCTION_LOCAL_ALPHA, GR_COMBINE_FACTOR_ZERO, 0, 0}),
        texLine("grTexSource", 0, whiteTexture()),
        texLine("grTexSource", 1, light),
        texLine("grTexDownloadMipMap", 1, light),
    };
    ASSERT_GE(pass.size(), expected.size() + 9);
    for (size_t i = 0; i < expected.size(); i++)
        EXPECT_EQ(pass[i], expected[i]) << i;
    size_t at = expected.size();
    EXPECT_EQ(pass[at].rfind("grDrawVertexArray(5, 4 ", 0), 0u) << pass[at];
    std::vector<std::string> after = {
        call("grTexCombine", {GR_TMU0, GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_ZERO,
                              GR_COMBINE_FUNCTION_LOCAL_ALPHA, GR_COMBINE_FACTOR_ZERO, 0, 0}),
        call("grVertexLayout", {GR_PARAM_XY, 0, GR_PARAM_ENABLE}),
        call("grVertexLayout", {GR_PARAM_W, 8, GR_PARAM_ENABLE}),
        call("grVertexLayout", {GR_PARAM_Q, 16, GR_PARAM_ENABLE}),
        call("grVertexLayout", {GR_PARAM_RGB, 20, GR_PARAM_ENABLE}),
        call("grVertexLayout", {GR_PARAM_ST0, 32, GR_PARAM_ENABLE}),
        call("grVertexLayout", {GR_PARAM_ST1, 40, GR_PARAM_ENABLE}),
        call("grColorCombine", {GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL,
                                GR_COMBINE_LOCAL_ITERATED, GR_COMBINE_OTHER_TEXTURE, 0}),
        "grConstantColorValue(0xFF000000)",
    };
    ASSERT_GE(pass.size(), at + 1 + after.size());
    for (size_t i = 0; i < after.size(); i++)
        EXPECT_EQ(pass[at + 1 + i], after[i]) << i;
    EXPECT_EQ(leaf->drawnOnce, 1);

    // A loaded landscape: one fan per visible leaf, each counted once.
    Landscape* land = landscapeFlat(64, 448);
    obxLandscapeAddToWorld(land);
    cameraPut(0, 60, 0, 90);
    obxPerformanceInit();
    std::vector<std::string> frame = frameTrace();
    EXPECT_GT(land->visibleCount, 200);
    int fans = fansOf(land);
    EXPECT_GT(fans, land->visibleCount);   // some leaves are clipped into two
    EXPECT_EQ((int)linesStarting(frame, "grDrawVertexArray(").size(), fans);
    EXPECT_EQ((int)obxPerformanceGet()->polygonsDrawn, fans);
    EXPECT_EQ(linesStarting(frame, "grTexSource(1, ").size(), (size_t)fans);
    // One surface stays unit 0's source from fan to fan, yet every use counts.
    EXPECT_EQ(linesStarting(frame, "grTexSource(0, ").size(), 1u);
    EXPECT_EQ(whiteTexture()->useCount, fans);

    // Surfaces that change from leaf to leaf: each fan is drawn with its own.
    TextureRecord* grass = obxTextureLoad("grass.3df", 0);
    ASSERT_NE(grass, nullptr);
    std::vector<LandscapePatch*> leaves = patchLevels(land).back();
    for (size_t i = 0; i < leaves.size(); i++)
        leaves[i]->texture = (i / 3) % 2 ? grass : whiteTexture();
    frame = frameTrace();
    std::vector<uint32_t> expectedSources;
    for (int i = 0; i < land->visibleCount; i++) {
        const LandscapePatch* leaf = land->visibleLeaves[i];
        int leafFans = leaf->clipped ? (leaf->clipCountA > 2) + (leaf->clipCountB > 2) : 1;
        expectedSources.insert(expectedSources.end(), (size_t)leafFans, leaf->texture->address);
    }
    std::vector<uint32_t> sources;
    long long source = -1;
    for (const std::string& line : frame) {
        unsigned unit, address;
        if (sscanf(line.c_str(), "grTexSource(%u, %u,", &unit, &address) == 2 && unit == 0)
            source = address;
        else if (line.rfind("grDrawVertexArray(", 0) == 0)
            sources.push_back((uint32_t)source);
    }
    EXPECT_EQ(sources, expectedSources);
    EXPECT_GT(grass->useCount, 0);
    EXPECT_GT(whiteTexture()->useCount, 0);
    EXPECT_EQ(grass->useCount + whiteTexture()->useCount, (int32_t)sources.size());
}

TEST_F(LandscapePassTest, OneUnitDrawsEachLeafTwiceMultiplyingByTheLightMap)
{
    start(1);
    LandscapePatch* leaf = floorLeaf(3, 5);
    obxLandscapeAddToWorld(landscapeOfLeaf(leaf));
    std::vector<std::string> pass = fromFirst(frameTrace(), "grVertexLayout(");
    const TextureRecord* light = leaf->lightMap.lightTexture;
    EXPECT_EQ(leaf->lightMap.lightTmu, 0);
    ASSERT_GE(pass.size(), 8u + 7u + 7u);
    // No texture combine: unit 0 shows one texture at a time.
    EXPECT_EQ(pass[7], call("grColorCombine",
                            {GR_COMBINE_FUNCTION_SCALE_OTHER_ADD_LOCAL, GR_COMBINE_FACTOR_ONE,
                             GR_COMBINE_LOCAL_CONSTANT, GR_COMBINE_OTHER_TEXTURE, 0}));
    std::vector<std::string> leafCalls(pass.begin() + 8, pass.begin() + 15);
    EXPECT_EQ(leafCalls[0], texLine("grTexSource", 0, whiteTexture()));
    EXPECT_EQ(leafCalls[1].rfind("grDrawVertexArray(5, 4 ", 0), 0u) << leafCalls[1];
    EXPECT_EQ(leafCalls[2], call("grAlphaBlendFunction", {GR_BLEND_DST_COLOR, GR_BLEND_ZERO,
                                                          GR_BLEND_ZERO, GR_BLEND_ZERO}));
    EXPECT_EQ(leafCalls[3], texLine("grTexSource", 0, light));
    EXPECT_EQ(leafCalls[4], texLine("grTexDownloadMipMap", 0, light));
    EXPECT_EQ(leafCalls[5], leafCalls[1]);
    EXPECT_EQ(leafCalls[6],
              call("grAlphaBlendFunction", {GR_BLEND_SRC_ALPHA, GR_BLEND_ONE_MINUS_SRC_ALPHA,
                                            GR_BLEND_ZERO, GR_BLEND_ZERO}));
    EXPECT_EQ(pass[15], call("grVertexLayout", {GR_PARAM_XY, 0, GR_PARAM_ENABLE}));
    EXPECT_TRUE(linesStarting(pass, "grTexCombine").empty());

    // A loaded landscape: two fans per fan, one counted.
    Landscape* land = landscapeFlat(64, 448);
    obxLandscapeAddToWorld(land);
    cameraPut(0, 60, 0, 90);
    obxPerformanceInit();
    std::vector<std::string> frame = frameTrace();
    int fans = fansOf(land);
    EXPECT_GT(fans, 200);
    EXPECT_EQ((int)linesStarting(frame, "grDrawVertexArray(").size(), 2 * fans);
    EXPECT_EQ((int)obxPerformanceGet()->polygonsDrawn, fans);
    EXPECT_EQ((int)linesStarting(frame, "grAlphaBlendFunction(").size(), 2 * fans);
}

TEST_F(LandscapePassTest, RemovedLandscapeDrawsNothingAndComesBackUnchanged)
{
    start();
    Landscape* land = landscapeFlat(64, 448, 30);
    obxLandscapeAddToWorld(land);
    cameraPut(0, 80, -150, 30);
    std::vector<std::string> first = linesStarting(frameTrace(), "grDrawVertexArray(");
    ASSERT_GT(first.size(), 100u);
    int visible = land->visibleCount;
    obxLandscapeRemoveFromWorld();
    std::vector<std::string> removed = frameTrace();
    EXPECT_EQ(land->visibleCount, 0);
    EXPECT_TRUE(linesStarting(removed, "grVertexLayout(").empty());
    EXPECT_TRUE(linesStarting(removed, "grDrawVertexArray(").empty());
    obxLandscapeAddToWorld(land);
    std::vector<std::string> again = frameTrace();
    EXPECT_EQ(land->visibleCount, visible);
    EXPECT_EQ(linesStarting(again, "grDrawVertexArray("), first);
    // Its light maps were sent with the first frame already.
    EXPECT_TRUE(linesStarting(again, "grTexDownloadMipMap(").empty());
}

namespace {

// Mean brightness (0..255 per channel, summed) of the pixels within `r`
// of (x, y).
double brightness(const Frame& f, int x, int y, int r)
{
    double sum = 0;
    int n = 0;
    for (int j = y - r; j <= y + r; j++) {
        for (int i = x - r; i <= x + r; i++) {
            uint32_t c = rgb565ToRgb(f.at(i, j));
            sum += (c >> 16) + ((c >> 8) & 255) + (c & 255);
            n++;
        }
    }
    return sum / n;
}

// The generated landscape under a camera above it: lit ground fills the
// lower part of the screen, black sky the top; a dynamic light brightens the
// ground under it.
void pictureCheck(void)
{
    TextureRecord* grass = obxTextureLoad("grass.3df", 0);
    ASSERT_NE(grass, nullptr);
    const float sun[3] = {0.5f, 1.0f, 0.3f};
    Landscape* land =
        obxLandscapeLoadFromFile("terrain64.3df", 0, grass, 2000, 2000, 150, sun, 0.6f);
    ASSERT_NE(land, nullptr);
    obxLandscapeAddToWorld(land);
    obxAmbientlightLight(0.1f, 0.1f, 0.1f);
    cameraPut(0, 320, -1100, 15);
    Frame before = frameRender();
    int ground = 0, sky = 0, lower = 0, upper = 0;
    for (int y = 0; y < 480; y++) {
        for (int x = 0; x < 640; x++) {
            bool black = before.at(x, y) == 0;
            if (y < 160) {
                lower++;
                ground += !black;
            } else if (y >= 440) {
                upper++;
                sky += black;
            }
        }
    }
    EXPECT_GT(ground, lower * 99 / 100);
    EXPECT_GT(sky, upper * 99 / 100);

    // A light on the ground at the centre of the landscape.
    float h = obxLandscapeGetHeightXZ(land, 0, 0);
    obxDynLightsourceAdd(150, 0, h + 5, 0, 1, 1, 1);
    Frame after = frameRender();
    float vx, vy, vz, sx, sy;
    transformPoint(&view.matrix, 0, h, 0, &vx, &vy, &vz);
    projectToScreen(vx, vy, vz, &sx, &sy);
    ASSERT_GT(sx, 20);
    ASSERT_LT(sx, 620);
    ASSERT_GT(sy, 20);
    ASSERT_LT(sy, 460);
    double dark = brightness(before, (int)sx, (int)sy, 6);
    double lit = brightness(after, (int)sx, (int)sy, 6);
    EXPECT_GT(lit, dark * 1.3) << dark << " " << lit;
    // Far from the light nothing changes.
    EXPECT_EQ(brightness(after, 320, 20, 6), brightness(before, 320, 20, 6));
}

}   // namespace

TEST_F(LandscapePassTest, HeadlessFrameShowsLitGroundOnTwoUnits)
{
    start(2);
    pictureCheck();
}

TEST_F(LandscapePassTest, HeadlessFrameShowsLitGroundOnOneUnit)
{
    start(1);
    pictureCheck();
}

TEST_F(LandscapePassTest, ASurfaceThatCanHaveNoSlotIsDrawnWhiteUnderItsLightMaps)
{
    // On 64 KB a 256 x 256 surface never has a slot: the ground is drawn as
    // with the white texture, lit by its light maps, never with whatever
    // texture the unit held before.
    for (int units : {1, 2}) {
        Frame frames[2];
        for (int run = 0; run < 2; run++) {
            ASSERT_EQ(landscapeEngineStart(units, "64K"), 1);
            TextureRecord* surface = run == 0 ? obxTextureLoad("grass.3df", 0) : whiteTexture();
            ASSERT_NE(surface, nullptr);
            const float sun[3] = {0.5f, 1.0f, 0.3f};
            Landscape* land =
                obxLandscapeLoadFromFile("terrain64.3df", 0, surface, 2000, 2000, 150, sun, 0.6f);
            ASSERT_NE(land, nullptr);
            obxLandscapeAddToWorld(land);
            obxAmbientlightLight(0.1f, 0.1f, 0.1f);
            cameraPut(0, 320, -1100, 15);
            frameRender();
            frames[run] = frameRender();
            EXPECT_EQ(surface->resident, run);
            engineStop();
        }
        int ground = 0;
        for (int x = 0; x < 640; x++)
            ground += frames[0].at(x, 80) != 0;
        EXPECT_EQ(ground, 640) << units << " units";
        EXPECT_TRUE(frames[0].colour == frames[1].colour) << units << " units";
    }
}
