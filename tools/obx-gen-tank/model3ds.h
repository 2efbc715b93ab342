// A small scene of triangle meshes and materials, and its 3D Studio file.
#ifndef OBX_TOOLS_MODEL3DS_H
#define OBX_TOOLS_MODEL3DS_H

#include <cstdint>
#include <string>
#include <vector>

struct Vec3 {
    float x, y, z;
};
struct Vec2 {
    float u, v;
};

struct Material3ds {
    std::string name;
    uint8_t ambient[3];
    uint8_t diffuse[3];
    bool twoSided = false;
    std::string mapName;   // empty: no texture map
};

struct Face3ds {
    uint16_t a, b, c;
    uint16_t flags;   // edge visibility: 4 = AB, 2 = BC, 1 = CA
};

struct Mesh3ds {
    std::string name;
    std::vector<Vec3> points;
    std::vector<Vec2> uvs;   // one per point
    std::vector<Face3ds> faces;
    std::vector<int> faceMaterial;   // index into the scene's materials, one per face
};

struct Scene3ds {
    std::vector<Material3ds> materials;
    std::vector<Mesh3ds> meshes;
};

// The file in the published chunk layout, little-endian: main 0x4D4D, editor
// 0x3D3D with the materials (0xAFFF) first and then one named object (0x4000)
// with a triangle mesh (0x4100) per mesh: vertices 0x4110, mapping 0x4140,
// local axes 0x4160, faces 0x4120 with their material groups 0x4130.
std::vector<uint8_t> scene3dsEncode(const Scene3ds& scene);
bool scene3dsWrite(const std::string& path, const Scene3ds& scene, std::string* error);

#endif
