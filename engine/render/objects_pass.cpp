// The objects pass of the world render: the world's objects culled by their
// bounding spheres, the visible ones sorted farthest first, then each
// prepared and drawn in turn.
#include <math.h>
#include <stdlib.h>
#include <string.h>

#include "math/math3d.h"
#include "object/object.h"
#include "render/render.h"

static VisibleObject visibleObjectsInitial[VISIBLE_OBJECTS_INITIAL];
RenderState render = {visibleObjectsInitial, 0, VISIBLE_OBJECTS_INITIAL, GR_TRIANGLE_FAN};

float objectCull(Object* object)
{
    Ver p;
    MatXVer(&view.matrix, &object->position, &p);
    float r = object->radius;
    float nearZ = view.nearDistance, farZ = view.farDistance;
    object->culled = 0;
    object->whollyInside = 1;
    // The sides are compared against the 45-degree planes without
    // normalising: a fixed rule, not an exact sphere test.
    if (p.z + r < nearZ || p.z - r > farZ || p.x + r < -p.z || p.x - r > p.z || p.y + r < -p.z ||
        p.y - r > p.z)
        object->culled = 1;
    // A centre or radius that is not a number lies nowhere in the view.
    if (isnan(p.x) || isnan(p.y) || isnan(p.z) || isnan(r))
        object->culled = 1;
    float r2 = 2.0f * r;
    if (p.z - r2 < nearZ || p.z + r2 > farZ || p.x - r2 < -p.z || p.x + r2 > p.z ||
        p.y - r2 < -p.z || p.y + r2 > p.z)
        object->whollyInside = 0;
    return p.z;
}

int compareDepth(const Vector* a, const Vector* b)
{
    Ver pa, pb;
    MatXVer(&view.matrix, a, &pa);
    MatXVer(&view.matrix, b, &pb);
    if (pa.z > pb.z)
        return -1;
    if (pa.z < pb.z)
        return 1;
    return 0;
}

// Room for one more visible object: beyond the first 10000 the array grows,
// so no visible object is ever left out for lack of room (only for lack of
// memory).
static int visibleObjectsReserve(void)
{
    if (render.visibleObjectCount < render.visibleObjectCapacity)
        return 1;
    int32_t capacity = render.visibleObjectCapacity * 2;
    size_t bytes = (size_t)capacity * sizeof(VisibleObject);
    VisibleObject* grown;
    if (render.visibleObjects == visibleObjectsInitial) {
        grown = (VisibleObject*)malloc(bytes);
        if (grown)
            memcpy(grown, render.visibleObjects,
                   (size_t)render.visibleObjectCount * sizeof(VisibleObject));
    } else {
        grown = (VisibleObject*)realloc(render.visibleObjects, bytes);
    }
    if (!grown)
        return 0;
    render.visibleObjects = grown;
    render.visibleObjectCapacity = capacity;
    return 1;
}

static int visibleObjectFartherFirst(const void* a, const void* b)
{
    float da = ((const VisibleObject*)a)->depth, db = ((const VisibleObject*)b)->depth;
    return (da < db) - (da > db);
}

void objectsPass(void)
{
    render.visibleObjectCount = 0;
    for (Object* object = objects.first; object; object = object->next) {
        float depth = objectCull(object);
        if (object->culled || !visibleObjectsReserve())
            continue;
        render.visibleObjects[render.visibleObjectCount].depth = depth;
        render.visibleObjects[render.visibleObjectCount].object = object;
        render.visibleObjectCount++;
    }
    // Each object's depth is found once; culled objects are never NaN here.
    qsort(render.visibleObjects, (size_t)render.visibleObjectCount, sizeof(VisibleObject),
          visibleObjectFartherFirst);
    for (int32_t i = 0; i < render.visibleObjectCount; i++) {
        Object* object = render.visibleObjects[i].object;
        objectWorldVertices(object);
        objectViewTransform(object);
        objectClipCodes(object);
        objectBackFaces(object);
        objectLighting(object);
        drawObject(object);
    }
}
