// World membership: the world's object list, in the order objects were added,
// and deleting an object with everything it owns.
#include <stdlib.h>

#include "object/object.h"

ObjectState objects;

void worldObjectsInit(void)
{
    // Objects of an earlier start-up leave the list as if never added, so
    // they can be added or deleted again without touching the new list.
    Object* object = objects.first;
    while (object) {
        Object* next = object->next;
        object->prev = NULL;
        object->next = NULL;
        object = next;
    }
    objects.first = NULL;
    objects.last = NULL;
}

int objectInWorld(const Object* object)
{
    // A new object has both links null; only the first member may too.
    return object->prev || object->next || objects.first == object;
}

Object* obxObjectAdd(Object* object)
{
    if (!object)
        return NULL;
    // Adding a member again would link it to itself and never end the list.
    if (objectInWorld(object))
        return object;
    object->prev = objects.last;
    object->next = NULL;
    if (objects.last)
        objects.last->next = object;
    else
        objects.first = object;
    objects.last = object;
    return object;
}

static void objectUnlink(Object* object)
{
    if (object->prev)
        object->prev->next = object->next;
    else
        objects.first = object->next;
    if (object->next)
        object->next->prev = object->prev;
    else
        objects.last = object->prev;
    object->prev = NULL;
    object->next = NULL;
}

void obxObjectDelete(Object* object)
{
    if (!object)
        return;
    liveRecordRemove(&objects.live, object, "obxObjectDelete");
    // An object that was never added leaves the world's list as it is.
    if (objectInWorld(object))
        objectUnlink(object);
    for (int p = 0; p < object->polygonCount; p++) {
        free(object->polygons[p].indices);
        free(object->polygons[p].texCoords);
    }
    free(object->polygons);
    for (int i = 0; i < object->vertexCount; i++)
        free(object->vertexRecords[i].polygonUse);
    free(object->vertices);
    free(object->worldVertices);
    free(object->vertexRecords);
    free(object->envCoords);
    free(object->vertexNormals);
    free(object->dynLight);
    free(object);
}
