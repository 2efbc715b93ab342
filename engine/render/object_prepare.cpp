// Object preparation before drawing: world vertices, camera space, clip codes
// and back faces.
#include "math/math3d.h"
#include "render/render.h"

void objectWorldVertices(Object* object)
{
    if (!object->vertices)
        return;
    const Vector position = object->position;
    for (int i = 0; i < object->vertexCount; i++) {
        object->worldVertices[i].x = object->vertices[i].x + position.x;
        object->worldVertices[i].y = object->vertices[i].y + position.y;
        object->worldVertices[i].z = object->vertices[i].z + position.z;
    }
}

void objectViewTransform(Object* object)
{
    for (int i = 0; i < object->vertexCount; i++) {
        const Vector* v = &object->worldVertices[i];
        VertexRecord* record = &object->vertexRecords[i];
        transformPoint(&view.matrix, v->x, v->y, v->z, &record->x, &record->y, &record->w);
    }
}

uint32_t vertexClipCode(const VertexRecord* v)
{
    uint32_t code = 0;
    if (v->x < -v->w)
        code |= 1u;
    if (v->x > v->w)
        code |= 2u;
    if (v->y < -v->w)
        code |= 4u;
    if (v->y > v->w)
        code |= 8u;
    if (v->w > view.farDistance)
        code |= 16u;
    if (v->w < view.nearDistance)
        code |= 32u;
    return code;
}

void objectClipCodes(Object* object)
{
    static const uint32_t planes[6] = {CLIP_LEFT, CLIP_RIGHT, CLIP_BOTTOM,
                                       CLIP_TOP,  CLIP_FAR,   CLIP_NEAR};
    for (int p = 0; p < object->polygonCount; p++) {
        Polygon* polygon = &object->polygons[p];
        polygon->outside = 0;
        polygon->needsClip = 0;
        polygon->clipCodes = 0;
        // Objects well inside the view volume need no codes at all.
        if (object->whollyInside == 1)
            continue;
        uint32_t codes = 0;
        for (int k = 0; k < 3; k++)
            codes |= vertexClipCode(&object->vertexRecords[polygon->indices[k]]) << (6 * k);
        polygon->clipCodes = codes;
        if (codes == 0)
            continue;
        polygon->needsClip = 1;
        for (int plane = 0; plane < 6; plane++) {
            if ((codes & planes[plane]) == planes[plane]) {
                polygon->outside = 1;
                polygon->needsClip = 0;
                break;
            }
        }
    }
}

void objectBackFaces(Object* object)
{
    int markLit = object->shadingType == OBX_SHADING_GOURAUD || object->envMapped == 1;
    if (markLit) {
        for (int i = 0; i < object->vertexCount; i++)
            object->vertexRecords[i].lit = 0;
    }
    // Outlines and points draw back faces as well, so those get light too.
    int backFacesDrawn = objectShowsBackFaces(object);
    const float* eye = view.camera->position;
    for (int p = 0; p < object->polygonCount; p++) {
        Polygon* polygon = &object->polygons[p];
        polygon->backFacing = 0;
        if (polygon->outside == 1)
            continue;
        if (polygon->doubleSided == OBX_ONE_SIDED) {
            const Vector* corner = &object->worldVertices[polygon->indices[0]];
            const float v[3] = {eye[0] - corner->x, eye[1] - corner->y, eye[2] - corner->z};
            if (dotProduct(v, &polygon->normal.x) < 0.0) {
                polygon->backFacing = 1;
                if (!backFacesDrawn)
                    continue;
            }
        }
        if (markLit) {
            for (int k = 0; k < polygon->vertexCount; k++)
                object->vertexRecords[polygon->indices[k]].lit = 1;
        }
    }
}
