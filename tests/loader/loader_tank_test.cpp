// tank.3ds as the engine loads it, face by face against lib3ds reading the
// same file, and loaded again from this program's own "FILE_3DS" resource.
#include <lib3ds/file.h>
#include <lib3ds/material.h>
#include <lib3ds/mesh.h>

#include <map>

#include "file3ds.h"
#include "object/object.h"
#include "obx_test.h"

namespace {

class TankTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::vector<std::string> files = engineDataFiles();
        files.insert(files.end(), {"tank.3ds", "CAMO.3df", "TREAD.3df"});
        ASSERT_EQ(engineStart(0, files), 1);
    }
    void TearDown() override
    {
        engineStop();
    }
};

// The meshes' names in the order the engine's reader meets them.
std::vector<std::string> engineMeshOrder(const char* path)
{
    std::vector<std::string> names;
    FILE* file = fopen(path, "rb");
    if (!file)
        return names;
    fseek(file, 0, SEEK_END);
    long size = ftell(file);
    rewind(file);
    ChunkReader reader;
    chunkReaderFile(&reader, file, (uint32_t)size);
    Scene* scene = sceneParse(&reader);
    fclose(file);
    for (int m = 0; scene && m < scene->meshCount; m++)
        names.push_back(scene->meshes[m].name);
    sceneFree(scene);
    return names;
}

}   // namespace

TEST_F(TankTest, EngineAndLib3dsAgreeFaceByFace)
{
    Lib3dsFile* file = lib3ds_file_load("tank.3ds");
    ASSERT_NE(file, nullptr);
    std::map<std::string, Lib3dsMesh*> meshes;
    std::map<std::string, Lib3dsMaterial*> materials;
    float lo[3] = {65535, 65535, 65535}, hi[3] = {-65535, -65535, -65535};
    for (Lib3dsMesh* m = file->meshes; m; m = m->next) {
        meshes[m->name] = m;
        for (Lib3dsDword i = 0; i < m->points; i++) {
            for (int a = 0; a < 3; a++) {
                lo[a] = m->pointL[i].pos[a] < lo[a] ? m->pointL[i].pos[a] : lo[a];
                hi[a] = m->pointL[i].pos[a] > hi[a] ? m->pointL[i].pos[a] : hi[a];
            }
        }
    }
    for (Lib3dsMaterial* m = file->materials; m; m = m->next)
        materials[m->name] = m;

    Object* object = obxObjectLoad("tank.3ds", 0, 0.0f, 1);
    ASSERT_NE(object, nullptr);
    std::vector<std::string> order = engineMeshOrder("tank.3ds");
    ASSERT_EQ(order.size(), meshes.size());

    // The engine's meshes follow one another: faces and vertices of each
    // start where the previous mesh's end.
    int base = 0, offset = 0, textured = 0, twoSided = 0;
    const float centre[3] = {(lo[0] + hi[0]) / 2, (lo[1] + hi[1]) / 2, (lo[2] + hi[2]) / 2};
    for (const std::string& name : order) {
        SCOPED_TRACE(name);
        ASSERT_EQ(meshes.count(name), 1u);
        const Lib3dsMesh* mesh = meshes[name];
        for (Lib3dsDword f = 0; f < mesh->faces; f++) {
            const Lib3dsFace& face = mesh->faceL[f];
            const Polygon& polygon = object->polygons[base + (int)f];
            int corners[3] = {face.points[0], face.points[1], face.points[2]};
            if (face.flags == 7)
                std::swap(corners[1], corners[2]);
            for (int k = 0; k < 3; k++) {
                ASSERT_EQ(polygon.indices[k], offset + corners[k]);
                const Vector& v = object->vertices[polygon.indices[k]];
                const float* p = mesh->pointL[corners[k]].pos;
                EXPECT_EQ(v.x, p[0] - centre[0]);
                EXPECT_EQ(v.y, p[1] - centre[1]);
                EXPECT_EQ(v.z, p[2] - centre[2]);
                EXPECT_EQ(polygon.texCoords[2 * k], mesh->texelL[corners[k]][0]);
                EXPECT_EQ(polygon.texCoords[2 * k + 1], mesh->texelL[corners[k]][1]);
            }
            ASSERT_EQ(materials.count(face.material), 1u) << face.material;
            const Lib3dsMaterial* material = materials[face.material];
            for (int ch = 0; ch < 3; ch++) {
                EXPECT_EQ(polygon.diffuse[ch], material->diffuse[ch]);
                EXPECT_EQ(polygon.emissive[ch], material->ambient[ch]);
            }
            EXPECT_EQ(polygon.doubleSided, material->two_sided ? 1 : 0);
            std::string map = material->texture1_map.name;
            if (map.empty()) {
                EXPECT_EQ(polygon.texture, nullptr);
                EXPECT_EQ(polygon.kind, 2);
            } else {
                ASSERT_NE(polygon.texture, nullptr);
                EXPECT_EQ(polygon.texture->name, map.substr(0, map.find('.')) + ".3df");
                EXPECT_EQ(polygon.kind, 1);
                textured++;
            }
            twoSided += polygon.doubleSided;
        }
        base += (int)mesh->faces;
        offset += (int)mesh->points;
    }
    EXPECT_EQ(object->polygonCount, base);
    EXPECT_EQ(object->vertexCount, offset);
    EXPECT_GT(textured, 0);
    EXPECT_GT(twoSided, 0);
    obxObjectDelete(object);
    lib3ds_file_free(file);
}

TEST_F(TankTest, ResourceLoadsLikeTheFile)
{
    Object* fromFile = obxObjectLoad("tank.3ds", 0, 100.0f, 1);
    size_t logged = countOf(logText(), "Loading object: ");
    Object* fromExe = obxObjectLoadFromExe(101, 0, 100.0f, 1);
    ASSERT_NE(fromFile, nullptr);
    ASSERT_NE(fromExe, nullptr);
    // Resources are not logged.
    EXPECT_EQ(countOf(logText(), "Loading object: "), logged);
    EXPECT_EQ(fromExe->radius, 100.0f);
    ASSERT_EQ(fromExe->vertexCount, fromFile->vertexCount);
    ASSERT_EQ(fromExe->polygonCount, fromFile->polygonCount);
    for (int i = 0; i < fromExe->vertexCount; i++) {
        EXPECT_EQ(fromExe->vertices[i].x, fromFile->vertices[i].x);
        EXPECT_EQ(fromExe->vertices[i].z, fromFile->vertices[i].z);
    }
    for (int p = 0; p < fromExe->polygonCount; p++) {
        EXPECT_EQ(fromExe->polygons[p].indices[2], fromFile->polygons[p].indices[2]);
        EXPECT_EQ(fromExe->polygons[p].texture, fromFile->polygons[p].texture);
        EXPECT_EQ(fromExe->polygons[p].normal.y, fromFile->polygons[p].normal.y);
    }
    obxObjectDelete(fromFile);
    obxObjectDelete(fromExe);

    EXPECT_EQ(obxObjectLoadFromExe(999, 0, 0.0f, 1), nullptr);   // no such id
    EXPECT_EQ(obxObjectLoadFromExe(102, 0, 0.0f, 1), nullptr);   // id under another type
    EXPECT_EQ(obxObjectLoadFromExe(101, 1, 0.0f, 1), nullptr);   // reserved must be 0
}
