// Point light sources and the ambient light.
#include <stdlib.h>
#include <string.h>

#include "core/core.h"
#include "light/light.h"

LightState lights;

void lightSourcesInit(void)
{
    // Lights of an earlier start-up are cut loose, so deleting one later
    // cannot bring the old list back.
    LightSource* light = lightSourceFirst();
    while (light) {
        LightSource* next = light->next;
        light->prev = NULL;
        light->next = NULL;
        light = next;
    }
    lights.sources = NULL;
}

void ambientLightInit(void)
{
    lights.ambient[0] = 0.0f;
    lights.ambient[1] = 0.0f;
    lights.ambient[2] = 0.0f;
}

LightSource* lightSourceFirst(void)
{
    LightSource* light = lights.sources;
    while (light && light->prev)
        light = light->prev;
    return light;
}

LightSource* obxLightsourceAdd(float r, float g, float b, float x, float y, float z,
                               float attenuation, LensFlare* lensFlare, const uint32_t* extra)
{
    LightSource* light = (LightSource*)countedAlloc(sizeof(LightSource));
    if (!light)
        return NULL;
    liveRecordAdd(&lights.liveSources, light);
    light->colour[0] = r;
    light->colour[1] = g;
    light->colour[2] = b;
    light->position.x = x;
    light->position.y = y;
    light->position.z = z;
    light->attenuation = attenuation;
    light->lensFlare = lensFlare;
    light->next = NULL;
    light->prev = NULL;
    // The three extra values are the application's own; none is fine too.
    if (extra)
        memcpy(light->extra, extra, sizeof light->extra);
    else
        memset(light->extra, 0, sizeof light->extra);
    if (lights.sources) {
        LightSource* last = lights.sources;
        while (last->next)
            last = last->next;
        last->next = light;
        light->prev = last;
    }
    lights.sources = light;
    return light;
}

void obxLightsourceMove(LightSource* light, float x, float y, float z)
{
    if (!light)
        return;
    light->position.x = x;
    light->position.y = y;
    light->position.z = z;
}

void obxLightsourceLight(LightSource* light, float r, float g, float b)
{
    if (!light)
        return;
    light->colour[0] = r;
    light->colour[1] = g;
    light->colour[2] = b;
}

void obxLightsourceDelete(LightSource* light)
{
    if (!light)
        return;
    liveRecordRemove(&lights.liveSources, light, "obxLightsourceDelete");
    LightSource* prev = light->prev;
    LightSource* next = light->next;
    if (prev)
        prev->next = next;
    if (next)
        next->prev = prev;
    // The list is held through the later neighbour, else the earlier one. A
    // light without neighbours is the only one, or one cut loose by a new
    // start-up, which leaves the list as it is.
    if (next || prev)
        lights.sources = next ? next : prev;
    else if (lights.sources == light)
        lights.sources = NULL;
    free(light);
}

void obxAmbientlightLight(float r, float g, float b)
{
    lights.ambient[0] = r;
    lights.ambient[1] = g;
    lights.ambient[2] = b;
}
