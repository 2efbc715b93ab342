// Parsing a 3D Studio file into a Scene: the chunks of the editor data that
// make triangle meshes and their materials; everything else is skipped.
//
// Every chunk is a 6-byte header (16-bit id, 32-bit length counting the
// header) and its data, little-endian. Each level of the tree is walked by
// chunkNext up to the end of its parent. A chunk whose length is shorter than its
// header or runs past its parent, data running past its chunk, and a name
// without its NUL within its room end the parse with a failure, from any
// depth; the caller then gets no scene at all.
#include <stdlib.h>
#include <string.h>

#include "object/object.h"

enum {
    CHUNK_MAIN = 0x4D4D,
    CHUNK_EDITOR = 0x3D3D,
    CHUNK_NAMED_OBJECT = 0x4000,
    CHUNK_TRIANGLE_MESH = 0x4100,
    CHUNK_VERTEX_LIST = 0x4110,
    CHUNK_FACE_LIST = 0x4120,
    CHUNK_FACE_MATERIAL = 0x4130,
    CHUNK_MAPPING = 0x4140,
    CHUNK_LOCAL_AXES = 0x4160,
    CHUNK_MATERIAL = 0xAFFF,
    CHUNK_MATERIAL_NAME = 0xA000,
    CHUNK_AMBIENT = 0xA010,
    CHUNK_DIFFUSE = 0xA020,
    CHUNK_TWO_SIDED = 0xA081,
    CHUNK_TEXTURE_MAP = 0xA200,
    CHUNK_MAP_NAME = 0xA300,
    CHUNK_COLOUR_24 = 0x0011,
    CHUNK_LINEAR_COLOUR_24 = 0x0012,
};

#define CHUNK_HEADER_SIZE 6u
// Merged vertex indices are 16-bit.
#define SCENE_VERTICES_MAX 65536

typedef struct Parse {
    ChunkReader* reader;
    Scene* scene;
    int colourSeen;   // some colour chunk had a non-zero component
} Parse;

typedef struct ChunkHeader {
    uint16_t id;
    uint32_t start;
    uint32_t end;   // start + length
} ChunkHeader;

static uint16_t u16Decode(const uint8_t* p)
{
    return (uint16_t)(p[0] | (p[1] << 8));
}

static uint32_t u32Decode(const uint8_t* p)
{
    return (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) | ((uint32_t)p[3] << 24);
}

// Reads count bytes of data that must lie before end.
static int dataRead(Parse* parse, uint32_t end, void* destination, uint32_t count)
{
    uint32_t at = chunkTell(parse->reader);
    if (at > end || count > end - at)
        return 0;
    return chunkRead(parse->reader, destination, count);
}

static int u16Read(Parse* parse, uint32_t end, uint16_t* value)
{
    uint8_t raw[2];
    if (!dataRead(parse, end, raw, 2))
        return 0;
    *value = u16Decode(raw);
    return 1;
}

// count 32-bit floats read in place from their little-endian bytes.
static int floatsRead(Parse* parse, uint32_t end, float* values, uint32_t count)
{
    if (!dataRead(parse, end, values, count * 4))
        return 0;
    uint8_t* bytes = (uint8_t*)values;
    for (uint32_t i = 0; i < count; i++) {
        uint32_t word = u32Decode(bytes + 4 * i);
        memcpy(&values[i], &word, 4);
    }
    return 1;
}

// A NUL-terminated name of at most room bytes, NUL included.
static int nameRead(Parse* parse, uint32_t end, char* name, uint32_t room)
{
    for (uint32_t i = 0; i < room; i++) {
        uint8_t c;
        if (!dataRead(parse, end, &c, 1))
            return 0;
        name[i] = (char)c;
        if (c == 0)
            return 1;
    }
    return 0;
}

// The header of the chunk at the current position, which must lie wholly
// before end.
static int chunkHeaderRead(Parse* parse, uint32_t end, ChunkHeader* header)
{
    uint32_t start = chunkTell(parse->reader);
    uint8_t raw[CHUNK_HEADER_SIZE];
    if (!dataRead(parse, end, raw, CHUNK_HEADER_SIZE))
        return 0;
    uint32_t length = u32Decode(raw + 2);
    if (length < CHUNK_HEADER_SIZE || length > end - start)
        return 0;
    header->id = u16Decode(raw);
    header->start = start;
    header->end = start + length;
    return 1;
}

// A walk over the children of one chunk: chunkNext steps from one child to
// the next, seeking past what the caller left unread of the one before.
typedef struct ChunkWalk {
    const ChunkHeader* parent;
    ChunkHeader child;   // the current child
    int started;
    int failed;   // a header or a seek failed: the parse fails
} ChunkWalk;

static ChunkWalk chunkWalk(const ChunkHeader* parent)
{
    ChunkWalk walk = {parent, {0, 0, 0}, 0, 0};
    return walk;
}

// 1 with the next child in walk->child; 0 at the end of the parent, or on a
// failure with walk->failed set.
static int chunkNext(Parse* parse, ChunkWalk* walk)
{
    if (walk->started && !chunkSeek(parse->reader, walk->child.end)) {
        walk->failed = 1;
        return 0;
    }
    walk->started = 1;
    if (chunkTell(parse->reader) >= walk->parent->end)
        return 0;
    if (!chunkHeaderRead(parse, walk->parent->end, &walk->child)) {
        walk->failed = 1;
        return 0;
    }
    return 1;
}

static Material* materialCreate(void)
{
    Material* material = (Material*)calloc(1, sizeof(Material));
    if (!material)
        return NULL;
    for (int ch = 0; ch < 3; ch++)
        material->diffuse[ch] = 1.0f;
    return material;
}

// The first material of that name, in file order.
static Material* materialFind(Scene* scene, const char* name)
{
    for (Material* m = scene->materials; m; m = m->next) {
        if (strcmp(m->name, name) == 0)
            return m;
    }
    return NULL;
}

// ---- Materials ---------------------------------------------------------------

// 24-bit colours (plain or linear, the later one wins) under an ambient or
// diffuse chunk.
static int colourParse(Parse* parse, const ChunkHeader* parent, float* colour)
{
    ChunkWalk walk = chunkWalk(parent);
    while (chunkNext(parse, &walk)) {
        const ChunkHeader* h = &walk.child;
        if (h->id == CHUNK_COLOUR_24 || h->id == CHUNK_LINEAR_COLOUR_24) {
            uint8_t rgb[3];
            if (!dataRead(parse, h->end, rgb, 3))
                return 0;
            for (int ch = 0; ch < 3; ch++) {
                colour[ch] = rgb[ch] / 255.0f;
                if (rgb[ch] != 0)
                    parse->colourSeen = 1;
            }
        }
    }
    return !walk.failed;
}

static int mapNameRead(Parse* parse, const ChunkHeader* h, Material* material)
{
    if (!nameRead(parse, h->end, material->mapName, MATERIAL_NAME_SIZE))
        return 0;
    // The texture file is the part before the first '.' with ".3df" added,
    // and must fit the same room.
    size_t base = strcspn(material->mapName, ".");
    if (base + strlen(".3df") >= MATERIAL_NAME_SIZE)
        return 0;
    material->hasMap = 1;
    return 1;
}

static int textureMapParse(Parse* parse, const ChunkHeader* parent, Material* material)
{
    ChunkWalk walk = chunkWalk(parent);
    while (chunkNext(parse, &walk)) {
        if (walk.child.id == CHUNK_MAP_NAME && !mapNameRead(parse, &walk.child, material))
            return 0;
    }
    return !walk.failed;
}

// Fills the current material; at the end a new, empty one becomes current.
static int materialParse(Parse* parse, const ChunkHeader* parent)
{
    Material* material = parse->scene->materialCurrent;
    ChunkWalk walk = chunkWalk(parent);
    while (chunkNext(parse, &walk)) {
        const ChunkHeader* h = &walk.child;
        int ok = 1;
        switch (h->id) {
        case CHUNK_MATERIAL_NAME:
            ok = nameRead(parse, h->end, material->name, MATERIAL_NAME_SIZE);
            break;
        case CHUNK_AMBIENT: ok = colourParse(parse, h, material->ambient); break;
        case CHUNK_DIFFUSE: ok = colourParse(parse, h, material->diffuse); break;
        case CHUNK_TWO_SIDED: material->twoSided = 1; break;
        case CHUNK_TEXTURE_MAP: ok = textureMapParse(parse, h, material); break;
        default: break;
        }
        if (!ok)
            return 0;
    }
    if (walk.failed)
        return 0;
    Material* next = materialCreate();
    if (!next)
        return 0;
    material->next = next;
    parse->scene->materialCurrent = next;
    return 1;
}

// ---- Triangle meshes ----------------------------------------------------------

// The 16-bit count of a list and room for its entries of entrySize bytes
// before end; the entries come next.
static int listCountRead(Parse* parse, uint32_t end, uint32_t entrySize, uint16_t* count)
{
    if (!u16Read(parse, end, count))
        return 0;
    uint32_t at = chunkTell(parse->reader);
    return (uint64_t)*count * entrySize <= (uint64_t)(end - at);
}

static int vertexListRead(Parse* parse, const ChunkHeader* h, Mesh* mesh)
{
    uint16_t n;
    if (!listCountRead(parse, h->end, 12, &n))
        return 0;
    float(*points)[3] = (float(*)[3])malloc(n ? (size_t)n * 12 : 1);
    if (!points || !floatsRead(parse, h->end, &points[0][0], (uint32_t)n * 3)) {
        free(points);
        return 0;
    }
    free(mesh->points);   // a second list replaces the first
    mesh->points = points;
    mesh->vertexCount = n;
    return 1;
}

static int faceListRead(Parse* parse, const ChunkHeader* h, Mesh* mesh)
{
    uint16_t n;
    if (!listCountRead(parse, h->end, 8, &n))
        return 0;
    uint16_t(*faces)[4] = (uint16_t(*)[4])malloc(n ? (size_t)n * 8 : 1);
    if (!faces || !dataRead(parse, h->end, faces, (uint32_t)n * 8)) {
        free(faces);
        return 0;
    }
    const uint8_t* bytes = (const uint8_t*)faces;
    for (uint32_t i = 0; i < (uint32_t)n * 4; i++)
        (&faces[0][0])[i] = u16Decode(bytes + 2 * i);
    free(mesh->faces);
    mesh->faces = faces;
    mesh->faceCount = n;
    return 1;
}

static int mappingRead(Parse* parse, const ChunkHeader* h, Mesh* mesh)
{
    uint16_t n;
    if (!listCountRead(parse, h->end, 8, &n))
        return 0;
    float(*coords)[2] = (float(*)[2])malloc(n ? (size_t)n * 8 : 1);
    if (!coords || !floatsRead(parse, h->end, &coords[0][0], (uint32_t)n * 2)) {
        free(coords);
        return 0;
    }
    free(mesh->mapCoords);
    mesh->mapCoords = coords;
    mesh->mapCount = n;
    mesh->hasMap = 1;
    return 1;
}

// A material name, then the faces of the mesh drawn in it.
static int faceGroupRead(Parse* parse, const ChunkHeader* h, Mesh* mesh)
{
    char name[MATERIAL_NAME_SIZE];
    uint16_t n;
    if (!nameRead(parse, h->end, name, sizeof name) || !listCountRead(parse, h->end, 2, &n))
        return 0;
    FaceGroup* group = (FaceGroup*)calloc(1, sizeof(FaceGroup));
    uint8_t* raw = (uint8_t*)malloc(n ? (size_t)n * 2 : 1);
    int32_t* faces = (int32_t*)malloc(n ? (size_t)n * 4 : 1);
    if (!group || !raw || !faces || !dataRead(parse, h->end, raw, (uint32_t)n * 2)) {
        free(group);
        free(raw);
        free(faces);
        return 0;
    }
    for (uint32_t i = 0; i < n; i++)
        faces[i] = u16Decode(raw + 2 * i);
    free(raw);
    group->material = materialFind(parse->scene, name);
    group->count = n;
    group->faces = faces;
    if (mesh->groupsLast)
        mesh->groupsLast->next = group;
    else
        mesh->groups = group;
    mesh->groupsLast = group;
    return 1;
}

// The children of a triangle mesh. A face list's own chunks (its material
// groups, smoothing groups) follow its faces inside it; they are met by this
// same walk, which goes on right after the faces.
static int meshParse(Parse* parse, const ChunkHeader* parent, int meshIndex)
{
    ChunkWalk walk = chunkWalk(parent);
    while (chunkNext(parse, &walk)) {
        ChunkHeader* h = &walk.child;
        Mesh* mesh = &parse->scene->meshes[meshIndex];
        int ok = 1;
        switch (h->id) {
        case CHUNK_VERTEX_LIST: ok = vertexListRead(parse, h, mesh); break;
        case CHUNK_FACE_LIST:
            ok = faceListRead(parse, h, mesh);
            h->end = chunkTell(parse->reader);   // the next child starts here
            break;
        case CHUNK_FACE_MATERIAL: ok = faceGroupRead(parse, h, mesh); break;
        case CHUNK_MAPPING: ok = mappingRead(parse, h, mesh); break;
        case CHUNK_LOCAL_AXES:
            ok = floatsRead(parse, h->end, mesh->axes, 12);
            mesh->hasAxes = 1;
            break;
        default: break;
        }
        if (!ok)
            return 0;
    }
    return !walk.failed;
}

static int meshAppend(Scene* scene, const char* name)
{
    if (scene->meshCount == scene->meshCapacity) {
        int capacity = scene->meshCapacity ? scene->meshCapacity * 2 : 8;
        Mesh* grown = (Mesh*)realloc(scene->meshes, (size_t)capacity * sizeof(Mesh));
        if (!grown)
            return -1;
        scene->meshes = grown;
        scene->meshCapacity = capacity;
    }
    Mesh* mesh = &scene->meshes[scene->meshCount];
    memset(mesh, 0, sizeof *mesh);
    memcpy(mesh->name, name, MESH_NAME_SIZE);
    return scene->meshCount++;
}

static int namedObjectParse(Parse* parse, const ChunkHeader* parent)
{
    char name[MESH_NAME_SIZE] = {0};
    if (!nameRead(parse, parent->end, name, sizeof name))
        return 0;
    ChunkWalk walk = chunkWalk(parent);
    while (chunkNext(parse, &walk)) {
        if (walk.child.id == CHUNK_TRIANGLE_MESH) {
            int meshIndex = meshAppend(parse->scene, name);
            if (meshIndex < 0 || !meshParse(parse, &walk.child, meshIndex))
                return 0;
        }
    }
    return !walk.failed;
}

static int editorParse(Parse* parse, const ChunkHeader* parent)
{
    ChunkWalk walk = chunkWalk(parent);
    while (chunkNext(parse, &walk)) {
        int ok = 1;
        if (walk.child.id == CHUNK_NAMED_OBJECT)
            ok = namedObjectParse(parse, &walk.child);
        else if (walk.child.id == CHUNK_MATERIAL)
            ok = materialParse(parse, &walk.child);
        if (!ok)
            return 0;
    }
    return !walk.failed;
}

static int mainParse(Parse* parse, const ChunkHeader* parent)
{
    ChunkWalk walk = chunkWalk(parent);
    while (chunkNext(parse, &walk)) {
        if (walk.child.id == CHUNK_EDITOR && !editorParse(parse, &walk.child))
            return 0;
    }
    return !walk.failed;
}

// ---- The whole file -------------------------------------------------------------

// What the merge relies on: every face names vertices of its own mesh, every
// group names faces of its mesh, mapping coordinates cover their mesh's
// vertices, and the merged vertices can be numbered in 16 bits.
static int sceneCheck(const Scene* scene)
{
    int32_t vertices = 0;
    for (int m = 0; m < scene->meshCount; m++) {
        const Mesh* mesh = &scene->meshes[m];
        for (int f = 0; f < mesh->faceCount; f++) {
            for (int k = 0; k < 3; k++) {
                if (mesh->faces[f][k] >= mesh->vertexCount)
                    return 0;
            }
        }
        for (const FaceGroup* g = mesh->groups; g; g = g->next) {
            for (int i = 0; i < g->count; i++) {
                if (g->faces[i] >= mesh->faceCount)
                    return 0;
            }
        }
        if (mesh->hasMap && mesh->mapCount < mesh->vertexCount)
            return 0;
        vertices += mesh->vertexCount;
        if (vertices > SCENE_VERTICES_MAX)
            return 0;
    }
    return 1;
}

Scene* sceneParse(ChunkReader* reader)
{
    Scene* scene = (Scene*)calloc(1, sizeof(Scene));
    if (!scene)
        return NULL;
    scene->materials = materialCreate();
    scene->materialCurrent = scene->materials;
    Parse parse = {reader, scene, 0};
    ChunkHeader main;
    int ok = scene->materials != NULL && chunkHeaderRead(&parse, reader->size, &main) &&
             main.id == CHUNK_MAIN && mainParse(&parse, &main) && sceneCheck(scene);
    if (!ok) {
        sceneFree(scene);
        return NULL;
    }
    // A file whose colours are all black (or absent) was saved without
    // them: its materials are drawn white.
    if (!parse.colourSeen) {
        for (int m = 0; m < scene->meshCount; m++) {
            for (FaceGroup* g = scene->meshes[m].groups; g; g = g->next) {
                if (!g->material)
                    continue;
                for (int ch = 0; ch < 3; ch++) {
                    g->material->ambient[ch] = 0.0f;
                    g->material->diffuse[ch] = 1.0f;
                }
            }
        }
    }
    return scene;
}

void sceneFree(Scene* scene)
{
    if (!scene)
        return;
    for (int m = 0; m < scene->meshCount; m++) {
        Mesh* mesh = &scene->meshes[m];
        free(mesh->points);
        free(mesh->faces);
        free(mesh->mapCoords);
        for (FaceGroup* g = mesh->groups; g;) {
            FaceGroup* next = g->next;
            free(g->faces);
            free(g);
            g = next;
        }
    }
    free(scene->meshes);
    for (Material* m = scene->materials; m;) {
        Material* next = m->next;
        free(m);
        m = next;
    }
    free(scene);
}
