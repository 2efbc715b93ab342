// Building an object by hand: an empty object, then vertices, then polygons.
// Arrays grow by one entry per call; only the first allocation of each array
// is counted in obxNumBytesAllocated.
#include <stdlib.h>
#include <string.h>

#include "core/core.h"
#include "object/object.h"

Object* obxObjectInitDefaultState(void)
{
    Object* object = (Object*)countedAlloc(sizeof(Object));
    if (!object)
        return NULL;
    liveRecordAdd(&objects.live, object);
    // Links start null so that an object never added can be told apart.
    memset(object, 0, sizeof *object);
    object->shape = GR_TRIANGLE_FAN;
    object->shadingType = OBX_SHADING_GOURAUD;
    return object;
}

// Grows *array to count entries of entrySize bytes: a counted allocation for
// the first entry, a plain reallocation afterwards. On failure *array is left
// as it was and 0 is returned.
static int arrayGrow(void** array, size_t entrySize, int count)
{
    void* grown = *array ? realloc(*array, entrySize * (size_t)count)
                         : countedAlloc(entrySize * (size_t)count);
    if (!grown)
        return 0;
    *array = grown;
    return 1;
}

void obxObjectAddVertex(Object* object, float x, float y, float z)
{
    if (!object)
        return;
    int n = object->vertexCount + 1;
    // A grown array is merely larger than needed when a later one fails, so
    // the object stays consistent with the vertex left out.
    int grown = arrayGrow((void**)&object->vertices, sizeof(Vector), n) &&
                arrayGrow((void**)&object->worldVertices, sizeof(Vector), n) &&
                arrayGrow((void**)&object->vertexRecords, sizeof(VertexRecord), n) &&
                arrayGrow((void**)&object->envCoords, sizeof(float[2]), n) &&
                arrayGrow((void**)&object->vertexNormals, sizeof(float[4]), n) &&
                arrayGrow((void**)&object->dynLight, sizeof(float[3]), n);
    if (!grown)
        return;
    int i = n - 1;
    object->vertices[i].x = x;
    object->vertices[i].y = y;
    object->vertices[i].z = z;
    // The per-frame values start defined: a shading type that computes no
    // light draws black rather than whatever the heap held.
    memset(&object->worldVertices[i], 0, sizeof(Vector));
    memset(&object->vertexRecords[i], 0, sizeof(VertexRecord));
    memset(object->envCoords[i], 0, sizeof(float[2]));
    memset(object->vertexNormals[i], 0, sizeof(float[4]));
    memset(object->dynLight[i], 0, sizeof(float[3]));
    object->vertexCount = n;
}

// Appends polygon index p to the polygon-use list of vertex v.
static void vertexUseAppend(VertexRecord* v, int32_t p)
{
    int count = v->polygonUseCount + 1;
    if (!arrayGrow((void**)&v->polygonUse, sizeof(int32_t), count))
        return;   // out of memory: the vertex normal misses this polygon
    v->polygonUse[count - 1] = p;
    v->polygonUseCount = count;
}

void obxObjectAddPolygon(Object* object, int index0, int index1, int index2, int doubleSided,
                         TextureRecord* texture, float s0, float t0, float s1, float t1, float s2,
                         float t2)
{
    if (!object)
        return;
    // Every index must name a vertex already added: anything else would be
    // read outside the vertex arrays at every frame.
    const int corners[3] = {index0, index1, index2};
    for (int k = 0; k < 3; k++) {
        if (corners[k] < 0 || corners[k] >= object->vertexCount)
            return;
    }
    int m = object->polygonCount + 1;
    if (!arrayGrow((void**)&object->polygons, sizeof(Polygon), m))
        return;
    int32_t* indices = (int32_t*)countedAlloc(3 * sizeof(int32_t));
    float* texCoords = (float*)countedAlloc(6 * sizeof(float));
    if (!indices || !texCoords) {
        free(indices);
        free(texCoords);
        return;
    }
    Polygon* polygon = &object->polygons[m - 1];
    memset(polygon, 0, sizeof *polygon);
    polygon->vertexCount = 3;
    for (int k = 0; k < 3; k++)
        indices[k] = corners[k];
    polygon->indices = indices;
    // Without a texture the polygon is drawn in its colour alone.
    polygon->kind = texture ? 1 : 2;
    polygon->texture = texture;
    polygon->doubleSided = doubleSided;
    for (int ch = 0; ch < 3; ch++) {
        polygon->diffuse[ch] = 1.0f;
        polygon->emissive[ch] = 0.0f;
    }
    texCoords[0] = s0;
    texCoords[1] = t0;
    texCoords[2] = s1;
    texCoords[3] = t1;
    texCoords[4] = s2;
    texCoords[5] = t2;
    polygon->texCoords = texCoords;
    polygon->extent = polygonExtent(object, polygon);
    object->polygonCount = m;
    for (int k = 0; k < 3; k++)
        vertexUseAppend(&object->vertexRecords[corners[k]], m - 1);
}
