// Objects: the world's object list and the precalculation steps that every
// object goes through before it is drawn (shared by the builder and the 3DS
// loader). The records themselves (Object, Polygon, VertexRecord) are in the
// public header: applications and tools read them.
#ifndef OBX_OBJECT_OBJECT_H
#define OBX_OBJECT_OBJECT_H

#include "core/public.h"

// The world's objects, linked through prev and next in the order added.
extern Object* worldObjects;       // first object added, null when empty
extern Object* worldObjectsLast;   // last object added

// Empties the world's object list (obxInitialize).
void worldObjectsInit(void);
// 1 when the object is a member of the world's list.
int objectInWorld(const Object* object);

// Precalculation, in the order obxObjectPerformPrecalculations runs it.
void objectCentre(Object* object);             // box centre becomes the local origin
void objectRadius(Object* object);             // radius = greatest vertex length
void objectRescale(Object* object, float radius);
void faceNormals(Object* object);
void faceNormalsNormalise(Object* object);
void vertexNormals(Object* object);
// Greatest distance from corner 0 of the polygon to its other corners.
float polygonExtent(const Object* object, const Polygon* polygon);

#endif
