// Objects: building, precalculation, world membership, attributes and
// transforms.
#include <math.h>

#include "math/math3d.h"
#include "object/object.h"
#include "obx_scene.h"

namespace {

class ObjectTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        sceneOffline();
    }
};

// An object of the given vertices, untextured triangles, not precalculated.
Object* built(const std::vector<Vector>& vertices, const std::vector<Tri>& triangles)
{
    Object* object = obxObjectInitDefaultState();
    for (const Vector& v : vertices)
        obxObjectAddVertex(object, v.x, v.y, v.z);
    for (const Tri& t : triangles)
        obxObjectAddPolygon(object, t.a, t.b, t.c, 0, nullptr, 0, 0, 1, 0, 0, 1);
    return object;
}

// The unit cube's corners, (+-1, +-1, +-1).
std::vector<Vector> cubeCorners(float h = 1.0f)
{
    std::vector<Vector> corners;
    for (int i = 0; i < 8; i++)
        corners.push_back({(i & 1) ? h : -h, (i & 2) ? h : -h, (i & 4) ? h : -h});
    return corners;
}

Vector rotated(float ax, float ay, float az, Vector v)
{
    Object* object = built({v}, {});
    obxObjectRotate(object, ax, ay, az);
    Vector out = object->vertices[0];
    obxObjectDelete(object);
    return out;
}

#define EXPECT_VEC(v, ex, ey, ez, tol)                                                             \
    do {                                                                                           \
        EXPECT_NEAR((v).x, ex, tol);                                                               \
        EXPECT_NEAR((v).y, ey, tol);                                                               \
        EXPECT_NEAR((v).z, ez, tol);                                                               \
    } while (0)

}   // namespace

TEST_F(ObjectTest, BuilderKeepsCallOrderAndPolygonUse)
{
    Object* object = obxObjectInitDefaultState();
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->shape, GR_TRIANGLE_FAN);
    EXPECT_EQ(object->shadingType, 1);
    EXPECT_EQ(object->vertexCount, 0);
    EXPECT_EQ(object->vertices, nullptr);

    uint32_t before = obxNumBytesAllocated();
    obxObjectAddVertex(object, 1, 2, 3);
    uint32_t firstVertex = obxNumBytesAllocated() - before;
    // The six per-vertex arrays, counted once: later growth is not counted.
    EXPECT_EQ(firstVertex, sizeof(Vector) * 2 + sizeof(VertexRecord) + sizeof(float) * 9);
    obxObjectAddVertex(object, 4, 5, 6);
    obxObjectAddVertex(object, 7, 8, 9);
    obxObjectAddVertex(object, 0, 0, 0);
    EXPECT_EQ(obxNumBytesAllocated() - before, firstVertex);
    ASSERT_EQ(object->vertexCount, 4);
    EXPECT_VEC(object->vertices[2], 7.0f, 8.0f, 9.0f, 0.0f);

    int dummy;
    TextureRecord* texture = (TextureRecord*)&dummy;   // stored, never used here
    obxObjectAddPolygon(object, 0, 1, 2, 1, texture, 0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f);
    obxObjectAddPolygon(object, 2, 3, 0, 0, nullptr, 0, 0, 0, 0, 0, 0);
    ASSERT_EQ(object->polygonCount, 2);
    const Polygon& p = object->polygons[0];
    EXPECT_EQ(p.indices[0], 0);
    EXPECT_EQ(p.indices[2], 2);
    EXPECT_EQ(p.vertexCount, 3);
    EXPECT_EQ(p.kind, 1);
    EXPECT_EQ(p.texture, texture);
    EXPECT_EQ(p.doubleSided, 1);
    EXPECT_EQ(p.texCoords[5], 0.6f);
    EXPECT_EQ(p.diffuse[1], 1.0f);
    EXPECT_EQ(p.emissive[2], 0.0f);
    // Extent: the farthest corner from corner 0, (7, 8, 9) - (1, 2, 3).
    EXPECT_FLOAT_EQ(p.extent, sqrtf(108.0f));
    // No texture: drawn in its colour alone.
    EXPECT_EQ(object->polygons[1].kind, 2);

    // Vertex 0 and 2 are used by both polygons, in the order added.
    EXPECT_EQ(object->vertexRecords[0].polygonUseCount, 2);
    EXPECT_EQ(object->vertexRecords[2].polygonUse[0], 0);
    EXPECT_EQ(object->vertexRecords[2].polygonUse[1], 1);
    EXPECT_EQ(object->vertexRecords[1].polygonUseCount, 1);
    EXPECT_EQ(object->vertexRecords[3].polygonUse[0], 1);
    obxObjectDelete(object);
}

TEST_F(ObjectTest, PolygonNamingMissingVertexIsRefused)
{
    Object* object = built({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {});
    obxObjectAddPolygon(object, 0, 1, 3, 0, nullptr, 0, 0, 0, 0, 0, 0);
    obxObjectAddPolygon(object, -1, 1, 2, 0, nullptr, 0, 0, 0, 0, 0, 0);
    EXPECT_EQ(object->polygonCount, 0);
    EXPECT_EQ(object->vertexRecords[1].polygonUseCount, 0);
    obxObjectAddPolygon(object, 0, 1, 2, 0, nullptr, 0, 0, 0, 0, 0, 0);
    EXPECT_EQ(object->polygonCount, 1);
    obxObjectDelete(object);
    // The builder takes the null a failed creation returns without crashing.
    obxObjectAddVertex(nullptr, 1, 2, 3);
    obxObjectAddPolygon(nullptr, 0, 0, 0, 0, nullptr, 0, 0, 0, 0, 0, 0);
    obxObjectPerformPrecalculations(nullptr, 1.0f);
}

TEST_F(ObjectTest, PrecalculationCentresAndRescales)
{
    // A box from (10, 20, 30) to (14, 22, 31): its centre becomes the origin.
    Object* box = built({{10, 20, 30}, {14, 22, 31}, {12, 21, 30}}, {{0, 1, 2}});
    obxObjectPerformPrecalculations(box, 5.0f);
    EXPECT_VEC(box->position, 0.0f, 0.0f, 0.0f, 0.0f);
    float r = sqrtf(4 + 1 + 0.25f);
    EXPECT_VEC(box->vertices[0], -2.0f / r * 5.0f, -1.0f / r * 5.0f, -0.5f / r * 5.0f, 1e-5);
    EXPECT_VEC(box->vertices[2], 0.0f, 0.0f, -0.5f / r * 5.0f, 1e-5);
    EXPECT_EQ(box->radius, 5.0f);
    EXPECT_NEAR(box->polygons[0].extent, 10.0f, 1e-5);   // corner 0 to corner 1: a diameter
    obxObjectDelete(box);

    // The cube with corners at +-1 scaled to radius 10: corners at 10 / sqrt 3.
    Object* cube = built(cubeCorners(), {{0, 1, 2}});
    obxObjectPerformPrecalculations(cube, 10.0f);
    EXPECT_EQ(cube->radius, 10.0f);
    EXPECT_VEC(cube->vertices[7], 5.7735027f, 5.7735027f, 5.7735027f, 1e-5);
    EXPECT_VEC(cube->vertices[0], -5.7735027f, -5.7735027f, -5.7735027f, 1e-5);
    // Radius 0 collapses every vertex to the origin.
    obxObjectPerformPrecalculations(cube, 0.0f);
    EXPECT_EQ(cube->radius, 0.0f);
    EXPECT_VEC(cube->vertices[5], 0.0f, 0.0f, 0.0f, 0.0f);
    // ... and a collapsed object precalculated again stays at the origin
    // instead of turning into NaN, taking the radius asked for.
    obxObjectPerformPrecalculations(cube, 3.0f);
    EXPECT_EQ(cube->radius, 3.0f);
    EXPECT_VEC(cube->vertices[5], 0.0f, 0.0f, 0.0f, 0.0f);
    obxObjectDelete(cube);

    // Every x beyond 65535: the minimum keeps its starting value.
    Object* far = built({{70000, 0, 0}, {80000, 1, 0}}, {});
    objectCentre(far);
    float centreX = (65535.0f + 80000.0f) / 2.0f;
    EXPECT_EQ(far->vertices[0].x, 70000.0f - centreX);
    EXPECT_EQ(far->vertices[1].y, 0.5f);
    obxObjectDelete(far);
}

TEST_F(ObjectTest, NormalsUseTheTableSquareRoot)
{
    // Two faces sharing the edge 0-1: normals (0, 0, 1) and (0, 1, 0).
    Object* object = built({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, -1}}, {{0, 1, 2}, {0, 1, 3}});
    objectRadius(object);
    faceNormals(object);
    faceNormalsNormalise(object);
    vertexNormals(object);
    EXPECT_VEC(object->polygons[0].normal, 0.0f, 0.0f, 1.0f, 0.0f);
    EXPECT_VEC(object->polygons[1].normal, 0.0f, 1.0f, 0.0f, 0.0f);
    // Shared vertices average both; used once, one face's normal.
    EXPECT_VEC(*(Vector*)object->vertexNormals[0], 0.0f, 0.7071f, 0.7071f, 0.003f);
    float v[3] = {0, 1, 1};
    EXPECT_EQ(object->vertexNormals[1][2], 1.0f / (float)VectorLenght(v));
    EXPECT_VEC(*(Vector*)object->vertexNormals[2], 0.0f, 0.0f, 1.0f, 0.0f);
    obxObjectDelete(object);

    // A degenerate polygon gets the normal (0, 0, 0), and a vertex used by
    // no polygon the vertex normal (0, 0, 0).
    Object* flat = built({{0, 0, 0}, {0, 0, 0}, {1, 1, 1}, {5, 5, 5}}, {{0, 1, 2}});
    obxObjectPerformPrecalculations(flat, 1.0f);
    EXPECT_VEC(flat->polygons[0].normal, 0.0f, 0.0f, 0.0f, 0.0f);
    EXPECT_VEC(*(Vector*)flat->vertexNormals[3], 0.0f, 0.0f, 0.0f, 0.0f);
    obxObjectDelete(flat);
}

TEST_F(ObjectTest, WorldListKeepsOrderThroughAddsAndDeletes)
{
    auto order = []() {
        std::vector<Object*> list;
        for (Object* o = objects.first; o; o = o->next)
            list.push_back(o);
        // The links agree backwards as well.
        std::vector<Object*> back;
        for (Object* o = objects.last; o; o = o->prev)
            back.insert(back.begin(), o);
        EXPECT_EQ(list, back);
        return list;
    };
    Object* a = obxObjectAdd(obxObjectInitDefaultState());
    Object* b = obxObjectAdd(obxObjectInitDefaultState());
    Object* c = obxObjectAdd(obxObjectInitDefaultState());
    EXPECT_EQ(order(), (std::vector<Object*>{a, b, c}));
    // Adding a member again changes nothing.
    EXPECT_EQ(obxObjectAdd(b), b);
    EXPECT_EQ(obxObjectAdd(c), c);
    EXPECT_EQ(order(), (std::vector<Object*>{a, b, c}));

    // An object that was never added is freed and the list stays intact.
    Object* loose = obxObjectInitDefaultState();
    obxObjectAddVertex(loose, 1, 1, 1);
    obxObjectDelete(loose);
    EXPECT_EQ(order(), (std::vector<Object*>{a, b, c}));

    obxObjectDelete(b);
    EXPECT_EQ(order(), (std::vector<Object*>{a, c}));
    obxObjectDelete(c);
    EXPECT_EQ(order(), (std::vector<Object*>{a}));
    Object* d = obxObjectAdd(obxObjectInitDefaultState());
    EXPECT_EQ(order(), (std::vector<Object*>{a, d}));
    obxObjectDelete(a);
    obxObjectDelete(d);
    EXPECT_TRUE(order().empty());
    EXPECT_EQ(objects.first, nullptr);

    // The only member, deleted, empties the list; the next add starts it again.
    Object* e = obxObjectAdd(obxObjectInitDefaultState());
    obxObjectDelete(e);
    EXPECT_EQ(objects.first, nullptr);
    Object* f = obxObjectAdd(obxObjectInitDefaultState());
    EXPECT_EQ(order(), (std::vector<Object*>{f}));
    obxObjectDelete(f);

    // Deleting gives nothing back to the byte counter.
    Object* g = built(cubeCorners(), {{0, 1, 2}});
    uint32_t bytes = obxNumBytesAllocated();
    obxObjectDelete(g);
    EXPECT_EQ(obxNumBytesAllocated(), bytes);
}

TEST_F(ObjectTest, StartingAgainForgetsTheOldWorld)
{
    Object* a = obxObjectAdd(obxObjectInitDefaultState());
    Object* b = obxObjectAdd(obxObjectInitDefaultState());
    worldObjectsInit();   // what a second obxInitialize does
    EXPECT_EQ(objects.first, nullptr);
    Object* c = obxObjectAdd(obxObjectInitDefaultState());
    // The old objects are outside the new world: b can join it, deleting a
    // leaves it alone.
    obxObjectAdd(b);
    obxObjectDelete(a);
    EXPECT_EQ(objects.first, c);
    EXPECT_EQ(c->next, b);
    EXPECT_EQ(objects.last, b);
    obxObjectDelete(b);
    obxObjectDelete(c);
    EXPECT_EQ(objects.first, nullptr);
}

TEST_F(ObjectTest, AttributeSetters)
{
    Object* object = obxObjectInitDefaultState();
    obxObjectSetShape(object, 1);
    EXPECT_EQ(object->shape, GR_LINE_STRIP);
    obxObjectSetShape(object, 7);
    EXPECT_EQ(object->shape, GR_LINE_STRIP);
    obxObjectSetShape(object, 2);
    EXPECT_EQ(object->shape, GR_POINTS);
    obxObjectSetShape(object, 0);
    EXPECT_EQ(object->shape, GR_TRIANGLE_FAN);

    obxObjectMakeTranslucent(object, 77);
    EXPECT_EQ(object->translucent, 1);
    EXPECT_EQ(object->translucency, 77u);
    obxObjectDisableTranslucency(object);
    EXPECT_EQ(object->translucent, 0);

    int dummy;
    obxObjectMakeEnviromentMapped(object, (TextureRecord*)&dummy, 128.5f);
    EXPECT_EQ(object->envMapped, 1);
    EXPECT_EQ(object->envTexture, (TextureRecord*)&dummy);
    obxObjectSetEnviromentAlpha(object, 12.0f);
    EXPECT_EQ(object->envAlpha, 12.0f);
    obxObjectSetShadingType(object, 3);
    EXPECT_EQ(object->shadingType, 3);
    obxObjectMove(object, 1, 2, 3);
    EXPECT_VEC(object->position, 1.0f, 2.0f, 3.0f, 0.0f);
    obxObjectDelete(object);
}

TEST_F(ObjectTest, RotationOrderAndTables)
{
    const float tol = 1e-6f;
    EXPECT_VEC(rotated(0, 0, 0, {1, 2, 3}), 1.0f, 2.0f, 3.0f, 0.0f);
    EXPECT_VEC(rotated(90, 0, 0, {0, 1, 0}), 0.0f, 0.0f, -1.0f, tol);
    // y, then z, then x: (1, 0, 0) -> (0, 0, 1) -> (0, 0, 1) -> (0, 1, 0).
    EXPECT_VEC(rotated(90, 90, 90, {1, 0, 0}), 0.0f, 1.0f, 0.0f, tol);
    // x, then y: (0, 1, 0) -> (0, 0, -1) -> (1, 0, 0).
    EXPECT_VEC(rotated(90, 90, 0, {0, 1, 0}), 1.0f, 0.0f, 0.0f, tol);
    EXPECT_VEC(rotated(0, 90, 0, {0, 0, 1}), -1.0f, 0.0f, 0.0f, tol);
    EXPECT_VEC(rotated(0, 0, 90, {1, 0, 0}), 0.0f, -1.0f, 0.0f, tol);

    // Two quarter turns equal one half turn.
    Object* twice = built({{0.3f, 1.0f, 0.7f}}, {});
    obxObjectRotate(twice, 90, 0, 0);
    obxObjectRotate(twice, 90, 0, 0);
    Vector half = rotated(180, 0, 0, {0.3f, 1.0f, 0.7f});
    EXPECT_VEC(twice->vertices[0], half.x, half.y, half.z, tol);
    obxObjectDelete(twice);

    // Whole degrees of 360 - a, truncated: 45.1 turns like 46.
    Vector a = rotated(45.1f, 0, 0, {0, 1, 0}), b = rotated(46, 0, 0, {0, 1, 0});
    EXPECT_VEC(a, b.x, b.y, b.z, 0.0f);
}

TEST_F(ObjectTest, RotationTurnsNormalsOnlyWhereTheyAreUsed)
{
    auto make = [](int shading) {
        Object* object = built({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}});
        obxObjectPerformPrecalculations(object, 1.0f);
        obxObjectSetShadingType(object, shading);
        obxObjectRotate(object, 0, 90, 0);
        return object;
    };
    // A flat object turns its face normal, not its vertex normals; switched
    // to smooth shading it keeps the stale ones. (Normals are unit length to
    // the table square root's seven bits.)
    const float unit = 0.004f;
    Object* flat = make(3);
    EXPECT_VEC(flat->polygons[0].normal, -1.0f, 0.0f, 0.0f, unit);
    EXPECT_VEC(*(Vector*)flat->vertexNormals[0], 0.0f, 0.0f, 1.0f, unit);
    obxObjectSetShadingType(flat, 1);
    EXPECT_VEC(*(Vector*)flat->vertexNormals[0], 0.0f, 0.0f, 1.0f, unit);
    Object* smooth = make(1);
    EXPECT_VEC(*(Vector*)smooth->vertexNormals[0], -1.0f, 0.0f, 0.0f, unit);
    obxObjectDelete(flat);
    obxObjectDelete(smooth);

    // Scaling moves the vertices only: radius and normals stay.
    Object* cube = built(cubeCorners(), {{0, 1, 2}});
    obxObjectPerformPrecalculations(cube, 2.0f);
    Vector normal = cube->polygons[0].normal;
    obxObjectScale(cube, 2.0f);
    EXPECT_EQ(cube->radius, 2.0f);
    EXPECT_NEAR(cube->vertices[7].x, 4.0f / sqrtf(3.0f), 1e-5);
    EXPECT_VEC(cube->polygons[0].normal, normal.x, normal.y, normal.z, 0.0f);
    obxObjectDelete(cube);
}
