// tank.3ds as lib3ds reads it: the meshes, counts, materials, colours,
// two-sidedness and map names the generator meant, geometry the engine can
// draw (outward winding, coordinates in 0..1, names within its limits), and
// the textures its maps name next to it.
#include "tank.h"

#include <gtest/gtest.h>
#include <lib3ds/file.h>
#include <lib3ds/material.h>
#include <lib3ds/mesh.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <set>
#include <cstring>

namespace {

const std::string tankPath = std::string(OBX_RUN_DIR) + "/tank.3ds";

struct Lib3ds {
    Lib3dsFile* file = lib3ds_file_load(tankPath.c_str());
    ~Lib3ds()
    {
        if (file)
            lib3ds_file_free(file);
    }
};

// Six times the volume a closed mesh encloses; positive when every triangle
// faces outward.
double signedVolume(const Lib3dsMesh* m)
{
    double v = 0;
    for (Lib3dsDword i = 0; i < m->faces; i++) {
        const float* a = m->pointL[m->faceL[i].points[0]].pos;
        const float* b = m->pointL[m->faceL[i].points[1]].pos;
        const float* c = m->pointL[m->faceL[i].points[2]].pos;
        v += a[0] * (b[1] * c[2] - b[2] * c[1]) - a[1] * (b[0] * c[2] - b[2] * c[0]) +
             a[2] * (b[0] * c[1] - b[1] * c[0]);
    }
    return v;
}

}   // namespace

TEST(Tank3ds, Lib3dsFindsTheMeshesAndMaterialsTheGeneratorWrote)
{
    Lib3ds tank;
    ASSERT_NE(tank.file, nullptr) << tankPath;
    Scene3ds meant = tankScene();

    // lib3ds keeps its own order of meshes and materials: match them by name.
    std::map<std::string, const Lib3dsMesh*> meshes;
    for (Lib3dsMesh* m = tank.file->meshes; m; m = m->next)
        meshes[m->name] = m;
    ASSERT_EQ(meshes.size(), meant.meshes.size());
    size_t triangles = 0;
    for (const Mesh3ds& want : meant.meshes) {
        SCOPED_TRACE(want.name);
        ASSERT_EQ(meshes.count(want.name), 1u);
        const Lib3dsMesh* m = meshes[want.name];
        ASSERT_EQ(m->points, want.points.size());
        ASSERT_EQ(m->faces, want.faces.size());
        ASSERT_EQ(m->texels, want.points.size());
        triangles += m->faces;
        for (Lib3dsDword f = 0; f < m->faces; f++) {
            EXPECT_EQ(m->faceL[f].points[0], want.faces[f].a);
            EXPECT_EQ(m->faceL[f].points[2], want.faces[f].c);
            EXPECT_STREQ(m->faceL[f].material,
                         meant.materials[size_t(want.faceMaterial[f])].name.c_str());
        }
        EXPECT_FLOAT_EQ(m->pointL[0].pos[2], want.points[0].z);
        EXPECT_FLOAT_EQ(m->texelL[m->texels - 1][0], want.uvs.back().u);
    }
    EXPECT_GE(triangles, 300u);
    EXPECT_LE(triangles, 2000u);

    std::map<std::string, const Lib3dsMaterial*> materials;
    for (Lib3dsMaterial* m = tank.file->materials; m; m = m->next)
        materials[m->name] = m;
    ASSERT_EQ(materials.size(), meant.materials.size());
    int twoSided = 0, mapped = 0;
    for (const Material3ds& want : meant.materials) {
        SCOPED_TRACE(want.name);
        ASSERT_EQ(materials.count(want.name), 1u);
        const Lib3dsMaterial* m = materials[want.name];
        for (int c = 0; c < 3; c++) {
            EXPECT_NEAR(m->ambient[c], want.ambient[c] / 255.0f, 1e-6);
            EXPECT_NEAR(m->diffuse[c], want.diffuse[c] / 255.0f, 1e-6);
        }
        EXPECT_EQ(bool(m->two_sided), want.twoSided);
        EXPECT_EQ(m->texture1_map.name, want.mapName);
        twoSided += want.twoSided;
        mapped += !want.mapName.empty();
    }
    EXPECT_GE(twoSided, 1);
    EXPECT_GE(mapped, 1);
}

TEST(Tank3ds, GeometryIsSomethingTheEngineCanDraw)
{
    Lib3ds tank;
    ASSERT_NE(tank.file, nullptr);
    std::map<std::string, bool> twoSided;
    for (Lib3dsMaterial* m = tank.file->materials; m; m = m->next)
        twoSided[m->name] = m->two_sided;
    std::set<std::string> names;
    for (Lib3dsMesh* m = tank.file->meshes; m; m = m->next) {
        SCOPED_TRACE(m->name);
        EXPECT_LE(strlen(m->name), 15u);   // the engine keeps 16 bytes of an object name
        names.insert(m->name);
        bool open = false;
        for (Lib3dsDword f = 0; f < m->faces; f++) {
            const Lib3dsFace& face = m->faceL[f];
            for (int k = 0; k < 3; k++)
                EXPECT_LT(face.points[k], m->points);
            // The engine swaps b and c of faces whose flags are exactly 7.
            EXPECT_NE(face.flags & 0x7, 7);
            open = open || twoSided[face.material];
        }
        for (Lib3dsDword t = 0; t < m->texels; t++)
            for (int k = 0; k < 2; k++) {
                EXPECT_GE(m->texelL[t][k], 0.0f);   // the engine clamps, it does not wrap
                EXPECT_LE(m->texelL[t][k], 1.0f);
            }
        // Closed pieces face outward: they enclose a positive volume.
        if (!open) {
            EXPECT_GT(signedVolume(m), 0.01) << "inward or open";
        }
    }
    for (const char* piece : {"Hull", "Turret", "Barrel", "TrackLeft", "TrackRight"})
        EXPECT_EQ(names.count(piece), 1u) << piece;
}

TEST(Tank3ds, EveryTextureMapHasItsTextureFileNextToIt)
{
    Lib3ds tank;
    ASSERT_NE(tank.file, nullptr);
    for (Lib3dsMaterial* m = tank.file->materials; m; m = m->next) {
        EXPECT_LE(strlen(m->name), 79u);
        std::string map = m->texture1_map.name;
        if (map.empty())
            continue;
        // The engine asks for the part before the first '.' plus ".3df".
        std::string file = map.substr(0, map.find('.')) + ".3df";
        EXPECT_LE(file.size(), 79u);
        EXPECT_TRUE(std::filesystem::exists(std::string(OBX_RUN_DIR) + "/" + file)) << file;
    }
}
