// Object preparation: culling, clip codes, back faces and lighting, run
// stage by stage without drawing.
#include <math.h>

#include "light/light.h"
#include "math/math3d.h"
#include "object/object.h"
#include "obx_scene.h"
#include "render/render.h"

namespace {

class PrepareTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        sceneOffline();
    }
    void TearDown() override
    {
        while (lights.sources)
            obxLightsourceDelete(lights.sources);
        while (objects.first)
            obxObjectDelete(objects.first);
    }

    // Culls an object of the given radius centred at the camera-space point
    // (the default camera sits at the origin looking along +z).
    static Object* sphereAt(float x, float y, float z, float radius)
    {
        Object* object = obxObjectInitDefaultState();
        object->radius = radius;
        obxObjectMove(object, x, y, z);
        objectCull(object);
        return object;
    }

    // Runs the stages that come before drawing.
    static void prepare(Object* object)
    {
        objectCull(object);
        objectWorldVertices(object);
        objectViewTransform(object);
        objectClipCodes(object);
        objectBackFaces(object);
        objectLighting(object);
    }
};

// A triangle at depth z facing the camera (normal (0, 0, -1)), corner 0 at
// (-1, -1, z).
Object* facingTriangle(float z, float size = 1.0f)
{
    return triangleCreate({-size, -size, z}, {0, size, z}, {size, -size, z}, nullptr);
}

// Light one channel of a white surface gets from a light at distance
// `length` along the normal, turned by `cosine` (+1 facing, -1 behind),
// following the wrap-around rule: colour x (cos + 1) / 2 - attenuation x d,
// with d the table length plus 0.001.
float wrapLight(float colour, float length, float cosine, float attenuation)
{
    float d = length + 0.001f;
    float c = (cosine * length / d + 1.0f) * 0.5f;
    float value = colour * c - attenuation * d;
    return value < 0.0f ? 0.0f : value;
}

}   // namespace

TEST_F(PrepareTest, CullingBySphereRule)
{
    // Centre at z 1 with radius 0.5: z + r = 1.5 < near 2, culled although
    // part of it lies beyond z = 1.
    Object* a = sphereAt(0, 0, 1, 0.5f);
    EXPECT_EQ(a->culled, 1);
    // Straddling the far plane: drawn, but clipped per polygon.
    Object* b = sphereAt(0, 0, 2990, 20);
    EXPECT_EQ(b->culled, 0);
    EXPECT_EQ(b->whollyInside, 0);
    // Well inside: no clip codes needed.
    Object* c = sphereAt(0, 0, 100, 10);
    EXPECT_EQ(c->culled, 0);
    EXPECT_EQ(c->whollyInside, 1);
    // Within twice the radius of a plane: clipped per polygon.
    Object* d = sphereAt(85, 0, 100, 10);
    EXPECT_EQ(d->culled, 0);
    EXPECT_EQ(d->whollyInside, 0);
    // The side planes are compared without normalising: the sphere still
    // reaches across x = z, but x - r > z, so it is culled.
    Object* e = sphereAt(111, 0, 100, 10);
    EXPECT_EQ(e->culled, 1);
    Object* f = sphereAt(0, -109, 100, 10);
    EXPECT_EQ(f->culled, 0);
    Object* g = sphereAt(0, 0, 3011, 10);
    EXPECT_EQ(g->culled, 1);
    // A centre that is not a number is nowhere.
    Object* h = sphereAt(NAN, 0, 100, 10);
    EXPECT_EQ(h->culled, 1);
    for (Object* o : {a, b, c, d, e, f, g, h})
        obxObjectDelete(o);

    // After obxFarClippingPlaneSet(500) a sphere wholly beyond 500 is culled.
    view.farDistance = 500.0f;
    Object* beyond = sphereAt(0, 0, 520, 10);
    EXPECT_EQ(beyond->culled, 1);
    obxObjectDelete(beyond);

    Vector nearPoint = {0, 0, 10}, farPoint = {5, 5, 50};
    EXPECT_EQ(compareDepth(&farPoint, &nearPoint), -1);
    EXPECT_EQ(compareDepth(&nearPoint, &farPoint), 1);
    EXPECT_EQ(compareDepth(&nearPoint, &nearPoint), 0);
}

TEST_F(PrepareTest, ClipCodesMarkOutsideAndCrossingPolygons)
{
    // Corners beyond the far plane: outside.
    Object* beyond = triangleCreate({-1, -1, 3100}, {0, 1, 3100}, {1, -1, 3100}, nullptr);
    prepare(beyond);
    const Polygon& pb = beyond->polygons[0];
    EXPECT_EQ(pb.outside, 1);
    EXPECT_EQ(pb.needsClip, 0);
    EXPECT_EQ(pb.clipCodes & CLIP_FAR, CLIP_FAR);

    // One corner left of the volume, one right: crossing, not outside.
    Object* wide = triangleCreate({-30, -1, 20}, {0, 1, 20}, {30, -1, 20}, nullptr);
    prepare(wide);
    const Polygon& pw = wide->polygons[0];
    EXPECT_EQ(pw.outside, 0);
    EXPECT_EQ(pw.needsClip, 1);
    EXPECT_EQ(pw.clipCodes, 1u | (2u << 12));

    // Behind the near distance with one corner: crossing at near.
    Object* cut = triangleCreate({-0.5f, -0.5f, 1}, {0, 1, 5}, {1, -1, 5}, nullptr);
    prepare(cut);
    EXPECT_EQ(cut->polygons[0].needsClip, 1);
    EXPECT_EQ(cut->polygons[0].clipCodes, 32u);

    // An object found wholly inside gets no codes, whatever its corners do.
    Object* inside = facingTriangle(50);
    prepare(inside);
    EXPECT_EQ(inside->whollyInside, 1);
    inside->vertices[0].z = -500;   // far outside, radius left stale
    objectWorldVertices(inside);
    objectViewTransform(inside);
    objectClipCodes(inside);
    EXPECT_EQ(inside->polygons[0].clipCodes, 0u);
    EXPECT_EQ(inside->polygons[0].outside, 0);
    EXPECT_EQ(inside->polygons[0].needsClip, 0);
}

TEST_F(PrepareTest, BackFacesAndLitVertices)
{
    // Two triangles sharing an edge: one faces the camera, one turns away
    // (its corners run the other way).
    Object* object = meshCreate({{-1, -1, 10}, {0, 1, 10}, {1, -1, 10}, {1, 1, 10}},
                                {{0, 1, 2}, {2, 3, 1}}, nullptr);
    object->vertexRecords[3].r = 0.625f;   // light from an earlier frame
    prepare(object);
    EXPECT_EQ(object->polygons[0].backFacing, 0);
    EXPECT_EQ(object->polygons[1].backFacing, 1);
    EXPECT_EQ(object->vertexRecords[1].lit, 1);
    // Used only by the back face: not lit, and its old light stays.
    EXPECT_EQ(object->vertexRecords[3].lit, 0);
    EXPECT_EQ(object->vertexRecords[3].r, 0.625f);

    // Outlines show back faces, so their vertices are lit too.
    obxObjectSetShape(object, 1);
    prepare(object);
    EXPECT_EQ(object->polygons[1].backFacing, 1);
    EXPECT_EQ(object->vertexRecords[3].lit, 1);
    obxObjectSetShape(object, 0);

    // Double-sided polygons never face away.
    object->polygons[1].doubleSided = 1;
    prepare(object);
    EXPECT_EQ(object->polygons[1].backFacing, 0);
    EXPECT_EQ(object->vertexRecords[3].lit, 1);

    // Flat objects without environment map keep the lit marks untouched.
    object->polygons[1].doubleSided = 0;
    obxObjectSetShadingType(object, 3);
    prepare(object);
    EXPECT_EQ(object->vertexRecords[3].lit, 1);
}

TEST_F(PrepareTest, FlatLightingFollowsTheWrapAroundRule)
{
    Object* object = facingTriangle(10);
    obxObjectSetShadingType(object, 3);
    Polygon* polygon = &object->polygons[0];
    ASSERT_EQ(polygon->normal.z, -1.0f);

    // No light: ambient + emissive, limited to 1.
    obxAmbientlightLight(0.2f, 0.25f, 0.0f);
    polygon->emissive[0] = 0.3f;
    polygon->emissive[1] = 0.9f;
    prepare(object);
    EXPECT_FLOAT_EQ(polygon->litColour[0], 0.5f);
    EXPECT_EQ(polygon->litColour[1], 1.0f);
    EXPECT_EQ(polygon->litColour[2], 0.0f);
    obxAmbientlightLight(0, 0, 0);
    polygon->emissive[0] = polygon->emissive[1] = 0.0f;

    // A light 4 in front of corner 0, along the normal (4 is a point of the
    // square-root table): colour x diffuse x cos - attenuation x d.
    polygon->diffuse[1] = 0.5f;
    LightSource* light = lightPut({-1, -1, 6}, 1.0f, 0.8f, 0.4f, 0.01f);
    prepare(object);
    EXPECT_NEAR(polygon->litColour[0], wrapLight(1.0f, 4, 1, 0.01f), 1e-6);
    EXPECT_NEAR(polygon->litColour[1], wrapLight(0.8f * 0.5f, 4, 1, 0.01f), 1e-6);
    EXPECT_NEAR(polygon->litColour[2], wrapLight(0.4f, 4, 1, 0.01f), 1e-6);

    // Directly behind: nothing once attenuation is subtracted.
    obxLightsourceMove(light, -1, -1, 14);
    prepare(object);
    EXPECT_EQ(polygon->litColour[0], 0.0f);
    // ... unless the polygon is double-sided: then lit as from the front.
    polygon->doubleSided = 1;
    prepare(object);
    EXPECT_NEAR(polygon->litColour[0], wrapLight(1.0f, 4, 1, 0.01f), 1e-6);
    polygon->doubleSided = 0;

    // Two lights add; attenuation 0.001 at distance 1000 leaves nothing.
    obxLightsourceMove(light, -1, -1, 6);
    lightPut({-1, -1, 1010}, 1, 1, 1, 0.001f);
    prepare(object);
    EXPECT_NEAR(polygon->litColour[0], wrapLight(1.0f, 4, 1, 0.01f), 1e-6);
}

TEST_F(PrepareTest, SmoothLightingPerVertex)
{
    Object* object = facingTriangle(10);
    obxObjectMakeEnviromentMapped(object, nullptr, 128);
    lightPut({-1, -1, 6}, 1.0f, 0.5f, 0.25f, 0.0f);
    prepare(object);
    // Corner 0 has the light 4 away along its normal; the sum is not
    // limited and holds no material colour.
    const VertexRecord& v0 = object->vertexRecords[0];
    EXPECT_NEAR(v0.r, wrapLight(1.0f, 4, 1, 0), 1e-6);
    EXPECT_NEAR(v0.g, wrapLight(0.5f, 4, 1, 0), 1e-6);
    // Environment coordinates from the world-space vertex normal (0, 0, -1).
    EXPECT_EQ(object->envCoords[0][0], 0.5f);
    EXPECT_EQ(object->envCoords[1][1], 0.5f);

    // Lit from behind, a double-sided smooth polygon is not mirrored.
    object->polygons[0].doubleSided = 1;
    obxLightsourceMove(lights.sources, -1, -1, 14);
    prepare(object);
    EXPECT_NEAR(object->vertexRecords[0].r, wrapLight(1.0f, 4, -1, 0), 1e-6);
    EXPECT_LT(object->vertexRecords[0].r, 0.001f);
}

TEST_F(PrepareTest, DynamicLightsFallOffLinearly)
{
    // A light of radius 10, 5 from corner 0: strength 0.5 there.
    Object* smooth = facingTriangle(10);
    DynamicLight* light = obxDynLightsourceAdd(10, -1, -1, 5, 1.0f, 0.5f, 0.0f);
    prepare(smooth);
    EXPECT_FLOAT_EQ(smooth->dynLight[0][0], 0.5f);
    EXPECT_FLOAT_EQ(smooth->dynLight[0][1], 0.25f);
    EXPECT_EQ(smooth->dynLight[0][2], 0.0f);

    // Flat: added to the polygon's colour after ambient, then limited.
    Object* flat = facingTriangle(10);
    obxObjectSetShadingType(flat, 3);
    obxAmbientlightLight(0.75f, 0, 0);
    prepare(flat);
    EXPECT_EQ(flat->polygons[0].litColour[0], 1.0f);
    EXPECT_FLOAT_EQ(flat->polygons[0].litColour[1], 0.25f);

    // Disabled lights still light objects; lights whose sphere misses the
    // object's add nothing.
    obxDynLightsourceDisable(light);
    prepare(smooth);
    EXPECT_FLOAT_EQ(smooth->dynLight[0][0], 0.5f);
    obxDynLightsourceChangeXYZ(light, 100, 100, 100);
    prepare(smooth);
    EXPECT_EQ(smooth->dynLight[0][0], 0.0f);
    // A light of radius 0 at a vertex adds nothing, not NaN.
    obxDynLightsourceChangeXYZ(light, -1, -1, 10);
    obxDynLightsourceChangeRadius(light, 0.0f);
    prepare(smooth);
    EXPECT_EQ(smooth->dynLight[0][0], 0.0f);
    obxDynLightsourceChangeXYZ(light, 1000, 1000, 1000);
}
