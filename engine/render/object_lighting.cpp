// Object lighting. Every light source lights with a wrap-around cosine,
// (cos + 1) / 2, less attenuation times distance; dynamic lights fall off
// linearly from their full colour at the centre to nothing at their radius.
// Flat objects get one colour per polygon (with the ambient light); smooth
// objects get the light sources' sum per vertex and the dynamic lights apart,
// and the drawer adds material and ambient.
#include "light/light.h"
#include "math/math3d.h"
#include "render/render.h"

// Whether the polygon is drawn this frame and so needs light: not outside,
// and facing the camera unless the shape shows back faces too.
static int polygonDrawn(const Object* object, const Polygon* polygon)
{
    return polygon->outside == 0 && (polygon->backFacing == 0 || objectShowsBackFaces(object));
}

// Length of a - b through the table square root.
static float distance(const Vector* a, const Vector* b)
{
    const float v[3] = {a->x - b->x, a->y - b->y, a->z - b->z};
    return (float)VectorLenght(v);
}

// Strength of a dynamic light at distance d: 1 at its centre, 0 from its
// radius on.
static float dynamicStrength(const DynamicLight* light, float d)
{
    float f = light->radius - d;
    // f > 0 rather than f >= 0: a zero radius has an infinite inverse.
    return f > 0.0f ? f * light->invRadius : 0.0f;
}

// Whether a dynamic light's sphere touches the object's bounding sphere.
static int dynamicLightTouches(const Object* object, const DynamicLight* light)
{
    float d = distance(&object->position, &light->position);
    d -= object->radius;
    d -= light->radius;
    return d <= 0.0f;
}

static void flatLighting(Object* object, LightSource* first)
{
    const float ambient[3] = {lights.ambient[0], lights.ambient[1], lights.ambient[2]};
    for (int p = 0; p < object->polygonCount; p++) {
        Polygon* polygon = &object->polygons[p];
        if (!polygonDrawn(object, polygon))
            continue;
        const Vector* corner = &object->worldVertices[polygon->indices[0]];
        float lit[3] = {0.0f, 0.0f, 0.0f};
        for (const LightSource* light = first; light; light = light->next) {
            const float v[3] = {light->position.x - corner->x, light->position.y - corner->y,
                                light->position.z - corner->z};
            float d = (float)VectorLenght(v) + 0.001f;
            float cosA = (float)dotProduct(v, &polygon->normal.x) / d;
            if (polygon->doubleSided == OBX_DOUBLE_SIDED && cosA < 0.0f)
                cosA = -cosA;
            cosA = (cosA + 1.0f) * 0.5f;
            float a = light->attenuation * d;
            for (int ch = 0; ch < 3; ch++) {
                float value = cosA * light->colour[ch] * polygon->diffuse[ch] - a;
                if (value < 0.0f)
                    value = 0.0f;
                lit[ch] += value;
            }
        }
        for (int ch = 0; ch < 3; ch++) {
            if (lit[ch] < 0.0f)
                lit[ch] = 0.0f;
            float colour = ambient[ch] + polygon->emissive[ch] + lit[ch];
            polygon->litColour[ch] = colour > 1.0f ? 1.0f : colour;
        }
    }
}

static void vertexLighting(Object* object, LightSource* first)
{
    int smooth = object->shadingType == OBX_SHADING_GOURAUD;
    for (int i = 0; i < object->vertexCount; i++) {
        VertexRecord* record = &object->vertexRecords[i];
        if (record->lit != 1)
            continue;
        const float* n = object->vertexNormals[i];
        // The normal is in world space: the environment image turns with the
        // object, not with the camera.
        if (object->envMapped) {
            object->envCoords[i][0] = n[0] * 0.5f + 0.5f;
            object->envCoords[i][1] = n[1] * 0.5f + 0.5f;
        }
        if (!smooth)
            continue;
        const Vector* point = &object->worldVertices[i];
        float sum[3] = {0.0f, 0.0f, 0.0f};
        for (const LightSource* light = first; light; light = light->next) {
            const float v[3] = {light->position.x - point->x, light->position.y - point->y,
                                light->position.z - point->z};
            float d = (float)VectorLenght(v) + 0.001f;
            float cosA = ((float)dotProduct(v, n) / d + 1.0f) * 0.5f;
            float a = d * light->attenuation;
            for (int ch = 0; ch < 3; ch++) {
                float value = light->colour[ch] * cosA - a;
                if (value < 0.0f)
                    value = 0.0f;
                sum[ch] += value;
            }
        }
        record->r = sum[0];
        record->g = sum[1];
        record->b = sum[2];
    }
}

static void dynamicVertexLighting(Object* object)
{
    for (int i = 0; i < object->vertexCount; i++) {
        object->dynLight[i][0] = 0.0f;
        object->dynLight[i][1] = 0.0f;
        object->dynLight[i][2] = 0.0f;
    }
    for (const DynamicLight* light = lights.dynamic; light; light = light->next) {
        if (!dynamicLightTouches(object, light))
            continue;
        for (int i = 0; i < object->vertexCount; i++) {
            float f = dynamicStrength(light, distance(&object->worldVertices[i], &light->position));
            for (int ch = 0; ch < 3; ch++)
                object->dynLight[i][ch] += f * light->colour[ch];
        }
    }
}

static void dynamicFlatLighting(Object* object)
{
    for (const DynamicLight* light = lights.dynamic; light; light = light->next) {
        if (!dynamicLightTouches(object, light))
            continue;
        for (int p = 0; p < object->polygonCount; p++) {
            Polygon* polygon = &object->polygons[p];
            if (!polygonDrawn(object, polygon))
                continue;
            const Vector* corner = &object->worldVertices[polygon->indices[0]];
            float f = dynamicStrength(light, distance(corner, &light->position));
            for (int ch = 0; ch < 3; ch++) {
                polygon->litColour[ch] += f * light->colour[ch];
                if (polygon->litColour[ch] > 1.0f)
                    polygon->litColour[ch] = 1.0f;
            }
        }
    }
}

void objectLighting(Object* object)
{
    LightSource* first = lightSourceFirst();
    if (object->shadingType == OBX_SHADING_FLAT)
        flatLighting(object, first);
    if (object->shadingType == OBX_SHADING_GOURAUD || object->envMapped == 1)
        vertexLighting(object, first);
    if (object->shadingType == OBX_SHADING_GOURAUD)
        dynamicVertexLighting(object);
    if (object->shadingType == OBX_SHADING_FLAT)
        dynamicFlatLighting(object);
}
