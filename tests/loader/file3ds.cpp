// 3D Studio files for loader tests (see file3ds.h).
#include "file3ds.h"

#include <string.h>

#include <fstream>

#include "obx_test.h"

#include "object/object.h"

static void u16Put(Bytes& out, uint16_t v)
{
    out.push_back((uint8_t)v);
    out.push_back((uint8_t)(v >> 8));
}

static void u32Put(Bytes& out, uint32_t v)
{
    u16Put(out, (uint16_t)v);
    u16Put(out, (uint16_t)(v >> 16));
}

static void chunkPut(Bytes& out, const Chunk3ds& chunk)
{
    size_t start = out.size();
    u16Put(out, chunk.id);
    u32Put(out, 0);
    out.insert(out.end(), chunk.data.begin(), chunk.data.end());
    for (const Chunk3ds& child : chunk.children)
        chunkPut(out, child);
    uint32_t length = chunk.length < 0 ? (uint32_t)(out.size() - start) : (uint32_t)chunk.length;
    for (int i = 0; i < 4; i++)
        out[start + 2 + (size_t)i] = (uint8_t)(length >> (8 * i));
}

Bytes encode3ds(const Chunk3ds& chunk)
{
    Bytes out;
    chunkPut(out, chunk);
    return out;
}

static void append(Bytes& to, const Bytes& more)
{
    to.insert(to.end(), more.begin(), more.end());
}

Bytes u16Bytes(std::initializer_list<uint16_t> values)
{
    Bytes out;
    for (uint16_t v : values)
        u16Put(out, v);
    return out;
}

Bytes f32Bytes(std::initializer_list<float> values)
{
    Bytes out;
    for (float v : values) {
        uint32_t word;
        memcpy(&word, &v, 4);
        u32Put(out, word);
    }
    return out;
}

Bytes nameBytes(const std::string& name)
{
    Bytes out(name.begin(), name.end());
    out.push_back(0);
    return out;
}

Bytes operator+(Bytes a, const Bytes& b)
{
    append(a, b);
    return a;
}

static void chunksOf(Chunk3ds& tree, uint16_t id, std::vector<Chunk3ds*>& found)
{
    if (tree.id == id)
        found.push_back(&tree);
    for (Chunk3ds& child : tree.children)
        chunksOf(child, id, found);
}

Chunk3ds* chunkFind(Chunk3ds& tree, uint16_t id, int nth)
{
    std::vector<Chunk3ds*> found;
    chunksOf(tree, id, found);
    return nth < (int)found.size() ? found[(size_t)nth] : nullptr;
}

size_t chunkSize(const Chunk3ds& chunk)
{
    return encode3ds(chunk).size();
}

std::string logText(void)
{
    fflush(core.logFile);
    return fileRead("Ombrix.log");
}

size_t countOf(const std::string& text, const std::string& what)
{
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        n++;
    return n;
}

Chunk3ds colour24(uint8_t r, uint8_t g, uint8_t b, bool linear)
{
    return {(uint16_t)(linear ? 0x0012 : 0x0011), {r, g, b}, {}};
}

Chunk3ds materialChunk(const MaterialSpec& m)
{
    Chunk3ds chunk{0xAFFF, {}, {{0xA000, nameBytes(m.name), {}}}};
    if (!m.ambient.empty())
        chunk.children.push_back({0xA010, {}, m.ambient});
    if (!m.diffuse.empty())
        chunk.children.push_back({0xA020, {}, m.diffuse});
    // Transparency and a float colour: read or skipped, without effect.
    chunk.children.push_back({0xA050, {}, {{0x0030, u16Bytes({50}), {}}}});
    chunk.children.push_back({0xA030, {}, {{0x0010, f32Bytes({0.5f, 0.5f, 0.5f}), {}}}});
    if (m.twoSided)
        chunk.children.push_back({0xA081, {}, {}});
    if (!m.map.empty()) {
        chunk.children.push_back(
            {0xA200, {}, {{0x0030, u16Bytes({100}), {}}, {0xA300, nameBytes(m.map), {}}}});
    }
    return chunk;
}

Chunk3ds meshChunk(const MeshSpec& mesh)
{
    Bytes points = u16Bytes({(uint16_t)mesh.points.size()});
    for (const Vector& p : mesh.points)
        append(points, f32Bytes({p.x, p.y, p.z}));
    Bytes faces = u16Bytes({(uint16_t)mesh.faces.size()});
    for (const Face& f : mesh.faces)
        append(faces, u16Bytes({f[0], f[1], f[2], f[3]}));
    Chunk3ds faceList{0x4120, faces, {}};
    for (const GroupSpec& g : mesh.groups) {
        Bytes data = nameBytes(g.material) + u16Bytes({(uint16_t)g.faces.size()});
        for (uint16_t f : g.faces)
            append(data, u16Bytes({f}));
        faceList.children.push_back({0x4130, data, {}});
    }
    Bytes smoothing;
    for (size_t i = 0; i < mesh.faces.size(); i++)
        append(smoothing, u16Bytes({1, 0}));
    faceList.children.push_back({0x4150, smoothing, {}});

    Chunk3ds triangles{0x4100, {}, {{0x4110, points, {}}}};
    if (!mesh.uvs.empty()) {
        Bytes uvs = u16Bytes({(uint16_t)mesh.uvs.size()});
        for (const auto& t : mesh.uvs)
            append(uvs, f32Bytes({t[0], t[1]}));
        triangles.children.push_back({0x4140, uvs, {}});
    }
    triangles.children.push_back({0x4160, f32Bytes({1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0}), {}});
    triangles.children.push_back(faceList);
    return {0x4000, nameBytes(mesh.name), {triangles}};
}

Chunk3ds file3ds(std::vector<Chunk3ds> editorChildren)
{
    Chunk3ds editor{0x3D3D, {}, {{0x3D3E, {3, 0, 0, 0}, {}}}};
    for (Chunk3ds& c : editorChildren)
        editor.children.push_back(c);
    Chunk3ds keyframes{0xB000, {}, {{0xB00A, u16Bytes({5}) + nameBytes("MAXSCENE"), {}}}};
    return {0x4D4D, {}, {{0x0002, {3, 0, 0, 0}, {}}, editor, keyframes}};
}

MeshSpec squareMesh(const std::string& name, float x0, float y0, const std::string& material)
{
    MeshSpec mesh{name,
                  {{x0, y0, 0}, {x0 + 1, y0, 0}, {x0 + 1, y0 + 1, 0}, {x0, y0 + 1, 0}},
                  {{0, 1, 2, 3}, {0, 2, 3, 3}},
                  {{0, 0}, {1, 0}, {1, 1}, {0, 1}},
                  {}};
    if (!material.empty())
        mesh.groups.push_back({material, {0, 1}});
    return mesh;
}

Chunk3ds sceneTwoMeshes(void)
{
    MeshSpec left = squareMesh("Left", 0, 0);
    left.groups.push_back({"RED", {1}});
    // A 2 x 1 strip of six points, three faces.
    MeshSpec right{"Right",
                   {{2, 0, 0}, {3, 0, 0}, {4, 0, 0}, {2, 1, 0}, {3, 1, 0}, {4, 1, 0}},
                   {{0, 1, 4, 3}, {0, 4, 3, 3}, {1, 2, 5, 3}},
                   {{0, 0}, {0.5f, 0}, {1, 0}, {0, 1}, {0.5f, 1}, {1, 1}},
                   {{"WOOD", {0, 2}}, {"RED", {1}}}};
    return file3ds(
        {materialChunk({"RED", {colour24(50, 0, 0)}, {colour24(255, 0, 0)}, true, ""}),
         materialChunk({"WOOD", {colour24(0, 0, 0)}, {colour24(200, 150, 100)}, false, "WOOD.GIF"}),
         meshChunk(left), meshChunk(right)});
}

Object* loadFromMemory(const Bytes& bytes, float radius, int textured)
{
    ChunkReader reader;
    chunkReaderMemory(&reader, bytes.data(), (uint32_t)bytes.size());
    Scene* scene = sceneParse(&reader);
    if (!scene)
        return nullptr;
    Object* object = sceneToObject(scene, radius, textured);
    sceneFree(scene);
    return object;
}

void fileWrite(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write((const char*)bytes.data(), (std::streamsize)bytes.size());
}

Object* loadFromFile(const Bytes& bytes, float radius, int textured, const std::string& name)
{
    fileWrite(name, bytes);
    return obxObjectLoad(name.c_str(), 0, radius, textured);
}
