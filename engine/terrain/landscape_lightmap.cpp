// Static light maps: each patch is pre-lit into an 8 x 8 intensity texture
// of its own from the landscape's light and the smoothed vertex normals.
#include <math.h>
#include <string.h>

#include "core/core.h"
#include "terrain/terrain.h"
#include "texture/texture.h"

void lightMapOffsetsBuild(int sampleCount, float sizeX, float sizeZ)
{
    float cells = (float)(sampleCount - 1);
    for (int r = 0; r < 8; r++) {
        for (int k = 0; k < 8; k++) {
            terrain.lightMapOffsets[r][k][0] = (float)k * sizeX / cells / 7.0f;
            terrain.lightMapOffsets[r][k][1] = -(float)r * sizeZ / cells / 7.0f;
        }
    }
}

// Lengths at load time use the library square root: a flat patch must come
// out exactly level, and nothing here runs per frame.
static float vectorLength(const float v[3])
{
    float sum = v[0] * v[0];
    sum += v[1] * v[1];
    sum += v[2] * v[2];
    return sqrtf(sum);
}

float landscapeLightValue(const float n[3])
{
    float length = vectorLength(n);
    if (length == 0.0f)
        length = 0.0001f;
    float d = terrain.lightDirection[0] * n[0];
    d += terrain.lightDirection[1] * n[1];
    d += terrain.lightDirection[2] * n[2];
    d = d / length;
    // Wrap-around light: full along the light, half at right angles, none
    // against it.
    float light = (d + 1.0f) * 0.5f * terrain.lightIntensity;
    if (!(light > 0.0f))
        return 0.0f;   // NaN too
    return light < 1.0f ? light : 1.0f;
}

int patchLightMapCreate(LandscapePatch* patch)
{
    LandscapeLightMap* map = &patch->lightMap;
    TextureRecord* texture = (TextureRecord*)countedAlloc(sizeof *texture);
    if (!texture)
        return 0;
    memset(texture, 0, sizeof *texture);
    texture->info.smallLodLog2 = GR_LOD_LOG2_8;
    texture->info.largeLodLog2 = GR_LOD_LOG2_8;
    texture->info.aspectRatioLog2 = GR_ASPECT_LOG2_1x1;
    texture->info.format = GR_TEXFMT_INTENSITY_8;
    texture->info.data = map->dynamicLight;
    texture->size = 64;
    texture->slotSize = 64;
    // One unit: the light map shares unit 0 with the surface and is drawn in
    // a second pass; two units: it sits on unit 1 and both draw at once.
    if (core.tmuCount == 1) {
        map->lightTexAddress = textureMemoryAlloc(0, 64);
        map->lightTmu = 0;
    } else {
        map->lightTexAddress = textureMemoryAlloc(1, 64);
        map->lightTmu = 1;
    }
    texture->address = map->lightTexAddress;
    // Without room of its own it finds a slot when first drawn.
    texture->resident = map->lightTexAddress != TEXTURE_NO_ROOM;
    texture->usedRecently = 1;
    texture->tmu = 1;
    texture->needsDownload = 0;
    texture->name = NULL;
    textureListPush(texture);
    map->lightTexture = texture;
    map->showsStatic = 0;
    map->dynamicLightCount = 0;
    return 1;
}

// a + i * (b - a) / 7 for each component: the point i sevenths from a to b.
static void sevenths(const float* a, const float* b, int i, float* out)
{
    for (int c = 0; c < 3; c++)
        out[c] = a[c] + (float)i * (b[c] - a[c]) / 7.0f;
}

static float seventhsOf(float a, float b, int i)
{
    return a + (float)i * (b - a) / 7.0f;
}

void patchLightMapCompute(LandscapePatch* patch, const float* normals, int sampleCount, int r0,
                          int c0, int step)
{
    LandscapeLightMap* map = &patch->lightMap;
    int r1 = r0 + step, c1 = c0 + step;
    const float* n00 = &normals[((size_t)r0 * (size_t)sampleCount + (size_t)c0) * 4];
    const float* n01 = &normals[((size_t)r0 * (size_t)sampleCount + (size_t)c1) * 4];
    const float* n10 = &normals[((size_t)r1 * (size_t)sampleCount + (size_t)c0) * 4];
    const float* n11 = &normals[((size_t)r1 * (size_t)sampleCount + (size_t)c1) * 4];
    const Vector* corner = patch->corners;
    for (int i = 0; i < 8; i++) {
        float top[3], bottom[3];
        sevenths(n00, n01, i, top);
        sevenths(n10, n11, i, bottom);
        float yTop = seventhsOf(corner[0].y, corner[3].y, i);
        float yBottom = seventhsOf(corner[1].y, corner[2].y, i);
        for (int j = 0; j < 8; j++) {
            int texel = j * 8 + i;
            map->lightHeights[texel] = seventhsOf(yTop, yBottom, j);
            float n[3];
            sevenths(top, bottom, j, n);
            float length = vectorLength(n);
            if (length == 0.0f)
                length = 0.00001f;
            n[0] = n[0] / length;
            n[1] = n[1] / length;
            n[2] = n[2] / length;
            map->staticLight[texel] = (uint8_t)(int)(landscapeLightValue(n) * 255.0f);
        }
    }
}
