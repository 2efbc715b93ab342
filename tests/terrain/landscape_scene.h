// Landscapes for tests: height maps written in a line, small landscapes,
// the way down the patch tree, hand-made leaves and a camera.
#ifndef OBX_LANDSCAPE_SCENE_H
#define OBX_LANDSCAPE_SCENE_H

#include <functional>
#include <string>
#include <vector>

#include "obx_scene.h"

// The engine's data files plus the generated landscape files.
std::vector<std::string> landscapeDataFiles(void);

// Starts the engine headless on a board of `units` texture units with
// `memory` of texture memory each (as the device's settings take it), with
// no dynamic lights.
int landscapeEngineStart(int units = 2, const char* memory = "4M");

// Writes a one-level 3DF height map of width x height texels, texel(col, row)
// in 0..255, in intensity-8 (or another format the tools' writer knows).
void heightMapWrite(const std::string& path, int width, int height,
                    const std::function<int(int col, int row)>& texel,
                    const std::string& format = "intensity8");

// A landscape of a side x side map whose texels all hold `texel`, drawn with
// the white texture; light from `light` at `intensity`.
Landscape* landscapeFlat(int side, float size, int texel = 0, float heightScale = 100.0f,
                         Vector light = {0, 1, 0}, float intensity = 1.0f);

// Levels of the tree, each in depth-first order.
std::vector<std::vector<LandscapePatch*>> patchLevels(const Landscape* landscape);
// The leaf whose first sample is (row, col).
LandscapePatch* leafAt(const Landscape* landscape, int row, int col);

// A leaf built by hand from four corners (in the order of a landscape cell),
// with the white texture, a light map of `light` everywhere, and its own
// one-leaf landscape, which it is the root of.
LandscapePatch* leafMake(const std::vector<Vector>& corners, uint8_t light = 255);
Landscape* landscapeOfLeaf(LandscapePatch* leaf);

// A camera at (x, y, z) turned by (rotX, rotY, rotZ), made active.
Camera* cameraPut(float x, float y, float z, float rotX = 0, float rotY = 0, float rotZ = 0);

// Trace lines beginning with `prefix`, in the whole trace or in `lines`.
std::vector<std::string> traceStarting(const std::string& prefix);
std::vector<std::string> linesStarting(const std::vector<std::string>& lines,
                                       const std::string& prefix);
// The Glide calls of one obxWorldRender(0).
std::vector<std::string> frameTrace(void);
// "name(a, b, ...)" as the device's trace writes a call of integer arguments.
std::string call(const std::string& name, const std::vector<long long>& args);
// The grTexDownloadMipMap lines for one texture.
int downloadsOf(const TextureRecord* texture);

#endif
