// Scenes for engine tests (see obx_scene.h).
#include "obx_scene.h"

#include <math.h>
#include <stdlib.h>

#include <fstream>

#include "light/light.h"
#include "math/math3d.h"
#include "object/object.h"
#include "render/render.h"
#include "view/view.h"
#include "world/world.h"

void sceneOffline(void)
{
    sqrtTableInit();
    angleTablesInit();
    cameraDefaultInit();
    view.camera = &view.defaultCamera;
    view.nearDistance = 2.0f;
    view.farDistance = 3000.0f;
    viewportSetFullScreen(640.0f, 480.0f);
    viewPlanesBuild();
    viewMatrixBuild();
    worldObjectsInit();
    lightSourcesInit();
    ambientLightInit();
    backgroundInit();
    polygonDrawInit();
}

TextureRecord* whiteTexture(void)
{
    return obxTextureLoad("white.3df", 0);
}

Object* meshCreate(const std::vector<Vector>& vertices, const std::vector<Tri>& triangles,
                   TextureRecord* texture, bool doubleSided, const std::vector<float>& texCoords)
{
    Object* object = obxObjectInitDefaultState();
    if (!object)
        return nullptr;
    for (const Vector& v : vertices)
        obxObjectAddVertex(object, v.x, v.y, v.z);
    for (size_t i = 0; i < triangles.size(); i++) {
        const Tri& t = triangles[i];
        float st[6] = {0, 0, 1, 0, 0, 1};
        if (texCoords.size() >= 6 * (i + 1)) {
            for (int k = 0; k < 6; k++)
                st[k] = texCoords[6 * i + k];
        }
        obxObjectAddPolygon(object, t.a, t.b, t.c, doubleSided ? 1 : 0, texture, st[0], st[1],
                            st[2], st[3], st[4], st[5]);
    }
    // The box centre, found as the precalculation finds it.
    float lo[3] = {65535, 65535, 65535}, hi[3] = {-65535, -65535, -65535};
    for (const Vector& v : vertices) {
        const float p[3] = {v.x, v.y, v.z};
        for (int a = 0; a < 3; a++) {
            lo[a] = p[a] < lo[a] ? p[a] : lo[a];
            hi[a] = p[a] > hi[a] ? p[a] : hi[a];
        }
    }
    objectCentre(object);
    objectRadius(object);
    faceNormals(object);
    faceNormalsNormalise(object);
    vertexNormals(object);
    obxObjectMove(object, (lo[0] + hi[0]) / 2.0f, (lo[1] + hi[1]) / 2.0f, (lo[2] + hi[2]) / 2.0f);
    return obxObjectAdd(object);
}

Object* triangleCreate(Vector a, Vector b, Vector c, TextureRecord* texture,
                       const std::vector<float>& texCoords)
{
    return meshCreate({a, b, c}, {{0, 1, 2}}, texture, false, texCoords);
}

Object* cubeCreate(Vector centre, float h, TextureRecord* texture)
{
    std::vector<Vector> corners;
    for (int i = 0; i < 8; i++) {
        corners.push_back({centre.x + ((i & 1) ? h : -h), centre.y + ((i & 2) ? h : -h),
                           centre.z + ((i & 4) ? h : -h)});
    }
    // Each face as four corners counter-clockwise seen from outside, so
    // (P1 - P0) x (P2 - P0) points outward.
    const int faces[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 4, 6, 2},
                             {1, 3, 7, 5}, {0, 1, 5, 4}, {2, 6, 7, 3}};
    std::vector<Tri> triangles;
    std::vector<float> st;
    for (const auto& f : faces) {
        triangles.push_back({f[0], f[1], f[2]});
        triangles.push_back({f[0], f[2], f[3]});
        st.insert(st.end(), {0, 0, 1, 0, 1, 1, 0, 0, 1, 1, 0, 1});
    }
    return meshCreate(corners, triangles, texture, false, st);
}

LightSource* lightPut(Vector position, float r, float g, float b, float attenuation)
{
    const uint32_t extra[3] = {0, 0, 0};
    return obxLightsourceAdd(r, g, b, position.x, position.y, position.z, attenuation, nullptr,
                             extra);
}

Frame frameRender(void)
{
    obxBackgroundClear();
    obxWorldRender(0);
    return frameGrab(GR_BUFFER_BACKBUFFER);
}

void traceMark(void)
{
    grFinish();
}

static bool startsWith(const std::string& line, const std::string& prefix)
{
    return line.compare(0, prefix.size(), prefix) == 0;
}

std::vector<std::string> traceBetween(const std::string& from, const std::string& to)
{
    std::vector<std::string> lines = traceLines(), slice;
    size_t i = 0;
    while (i < lines.size() && !startsWith(lines[i], from))
        i++;
    for (i++; i < lines.size() && !startsWith(lines[i], to); i++)
        slice.push_back(lines[i]);
    return slice;
}

void write3dfTexels(const std::string& path, int width, int height,
                    const std::function<uint16_t(int x, int y)>& texel)
{
    int longer = width > height ? width : height;
    int ratioW = width >= height ? width / height : 1;
    int ratioH = height > width ? height / width : 1;
    std::ofstream out(path, std::ios::binary);
    out << "3df v1.1\nrgb565\nlod range: " << longer << " " << longer
        << "\naspect ratio: " << ratioW << " " << ratioH << "\n";
    for (int y = 0; y < height; y++) {
        for (int x = 0; x < width; x++) {
            uint16_t v = texel(x, y);
            out.put((char)(v >> 8));   // big-endian in the file
            out.put((char)(v & 0xFF));
        }
    }
}

uint16_t rgb565(uint32_t rgb)
{
    uint32_t r = (rgb >> 16) & 255, g = (rgb >> 8) & 255, b = rgb & 255;
    return (uint16_t)(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
}

bool pixelNear(uint16_t pixel, uint32_t rgb, int tolerance)
{
    uint32_t got = rgb565ToRgb(pixel);
    for (int shift = 0; shift <= 16; shift += 8) {
        int a = (int)((got >> shift) & 255), b = (int)((rgb >> shift) & 255);
        if (abs(a - b) > tolerance)
            return false;
    }
    return true;
}

static bool channelShows(uint32_t stored, int bits, float value, float slack)
{
    int low = (int)floorf(value - slack), high = (int)ceilf(value + slack);
    for (int v = low < 0 ? 0 : low; v <= (high > 255 ? 255 : high); v++) {
        if ((uint32_t)v >> (8 - bits) == stored)
            return true;
    }
    return false;
}

bool pixelShows(uint16_t pixel, float r, float g, float b, float slack)
{
    return channelShows(pixel >> 11, 5, r, slack) && channelShows((pixel >> 5) & 63, 6, g, slack) &&
           channelShows(pixel & 31, 5, b, slack);
}

uint32_t rgbOf(float r, float g, float b)
{
    auto byte = [](float c) -> uint32_t {
        float v = c * 255.0f;
        return v <= 0.0f ? 0u : (v >= 255.0f ? 255u : (uint32_t)v);
    };
    return (byte(r) << 16) | (byte(g) << 8) | byte(b);
}
