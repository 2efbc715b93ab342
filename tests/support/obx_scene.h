// Scenes for engine tests: objects, lights and frames in a few lines.
#ifndef OBX_SCENE_H
#define OBX_SCENE_H

#include <stdint.h>

#include <functional>
#include <string>
#include <vector>

#include "obx_test.h"

struct Tri {
    int a, b, c;
};

// Engine state for tests that run without Glide: the math tables, the
// default camera at the origin looking along +z, near 2 and far 3000, a
// 640 x 480 drawing area, and empty object, light and ambient state.
void sceneOffline(void);

// The engine's own white texture (obxInitialize loaded it).
TextureRecord* whiteTexture(void);

// An object of the given vertices (world coordinates) and triangles, added to
// the world. It is precalculated without rescaling (centre, radius, normals)
// and moved to its centre, so every vertex keeps the world position given.
// texture null: untextured polygons. texCoords: six per triangle, or none
// for (0,0) (1,0) (0,1) on every triangle.
Object* meshCreate(const std::vector<Vector>& vertices, const std::vector<Tri>& triangles,
                   TextureRecord* texture, bool doubleSided = false,
                   const std::vector<float>& texCoords = {});
// One triangle; it faces the camera at the origin when its corners run
// clockwise as seen from there (x right, y up).
Object* triangleCreate(Vector a, Vector b, Vector c, TextureRecord* texture,
                       const std::vector<float>& texCoords = {});
// A cube with faces facing outward, two triangles per face, each face's
// texture coordinates spanning 0..1.
Object* cubeCreate(Vector centre, float halfSide, TextureRecord* texture);

LightSource* lightPut(Vector position, float r, float g, float b, float attenuation = 0.0f);

// obxBackgroundClear, obxWorldRender(0), and the back buffer.
Frame frameRender(void);

// Puts a mark into the trace: a "grFinish()" line (the engine never calls
// grFinish), for traceBetween("grFinish()", "grFinish()").
void traceMark(void);
// The trace lines after the first line beginning with `from`, up to (not
// including) the next line beginning with `to`; empty when `from` is absent.
std::vector<std::string> traceBetween(const std::string& from, const std::string& to);

// A one-level RGB565 3DF texture (powers of two, at most 8:1), texel (x, y)
// from the function, y = 0 being the first row (t = 0).
void write3dfTexels(const std::string& path, int width, int height,
                    const std::function<uint16_t(int x, int y)>& texel);

// The RGB565 pixel of a 24-bit colour, and whether a pixel lies within
// `tolerance` (per 8-bit channel) of one: 565 rounding and dithering cost up
// to about one 5-bit step.
uint16_t rgb565(uint32_t rgb);
bool pixelNear(uint16_t pixel, uint32_t rgb, int tolerance = 9);
// Whether the pixel shows the colour (r, g, b in 0..255, as the engine hands
// them to Glide) the way the device stores it: rounded to a whole value
// (give or take `slack`) and cut to its top 5 or 6 bits.
bool pixelShows(uint16_t pixel, float r, float g, float b, float slack = 0.5f);
// 0xRRGGBB of a 0..1 colour, each channel times 255, truncated.
uint32_t rgbOf(float r, float g, float b);

#endif
