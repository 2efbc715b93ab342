// Collision tests on bounding spheres: object against object, and object
// against the ground height of a landscape.
#include "core/core.h"
#include "math/math3d.h"
#include "object/object.h"

int obxObjectDetectCollision(Object* a, Object* b)
{
    if (!a || !b)
        return 0;
    const float v[3] = {a->position.x - b->position.x, a->position.y - b->position.y,
                        a->position.z - b->position.z};
    float d = (float)VectorLenght(v);
    return d - a->radius - b->radius <= 0.0f ? 1 : 0;
}

int obxObjectDetectCollisionLandscape(Object* object, Landscape* landscape)
{
    if (!object || !landscape)
        return 0;
    // Outside the height map the ground height is -1, like any other height.
    float h = obxLandscapeGetHeightXZ(landscape, object->position.x, object->position.z);
    const float v[3] = {0.0f, h - object->position.y, 0.0f};
    float d = (float)VectorLenght(v);
    return d - object->radius <= 0.0f ? 1 : 0;
}
