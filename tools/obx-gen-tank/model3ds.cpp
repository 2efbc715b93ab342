#include "model3ds.h"

#include <cstdio>
#include <cstring>

namespace {

// Chunks nest; each one's length (header included) is patched in when it ends.
struct ChunkWriter {
    std::vector<uint8_t> bytes;
    std::vector<size_t> open;

    void u8(uint8_t v)
    {
        bytes.push_back(v);
    }
    void u16(uint16_t v)
    {
        u8(uint8_t(v));
        u8(uint8_t(v >> 8));
    }
    void u32(uint32_t v)
    {
        u16(uint16_t(v));
        u16(uint16_t(v >> 16));
    }
    void f32(float v)
    {
        uint32_t u;
        memcpy(&u, &v, 4);
        u32(u);
    }
    void string(const std::string& s)
    {
        bytes.insert(bytes.end(), s.begin(), s.end());
        u8(0);
    }
    void begin(uint16_t id)
    {
        open.push_back(bytes.size());
        u16(id);
        u32(0);
    }
    void end()
    {
        size_t start = open.back();
        open.pop_back();
        uint32_t length = uint32_t(bytes.size() - start);
        for (int i = 0; i < 4; i++)
            bytes[start + 2 + size_t(i)] = uint8_t(length >> (8 * i));
    }
    void colour(uint16_t id, const uint8_t rgb[3])
    {
        begin(id);
        begin(0x0011);
        u8(rgb[0]);
        u8(rgb[1]);
        u8(rgb[2]);
        end();
        end();
    }
};

}   // namespace

std::vector<uint8_t> scene3dsEncode(const Scene3ds& scene)
{
    ChunkWriter w;
    w.begin(0x4D4D);
    w.begin(0x0002);   // file version
    w.u32(3);
    w.end();
    w.begin(0x3D3D);
    w.begin(0x3D3E);   // mesh version
    w.u32(3);
    w.end();
    for (const Material3ds& m : scene.materials) {
        w.begin(0xAFFF);
        w.begin(0xA000);
        w.string(m.name);
        w.end();
        w.colour(0xA010, m.ambient);
        w.colour(0xA020, m.diffuse);
        if (m.twoSided) {
            w.begin(0xA081);
            w.end();
        }
        if (!m.mapName.empty()) {
            w.begin(0xA200);
            w.begin(0x0030);   // strength, percent
            w.u16(100);
            w.end();
            w.begin(0xA300);
            w.string(m.mapName);
            w.end();
            w.end();
        }
        w.end();
    }
    w.begin(0x0100);   // master scale
    w.f32(1.0f);
    w.end();
    for (const Mesh3ds& mesh : scene.meshes) {
        w.begin(0x4000);
        w.string(mesh.name);
        w.begin(0x4100);
        w.begin(0x4110);
        w.u16(uint16_t(mesh.points.size()));
        for (const Vec3& p : mesh.points) {
            w.f32(p.x);
            w.f32(p.y);
            w.f32(p.z);
        }
        w.end();
        w.begin(0x4140);
        w.u16(uint16_t(mesh.uvs.size()));
        for (const Vec2& t : mesh.uvs) {
            w.f32(t.u);
            w.f32(t.v);
        }
        w.end();
        w.begin(0x4160);   // local axes: identity, origin at 0
        const float axes[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};
        for (float a : axes)
            w.f32(a);
        w.end();
        w.begin(0x4120);
        w.u16(uint16_t(mesh.faces.size()));
        for (const Face3ds& f : mesh.faces) {
            w.u16(f.a);
            w.u16(f.b);
            w.u16(f.c);
            w.u16(f.flags);
        }
        for (size_t m = 0; m < scene.materials.size(); m++) {
            std::vector<uint16_t> group;
            for (size_t i = 0; i < mesh.faces.size(); i++)
                if (mesh.faceMaterial[i] == int(m))
                    group.push_back(uint16_t(i));
            if (group.empty())
                continue;
            w.begin(0x4130);
            w.string(scene.materials[m].name);
            w.u16(uint16_t(group.size()));
            for (uint16_t i : group)
                w.u16(i);
            w.end();
        }
        w.end();   // faces
        w.end();   // triangle mesh
        w.end();   // named object
    }
    w.end();   // editor
    w.end();   // main
    return w.bytes;
}

bool scene3dsWrite(const std::string& path, const Scene3ds& scene, std::string* error)
{
    std::vector<uint8_t> bytes = scene3dsEncode(scene);
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) {
        *error = "cannot create " + path;
        return false;
    }
    bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = fclose(f) == 0 && ok;
    if (!ok)
        *error = "cannot write " + path;
    return ok;
}
