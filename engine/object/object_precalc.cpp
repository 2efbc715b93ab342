// Precalculation: centring, bounding radius, rescaling, face and vertex
// normals. Lengths of positions use the maths library's square root; normals
// use the engine's table square root, so they are unit length only to about
// seven bits.
#include <math.h>

#include "math/math3d.h"
#include "object/object.h"

void objectCentre(Object* object)
{
    float minimum[3] = {65535.0f, 65535.0f, 65535.0f};
    float maximum[3] = {-65535.0f, -65535.0f, -65535.0f};
    for (int i = 0; i < object->vertexCount; i++) {
        const float v[3] = {object->vertices[i].x, object->vertices[i].y, object->vertices[i].z};
        for (int axis = 0; axis < 3; axis++) {
            if (v[axis] < minimum[axis])
                minimum[axis] = v[axis];
            if (v[axis] > maximum[axis])
                maximum[axis] = v[axis];
        }
    }
    float centre[3];
    for (int axis = 0; axis < 3; axis++)
        centre[axis] = (minimum[axis] + maximum[axis]) / 2.0f;
    for (int i = 0; i < object->vertexCount; i++) {
        object->vertices[i].x -= centre[0];
        object->vertices[i].y -= centre[1];
        object->vertices[i].z -= centre[2];
    }
}

static float pointLength(float x, float y, float z)
{
    float sum = x * x;
    sum += y * y;
    sum += z * z;
    return sqrtf(sum);
}

void objectRadius(Object* object)
{
    float greatest = 0.0f;
    for (int i = 0; i < object->vertexCount; i++) {
        const Vector* v = &object->vertices[i];
        float length = pointLength(v->x, v->y, v->z);
        if (length > greatest)
            greatest = length;
    }
    object->radius = greatest;
}

float polygonExtent(const Object* object, const Polygon* polygon)
{
    const Vector* first = &object->vertices[polygon->indices[0]];
    float greatest = 0.0f;
    for (int k = 1; k < polygon->vertexCount; k++) {
        const Vector* v = &object->vertices[polygon->indices[k]];
        float length = pointLength(v->x - first->x, v->y - first->y, v->z - first->z);
        if (length > greatest)
            greatest = length;
    }
    return greatest;
}

void objectRescale(Object* object, float radius)
{
    // An object whose vertices all sit at the origin cannot be scaled to a
    // size (0 / 0 would make them NaN); it only takes the new radius.
    float current = object->radius;
    if (current != 0.0f) {
        for (int i = 0; i < object->vertexCount; i++) {
            Vector* v = &object->vertices[i];
            v->x /= current;
            v->y /= current;
            v->z /= current;
        }
    }
    object->radius = radius;
    if (current != 0.0f) {
        for (int i = 0; i < object->vertexCount; i++) {
            Vector* v = &object->vertices[i];
            v->x *= radius;
            v->y *= radius;
            v->z *= radius;
        }
    }
    for (int p = 0; p < object->polygonCount; p++)
        object->polygons[p].extent = polygonExtent(object, &object->polygons[p]);
}

void faceNormals(Object* object)
{
    for (int p = 0; p < object->polygonCount; p++) {
        Polygon* polygon = &object->polygons[p];
        const Vector* p0 = &object->vertices[polygon->indices[0]];
        const Vector* p1 = &object->vertices[polygon->indices[1]];
        const Vector* p2 = &object->vertices[polygon->indices[2]];
        const float a[3] = {p1->x - p0->x, p1->y - p0->y, p1->z - p0->z};
        const float b[3] = {p2->x - p0->x, p2->y - p0->y, p2->z - p0->z};
        CrossProduct3d(&polygon->normal.x, a, b);
    }
}

// Divides v by its table length; a zero length counts as 0.0001, so a zero
// vector stays zero.
static void normalise(float* v)
{
    float length = (float)VectorLenght(v);
    if (length == 0.0f)
        length = 0.0001f;
    v[0] /= length;
    v[1] /= length;
    v[2] /= length;
}

void faceNormalsNormalise(Object* object)
{
    for (int p = 0; p < object->polygonCount; p++)
        normalise(&object->polygons[p].normal.x);
}

void vertexNormals(Object* object)
{
    for (int i = 0; i < object->vertexCount; i++) {
        const VertexRecord* record = &object->vertexRecords[i];
        float sum[3] = {0.0f, 0.0f, 0.0f};
        for (int u = 0; u < record->polygonUseCount; u++) {
            const Vector* n = &object->polygons[record->polygonUse[u]].normal;
            sum[0] += n->x;
            sum[1] += n->y;
            sum[2] += n->z;
        }
        normalise(sum);
        object->vertexNormals[i][0] = sum[0];
        object->vertexNormals[i][1] = sum[1];
        object->vertexNormals[i][2] = sum[2];
    }
}

void obxObjectPerformPrecalculations(Object* object, float radius)
{
    if (!object)
        return;
    objectCentre(object);
    objectRadius(object);
    objectRescale(object, radius);
    faceNormals(object);
    faceNormalsNormalise(object);
    vertexNormals(object);
}
