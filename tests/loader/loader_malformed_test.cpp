// Files the loader must refuse: cut short, not 3DS, chunks that do not fit
// their parent, counts beyond their data, names without their NUL, indices
// outside their mesh, too many vertices. Each yields null from both readers,
// logs nothing and leaves no partial object; files just inside each limit
// still load.
#if !defined(_WIN32)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "file3ds.h"
#include "object/object.h"
#include "obx_scene.h"

#if defined(__SANITIZE_ADDRESS__)
#define OBX_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define OBX_ADDRESS_SANITIZER 1
#endif
#endif

namespace {

class MalformedTest : public EngineTest {
protected:
    void expectRefused(const Chunk3ds& tree, const char* what)
    {
        expectRefused(encode3ds(tree), what);
    }
    void expectRefused(const Bytes& bytes, const char* what)
    {
        SCOPED_TRACE(what);
        size_t logged = countOf(logText(), "Loading object: ");
        EXPECT_EQ(loadFromMemory(bytes), nullptr);
        EXPECT_EQ(loadFromFile(bytes), nullptr);
        EXPECT_EQ(countOf(logText(), "Loading object: "), logged);
    }
    void expectLoads(const Chunk3ds& tree, const char* what)
    {
        SCOPED_TRACE(what);
        Bytes bytes = encode3ds(tree);
        for (Object* object : {loadFromMemory(bytes), loadFromFile(bytes)}) {
            EXPECT_NE(object, nullptr);
            obxObjectDelete(object);
        }
    }
};

// sceneTwoMeshes with one change made to it.
template <typename Change>
Chunk3ds changed(Change change)
{
    Chunk3ds tree = sceneTwoMeshes();
    change(tree);
    return tree;
}

void lengthAdd(Chunk3ds* chunk, int64_t delta)
{
    chunk->length = (int64_t)chunkSize(*chunk) + delta;
}

// A mesh of n points on a line and one face (0, 1, 2) when n >= 3.
MeshSpec lineMesh(const std::string& name, int n)
{
    MeshSpec mesh{name, {}, {}, {}, {}};
    for (int i = 0; i < n; i++)
        mesh.points.push_back({(float)(i % 256), (float)(i / 256), 0});
    if (n >= 3)
        mesh.faces.push_back({0, 1, 2, 0});
    return mesh;
}

}   // namespace

TEST_F(MalformedTest, NotA3dsFile)
{
    expectRefused(Bytes{}, "empty");
    expectRefused(Bytes{0x4D, 0x4D, 6, 0, 0}, "shorter than a header");
    expectRefused(changed([](Chunk3ds& t) { t.id = 0x4D4C; }), "first chunk not 0x4D4D");
    expectRefused(file3ds({}).children[1], "an editor chunk alone");
    expectLoads(file3ds({}), "a main chunk with nothing in it");
}

TEST_F(MalformedTest, CutShortAnywhere)
{
    Bytes whole = encode3ds(sceneTwoMeshes());
    for (size_t size = 0; size < whole.size(); size++) {
        Bytes part(whole.begin(), whole.begin() + (long)size);
        ASSERT_EQ(loadFromMemory(part), nullptr) << size;
        ASSERT_EQ(loadFromFile(part), nullptr) << size;
    }
    EXPECT_EQ(countOf(logText(), "Loading object: "), 0u);
    Object* object = loadFromFile(whole);
    EXPECT_NE(object, nullptr);
    obxObjectDelete(object);
}

TEST_F(MalformedTest, ChunkLengthsMustFitTheirParent)
{
    expectRefused(changed([](Chunk3ds& t) { lengthAdd(&t, 1); }), "main chunk past the file");
    expectRefused(changed([](Chunk3ds& t) { lengthAdd(chunkFind(t, 0x4120), 1); }),
                  "face list past its mesh");
    expectRefused(changed([](Chunk3ds& t) { lengthAdd(chunkFind(t, 0x4100, 1), 2); }),
                  "mesh past its named object");
    expectRefused(changed([](Chunk3ds& t) { lengthAdd(chunkFind(t, 0x0011), 1); }),
                  "colour past its parent");
    expectRefused(changed([](Chunk3ds& t) { chunkFind(t, 0xB000)->length = 0; }), "length 0");
    expectRefused(changed([](Chunk3ds& t) { chunkFind(t, 0xA050)->length = 5; }), "length 5");
    expectLoads(changed([](Chunk3ds& t) {
                    chunkFind(t, 0x3D3D)->children.push_back({0x1234, {}, {}});
                }),
                "an empty chunk is six bytes");
}

TEST_F(MalformedTest, CountsMustFitTheirChunk)
{
    // Each list's count raised by one, its data left as it was: the extra
    // entry would be read from the chunks that follow.
    for (uint16_t id : {0x4110, 0x4120, 0x4140}) {
        SCOPED_TRACE(id);
        expectRefused(changed([id](Chunk3ds& t) { chunkFind(t, id)->data[0]++; }), "list count");
    }
    expectRefused(changed([](Chunk3ds& t) {
                      Bytes& group = chunkFind(t, 0x4130)->data;
                      group[group.size() - 4]++;   // "RED", NUL, count 1, face 1
                  }),
                  "face group count");
    expectRefused(changed([](Chunk3ds& t) { chunkFind(t, 0x0011)->data.pop_back(); }),
                  "colour of two bytes");
    expectRefused(changed([](Chunk3ds& t) { chunkFind(t, 0x4160)->data.resize(44); }),
                  "local axes of eleven floats");
}

TEST_F(MalformedTest, NamesNeedTheirNulWithinTheirRoom)
{
    std::string name15(15, 'N'), name79(79, 'M'), base75(75, 'B');
    auto withNames = [&](const std::string& object, const std::string& material,
                         const std::string& map) {
        return file3ds({materialChunk({material, {}, {}, false, map}),
                        meshChunk(squareMesh(object, 0, 0, material))});
    };
    expectLoads(withNames(name15, name79, base75 + ".GIF"), "names at their limits");
    expectRefused(withNames(name15 + "N", name79, "X.GIF"), "object name of 16");
    expectRefused(withNames(name15, name79 + "M", "X.GIF"), "material name of 80");
    expectRefused(withNames(name15, "M", name79 + "G"), "map name of 80");
    // The map's texture file, base + ".3df", must fit the same 80 bytes.
    expectRefused(withNames(name15, "M", base75 + "B"), "map name leaving no room for .3df");
    expectRefused(withNames(name15, "M", base75 + "B.G"), "map base of 76");
    expectRefused(changed([](Chunk3ds& t) { chunkFind(t, 0xA000)->data.pop_back(); }),
                  "material name without NUL before its chunk ends");
    expectRefused(changed([](Chunk3ds& t) { chunkFind(t, 0x4000)->data.pop_back(); }),
                  "object name running into its mesh");
}

TEST_F(MalformedTest, IndicesMustStayInsideTheirMesh)
{
    expectRefused(changed([](Chunk3ds& t) { chunkFind(t, 0x4120)->data[2 + 8 + 4] = 4; }),
                  "face index equal to its mesh's vertex count");
    expectRefused(changed([](Chunk3ds& t) { chunkFind(t, 0x4120)->data[2] = 0xFF; }),
                  "face index far beyond");
    expectRefused(changed([](Chunk3ds& t) {
                      Bytes& group = chunkFind(t, 0x4130)->data;
                      group[group.size() - 2] = 2;   // the first mesh has faces 0 and 1
                  }),
                  "group face index equal to the face count");
    expectLoads(changed([](Chunk3ds& t) { chunkFind(t, 0x4120)->data[2 + 2] = 3; }),
                "face index of the last vertex");
}

TEST_F(MalformedTest, MappingMustCoverItsMesh)
{
    MeshSpec short3 = squareMesh("Short", 0, 0);
    short3.uvs.pop_back();
    expectRefused(file3ds({meshChunk(short3)}), "three coordinates for four vertices");
    MeshSpec long5 = squareMesh("Long", 0, 0);
    long5.uvs.push_back({0.5f, 0.5f});
    expectLoads(file3ds({meshChunk(long5)}), "one to spare");
    MeshSpec none = squareMesh("None", 0, 0);
    none.uvs.clear();
    expectLoads(file3ds({meshChunk(none)}), "no mapping at all");
}

TEST_F(MalformedTest, AtMost65536VerticesInAll)
{
    MeshSpec last = lineMesh("Last", 1);
    last.faces.push_back({0, 0, 0, 0});
    Chunk3ds full = file3ds({meshChunk(lineMesh("Big", 65535)), meshChunk(last)});
    Object* object = loadFromMemory(encode3ds(full), 0.0f, 0);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->vertexCount, 65536);
    // The last vertex is numbered 65535, still 16 bits.
    ASSERT_EQ(object->polygonCount, 2);
    EXPECT_EQ(object->polygons[1].indices[0], 65535);
    EXPECT_EQ(object->vertexRecords[65535].polygonUseCount, 3);
    obxObjectDelete(object);
    expectRefused(file3ds({meshChunk(lineMesh("Big", 65535)), meshChunk(lineMesh("Two", 2))}),
                  "65537 vertices");
}

// The polygon array is the largest block of a load; when it cannot be had the
// loader says so on standard output and returns null. Run in a child process
// whose address space is capped just above what the parse needs (a plain
// build only: the sanitizers reserve address space of their own).
TEST(LoaderMemory, NoRoomForThePolygonsSaysSo)
{
#if OBX_ADDRESS_SANITIZER
    GTEST_SKIP() << "address space is the sanitizer's";
#endif
#if defined(_WIN32)
    GTEST_SKIP() << "caps the address space of a forked child (POSIX)";
#else
    sceneOffline();
    // 16 meshes of 65535 faces: 8 MB of file, 120 MB of polygons.
    std::vector<Chunk3ds> meshes;
    for (int m = 0; m < 16; m++) {
        MeshSpec mesh = lineMesh("M" + std::to_string(m), 1);
        mesh.faces.assign(65535, Face{0, 0, 0, 0});
        meshes.push_back(meshChunk(mesh));
    }
    Bytes file = encode3ds(file3ds(meshes));
    char outPath[] = "/tmp/obx-stdout-XXXXXX";
    int out = mkstemp(outPath);
    ASSERT_GE(out, 0);
    fflush(stdout);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        dup2(out, 1);
        long pages = 0;
        FILE* statm = fopen("/proc/self/statm", "r");
        if (!statm || fscanf(statm, "%ld", &pages) != 1)
            _exit(3);
        fclose(statm);
        struct rlimit limit;
        limit.rlim_cur = limit.rlim_max =
            (rlim_t)pages * (rlim_t)sysconf(_SC_PAGESIZE) + (64u << 20);
        if (setrlimit(RLIMIT_AS, &limit) != 0)
            _exit(3);
        Object* object = loadFromMemory(file, 0.0f, 0);
        fflush(stdout);
        _exit(object ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    close(out);
    std::string printed = fileRead(outPath);
    unlink(outPath);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(printed, "Not enough memory\n");
#endif
}
