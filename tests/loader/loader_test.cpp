// The 3DS loader on files built for each case: merging meshes, materials,
// colours, texture maps, rescaling, the log line, and the reading of the file.
#include <math.h>
#include <sys/stat.h>
#if !defined(_WIN32)
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "file3ds.h"
#include "object/object.h"
#include "obx_test.h"

namespace {

class LoaderTest : public EngineTest {};

void expectColour(const float* c, float r, float g, float b)
{
    EXPECT_EQ(c[0], r);
    EXPECT_EQ(c[1], g);
    EXPECT_EQ(c[2], b);
}

// Untextured, white, single-sided and without emissive colour: a polygon no
// material reached.
void expectPlain(const Polygon& p)
{
    EXPECT_EQ(p.kind, 2);
    EXPECT_EQ(p.texture, nullptr);
    EXPECT_EQ(p.doubleSided, 0);
    expectColour(p.diffuse, 1, 1, 1);
    expectColour(p.emissive, 0, 0, 0);
}

std::vector<int> indicesOf(const Polygon& p)
{
    return {p.indices[0], p.indices[1], p.indices[2]};
}

}   // namespace

TEST_F(LoaderTest, TwoMeshesMergeInFileOrder)
{
    write3dfRgb565("WOOD.3df", 8, 8, 0x8410);
    Object* object = loadFromFile(encode3ds(sceneTwoMeshes()));
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->vertexCount, 10);
    ASSERT_EQ(object->polygonCount, 5);
    EXPECT_EQ(object->shadingType, 3);
    EXPECT_EQ(object->shape, GR_TRIANGLE_FAN);
    EXPECT_FALSE(objectInWorld(object));

    // The second mesh's faces name vertices 4..9.
    EXPECT_EQ(indicesOf(object->polygons[1]), (std::vector<int>{0, 2, 3}));
    EXPECT_EQ(indicesOf(object->polygons[2]), (std::vector<int>{4, 5, 8}));
    EXPECT_EQ(indicesOf(object->polygons[4]), (std::vector<int>{5, 6, 9}));
    // Each corner takes its vertex's mapping coordinates.
    const float* st = object->polygons[2].texCoords;
    EXPECT_EQ(std::vector<float>(st, st + 6), (std::vector<float>{0, 0, 0.5f, 0, 0.5f, 1}));
    EXPECT_EQ(object->vertexRecords[4].polygonUseCount, 2);
    EXPECT_EQ(object->vertexRecords[4].polygonUse[1], 3);
    EXPECT_EQ(object->vertexRecords[6].polygonUseCount, 1);

    // The box x 0..4, y 0..1 is centred; radius 0 keeps the file's size.
    EXPECT_EQ(object->vertices[9].x, 2.0f);
    EXPECT_EQ(object->vertices[9].y, 0.5f);
    EXPECT_EQ(object->vertices[0].x, -2.0f);
    EXPECT_EQ(object->radius, sqrtf(4.25f));
    EXPECT_GT(object->polygons[0].normal.z, 0.99f);
    EXPECT_GT(object->vertexNormals[4][2], 0.99f);

    // Face groups: the first mesh's face 1 is RED; the second mesh's faces
    // 0 and 2 are WOOD, its face 1 RED.
    expectPlain(object->polygons[0]);
    const Polygon& red = object->polygons[1];
    EXPECT_EQ(red.kind, 2);
    EXPECT_EQ(red.doubleSided, 1);
    expectColour(red.diffuse, 1, 0, 0);
    expectColour(red.emissive, 50 / 255.0f, 0, 0);
    EXPECT_EQ(object->polygons[3].doubleSided, 1);
    for (int p : {2, 4}) {
        const Polygon& wood = object->polygons[p];
        ASSERT_NE(wood.texture, nullptr);
        EXPECT_STREQ(wood.texture->name, "WOOD.3df");
        EXPECT_EQ(wood.kind, 1);
        EXPECT_EQ(wood.doubleSided, 0);
        expectColour(wood.diffuse, 200 / 255.0f, 150 / 255.0f, 100 / 255.0f);
        expectColour(wood.emissive, 0, 0, 0);
    }
    obxObjectDelete(object);
}

TEST_F(LoaderTest, FlagsSevenTurnsTheFaceAround)
{
    MeshSpec mesh = squareMesh("Quad", 0, 0);
    mesh.faces = {{0, 1, 2, 7}, {0, 1, 2, 3}, {0, 1, 2, 5}, {0, 1, 2, 6}, {0, 1, 2, 0xFFFF}};
    Object* object = loadFromMemory(encode3ds(file3ds({meshChunk(mesh)})));
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(indicesOf(object->polygons[0]), (std::vector<int>{0, 2, 1}));
    const float* st = object->polygons[0].texCoords;
    EXPECT_EQ(std::vector<float>(st, st + 6), (std::vector<float>{0, 0, 1, 1, 1, 0}));
    // Its normal points the other way from the same corners kept in order.
    EXPECT_LT(object->polygons[0].normal.z, -0.99f);
    EXPECT_GT(object->polygons[1].normal.z, 0.99f);
    for (int p = 1; p < 5; p++)
        EXPECT_EQ(indicesOf(object->polygons[p]), (std::vector<int>{0, 1, 2})) << p;
    obxObjectDelete(object);
}

TEST_F(LoaderTest, BlackOrMissingColoursMeanWhite)
{
    auto load = [](std::vector<Chunk3ds> ambient, std::vector<Chunk3ds> diffuse,
                   std::vector<Chunk3ds> otherDiffuse) {
        Object* object =
            loadFromMemory(encode3ds(file3ds({materialChunk({"PAINT", ambient, diffuse, false, ""}),
                                              materialChunk({"OTHER", {}, otherDiffuse, false, ""}),
                                              meshChunk(squareMesh("Quad", 0, 0, "PAINT"))})));
        EXPECT_NE(object, nullptr);
        return object;
    };
    // Every colour black, or none at all: the grouped material is white
    // with no emissive colour.
    for (Object* object :
         {load({colour24(0, 0, 0)}, {colour24(0, 0, 0)}, {colour24(0, 0, 0)}), load({}, {}, {})}) {
        ASSERT_NE(object, nullptr);
        expectColour(object->polygons[1].diffuse, 1, 1, 1);
        expectColour(object->polygons[1].emissive, 0, 0, 0);
        obxObjectDelete(object);
    }
    // One colour anywhere in the file makes the black ones count.
    Object* black = load({colour24(0, 0, 0)}, {colour24(0, 0, 0)}, {colour24(0, 255, 0)});
    ASSERT_NE(black, nullptr);
    expectColour(black->polygons[0].diffuse, 0, 0, 0);
    obxObjectDelete(black);

    // The later of a plain and a linear 24-bit colour wins; float colours are
    // not read.
    Object* later = load({colour24(51, 0, 0), {0x0010, f32Bytes({1, 1, 1}), {}}},
                         {colour24(255, 0, 0), colour24(0, 0, 255, true)}, {});
    ASSERT_NE(later, nullptr);
    expectColour(later->polygons[0].diffuse, 0, 0, 1);
    expectColour(later->polygons[0].emissive, 0.2f, 0, 0);
    obxObjectDelete(later);
}

TEST_F(LoaderTest, TextureMapsLoadAsTheir3dfFiles)
{
    write3dfRgb565("WOOD.3df", 8, 8, 0x8410);
    write3dfRgb565("BRICK.3df", 8, 8, 0xF800);
    write3dfRgb565("a.3df", 8, 8, 0x001F);
    Bytes file = encode3ds(file3ds({
        materialChunk({"WOOD", {}, {colour24(200, 150, 100)}, true, "WOOD.GIF"}),
        materialChunk({"BRICK", {}, {}, false, "BRICK"}),       // no extension
        materialChunk({"MULTI", {}, {}, false, "a.b.TGA"}),     // up to the first '.'
        materialChunk({"STONE", {}, {}, false, "STONE.TGA"}),   // no such file
        meshChunk(squareMesh("A", 0, 0, "WOOD")),
        meshChunk(squareMesh("B", 1, 0, "BRICK")),
        meshChunk(squareMesh("C", 2, 0, "MULTI")),
        meshChunk(squareMesh("D", 3, 0, "STONE")),
    }));

    // Anything but textured 1: no texture is asked for and no material applies.
    for (int textured : {0, 2}) {
        Object* plain = loadFromFile(file, 0.0f, textured);
        ASSERT_NE(plain, nullptr);
        for (int p = 0; p < plain->polygonCount; p++)
            expectPlain(plain->polygons[p]);
        obxObjectDelete(plain);
    }
    for (const char* name : {"WOOD", "BRICK", "a.3df"})
        EXPECT_EQ(logText().find(name), std::string::npos) << name;

    Object* object = loadFromFile(file, 0.0f, 1);
    ASSERT_NE(object, nullptr);
    std::string log = logText();
    size_t objectLine = log.rfind("Loading object: model.3ds\n\n");
    ASSERT_NE(objectLine, std::string::npos);
    EXPECT_NE(log.find("Loading texture: WOOD.3df\n\n", objectLine), std::string::npos);
    const char* names[] = {"WOOD.3df", "BRICK.3df", "a.3df"};
    for (int p = 0; p < 6; p++) {
        const Polygon& polygon = object->polygons[p];
        ASSERT_NE(polygon.texture, nullptr) << p;
        EXPECT_STREQ(polygon.texture->name, names[p / 2]);
        EXPECT_EQ(polygon.kind, 1);
    }
    EXPECT_EQ(object->polygons[0].doubleSided, 1);
    // A map whose file is missing leaves its faces in their colours.
    EXPECT_EQ(object->polygons[6].texture, nullptr);
    EXPECT_EQ(object->polygons[6].kind, 2);
    EXPECT_EQ(log.find("STONE"), std::string::npos);
    obxObjectDelete(object);
}

TEST_F(LoaderTest, GroupsTakeTheFirstMaterialOfTheirName)
{
    Bytes file = encode3ds(file3ds({
        materialChunk({"RED", {}, {colour24(255, 0, 0)}, false, ""}),
        materialChunk({"RED", {}, {colour24(0, 0, 255)}, true, ""}),
        meshChunk(squareMesh("A", 0, 0, "RED")),
        meshChunk(squareMesh("B", 1, 0, "PLASTIC")),   // matches no material
        meshChunk(squareMesh("C", 2, 0, "red")),       // names are case-sensitive
    }));
    Object* object = loadFromMemory(file);
    ASSERT_NE(object, nullptr);
    expectColour(object->polygons[1].diffuse, 1, 0, 0);
    EXPECT_EQ(object->polygons[1].doubleSided, 0);
    for (int p = 2; p < 6; p++)
        expectPlain(object->polygons[p]);
    obxObjectDelete(object);
}

TEST_F(LoaderTest, FileWithoutMeshesGivesAnEmptyObject)
{
    Object* object = loadFromFile(
        encode3ds(file3ds({materialChunk({"RED", {}, {colour24(255, 0, 0)}, false, ""})})));
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->vertexCount, 0);
    EXPECT_EQ(object->polygonCount, 0);
    EXPECT_EQ(object->radius, 0.0f);
    obxObjectDelete(object);
    // Empty vertex and face lists are lists all the same.
    Object* empty = loadFromFile(encode3ds(file3ds({meshChunk({"Empty", {}, {}, {}, {}})})));
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->vertexCount, 0);
    obxObjectDelete(empty);
}

TEST_F(LoaderTest, RadiusRescalesExactlyAndZeroKeepsTheSize)
{
    Bytes file = encode3ds(sceneTwoMeshes());
    Object* kept = loadFromMemory(file, 0.0f, 0);
    Object* scaled = loadFromMemory(file, 100.0f, 0);
    ASSERT_NE(kept, nullptr);
    ASSERT_NE(scaled, nullptr);
    EXPECT_EQ(scaled->radius, 100.0f);
    float longest = 0;
    for (int i = 0; i < scaled->vertexCount; i++) {
        const Vector& v = scaled->vertices[i];
        longest = fmaxf(longest, sqrtf(v.x * v.x + v.y * v.y + v.z * v.z));
        EXPECT_NEAR(v.x, kept->vertices[i].x * 100.0f / kept->radius, 1e-4);
        EXPECT_NEAR(v.y, kept->vertices[i].y * 100.0f / kept->radius, 1e-4);
    }
    EXPECT_NEAR(longest, 100.0f, 1e-4);
    obxObjectDelete(kept);
    obxObjectDelete(scaled);
}

TEST_F(LoaderTest, FileLoadIsLoggedAndNeedsNoWriteAccess)
{
    Bytes file = encode3ds(sceneTwoMeshes());
    Object* object = loadFromFile(file, 0.0f, 0, "odd%s%n name.3ds");
    ASSERT_NE(object, nullptr);
    obxObjectDelete(object);
    EXPECT_EQ(countOf(logText(), "Loading object: odd%s%n name.3ds\n\n"), 1u);

    // Refused before reading: nothing is logged.
    EXPECT_EQ(obxObjectLoad("odd%s%n name.3ds", 1, 0.0f, 0), nullptr);
    EXPECT_EQ(obxObjectLoad("missing.3ds", 0, 0.0f, 0), nullptr);
    EXPECT_EQ(obxObjectLoad(".", 0, 0.0f, 0), nullptr);          // a directory
    EXPECT_EQ(obxObjectLoadFromExe(101, 0, 0.0f, 0), nullptr);   // no resources here
    EXPECT_EQ(countOf(logText(), "Loading object: "), 1u);

    // A model nobody may write still loads; checked as an ordinary user, who
    // (unlike root) cannot open a read-only file for update.
    fileWrite("readonly.3ds", file);
    ASSERT_EQ(chmod("readonly.3ds", 0444), 0);
    ASSERT_EQ(chmod(".", 0755), 0);
#if defined(_WIN32)
    // No other user to become: the file's read-only attribute alone.
    EXPECT_NE(obxObjectLoad("readonly.3ds", 0, 0.0f, 0), nullptr);
#else
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (geteuid() == 0 && setuid(65534) != 0)
            _exit(3);
        FILE* update = fopen("readonly.3ds", "r+b");
        if (update)
            _exit(2);   // this user could write it after all: no proof
        _exit(obxObjectLoad("readonly.3ds", 0, 0.0f, 0) ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "2: writable, 3: cannot change user, 1: refused";
#endif
}

TEST_F(LoaderTest, AMapTheBoardCannotHoldLeavesItsFacesInTheirColours)
{
    // 512 x 512 is more than the board takes: the texture is refused as a
    // missing file is, so its faces are drawn untextured, never with the
    // texture the board held before.
    write3dfRgb565("HUGE.3df", 512, 512, 0x001F, false);
    write3dfRgb565("FINE.3df", 256, 256, 0xF800, false);
    Bytes file = encode3ds(file3ds({
        materialChunk({"HUGE", {}, {colour24(10, 20, 30)}, false, "HUGE.TGA"}),
        materialChunk({"FINE", {}, {}, false, "FINE.TGA"}),
        meshChunk(squareMesh("A", 0, 0, "HUGE")),
        meshChunk(squareMesh("B", 1, 0, "FINE")),
    }));
    Object* object = loadFromFile(file, 0.0f, 1);
    ASSERT_NE(object, nullptr);
    for (int p = 0; p < 2; p++) {
        EXPECT_EQ(object->polygons[p].texture, nullptr);
        EXPECT_EQ(object->polygons[p].kind, 2);
    }
    ASSERT_NE(object->polygons[2].texture, nullptr);
    EXPECT_STREQ(object->polygons[2].texture->name, "FINE.3df");
    EXPECT_EQ(logText().find("HUGE"), std::string::npos);
    obxObjectDelete(object);
}
