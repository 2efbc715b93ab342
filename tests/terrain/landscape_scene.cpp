// Landscapes for tests (see landscape_scene.h).
#include "landscape_scene.h"

#include <stdlib.h>
#include <string.h>

#include "light/light.h"
#include "math/math3d.h"
#include "tex3df.h"
#include "terrain/terrain.h"
#include "texture/texture.h"

std::vector<std::string> landscapeDataFiles(void)
{
    std::vector<std::string> files = engineDataFiles();
    files.insert(files.end(), {"grass.3df", "terrain64.3df", "terrain256.3df"});
    return files;
}

int landscapeEngineStart(int units, const char* memory)
{
    // Dynamic lights outlive obxInitialize; every test starts without any.
    lights.dynamic = nullptr;
    setenv("FX_GLIDE_NUM_TMU", units == 1 ? "1" : "2", 1);
    setenv("OBX_GLIDE_TEXMEM", memory, 1);
    return engineStart(0, landscapeDataFiles());
}

void heightMapWrite(const std::string& path, int width, int height,
                    const std::function<int(int col, int row)>& texel, const std::string& format)
{
    Image image(width, height);
    for (int row = 0; row < height; row++) {
        for (int col = 0; col < width; col++) {
            uint8_t v = (uint8_t)texel(col, row);
            image.at(col, row) = Rgba{v, v, v, 255};
        }
    }
    std::string error;
    ASSERT_TRUE(tex3dfWrite(path, image, *texFormatByOption(format), false, &error)) << error;
}

Landscape* landscapeFlat(int side, float size, int texel, float heightScale, Vector light,
                         float intensity)
{
    std::string name = "flat" + std::to_string(side) + "_" + std::to_string(texel) + ".3df";
    heightMapWrite(name, side, side, [texel](int, int) { return texel; });
    const float direction[3] = {light.x, light.y, light.z};
    return obxLandscapeLoadFromFile(name.c_str(), 0, whiteTexture(), size, size, heightScale,
                                    direction, intensity);
}

static void levelsCollect(LandscapePatch* p, size_t level,
                          std::vector<std::vector<LandscapePatch*>>* levels)
{
    if (levels->size() <= level)
        levels->resize(level + 1);
    (*levels)[level].push_back(p);
    for (int i = 0; i < p->childCount * p->childCount; i++)
        levelsCollect(p->children[i], level + 1, levels);
}

std::vector<std::vector<LandscapePatch*>> patchLevels(const Landscape* landscape)
{
    std::vector<std::vector<LandscapePatch*>> levels;
    if (landscape && landscape->root)
        levelsCollect(landscape->root, 0, &levels);
    return levels;
}

LandscapePatch* leafAt(const Landscape* landscape, int row, int col)
{
    int levels = landscape->sampleCount == 257 ? 4 : 3;
    LandscapePatch* p = landscape->root;
    for (int level = 1; level <= levels; level++) {
        int shift = 2 * (levels - level);
        int a = (col >> shift) & 3, b = (row >> shift) & 3;
        p = p->children[b * 4 + a];
    }
    return p;
}

LandscapePatch* leafMake(const std::vector<Vector>& corners, uint8_t light)
{
    LandscapePatch* leaf = (LandscapePatch*)countedAlloc(sizeof(LandscapePatch));
    memset(leaf, 0, sizeof *leaf);
    const Vector* c = corners.data();
    for (int k = 0; k < 4; k++) {
        leaf->corners[k] = c[k];
        leaf->center[0] += c[k].x / 4.0f;
        leaf->center[1] += c[k].y / 4.0f;
        leaf->center[2] += c[k].z / 4.0f;
    }
    const float d[3] = {c[0].x - leaf->center[0], c[0].y - leaf->center[1],
                        c[0].z - leaf->center[2]};
    leaf->radius = (float)VectorLenght(d);
    const float a20[3] = {c[2].x - c[0].x, c[2].y - c[0].y, c[2].z - c[0].z};
    const float a10[3] = {c[1].x - c[0].x, c[1].y - c[0].y, c[1].z - c[0].z};
    const float b02[3] = {c[0].x - c[2].x, c[0].y - c[2].y, c[0].z - c[2].z};
    const float b32[3] = {c[3].x - c[2].x, c[3].y - c[2].y, c[3].z - c[2].z};
    CrossProduct3d(leaf->normalA, a20, a10);
    CrossProduct3d(leaf->normalB, b02, b32);
    const float st[4][2] = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};
    for (int k = 0; k < 4; k++) {
        leaf->viewCorners[k].s0 = leaf->viewCorners[k].s1 = st[k][0];
        leaf->viewCorners[k].t0 = leaf->viewCorners[k].t1 = st[k][1];
    }
    leaf->texture = whiteTexture();
    patchLightMapCreate(leaf);
    memset(leaf->lightMap.staticLight, light, 64);
    return leaf;
}

Landscape* landscapeOfLeaf(LandscapePatch* leaf)
{
    Landscape* landscape = (Landscape*)countedAlloc(sizeof(Landscape));
    memset(landscape, 0, sizeof *landscape);
    landscape->sampleCount = 2;
    landscape->visibleLeaves = (LandscapePatch**)countedAlloc(4 * sizeof(LandscapePatch*));
    landscape->root = leaf;
    return landscape;
}

Camera* cameraPut(float x, float y, float z, float rotX, float rotY, float rotZ)
{
    // One camera for the whole test program, moved where each test wants it.
    static Camera* camera = obxCameraCreate(x, y, z, rotX, rotY, rotZ);
    obxCameraSetActive(camera);
    obxCameraMove(x, y, z);
    obxCameraRotate(rotX, rotY, rotZ);
    return camera;
}

std::vector<std::string> linesStarting(const std::vector<std::string>& lines,
                                       const std::string& prefix)
{
    std::vector<std::string> found;
    for (const std::string& line : lines) {
        if (line.compare(0, prefix.size(), prefix) == 0)
            found.push_back(line);
    }
    return found;
}

std::vector<std::string> traceStarting(const std::string& prefix)
{
    return linesStarting(traceLines(), prefix);
}

std::vector<std::string> frameTrace(void)
{
    traceStart();
    traceMark();
    obxWorldRender(0);
    traceMark();
    traceStop();
    return traceBetween("grFinish()", "grFinish()");
}

std::string call(const std::string& name, const std::vector<long long>& args)
{
    std::string text = name + "(";
    for (size_t i = 0; i < args.size(); i++)
        text += (i ? ", " : "") + std::to_string(args[i]);
    return text + ")";
}

int downloadsOf(const TextureRecord* texture)
{
    int unit = textureUnit(texture);
    std::string line = "grTexDownloadMipMap(" + std::to_string(unit) + ", " +
                       std::to_string(texture->address) + ", ";
    return (int)traceStarting(line).size();
}
