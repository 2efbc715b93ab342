// Objects: the world's object list and the precalculation steps that every
// object goes through before it is drawn (shared by the builder and the 3DS
// loader). The records themselves (Object, Polygon, VertexRecord) are in the
// public header: applications and tools read them.
#ifndef OBX_OBJECT_OBJECT_H
#define OBX_OBJECT_OBJECT_H

#include <stdint.h>
#include <stdio.h>

#include "core/core.h"
#include "public.h"

// What the object subsystem keeps: the world's objects, linked through prev
// and next in the order added.
typedef struct ObjectState {
    Object* first;      // first object added, null when empty
    Object* last;       // last object added
    LiveRecords live;   // every object not yet deleted (debug builds only, see LiveRecords)
} ObjectState;
extern ObjectState objects;

// Empties the world's object list (obxInitialize).
void worldObjectsInit(void);
// 1 when the object is a member of the world's list.
int objectInWorld(const Object* object);

// Precalculation, in the order obxObjectPerformPrecalculations runs it.
void objectCentre(Object* object);   // box centre becomes the local origin
void objectRadius(Object* object);   // radius = greatest vertex length
void objectRescale(Object* object, float radius);
void faceNormals(Object* object);
void faceNormalsNormalise(Object* object);
void vertexNormals(Object* object);
// Greatest distance from corner 0 of the polygon to its other corners.
float polygonExtent(const Object* object, const Polygon* polygon);

// ---- 3DS loading ---------------------------------------------------------------
// The loader reads a .3ds file through a reader bound to an open file or to a
// block of memory (an executable's resource), parses the chunks it knows into
// a Scene, checks the scene against the limits the merge relies on, and merges
// its meshes into one Object.

// Chunk reader. Both kinds keep the absolute position; neither reads or seeks
// beyond its size.
enum { CHUNK_READER_FILE = 1, CHUNK_READER_MEMORY = 2 };
typedef struct ChunkReader {
    int kind;
    FILE* file;            // file kind
    const uint8_t* data;   // memory kind
    uint32_t size;         // bytes in the file or the block
    uint32_t position;
} ChunkReader;

void chunkReaderFile(ChunkReader* reader, FILE* file, uint32_t size);
void chunkReaderMemory(ChunkReader* reader, const void* data, uint32_t size);
int chunkRead(ChunkReader* reader, void* destination, uint32_t byteCount);   // 1 or 0
int chunkSeek(ChunkReader* reader, uint32_t position);                       // 1 or 0
uint32_t chunkTell(const ChunkReader* reader);

// The scene: meshes in file order and the materials they name.
#define MATERIAL_NAME_SIZE 80   // names and map names with their NUL
#define MESH_NAME_SIZE     16

typedef struct Material {
    char name[MATERIAL_NAME_SIZE];
    char mapName[MATERIAL_NAME_SIZE];
    int32_t hasMap;
    TextureRecord* texture;
    float ambient[3];
    float diffuse[3];
    int32_t twoSided;
    struct Material* next;
} Material;

typedef struct FaceGroup {
    Material* material;   // null when the name matched no material
    int32_t count;
    int32_t* faces;   // face indices within the mesh
    struct FaceGroup* next;
} FaceGroup;

typedef struct Mesh {
    char name[MESH_NAME_SIZE];
    int32_t vertexCount;
    float (*points)[3];
    int32_t faceCount;
    uint16_t (*faces)[4];   // a, b, c, flags
    int32_t hasMap;
    int32_t mapCount;
    float (*mapCoords)[2];
    int32_t hasAxes;
    float axes[12];   // read, not used
    FaceGroup* groups;
    FaceGroup* groupsLast;
} Mesh;

typedef struct Scene {
    int32_t meshCount;
    int32_t meshCapacity;
    Mesh* meshes;
    Material* materials;   // in file order, the last one empty: the one being filled
    Material* materialCurrent;
} Scene;

// Parses the file the reader is bound to; null when it is not a 3DS file, is
// cut short, breaks a limit (a name without its NUL, an index outside its
// mesh, more than 65536 vertices, fewer mapping coordinates than vertices, a
// chunk running past its parent) or memory runs out.
Scene* sceneParse(ChunkReader* reader);
void sceneFree(Scene* scene);
// Merges the scene's meshes into one new, precalculated object (flat shaded);
// textured 1 also loads the materials' texture maps and applies the
// materials. Null when memory runs out.
Object* sceneToObject(Scene* scene, float radius, int textured);

#endif
