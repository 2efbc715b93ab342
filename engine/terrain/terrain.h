// Terrain and sky: the height-field landscape and the sky box, each drawn by
// a pass of the world render.
#ifndef OBX_TERRAIN_TERRAIN_H
#define OBX_TERRAIN_TERRAIN_H

#include <stdint.h>

#include "public.h"
#include "view/view.h"

typedef struct TerrainState {
    // The sky box: a textured cube always centred on the camera, drawn
    // first; null when there is none.
    Object* skybox;
    // The world's one landscape, the one last added (null if none), and its
    // root while it is in the world.
    Landscape* landscape;
    LandscapePatch* landscapeRoot;
    // The light a landscape is pre-lit with, kept from the last load.
    float lightDirection[3];
    float lightIntensity;
    // Where texel (row r, column k) of a leaf's light map lies, as (x, z)
    // from the leaf's corner 0: the 8 x 8 texels span the cell in 7 equal steps.
    float lightMapOffsets[8][8][2];
    // The leaves drawn by the previous landscape pass.
    LandscapePatch** previousLeaves;
    int32_t previousCapacity;
    int32_t previousCount;
} TerrainState;
extern TerrainState terrain;

void skyboxInit(void);   // no sky box (obxInitialize)
// Draws the sky box, when one is set, seen from its own centre with the far
// distance at 65535; restores the far distance, view planes and camera.
void skyboxPass(void);
// Draws the landscape in the world, if any, and restores the object vertex
// layout and colour combine.
void landscapePass(void);

// ---- Landscape: the world's one landscape --------------------------------------
void landscapeWorldInit(void);   // no landscape in the world (obxInitialize)
void lightMapOffsetsBuild(int sampleCount, float sizeX, float sizeZ);

// ---- Landscape: static light maps (load time) ------------------------------------
// Light of a surface with normal n from the landscape's light: 0..1.
float landscapeLightValue(const float n[3]);
// Gives the patch its light-map texture and texture memory; 0 when the
// texture record cannot be reserved.
int patchLightMapCreate(LandscapePatch* patch);
// Fills the patch's static light map and texel heights from the summed
// vertex normals (four floats per sample, sampleCount per row) at its corner
// samples: rows r0..r0+step, columns c0..c0+step.
void patchLightMapCompute(LandscapePatch* patch, const float* normals, int sampleCount, int r0,
                          int c0, int step);

// ---- Landscape pass, run in this order each frame ----------------------------------
// The most corners a clipped triangle of a leaf keeps (clipA, clipB).
#define LEAF_CLIP_MAX 8
// Cull test of one patch against the view volume; clips a leaf that crosses
// it. Returns 1 when the patch is culled.
int patchCull(LandscapePatch* patch);
// Clips a leaf's triangles (already copied into clipA and clipB) against
// each plane whose bit is set in planeMask (bit i: view.planes[i]), in the
// order near, far, left, right, bottom, top.
void leafClip(LandscapePatch* leaf, unsigned planeMask);
// Clips one polygon of `count` corners against a plane; returns the new
// count. A plane whose cut would leave more than LEAF_CLIP_MAX corners is
// not applied.
int leafPolygonClip(const ViewPlane* plane, LandscapeVertex* polygon, int count);
// Culls the patch and its children; front-facing visible leaves go to the
// landscape's visibleLeaves.
void patchTraverse(Landscape* landscape, LandscapePatch* patch);
// Adds the dynamic lights into the light maps of the visible leaves.
void landscapeLight(Landscape* landscape);
// Draws the visible leaves: one pass on two texture units, two on one.
void landscapeDraw(Landscape* landscape);
// After drawing: drawnOnce is 1 exactly for the leaves drawn this frame, so
// a leaf that comes back into view rebuilds a light map that may have
// missed changes of the lights while it was away.
void landscapeDrawnMarksUpdate(Landscape* landscape);

#endif
