// 3D Studio files for loader tests, built as chunk trees in a few lines,
// well-formed or broken on purpose.
#ifndef OBX_TEST_FILE3DS_H
#define OBX_TEST_FILE3DS_H

#include <stdint.h>

#include <array>
#include <string>
#include <vector>

#include "public.h"

using Bytes = std::vector<uint8_t>;

// A chunk: its id, its own data and its children. length < 0 writes the true
// length (header, data and children); anything else is written as given.
struct Chunk3ds {
    uint16_t id;
    Bytes data;
    std::vector<Chunk3ds> children;
    int64_t length = -1;
};
Bytes encode3ds(const Chunk3ds& chunk);
size_t chunkSize(const Chunk3ds& chunk);
// The nth chunk of that id in the tree, in file order; null when there is none.
Chunk3ds* chunkFind(Chunk3ds& tree, uint16_t id, int nth = 0);

Bytes u16Bytes(std::initializer_list<uint16_t> values);
Bytes f32Bytes(std::initializer_list<float> values);
Bytes nameBytes(const std::string& name);   // with its NUL
Bytes operator+(Bytes a, const Bytes& b);

// A 24-bit colour chunk (0x0011, or 0x0012 when linear).
Chunk3ds colour24(uint8_t r, uint8_t g, uint8_t b, bool linear = false);

struct MaterialSpec {
    std::string name;
    std::vector<Chunk3ds> ambient;   // colour chunks under 0xA010; none: no 0xA010 chunk
    std::vector<Chunk3ds> diffuse;   // the same under 0xA020
    bool twoSided = false;
    std::string map;   // texture map file name; empty: no texture map
};
Chunk3ds materialChunk(const MaterialSpec& material);

using Face = std::array<uint16_t, 4>;   // a, b, c, flags

struct GroupSpec {
    std::string material;
    std::vector<uint16_t> faces;
};

struct MeshSpec {
    std::string name;
    std::vector<Vector> points;
    std::vector<Face> faces;
    std::vector<std::array<float, 2>> uvs;   // empty: no mapping chunk
    std::vector<GroupSpec> groups;
};
// A named object holding one triangle mesh: vertex list, mapping, local axes,
// face list with its material groups and a smoothing-group chunk.
Chunk3ds meshChunk(const MeshSpec& mesh);

// The main chunk holding a version chunk, the editor chunk with these
// children, and a keyframe chunk the loader skips.
Chunk3ds file3ds(std::vector<Chunk3ds> editorChildren);

// A square of two faces in the z = 0 plane, corners (x0, y0)..(x0 + 1, y0 + 1),
// mapped 0..1, in material `material` (none when empty).
MeshSpec squareMesh(const std::string& name, float x0, float y0, const std::string& material = "");

// The two-mesh scene most tests start from: mesh "Left" of 4 vertices and
// 2 faces, mesh "Right" of 6 vertices and 3 faces, materials "RED" (two-sided)
// and "WOOD" (map WOOD.GIF).
Chunk3ds sceneTwoMeshes(void);

// ---- Loading --------------------------------------------------------------------
// Through the memory reader (as obxObjectLoadFromExe reads its resource).
Object* loadFromMemory(const Bytes& bytes, float radius = 0.0f, int textured = 1);
// Through obxObjectLoad, from a file written into the current directory.
Object* loadFromFile(const Bytes& bytes, float radius = 0.0f, int textured = 1,
                     const std::string& name = "model.3ds");
void fileWrite(const std::string& path, const Bytes& bytes);

// The engine's log as written so far.
std::string logText(void);
size_t countOf(const std::string& text, const std::string& what);

#endif
