// Building the sky box: a cube of six textured faces, made with the object
// builder and kept apart from the world's objects.
#include "core/core.h"
#include "render/render.h"
#include "terrain/terrain.h"

void skyboxInit(void)
{
    terrain.skybox = NULL;
}

int obxSkyboxAdd(float halfSide, TextureRecord* t1, TextureRecord* t2, TextureRecord* t3,
                 TextureRecord* t4, TextureRecord* t5, TextureRecord* t6)
{
    static const float corners[8][3] = {
        {-1, 1, 1},  {-1, -1, 1},  {1, -1, 1},  {1, 1, 1},
        {-1, 1, -1}, {-1, -1, -1}, {1, -1, -1}, {1, 1, -1},
    };
    // Each face as (p, q, r) and (r, w, p), seen from inside; in order
    // z = +s, x = -s, z = -s, x = +s, y = +s, y = -s.
    static const int faces[6][4] = {
        {2, 1, 0, 3}, {1, 5, 4, 0}, {5, 6, 7, 4}, {6, 2, 3, 7}, {3, 0, 4, 7}, {6, 5, 1, 2},
    };
    TextureRecord* textures[6] = {t1, t2, t3, t4, t5, t6};

    // Out of memory is a failure, and the earlier sky box stays.
    Object* cube = obxObjectInitDefaultState();
    if (!cube)
        return 0;
    for (int i = 0; i < 8; i++)
        obxObjectAddVertex(cube, corners[i][0] * halfSide, corners[i][1] * halfSide,
                           corners[i][2] * halfSide);
    for (int f = 0; f < 6; f++) {
        int p = faces[f][0], q = faces[f][1], r = faces[f][2], w = faces[f][3];
        obxObjectAddPolygon(cube, p, q, r, OBX_ONE_SIDED, textures[f], 1, 1, 0, 1, 0, 0);
        obxObjectAddPolygon(cube, r, w, p, OBX_ONE_SIDED, textures[f], 0, 0, 1, 0, 1, 1);
    }
    if (cube->vertexCount != 8 || cube->polygonCount != 12)
        return 0;
    // Fully bright whatever the lights.
    for (int i = 0; i < cube->polygonCount; i++) {
        cube->polygons[i].emissive[0] = 1.0f;
        cube->polygons[i].emissive[1] = 1.0f;
        cube->polygons[i].emissive[2] = 1.0f;
    }
    obxObjectPerformPrecalculations(cube, halfSide);
    obxObjectSetShadingType(cube, 1);
    // It stays at the origin: its world vertices are found once.
    objectWorldVertices(cube);
    terrain.skybox = cube;
    return 1;
}

void obxSkyboxDisable(void)
{
    terrain.skybox = NULL;
}
