// Transforms: scaling and rotation change the vertex data in place and so
// add up from call to call; moving sets an absolute position.
#include "math/math3d.h"
#include "object/object.h"

void obxObjectScale(Object* object, float factor)
{
    if (!object)
        return;
    // Radius, extents and normals stay as they were until the next
    // precalculation.
    for (int i = 0; i < object->vertexCount; i++) {
        object->vertices[i].x *= factor;
        object->vertices[i].y *= factor;
        object->vertices[i].z *= factor;
    }
}

static void pointRotate(const Matrix* m, float* p)
{
    transformPoint(m, p[0], p[1], p[2], &p[0], &p[1], &p[2]);
}

void obxObjectRotate(Object* object, float angleX, float angleY, float angleZ)
{
    if (!object)
        return;
    if (angleX == 0.0f && angleY == 0.0f && angleZ == 0.0f)
        return;
    Matrix rx, ry, rz, m;
    matrixRotationX(&rx, 360.0f - angleX);
    matrixRotationY(&ry, 360.0f - angleY);
    matrixRotationZ(&rz, 360.0f - angleZ);
    // Row vectors: the left factor turns first. With all three angles the
    // turns apply about y, then z, then x.
    int x = angleX != 0.0f, y = angleY != 0.0f, z = angleZ != 0.0f;
    if (x && y && z) {
        matrixMultiply(&ry, &rz);
        matrixMultiply(&rz, &rx);
        m = rx;
    } else if (x && y) {
        matrixMultiply(&rx, &ry);
        m = ry;
    } else if (x && z) {
        matrixMultiply(&rx, &rz);
        m = rz;
    } else if (y && z) {
        matrixMultiply(&ry, &rz);
        m = rz;
    } else {
        m = x ? rx : (y ? ry : rz);
    }

    if (object->vertices) {
        for (int i = 0; i < object->vertexCount; i++)
            pointRotate(&m, &object->vertices[i].x);
        // Vertex normals matter only to smooth shading and the environment
        // layer; other objects keep them unrotated.
        if (object->shadingType == OBX_SHADING_GOURAUD || object->envMapped == 1) {
            for (int i = 0; i < object->vertexCount; i++)
                pointRotate(&m, object->vertexNormals[i]);
        }
    }
    for (int p = 0; p < object->polygonCount; p++)
        pointRotate(&m, &object->polygons[p].normal.x);
}

void obxObjectMove(Object* object, float x, float y, float z)
{
    if (!object)
        return;
    object->position.x = x;
    object->position.y = y;
    object->position.z = z;
}
