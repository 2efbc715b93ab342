// Random scenes for comparing ways of rendering: every state the device
// offers, drawn with triangles, strips, fans, points, lines, clears and
// frame-buffer writes of random shape. The same seed always makes the same
// calls, so two configurations of the device can be held side by side.
#ifndef GLIDE_RANDOM_SCENE_H
#define GLIDE_RANDOM_SCENE_H

#include <glide.h>

#include <cstdint>
#include <vector>

// Textures the scenes sample, downloaded to both texture units. Call once
// after the window is open.
void randomSceneTextures(void);

// Makes `draws` random state changes and draws into the open 640 x 480 window
// (two colour buffers and an aux buffer) from `seed`.
void randomSceneDraw(uint32_t seed, int draws);

// The back buffer and the aux buffer, row 0 at the top.
struct SceneBuffers {
    std::vector<FxU16> colour, aux;
};
SceneBuffers randomSceneRead(void);

#endif
