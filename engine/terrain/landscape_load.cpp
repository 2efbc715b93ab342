// Loading a landscape: the height field from an 8-bit intensity 3DF file,
// the tree of 4 x 4 patches down to single cells, and their light maps.
#include <math.h>
#include <stdlib.h>
#include <string.h>

#include "core/core.h"
#include "math/math3d.h"
#include "terrain/terrain.h"
#include "texture/texture.h"

namespace {

// What building the tree reads: the work height field and the normal grid
// (four floats per sample), both sampleCount x sampleCount.
struct TreeBuild {
    int sampleCount;
    int leafLevel;
    float sizeX, sizeZ;
    const float* heights;
    float* normals;
    TextureRecord* surface;
};

}   // namespace

static void normalAdd(const TreeBuild* b, int row, int col, const float* normal)
{
    float* n = &b->normals[((size_t)row * (size_t)b->sampleCount + (size_t)col) * 4];
    n[0] += normal[0];
    n[1] += normal[1];
    n[2] += normal[2];
}

static void cornerSet(Vector* corner, float x, float y, float z)
{
    corner->x = x;
    corner->y = y;
    corner->z = z;
}

// Corners, bounding sphere and triangle normals of the patch whose first
// sample is (r0, c0) and which spans `step` samples.
static void patchGeometry(const TreeBuild* b, LandscapePatch* p, int level, int i, int k)
{
    int n = b->sampleCount;
    int divisions = 1 << (2 * level);
    int step = (n - 1) / divisions;
    float width = b->sizeX / (float)divisions;
    float depth = b->sizeZ / (float)divisions;
    float x0 = -b->sizeX / 2.0f + (float)i * width;
    float z0 = b->sizeZ / 2.0f - (float)k * depth;
    int r0 = k * step, c0 = i * step, r1 = r0 + step, c1 = c0 + step;
    const float* h = b->heights;
    cornerSet(&p->corners[0], x0, h[r0 * n + c0], z0);
    cornerSet(&p->corners[1], x0, h[r1 * n + c0], z0 - depth);
    cornerSet(&p->corners[2], x0 + width, h[r1 * n + c1], z0 - depth);
    cornerSet(&p->corners[3], x0 + width, h[r0 * n + c1], z0);

    const Vector* c = p->corners;
    p->center[0] = (c[0].x + c[1].x + c[2].x + c[3].x) / 4.0f;
    p->center[1] = (c[0].y + c[1].y + c[2].y + c[3].y) / 4.0f;
    p->center[2] = (c[0].z + c[1].z + c[2].z + c[3].z) / 4.0f;
    float dx = c[0].x - p->center[0], dy = c[0].y - p->center[1], dz = c[0].z - p->center[2];
    float sum = dx * dx;
    sum += dy * dy;
    sum += dz * dz;
    p->radius = sqrtf(sum);

    // Triangle A is corners 0, 1, 2 and B is 2, 3, 0; on flat ground both
    // normals point up.
    const float a20[3] = {c[2].x - c[0].x, c[2].y - c[0].y, c[2].z - c[0].z};
    const float a10[3] = {c[1].x - c[0].x, c[1].y - c[0].y, c[1].z - c[0].z};
    const float b02[3] = {c[0].x - c[2].x, c[0].y - c[2].y, c[0].z - c[2].z};
    const float b32[3] = {c[3].x - c[2].x, c[3].y - c[2].y, c[3].z - c[2].z};
    CrossProduct3d(p->normalA, a20, a10);
    CrossProduct3d(p->normalB, b02, b32);
    if (level == b->leafLevel) {
        float both[3] = {p->normalA[0] + p->normalB[0], p->normalA[1] + p->normalB[1],
                         p->normalA[2] + p->normalB[2]};
        normalAdd(b, r0, c0, both);
        normalAdd(b, r1, c0, p->normalA);
        normalAdd(b, r1, c1, both);
        normalAdd(b, r0, c1, p->normalB);
    }
}

// Creates the patch (i, k) of a level and, depth first, everything below it.
static LandscapePatch* patchCreate(const TreeBuild* b, int level, int i, int k)
{
    LandscapePatch* p = (LandscapePatch*)countedAlloc(sizeof *p);
    if (!p)
        return NULL;
    memset(p, 0, sizeof *p);
    p->childCount = level < b->leafLevel ? 4 : 0;
    if (p->childCount > 0) {
        p->children = (LandscapePatch**)countedAlloc(16 * sizeof(LandscapePatch*));
        if (!p->children)
            return NULL;
    }
    patchGeometry(b, p, level, i, k);
    p->texture = b->surface;
    static const float st[4][2] = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};
    for (int c = 0; c < 4; c++) {
        p->viewCorners[c].s0 = p->viewCorners[c].s1 = st[c][0];
        p->viewCorners[c].t0 = p->viewCorners[c].t1 = st[c][1];
    }
    p->drawnOnce = 0;
    for (int z = 0; z < p->childCount; z++) {
        for (int x = 0; x < p->childCount; x++) {
            LandscapePatch* child = patchCreate(b, level + 1, 4 * i + x, 4 * k + z);
            if (!child)
                return NULL;
            p->children[z * 4 + x] = child;
        }
    }
    return p;
}

// The second pass, in the same order: every patch of every level gets its
// light map once all leaf normals are summed.
static int patchTreeLight(const TreeBuild* b, LandscapePatch* p, int level, int i, int k)
{
    if (!patchLightMapCreate(p))
        return 0;
    int step = (b->sampleCount - 1) / (1 << (2 * level));
    patchLightMapCompute(p, b->normals, b->sampleCount, k * step, i * step, step);
    for (int z = 0; z < p->childCount; z++) {
        for (int x = 0; x < p->childCount; x++) {
            if (!patchTreeLight(b, p->children[z * 4 + x], level + 1, 4 * i + x, 4 * k + z))
                return 0;
        }
    }
    return 1;
}

Landscape* obxLandscapeLoadFromFile(const char* heightMapFile, unsigned reserved,
                                    TextureRecord* surfaceTexture, float sizeX, float sizeZ,
                                    float heightScale, const float* lightDirection,
                                    float lightIntensity)
{
    (void)reserved;
    // Every leaf is drawn with the surface texture and lit from the
    // direction: without them there is nothing sensible to build.
    if (!surfaceTexture || !lightDirection)
        return NULL;
    terrain.lightDirection[0] = lightDirection[0];
    terrain.lightDirection[1] = lightDirection[1];
    terrain.lightDirection[2] = lightDirection[2];
    terrain.lightIntensity = lightIntensity;

    Landscape* landscape = (Landscape*)countedAlloc(sizeof *landscape);
    if (!landscape)
        return NULL;
    memset(landscape, 0, sizeof *landscape);
    // The height map's record and texels stay allocated, like every texture.
    TextureRecord* map = obxTextureLoadToMemory(heightMapFile);
    if (!map || map->info.format != GR_TEXFMT_INTENSITY_8 ||
        map->info.aspectRatioLog2 != GR_ASPECT_LOG2_1x1)
        return NULL;
    int n;
    if (map->info.largeLodLog2 == GR_LOD_LOG2_256)
        n = 257;
    else if (map->info.largeLodLog2 == GR_LOD_LOG2_64)
        n = 65;
    else
        return NULL;
    size_t samples = (size_t)n * (size_t)n;

    landscape->visibleLeaves = (LandscapePatch**)countedAlloc(samples * sizeof(LandscapePatch*));
    if (!landscape->visibleLeaves)
        return NULL;
    float* normals = (float*)countedAlloc(samples * 4 * sizeof(float));
    if (!normals)
        return NULL;
    memset(normals, 0, samples * 4 * sizeof(float));

    // Texel (row, col) of the map's first level; the last row and column of
    // samples stay at 0.
    const uint8_t* texels = (const uint8_t*)map->info.data;
    int mapSide = n - 1;
    float* work = (float*)countedAlloc(samples * sizeof(float));
    landscape->heights = work ? (float*)countedAlloc(samples * sizeof(float)) : NULL;
    if (!work || !landscape->heights) {
        free(work);
        free(normals);
        return NULL;
    }
    landscape->sizeX = sizeX;
    landscape->sizeZ = sizeZ;
    landscape->sampleCount = n;
    memset(landscape->heights, 0, samples * sizeof(float));
    for (int row = 0; row < mapSide; row++) {
        for (int col = 0; col < mapSide; col++) {
            float texel = (float)texels[row * mapSide + col];
            landscape->heights[row * n + col] = texel / 255.0f * heightScale;
        }
    }
    memcpy(work, landscape->heights, samples * sizeof(float));

    TreeBuild build;
    build.sampleCount = n;
    build.leafLevel = n == 257 ? 4 : 3;
    build.sizeX = sizeX;
    build.sizeZ = sizeZ;
    build.heights = work;
    build.normals = normals;
    build.surface = surfaceTexture;
    LandscapePatch* root = patchCreate(&build, 0, 0, 0);
    int lit = root && patchTreeLight(&build, root, 0, 0, 0);
    free(work);
    free(normals);
    if (!lit)
        return NULL;
    lightMapOffsetsBuild(n, sizeX, sizeZ);
    landscape->root = root;
    return landscape;
}
