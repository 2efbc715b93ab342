// Dynamic lights: coloured spheres of light with change marks that tell the
// landscape what changed since the last world render.
#include "core/core.h"
#include "light/light.h"

DynamicLight* obxDynLightsourceAdd(float radius, float x, float y, float z, float r, float g,
                                   float b)
{
    DynamicLight* light = (DynamicLight*)countedAlloc(sizeof(DynamicLight));
    if (!light)
        return NULL;
    light->radius = radius;
    light->invRadius = 1.0f / radius;
    light->position.x = x;
    light->position.y = y;
    light->position.z = z;
    light->colour[0] = r;
    light->colour[1] = g;
    light->colour[2] = b;
    light->active = 1;
    light->changed = 1;
    light->moved = 1;
    light->next = lights.dynamic;
    lights.dynamic = light;
    return light;
}

void obxDynLightsourceChangeRadius(DynamicLight* light, float radius)
{
    if (!light)
        return;
    // A NaN on either side counts as no change.
    if (radius < light->radius || radius > light->radius) {
        light->radius = radius;
        light->invRadius = 1.0f / radius;
        light->changed = 1;
    }
}

void obxDynLightsourceChangeRGB(DynamicLight* light, float r, float g, float b)
{
    if (!light)
        return;
    if (r == light->colour[0] && g == light->colour[1] && b == light->colour[2])
        return;
    light->changed = 1;
    light->colour[0] = r;
    light->colour[1] = g;
    light->colour[2] = b;
}

void obxDynLightsourceChangeXYZ(DynamicLight* light, float x, float y, float z)
{
    if (!light)
        return;
    if (x == light->position.x && y == light->position.y && z == light->position.z)
        return;
    light->changed = 1;
    light->moved = 1;
    light->position.x = x;
    light->position.y = y;
    light->position.z = z;
}

void obxDynLightsourceActivate(DynamicLight* light)
{
    if (!light)
        return;
    light->active = 1;
    light->changed = 1;
}

void obxDynLightsourceDisable(DynamicLight* light)
{
    if (!light)
        return;
    light->active = 0;
    light->changed = 1;
}

void dynamicLightsEndFrame(void)
{
    for (DynamicLight* light = lights.dynamic; light; light = light->next)
        light->changed = 0;
    for (DynamicLight* light = lights.dynamic; light; light = light->next)
        light->moved = 0;
}
