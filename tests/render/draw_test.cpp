// Polygon drawing on the software device: colours from the lighting rules at
// known pixels, every shape, the environment layer, clipping and the render
// window.
#include <math.h>

#include <algorithm>

#include "light/light.h"
#include "math/math3d.h"
#include "object/object.h"
#include "obx_scene.h"
#include "render/render.h"

namespace {

struct Screen {
    float x, y;
};

// Where the default camera (at the origin, looking along +z) puts a point
// on the 640 x 480 screen, snapped to 1/16 pixel.
Screen screenOf(Vector p)
{
    float q = 1.0f / p.z;
    float x = (p.x * q + 1.0f) * 320.0f, y = (p.y * q + 1.0f) * 240.0f;
    return {roundf(x * 16.0f) / 16.0f, roundf(y * 16.0f) / 16.0f};
}

// Barycentric weights of the centre of pixel (px, py) in a screen triangle.
void weights(const Screen s[3], int px, int py, float w[3])
{
    float x = (float)px + 0.5f, y = (float)py + 0.5f;
    float area = (s[1].x - s[0].x) * (s[2].y - s[0].y) - (s[2].x - s[0].x) * (s[1].y - s[0].y);
    w[0] = ((s[1].x - x) * (s[2].y - y) - (s[2].x - x) * (s[1].y - y)) / area;
    w[1] = ((s[2].x - x) * (s[0].y - y) - (s[0].x - x) * (s[2].y - y)) / area;
    w[2] = 1.0f - w[0] - w[1];
}

// What one light source gives a surface point with normal n, one channel:
// the wrap-around cosine (cos + 1) / 2 times the colour, less attenuation
// times the distance (table lengths, plus 0.001), never below 0.
float lightAt(const LightSource* light, Vector p, const float* n, int ch)
{
    const float v[3] = {light->position.x - p.x, light->position.y - p.y, light->position.z - p.z};
    float d = (float)VectorLenght(v) + 0.001f;
    float c = ((float)dotProduct(v, n) / d + 1.0f) * 0.5f;
    float value = light->colour[ch] * c - light->attenuation * d;
    return value < 0.0f ? 0.0f : value;
}

bool contains(const std::vector<std::string>& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

float limited(float c)
{
    return c > 1.0f ? 1.0f : c;
}

class DrawTest : public EngineTest {
protected:
    Object* cube = nullptr;
    LightSource* light = nullptr;
    const float ambient = 0.05f;

    // A white cube of half side 2 at depth 10 whose face z = 8 fills screen
    // x 240..400, y 180..300, lit by a light at the camera.
    void SetUp() override
    {
        EngineTest::SetUp();
        obxPerformanceInit();
        cube = cubeCreate({0, 0, 10}, 2, whiteTexture());
        light = lightPut({0, 0, 0}, 1.0f, 0.8f, 0.6f, 0.02f);
        obxAmbientlightLight(ambient, ambient, ambient);
    }

    // The flat colour of the front face in 0..255: its triangles both start
    // at corner (-2, -2, 8), normal (0, 0, -1).
    void frontFlat(float out[3])
    {
        const float n[3] = {0, 0, -1};
        for (int ch = 0; ch < 3; ch++)
            out[ch] = limited(ambient + lightAt(light, {-2, -2, 8}, n, ch)) * 255.0f;
    }

    // Whether the pixel shows the background (black).
    static bool background(const Frame& f, int x, int y)
    {
        return f.at(x, y) == 0;
    }
};

}   // namespace

TEST_F(DrawTest, FlatCubeShowsTheLightingRule)
{
    obxObjectSetShadingType(cube, 3);
    Frame f = frameRender();
    float c[3];
    frontFlat(c);
    // One colour over the whole face, though the vertex records are shared
    // with the sides.
    for (int y : {185, 240, 295})
        for (int x : {245, 320, 395})
            EXPECT_TRUE(pixelShows(f.at(x, y), c[0], c[1], c[2]))
                << x << "," << y << " " << std::hex << f.at(x, y);
    EXPECT_TRUE(background(f, 235, 240));
    EXPECT_TRUE(background(f, 320, 305));
    // The side faces turn away: only the two front triangles are drawn.
    EXPECT_EQ(obxPerformanceGet()->polygonsDrawn, 2u);
}

TEST_F(DrawTest, SmoothCubeInterpolatesVertexColours)
{
    Frame f = frameRender();
    // Triangle (-2,-2,8) (-2,2,8) (2,2,8) of the front face: each corner
    // gets material x light + ambient; colours run linearly across it.
    const Vector corners[3] = {{-2, -2, 8}, {-2, 2, 8}, {2, 2, 8}};
    const int vertex[3] = {0, 2, 3};   // their vertices in the cube
    Screen s[3];
    float colour[3][3];
    for (int k = 0; k < 3; k++) {
        s[k] = screenOf(corners[k]);
        for (int ch = 0; ch < 3; ch++) {
            float v = lightAt(light, corners[k], cube->vertexNormals[vertex[k]], ch);
            colour[k][ch] = limited(v + ambient) * 255.0f;
        }
    }
    // The corners differ (vertex normals lean toward the sides they share).
    EXPECT_GT(fabsf(colour[0][0] - colour[1][0]), 2.0f);
    int checked = 0;
    for (int y = 190; y < 300; y += 9) {
        for (int x = 245; x < 395; x += 11) {
            float w[3];
            weights(s, x, y, w);
            if (w[0] < 0.02f || w[1] < 0.02f || w[2] < 0.02f)
                continue;   // away from the triangle's edges
            float expect[3];
            for (int ch = 0; ch < 3; ch++)
                expect[ch] = w[0] * colour[0][ch] + w[1] * colour[1][ch] + w[2] * colour[2][ch];
            EXPECT_TRUE(pixelShows(f.at(x, y), expect[0], expect[1], expect[2], 1.0f))
                << x << "," << y;
            checked++;
        }
    }
    EXPECT_GT(checked, 40);
}

TEST_F(DrawTest, OutlinesAndPointsShowBackFacesToo)
{
    obxObjectDelete(cube);
    // Two flat triangles at depth 10: the left one faces the camera, the
    // right one (corners the other way round) faces away.
    Object* front = triangleCreate({-6, -2, 10}, {-4, 2, 10}, {-2, -2, 10}, whiteTexture());
    Object* back = triangleCreate({2, -2, 10}, {6, -2, 10}, {4, 2, 10}, whiteTexture());
    float cf[3], cb[3];
    const float towards[3] = {0, 0, -1}, away[3] = {0, 0, 1};
    for (int ch = 0; ch < 3; ch++) {
        cf[ch] = limited(ambient + lightAt(light, {-6, -2, 10}, towards, ch)) * 255.0f;
        cb[ch] = limited(ambient + lightAt(light, {2, -2, 10}, away, ch)) * 255.0f;
    }
    for (Object* o : {front, back})
        obxObjectSetShadingType(o, 3);

    // Solid: the back face is not drawn.
    Frame solid = frameRender();
    EXPECT_TRUE(pixelShows(solid.at(192, 224), cf[0], cf[1], cf[2]));
    EXPECT_TRUE(background(solid, 448, 224));
    EXPECT_EQ(obxPerformanceGet()->polygonsDrawn, 1u);

    // Outlines: edges only, the back face too, lit like any drawn polygon.
    for (Object* o : {front, back})
        obxObjectSetShape(o, 1);
    obxPerformanceInit();
    traceStart();
    Frame lines = frameRender();
    traceStop();
    // (With the origin at the lower left, a line along y = 192 lights row 191.)
    EXPECT_TRUE(pixelShows(lines.at(192, 191), cf[0], cf[1], cf[2]));
    EXPECT_TRUE(background(lines, 192, 224));
    EXPECT_TRUE(pixelShows(lines.at(448, 191), cb[0], cb[1], cb[2]));
    EXPECT_TRUE(background(lines, 448, 224));
    EXPECT_EQ(obxPerformanceGet()->polygonsDrawn, 2u);
    // A closed outline: four line-strip vertices, the first repeated last.
    // (Both lie at one depth, so they come in either order.)
    std::vector<std::string> draws = traceCalls("grDrawVertexArray");
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_TRUE(contains(draws, "grDrawVertexArray(1, 4 {384 192} {512 192} {448 288} {384 192})"));

    // Points: the corners alone.
    for (Object* o : {front, back})
        obxObjectSetShape(o, 2);
    traceStart();
    Frame points = frameRender();
    traceStop();
    EXPECT_TRUE(pixelShows(points.at(128, 191), cf[0], cf[1], cf[2]));
    EXPECT_TRUE(pixelShows(points.at(384, 191), cb[0], cb[1], cb[2]));
    EXPECT_TRUE(background(points, 192, 191));
    draws = traceCalls("grDrawVertexArray");
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_TRUE(contains(draws, "grDrawVertexArray(0, 3 {128 192} {192 288} {256 192})"));
}

TEST_F(DrawTest, TranslucentObjectsDrawNothing)
{
    obxObjectMakeTranslucent(cube, 100);
    Frame f = frameRender();
    for (uint16_t pixel : f.colour)
        ASSERT_EQ(pixel, 0);
    EXPECT_EQ(obxPerformanceGet()->polygonsDrawn, 0u);
    // ... yet it is prepared (lit) all the same.
    EXPECT_EQ(cube->culled, 0);
    obxObjectDisableTranslucency(cube);
    Frame shown = frameRender();
    EXPECT_FALSE(background(shown, 320, 240));
}

TEST_F(DrawTest, EnvironmentLayerBlendsWithItsAlpha)
{
    // A pure blue environment map over the flat-lit face.
    write3dfTexels("blue.3df", 8, 8, [](int, int) { return (uint16_t)0x001F; });
    TextureRecord* blue = obxTextureLoad("blue.3df", 0);
    ASSERT_NE(blue, nullptr);
    obxObjectSetShadingType(cube, 3);
    float c[3];
    frontFlat(c);

    obxObjectMakeEnviromentMapped(cube, blue, 255.0f);
    obxPerformanceInit();
    Frame opaque = frameRender();
    EXPECT_EQ(opaque.at(320, 240), 0x001F);
    // Not counted as polygons of their own.
    EXPECT_EQ(obxPerformanceGet()->polygonsDrawn, 2u);

    obxObjectSetEnviromentAlpha(cube, 0.0f);
    Frame clear = frameRender();
    EXPECT_TRUE(pixelShows(clear.at(320, 240), c[0], c[1], c[2]));

    // Alpha 128: blue x 128/255 over the face colour x 127/255, the face as
    // the buffer holds it.
    obxObjectSetEnviromentAlpha(cube, 128.9f);
    Frame half = frameRender();
    uint32_t under = rgb565ToRgb(clear.at(320, 240));
    float mix[3];
    for (int ch = 0; ch < 3; ch++) {
        float dst = (float)((under >> (16 - 8 * ch)) & 255);
        mix[ch] = (dst * 127.0f + (ch == 2 ? 255.0f * 128.0f : 0.0f)) / 255.0f;
    }
    EXPECT_TRUE(pixelShows(half.at(320, 240), mix[0], mix[1], mix[2], 1.0f))
        << std::hex << half.at(320, 240);

    // An untextured polygon shows its vertex colour with the layer over it.
    Object* plain = cubeCreate({0, 0, 10}, 2, nullptr);
    obxObjectDelete(cube);
    cube = plain;
    obxObjectSetShadingType(plain, 3);
    obxObjectMakeEnviromentMapped(plain, blue, 128.0f);
    traceStart();
    Frame untextured = frameRender();
    traceStop();
    EXPECT_EQ(untextured.at(320, 240), half.at(320, 240));
    // Vertex colour only while the polygon is drawn, then texture x colour
    // again before the layer.
    std::vector<std::string> lines = traceBetween("grChromakeyMode", "~");
    std::vector<std::string> expected = {
        "grConstantColorValue(0xFF000000)",
        "grColorCombine(1, 0, 0, 2, 0)",
        "grDrawVertexArray",
        "grColorCombine(3, 1, 0, 1, 0)",
        "grTexSource",
        "grConstantColorValue(0x80000000)",
        "grDrawVertexArray",
        "grConstantColorValue(0xFF000000)",
        "grColorCombine(1, 0, 0, 2, 0)",
    };
    ASSERT_GE(lines.size(), expected.size());
    for (size_t i = 0; i < expected.size(); i++)
        EXPECT_EQ(lines[i].compare(0, expected[i].size(), expected[i]), 0) << lines[i];
}

TEST_F(DrawTest, NearPlaneCutMakesAFanOfTwo)
{
    obxObjectDelete(cube);
    // Corner (-1, -1, 1) lies before the near distance 2.
    triangleCreate({-1, -1, 1}, {0, 1, 5}, {1, -1, 5}, whiteTexture());
    traceStart();
    frameRender();
    traceStop();
    std::vector<std::string> draws = traceCalls("grDrawVertexArray");
    ASSERT_EQ(draws.size(), 2u);
    // Edges cut at w = 2: a quarter of the way to (0, 1, 5), and three
    // quarters of the way from (1, -1, 5) to the corner.
    EXPECT_EQ(draws[0], "grDrawVertexArray(5, 3 {200 180} {320 288} {384 192})");
    EXPECT_EQ(draws[1], "grDrawVertexArray(8, 1 {240 120})");
    EXPECT_EQ(obxPerformanceGet()->polygonsDrawn, 1u);
}

TEST_F(DrawTest, FarPlaneCutsAStraddlingObject)
{
    obxObjectDelete(cube);
    // The top corner lies beyond the far distance 3000; the object's sphere
    // straddles the plane, so it is drawn, cut where w = 3000.
    Object* tri =
        triangleCreate({-100, -100, 2900}, {0, 100, 3100}, {100, -100, 2900}, whiteTexture());
    traceStart();
    Frame f = frameRender();
    traceStop();
    EXPECT_EQ(tri->culled, 0);
    std::vector<std::string> draws = traceCalls("grDrawVertexArray");
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_EQ(draws[0].compare(0, 22, "grDrawVertexArray(5, 3"), 0);
    EXPECT_EQ(draws[1].compare(0, 22, "grDrawVertexArray(8, 1"), 0);
    EXPECT_EQ(obxPerformanceGet()->polygonsDrawn, 1u);
    EXPECT_FALSE(background(f, 320, 235));
}

TEST_F(DrawTest, ScaledObjectWithStaleRadiusIsStillClipped)
{
    // Scaled by 40 after precalculation, the cube keeps its old radius: its
    // sphere says "wholly inside", yet the camera sits inside it, its
    // corners behind the camera and far beyond the sides. Seen from inside
    // (double-sided), it is clipped all the same and fills the window.
    obxObjectScale(cube, 40.0f);
    for (int p = 0; p < cube->polygonCount; p++)
        cube->polygons[p].doubleSided = 1;
    obxRenderWindowSet(200, 100, 160, 120);
    Frame f = frameRender();
    EXPECT_EQ(cube->whollyInside, 1);
    int inside = 0;
    for (int y = 0; y < 480; y++) {
        for (int x = 0; x < 640; x++) {
            bool in = x >= 200 && x < 360 && y >= 100 && y < 220;
            if (!in) {
                ASSERT_EQ(f.at(x, y), 0) << x << "," << y;
            }
            inside += in && f.at(x, y) != 0;
        }
    }
    EXPECT_EQ(inside, 160 * 120);
}

TEST_F(DrawTest, ClippedTextureStaysPerspectiveCorrect)
{
    obxObjectDelete(cube);
    obxAmbientlightLight(1, 1, 1);   // white vertex colour: the texel shows as it is
    // 64 x 64 texels in 8 x 8 blocks, each block its own colour.
    auto blockColour = [](int bx, int by) {
        return (uint16_t)(((bx * 4 + 2) << 11) | ((by * 8 + 4) << 5) | ((bx + by * 3) & 31));
    };
    write3dfTexels("blocks.3df", 64, 64, [&](int x, int y) { return blockColour(x / 8, y / 8); });
    TextureRecord* blocks = obxTextureLoad("blocks.3df", 0);
    ASSERT_NE(blocks, nullptr);
    // Left of the screen, above it, and far away: strong perspective,
    // clipped by the left and the top edge.
    const Vector p[3] = {{-12, -2, 6}, {2, 14, 8}, {4, -3, 30}};
    const float st[6] = {0, 0, 1, 0, 0, 1};
    Object* tri =
        meshCreate({p[0], p[1], p[2]}, {{0, 1, 2}}, blocks, true, std::vector<float>(st, st + 6));
    obxObjectSetShadingType(tri, 3);
    traceStart();
    Frame f = frameRender();
    traceStop();
    ASSERT_EQ(tri->polygons[0].needsClip, 1);
    std::vector<std::string> draws = traceCalls("grDrawVertexArray");
    ASSERT_GE(draws.size(), 2u);   // a fan of at least four corners

    // Reference: perspective-correct s, t at each pixel centre of the
    // unclipped triangle, in texels (0..1 maps to 0..255 of 256).
    Screen s[3];
    for (int k = 0; k < 3; k++)
        s[k] = screenOf(p[k]);
    int checked = 0, affineDiffers = 0;
    for (int y = 2; y < 478; y += 6) {
        for (int x = 2; x < 638; x += 6) {
            float w[3];
            weights(s, x, y, w);
            if (w[0] < 0.01f || w[1] < 0.01f || w[2] < 0.01f)
                continue;
            float sum = 0, su = 0, sv = 0, au = 0, av = 0;
            for (int k = 0; k < 3; k++) {
                float q = 1.0f / p[k].z;
                sum += w[k] * q;
                su += w[k] * q * st[2 * k];
                sv += w[k] * q * st[2 * k + 1];
                au += w[k] * st[2 * k];
                av += w[k] * st[2 * k + 1];
            }
            float u = su / sum * 255.0f / 4.0f, v = sv / sum * 255.0f / 4.0f;
            // Away from block borders, bilinear filtering gives the block's
            // own colour.
            float fu = fmodf(u, 8.0f), fv = fmodf(v, 8.0f);
            if (fu < 1.6f || fu > 6.4f || fv < 1.6f || fv > 6.4f || u >= 63 || v >= 63)
                continue;
            uint16_t expect = blockColour((int)(u / 8), (int)(v / 8));
            EXPECT_EQ(f.at(x, y), expect) << x << "," << y << " u " << u << " v " << v;
            if (blockColour((int)(au * 255.0f / 32.0f), (int)(av * 255.0f / 32.0f)) != expect)
                affineDiffers++;
            checked++;
        }
    }
    EXPECT_GT(checked, 100);
    // The check has teeth: without perspective many pixels would differ.
    EXPECT_GT(affineDiffers, checked / 4);
}

TEST_F(DrawTest, NothingOutsideTheRenderWindow)
{
    obxObjectDelete(cube);
    obxRenderWindowSet(100, 80, 320, 240);   // x 100..420, y 80..320
    // A big double-sided triangle across every edge of the window, and a
    // cube around the camera.
    meshCreate({{-50, -40, 12}, {0, 60, 12}, {50, -40, 12}}, {{0, 1, 2}}, whiteTexture(), true);
    Object* around = cubeCreate({0, 0, 0}, 20, whiteTexture());
    (void)around;
    lightPut({0, 0, 0}, 1, 1, 1);
    for (int shape : {0, 1, 2}) {
        for (Object* o = objects.first; o; o = o->next)
            obxObjectSetShape(o, shape);
        Frame f = frameRender();
        int inside = 0;
        for (int y = 0; y < 480; y++) {
            for (int x = 0; x < 640; x++) {
                bool in = x >= 100 && x < 420 && y >= 80 && y < 320;
                if (!in)
                    ASSERT_EQ(f.at(x, y), 0) << "shape " << shape << " at " << x << "," << y;
                else if (f.at(x, y) != 0)
                    inside++;
            }
        }
        // Filled: every pixel; outlines: the window's edges and more; points:
        // at least the four corners of the clipped triangle.
        EXPECT_GE(inside, shape == 0 ? 320 * 240 : (shape == 1 ? 2 * (320 + 240) : 4))
            << "shape " << shape;
    }
}
