// Point light sources and the ambient light.
#include <stdlib.h>
#include <string.h>

#include "core/core.h"
#include "light/light.h"

LightSource* lightSources;
static LiveRecords liveLights;   // debug builds only, see LiveRecords
float ambientRed, ambientGreen, ambientBlue;

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
    lightSources = NULL;
}

void ambientLightInit(void)
{
    ambientRed = 0.0f;
    ambientGreen = 0.0f;
    ambientBlue = 0.0f;
}

LightSource* lightSourceFirst(void)
{
    LightSource* light = lightSources;
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
    liveRecordAdd(&liveLights, light);
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
    if (lightSources) {
        LightSource* last = lightSources;
        while (last->next)
            last = last->next;
        last->next = light;
        light->prev = last;
    }
    lightSources = light;
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
    liveRecordRemove(&liveLights, light, "obxLightsourceDelete");
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
        lightSources = next ? next : prev;
    else if (lightSources == light)
        lightSources = NULL;
    free(light);
}

void obxAmbientlightLight(float r, float g, float b)
{
    ambientRed = r;
    ambientGreen = g;
    ambientBlue = b;
}
