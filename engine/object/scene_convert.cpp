// Merging a parsed scene into one object: all meshes' vertices and faces in
// file order, the materials' colours, two-sidedness and texture maps, then
// the precalculation every object goes through.
#include <stdlib.h>
#include <string.h>

#include "core/core.h"
#include "object/object.h"

// Face flags 7 (all three edges visible) mark a face stored the other way round.
static const uint16_t faceStoredReversed = 7;

// The scene's meshes as one face, point and mapping-coordinate list.
typedef struct MergedLists {
    int32_t faceCount;
    int32_t vertexCount;
    uint16_t (*faces)[4];
    float (*points)[3];
    float (*mapCoords)[2];
} MergedLists;

static void mergedListsFree(MergedLists* lists)
{
    free(lists->faces);
    free(lists->points);
    free(lists->mapCoords);
}

// Each face's indices move past the vertices of the meshes before its own;
// the parse has made sure the sum fits 16 bits.
static int mergedListsBuild(const Scene* scene, MergedLists* lists)
{
    memset(lists, 0, sizeof *lists);
    size_t faces = 0, vertices = 0;
    for (int m = 0; m < scene->meshCount; m++) {
        faces += (size_t)scene->meshes[m].faceCount;
        vertices += (size_t)scene->meshes[m].vertexCount;
    }
    lists->faceCount = (int32_t)faces;
    lists->vertexCount = (int32_t)vertices;
    lists->faces = (uint16_t(*)[4])countedAlloc(faces * sizeof lists->faces[0]);
    lists->points = (float(*)[3])countedAlloc(vertices * sizeof lists->points[0]);
    lists->mapCoords = (float(*)[2])countedAlloc(vertices * sizeof lists->mapCoords[0]);
    if (!lists->faces || !lists->points || !lists->mapCoords) {
        mergedListsFree(lists);
        return 0;
    }
    int32_t faceAt = 0, vertexAt = 0;
    for (int m = 0; m < scene->meshCount; m++) {
        const Mesh* mesh = &scene->meshes[m];
        for (int f = 0; f < mesh->faceCount; f++, faceAt++) {
            for (int k = 0; k < 3; k++)
                lists->faces[faceAt][k] = (uint16_t)(mesh->faces[f][k] + vertexAt);
            lists->faces[faceAt][3] = mesh->faces[f][3];
        }
        for (int v = 0; v < mesh->vertexCount; v++) {
            memcpy(lists->points[vertexAt + v], mesh->points[v], sizeof lists->points[0]);
            // Vertices of a mesh without mapping coordinates get (0, 0).
            if (mesh->hasMap)
                memcpy(lists->mapCoords[vertexAt + v], mesh->mapCoords[v],
                       sizeof lists->mapCoords[0]);
            else
                memset(lists->mapCoords[vertexAt + v], 0, sizeof lists->mapCoords[0]);
        }
        vertexAt += mesh->vertexCount;
    }
    return 1;
}

// A zeroed counted block of count entries.
static void* arrayCreate(size_t count, size_t entrySize)
{
    size_t bytes = count * entrySize;
    void* block = countedAlloc(bytes);
    if (block && bytes > 0)
        memset(block, 0, bytes);
    return block;
}

// The object with its arrays, every entry zeroed; null when memory runs out.
static Object* objectCreate(int32_t vertexCount, int32_t polygonCount)
{
    Object* object = (Object*)arrayCreate(1, sizeof(Object));
    if (!object)
        return NULL;
    liveRecordAdd(&objects.live, object);
    object->shape = GR_TRIANGLE_FAN;
    object->shadingType = OBX_SHADING_FLAT;
    size_t v = (size_t)vertexCount;
    object->vertices = (Vector*)arrayCreate(v, sizeof(Vector));
    object->worldVertices = (Vector*)arrayCreate(v, sizeof(Vector));
    object->vertexRecords = (VertexRecord*)arrayCreate(v, sizeof(VertexRecord));
    object->envCoords = (float(*)[2])arrayCreate(v, sizeof(float[2]));
    object->vertexNormals = (float(*)[4])arrayCreate(v, sizeof(float[4]));
    object->dynLight = (float(*)[3])arrayCreate(v, sizeof(float[3]));
    if (!object->vertices || !object->worldVertices || !object->vertexRecords ||
        !object->envCoords || !object->vertexNormals || !object->dynLight) {
        obxObjectDelete(object);
        return NULL;
    }
    object->vertexCount = vertexCount;
    object->polygons = (Polygon*)arrayCreate((size_t)polygonCount, sizeof(Polygon));
    if (!object->polygons) {
        fputs("Not enough memory\n", stdout);
        fflush(stdout);
        obxObjectDelete(object);
        return NULL;
    }
    object->polygonCount = polygonCount;
    return object;
}

// Vertices, polygons and each vertex's polygon-use list, every polygon
// untextured, white and single-sided.
static int objectFill(Object* object, MergedLists* lists)
{
    for (int i = 0; i < lists->vertexCount; i++) {
        object->vertices[i].x = lists->points[i][0];
        object->vertices[i].y = lists->points[i][1];
        object->vertices[i].z = lists->points[i][2];
    }
    for (int f = 0; f < lists->faceCount; f++) {
        for (int k = 0; k < 3; k++)
            object->vertexRecords[lists->faces[f][k]].polygonUseCount++;
    }
    for (int i = 0; i < lists->vertexCount; i++) {
        VertexRecord* record = &object->vertexRecords[i];
        if (record->polygonUseCount > 0) {
            record->polygonUse =
                (int32_t*)countedAlloc((size_t)record->polygonUseCount * sizeof(int32_t));
            if (!record->polygonUse)
                return 0;
        }
        record->polygonUseCount = 0;
    }
    for (int f = 0; f < lists->faceCount; f++) {
        uint16_t* face = lists->faces[f];
        if (face[3] == faceStoredReversed) {
            uint16_t b = face[1];
            face[1] = face[2];
            face[2] = b;
        }
        Polygon* polygon = &object->polygons[f];
        polygon->indices = (int32_t*)countedAlloc(3 * sizeof(int32_t));
        polygon->texCoords = (float*)countedAlloc(6 * sizeof(float));
        if (!polygon->indices || !polygon->texCoords)
            return 0;
        polygon->vertexCount = 3;
        for (int k = 0; k < 3; k++) {
            polygon->indices[k] = face[k];
            polygon->texCoords[2 * k] = lists->mapCoords[face[k]][0];
            polygon->texCoords[2 * k + 1] = lists->mapCoords[face[k]][1];
        }
        polygon->kind = OBX_POLYGON_UNTEXTURED;
        polygon->texture = NULL;
        polygon->doubleSided = OBX_ONE_SIDED;
        for (int ch = 0; ch < 3; ch++) {
            polygon->diffuse[ch] = 1.0f;
            polygon->emissive[ch] = 0.0f;
        }
        polygon->extent = polygonExtent(object, polygon);
        for (int k = 0; k < 3; k++) {
            VertexRecord* record = &object->vertexRecords[face[k]];
            record->polygonUse[record->polygonUseCount++] = f;
        }
    }
    return 1;
}

// Texture maps load as the 3DF file of the map name's part before its first
// '.': WOOD.GIF becomes WOOD.3df. A map that fails to load leaves its faces
// drawn in their colours.
static void materialTexturesLoad(Scene* scene)
{
    for (Material* material = scene->materials; material; material = material->next) {
        if (!material->hasMap)
            continue;
        char fileName[MATERIAL_NAME_SIZE];
        size_t base = strcspn(material->mapName, ".");
        memcpy(fileName, material->mapName, base);
        strcpy(fileName + base, ".3df");   // the parse left room for it
        material->texture = obxTextureLoad(fileName, OBX_TMU0);
    }
}

static void materialsApply(const Scene* scene, Object* object)
{
    int32_t base = 0;
    for (int m = 0; m < scene->meshCount; m++) {
        const Mesh* mesh = &scene->meshes[m];
        for (const FaceGroup* group = mesh->groups; group; group = group->next) {
            const Material* material = group->material;
            if (!material || group->count == 0)
                continue;
            for (int i = 0; i < group->count; i++) {
                Polygon* polygon = &object->polygons[base + group->faces[i]];
                polygon->texture = material->texture;
                polygon->doubleSided = material->twoSided;
                for (int ch = 0; ch < 3; ch++) {
                    polygon->emissive[ch] = material->ambient[ch];
                    polygon->diffuse[ch] = material->diffuse[ch];
                }
                if (material->texture)
                    polygon->kind = OBX_POLYGON_TEXTURED;
            }
        }
        base += mesh->faceCount;
    }
}

Object* sceneToObject(Scene* scene, float radius, int textured)
{
    MergedLists lists;
    if (!mergedListsBuild(scene, &lists))
        return NULL;
    Object* object = objectCreate(lists.vertexCount, lists.faceCount);
    if (!object || !objectFill(object, &lists)) {
        // Never half an object: whatever was built goes again.
        if (object)
            obxObjectDelete(object);
        mergedListsFree(&lists);
        return NULL;
    }
    if (textured == OBX_LOAD_TEXTURED) {
        materialTexturesLoad(scene);
        materialsApply(scene, object);
    }
    mergedListsFree(&lists);

    objectCentre(object);
    objectRadius(object);
    if (radius != 0.0f)
        objectRescale(object, radius);
    faceNormals(object);
    faceNormalsNormalise(object);
    vertexNormals(object);
    return object;
}
