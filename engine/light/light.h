// Lighting: point light sources, the ambient colour, dynamic lights with
// their per-frame change marks, and the lens-flare passes of the world render.
#ifndef OBX_LIGHT_LIGHT_H
#define OBX_LIGHT_LIGHT_H

#include "core/core.h"
#include "public.h"

// What the light subsystem keeps.
typedef struct LightState {
    // The world's light sources, doubly linked in order of creation and held
    // through one member (the newest after an add, a neighbour after a delete).
    LightSource* sources;
    LiveRecords liveSources;   // every light source not yet deleted (debug builds)
    float ambient[3];          // the ambient colour, 0..1 per channel
    // Dynamic lights, newest first. The list lives as long as the process:
    // obxInitialize does not empty it.
    DynamicLight* dynamic;
} LightState;
extern LightState lights;

// The oldest light source, where every walk over the lights starts; null
// when there is none.
LightSource* lightSourceFirst(void);
void lightSourcesInit(void);   // empties the list (obxInitialize)

void ambientLightInit(void);   // black (obxInitialize)

// Lowers every light's changed and moved marks (end of each world render).
void dynamicLightsEndFrame(void);

// Lens flares: the first pass marks each flaring light's screen point in the
// back buffer before the landscape and objects are drawn; the second reads
// the marks back after everything else and draws the flares still visible.
void flareMarkPass(void);
void flareDrawPass(void);

#endif
