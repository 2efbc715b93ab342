// Dynamic light in the landscape: each frame the lights that reach a visible
// leaf are added into a copy of its static light map, which is rebuilt and
// downloaded only when something about those lights changed.
#include <stdlib.h>

#include "light/light.h"
#include "math/math3d.h"
#include "terrain/terrain.h"

// A light reaches a leaf when it is on and its sphere meets the leaf's.
static int lightTouchesLeaf(const DynamicLight* light, const LandscapePatch* leaf)
{
    if (!light->active)
        return 0;
    const float d[3] = {leaf->center[0] - light->position.x, leaf->center[1] - light->position.y,
                        leaf->center[2] - light->position.z};
    float distance = (float)VectorLenght(d);
    return distance - leaf->radius - light->radius <= 0.0f;
}

static void lightMapShow(LandscapeLightMap* map, uint8_t* texels)
{
    map->lightTexture->info.data = texels;
    map->lightTexture->needsDownload = 1;
}

// 0..255: what the light adds to the texel at (x, y, z), falling off
// linearly from its centre to its radius.
static int lightTexelAmount(const DynamicLight* light, float x, float y, float z)
{
    const float d[3] = {x - light->position.x, y - light->position.y, z - light->position.z};
    float a = light->radius - (float)VectorLenght(d);
    if (a < 0.0f)
        a = 0.0f;
    float v = a * light->invRadius;
    // A radius of 0 gives 0 times infinity: no light, not an undefined byte.
    if (!(v > 0.0f))
        return 0;
    if (v > 1.0f)
        v = 1.0f;
    return (int)(v * 255.0f);
}

static void leafLightAdd(LandscapePatch* leaf, const DynamicLight* light, int first)
{
    LandscapeLightMap* map = &leaf->lightMap;
    const Vector* corner0 = &leaf->corners[0];
    for (int r = 0; r < 8; r++) {
        for (int k = 0; k < 8; k++) {
            int i = r * 8 + k;
            int amount = lightTexelAmount(light, corner0->x + terrain.lightMapOffsets[r][k][0],
                                          map->lightHeights[i],
                                          corner0->z + terrain.lightMapOffsets[r][k][1]);
            int base = first ? map->staticLight[i] : map->dynamicLight[i];
            int sum = base + amount;
            map->dynamicLight[i] = (uint8_t)(sum < 255 ? sum : 255);
        }
    }
    map->litThisFrame = 1;
    map->showsStatic = 0;
}

static void leafLight(LandscapePatch* leaf)
{
    LandscapeLightMap* map = &leaf->lightMap;
    if (!lights.dynamic) {
        if (!map->showsStatic) {
            lightMapShow(map, map->staticLight);
            map->showsStatic = 1;
        }
        return;
    }
    map->litThisFrame = 0;
    int touching = 0, changed = 0;
    for (const DynamicLight* light = lights.dynamic; light; light = light->next) {
        if (!lightTouchesLeaf(light, leaf))
            continue;
        touching++;
        if (light->changed || !leaf->drawnOnce)
            changed = 1;
    }
    if (touching == 0) {
        if (!map->showsStatic) {
            map->showsStatic = 1;
            lightMapShow(map, map->staticLight);
        }
        return;
    }
    // The map is kept only while it shows the same lights, unchanged.
    if (!changed && map->dynamicLightCount == touching && !map->showsStatic)
        return;
    int first = 1;
    for (const DynamicLight* light = lights.dynamic; light; light = light->next) {
        if (!lightTouchesLeaf(light, leaf))
            continue;
        map->dynamicLightCount = touching;
        leafLightAdd(leaf, light, first);
        first = 0;
    }
    lightMapShow(map, map->dynamicLight);
}

void landscapeLight(Landscape* landscape)
{
    for (int32_t i = 0; i < landscape->visibleCount; i++)
        leafLight(landscape->visibleLeaves[i]);
}

void landscapeDrawnMarksUpdate(Landscape* landscape)
{
    for (int32_t i = 0; i < terrain.previousCount; i++)
        terrain.previousLeaves[i]->drawnOnce = 0;
    terrain.previousCount = 0;
    if (!landscape)
        return;
    int32_t count = landscape->visibleCount;
    for (int32_t i = 0; i < count; i++)
        landscape->visibleLeaves[i]->drawnOnce = 1;
    if (count > terrain.previousCapacity) {
        LandscapePatch** grown = (LandscapePatch**)realloc(terrain.previousLeaves,
                                                           (size_t)count * sizeof(LandscapePatch*));
        if (!grown) {
            // Without room to remember them, these leaves rebuild their light
            // maps whenever they are next drawn: always right, only slower.
            for (int32_t i = 0; i < count; i++)
                landscape->visibleLeaves[i]->drawnOnce = 0;
            return;
        }
        terrain.previousLeaves = grown;
        terrain.previousCapacity = count;
    }
    for (int32_t i = 0; i < count; i++)
        terrain.previousLeaves[i] = landscape->visibleLeaves[i];
    terrain.previousCount = count;
}
