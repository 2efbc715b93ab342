// Texture loading, texture memory, selection with takeover, use accounting.
#include <stdlib.h>
#include <string.h>

#include <deque>
#include <fstream>

#include "obx_scene.h"
#include "texture/texture.h"

namespace {

const uint32_t reserveSlotBytes = 174768;   // 256 x 256 RGB565 with all levels

// The engine on a board with the given units and texture memory per unit.
class TextureTest : public ::testing::Test {
protected:
    void start(int units = 2, const char* memory = "4M")
    {
        setenv("FX_GLIDE_NUM_TMU", units == 1 ? "1" : "2", 1);
        setenv("OBX_GLIDE_TEXMEM", memory, 1);
        ASSERT_EQ(engineStart(0), 1) << fileRead("Ombrix.log");
    }
    void TearDown() override
    {
        traceStop();
        engineStop();
    }

    // Writes a one-colour texture into the session directory and loads it.
    TextureRecord* load(const std::string& name, int side, char useSecondTmu = 0)
    {
        write3dfRgb565(name, side, side, 0x07E0);
        return obxTextureLoad(name.c_str(), useSecondTmu);
    }

    std::string texLine(const char* call, int unit, const TextureRecord* t)
    {
        return std::string(call) + "(" + std::to_string(unit) + ", " + std::to_string(t->address) +
               ", 3, ptr)";
    }

    // The records of the cache, oldest first.
    std::vector<TextureRecord*> oldestFirst()
    {
        std::vector<TextureRecord*> all;
        for (TextureRecord* t = textures.list; t; t = t->next)
            all.insert(all.begin(), t);
        return all;
    }
};

}   // namespace

TEST_F(TextureTest, ReserveSlotsComeFirstOnEachUnit)
{
    start(2);
    std::vector<TextureRecord*> all = oldestFirst();
    ASSERT_GE(all.size(), 3u);
    for (int i = 0; i < 2; i++) {
        SCOPED_TRACE(i);
        EXPECT_EQ(all[i]->name, nullptr);
        EXPECT_EQ(all[i]->tmu, i);
        EXPECT_EQ(all[i]->resident, 1);
        EXPECT_EQ(all[i]->usedRecently, 0);
        EXPECT_EQ(all[i]->size, (int32_t)reserveSlotBytes);
        EXPECT_EQ(all[i]->slotSize, (int32_t)reserveSlotBytes);
        EXPECT_EQ(all[i]->info.smallLodLog2, GR_LOD_LOG2_1);
        EXPECT_EQ(all[i]->info.largeLodLog2, GR_LOD_LOG2_256);
        EXPECT_EQ(all[i]->info.format, GR_TEXFMT_RGB_565);
        EXPECT_EQ(all[i]->address, textures.memoryMin[i]);
    }
    EXPECT_STREQ(all[2]->name, "white.3df");
    EXPECT_EQ(all[2]->address, textures.memoryMin[0] + reserveSlotBytes);
}

TEST_F(TextureTest, OneUnitBoardKeepsBothReserveSlotsOnUnitZero)
{
    start(1);
    std::vector<TextureRecord*> all = oldestFirst();
    EXPECT_EQ(all[0]->address, textures.memoryMin[0]);
    EXPECT_EQ(all[1]->tmu, 1);
    EXPECT_EQ(all[1]->address, textures.memoryMin[0] + reserveSlotBytes);
}

TEST_F(TextureTest, LoadingTheSameNameTwiceGivesTheSameRecord)
{
    start();
    traceStart();
    TextureRecord* a = load("grass.3df", 64);
    uint32_t bytes = obxNumBytesAllocated();
    TextureRecord* b = obxTextureLoad("grass.3df", 1);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a, b);
    EXPECT_EQ(b->tmu, 0);   // the unit stays what the first load chose
    EXPECT_EQ(obxNumBytesAllocated(), bytes);
    EXPECT_EQ(traceCalls("grTexDownloadMipMap").size(), 1u);
    EXPECT_EQ(textureFind("grass.3df"), a);
    EXPECT_EQ(textureFind("Grass.3df"), nullptr);
    TextureRecord* upper = load("Grass.3df", 64);   // other letter case, other texture
    EXPECT_NE(upper, a);
    EXPECT_EQ(textures.list, upper);

    obxShutdown();
    std::string log = fileRead("Ombrix.log");
    size_t first = log.find("Loading texture: grass.3df\n\n");
    EXPECT_NE(first, std::string::npos);
    EXPECT_EQ(log.find("Loading texture: grass.3df", first + 1), std::string::npos);
}

TEST_F(TextureTest, LoadedRecordDescribesTheFile)
{
    start();
    uint32_t before = obxNumBytesAllocated();
    TextureRecord* t = load("t64.3df", 64);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->info.smallLodLog2, GR_LOD_LOG2_1);
    EXPECT_EQ(t->info.largeLodLog2, GR_LOD_LOG2_64);
    EXPECT_EQ(t->info.aspectRatioLog2, GR_ASPECT_LOG2_1x1);
    EXPECT_EQ(t->info.format, GR_TEXFMT_RGB_565);
    EXPECT_EQ(t->size, 10922);
    EXPECT_EQ(t->slotSize, 10922);
    EXPECT_EQ(t->resident, 1);
    EXPECT_EQ(t->usedRecently, 1);
    EXPECT_EQ(t->needsDownload, 0);
    EXPECT_EQ(((uint16_t*)t->info.data)[0], 0x07E0);
    EXPECT_EQ(t->address % textures.memoryAlign, 0u);
    // Texels, the record and the name are counted.
    EXPECT_EQ(obxNumBytesAllocated() - before,
              10922u + sizeof(TextureRecord) + strlen("t64.3df") + 1);
}

TEST_F(TextureTest, BlocksStartAlignedAndNeverOverlap)
{
    start();
    // 3DF sizes are odd byte counts; each block still starts aligned, after
    // the whole of the previous one.
    TextureRecord* a = load("a.3df", 64);
    TextureRecord* b = load("b.3df", 8);
    TextureRecord* c = load("c.3df", 64);
    ASSERT_TRUE(a && b && c);
    for (TextureRecord* t : {a, b, c})
        EXPECT_EQ(t->address % 16, 0u);
    EXPECT_GE(b->address, a->address + (uint32_t)a->size);
    EXPECT_GE(c->address, b->address + (uint32_t)b->size);
}

TEST_F(TextureTest, NoBlockStraddlesTheTwoMegabyteLine)
{
    start();
    textures.memoryCursor[0] = 0x200000 - 100;
    EXPECT_EQ(textureMemoryAlloc(0, 1000), 0x200000u);
    EXPECT_EQ(textures.memoryCursor[0], 0x200000u + 1000);
    textures.memoryCursor[0] = 0x200000 - 96;
    EXPECT_EQ(textureMemoryAlloc(0, 96), 0x200000u - 96);   // ends on the line: fits below

    textures.memoryCursor[1] = 0x200000 - 5000;
    TextureRecord* t = load("cross.3df", 64, 1);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->address, 0x200000u);
}

TEST_F(TextureTest, AllocationFailsWithoutRoomAndLeavesTheCursor)
{
    start(1, "1M");
    uint32_t cursor = textures.memoryCursor[0];
    EXPECT_EQ(textureMemoryAlloc(0, 0x100000), TEXTURE_NO_ROOM);
    EXPECT_EQ(textures.memoryCursor[0], cursor);
    EXPECT_EQ(textureMemoryAlloc(1, 16), TEXTURE_NO_ROOM);   // no second unit
    EXPECT_EQ(textureMemoryAlloc(2, 16), TEXTURE_NO_ROOM);
    EXPECT_EQ(textureMemoryAlloc(-1, 16), TEXTURE_NO_ROOM);
    EXPECT_EQ(textureMemoryAlloc(0, 0xFFFFFFF0u), TEXTURE_NO_ROOM);   // no wrap-around
}

TEST_F(TextureTest, SecondUnitOnlyWhenTheBoardHasOne)
{
    start(2);
    traceStart();
    TextureRecord* two = load("two.3df", 64, 1);
    ASSERT_NE(two, nullptr);
    EXPECT_EQ(traceCalls("grTexDownloadMipMap"),
              std::vector<std::string>{texLine("grTexDownloadMipMap", 1, two)});
    traceStart();
    textureSelect(two);
    EXPECT_EQ(traceLines(), std::vector<std::string>{texLine("grTexSource", 1, two)});
    engineStop();

    start(1);
    traceStart();
    TextureRecord* one = load("one.3df", 64, 1);
    ASSERT_NE(one, nullptr);
    EXPECT_EQ(one->tmu, 1);
    EXPECT_EQ(traceCalls("grTexDownloadMipMap"),
              std::vector<std::string>{texLine("grTexDownloadMipMap", 0, one)});
    traceStart();
    textureSelect(one);
    EXPECT_EQ(traceLines(), std::vector<std::string>{texLine("grTexSource", 0, one)});
}

TEST_F(TextureTest, FullMemoryThenTakeoverOfTheFirstUnusedSlot)
{
    start(1, "1M");
    // Fill unit 0 with 256 x 256 textures until one finds no room.
    std::vector<TextureRecord*> loaded;
    TextureRecord* homeless = nullptr;
    for (int i = 0; i < 10 && !homeless; i++) {
        TextureRecord* t = load("big" + std::to_string(i) + ".3df", 256);
        ASSERT_NE(t, nullptr);
        if (t->resident)
            loaded.push_back(t);
        else
            homeless = t;
    }
    ASSERT_NE(homeless, nullptr);
    ASSERT_GE(loaded.size(), 2u);

    // A frame in which only the newest resident texture is used.
    textureFrameBegin();
    textureSelect(loaded.back());
    textureFrameEnd();

    // Victims are searched from the newest record: the first resident one not
    // used in the last frame with a slot large enough.
    TextureRecord* expected = nullptr;
    for (TextureRecord* t = textures.list; t && !expected; t = t->next) {
        if (t->resident && !t->usedRecently && t->slotSize >= homeless->size)
            expected = t;
    }
    ASSERT_NE(expected, nullptr);
    EXPECT_NE(expected, loaded.back());
    uint32_t slot = expected->address;
    int32_t slotSize = expected->slotSize;

    traceStart();
    textureSelect(homeless);
    EXPECT_EQ(homeless->resident, 1);
    EXPECT_EQ(expected->resident, 0);
    EXPECT_EQ(homeless->address, slot);
    EXPECT_EQ(homeless->slotSize, slotSize);
    EXPECT_EQ(traceLines(), (std::vector<std::string>{texLine("grTexDownloadMipMap", 0, homeless),
                                                      texLine("grTexSource", 0, homeless)}));

    // The victim keeps its texels and takes a slot in its turn when used again.
    traceStart();
    textureSelect(expected);
    EXPECT_EQ(expected->resident, 1);
    EXPECT_EQ(traceCalls("grTexDownloadMipMap").size(), 1u);
}

TEST_F(TextureTest, RecentlyUsedSlotsAreTakenOnlyWhenNothingElseFits)
{
    start(1, "1M");
    TextureRecord* homeless = nullptr;
    for (int i = 0; i < 10 && !homeless; i++) {
        TextureRecord* t = load("big" + std::to_string(i) + ".3df", 256);
        ASSERT_NE(t, nullptr);
        if (!t->resident)
            homeless = t;
    }
    ASSERT_NE(homeless, nullptr);
    // Everything resident, the reserve slots too, was used in the last frame.
    textureFrameBegin();
    for (TextureRecord* t = textures.list; t; t = t->next) {
        if (t->resident) {
            t->useCount = 1;
            t->usedRecently = 1;
        }
    }
    textureFrameEnd();
    TextureRecord* first = nullptr;
    for (TextureRecord* t = textures.list; t && !first; t = t->next) {
        if (t->resident && t->slotSize >= homeless->size)
            first = t;
    }
    ASSERT_NE(first, nullptr);
    textureSelect(homeless);
    EXPECT_EQ(homeless->resident, 1);
    EXPECT_EQ(first->resident, 0);
}

TEST_F(TextureTest, TextureLargerThanEverySlotLeavesThePreviousSource)
{
    start(1, "1M");
    // A record of another module, pushed onto the cache without a slot.
    static uint16_t texels[400000 / 2];
    TextureRecord huge;
    memset(&huge, 0, sizeof huge);
    huge.info = {GR_LOD_LOG2_1, GR_LOD_LOG2_256, GR_ASPECT_LOG2_1x1, GR_TEXFMT_RGB_565, texels};
    huge.size = 400000;
    huge.slotSize = 400000;
    huge.next = textures.list;
    textures.list = &huge;

    traceStart();
    textureSelect(huge.next);   // white, resident
    textureSelect(&huge);
    EXPECT_EQ(huge.resident, 0);
    EXPECT_EQ(huge.useCount, 1);
    EXPECT_EQ(traceLines().size(), 1u);   // only white's grTexSource
    textures.list = huge.next;
}

TEST_F(TextureTest, FrameAccountingMarksExactlyTheTexturesOfTheLastRender)
{
    start();
    TextureRecord* a = load("a.3df", 16);
    TextureRecord* b = load("b.3df", 16);
    TextureRecord* c = load("c.3df", 16);
    ASSERT_TRUE(a && b && c);
    textureFrameBegin();
    textureSelect(a);
    textureSelect(a);
    textureFrameEnd();
    EXPECT_EQ(a->useCount, 2);
    EXPECT_EQ(a->usedRecently, 1);
    EXPECT_EQ(b->usedRecently, 0);
    textureSelect(c);   // 2D drawing after the render
    EXPECT_EQ(c->usedRecently, 1);
    textureFrameBegin();
    textureFrameEnd();
    EXPECT_EQ(c->usedRecently, 0);
    EXPECT_EQ(a->usedRecently, 0);
}

TEST_F(TextureTest, LoadToMemoryReadsAgainEachTime)
{
    start();
    uint32_t texels = write3dfRgb565("height.3df", 64, 64, 0x1234, false);
    uint32_t before = obxNumBytesAllocated();
    traceStart();
    TextureRecord* a = obxTextureLoadToMemory("height.3df");
    TextureRecord* b = obxTextureLoadToMemory("height.3df");
    ASSERT_TRUE(a && b);
    EXPECT_NE(a, b);
    EXPECT_EQ(obxNumBytesAllocated() - before, 2 * (texels + sizeof(TextureRecord)));
    EXPECT_EQ(a->info.largeLodLog2, GR_LOD_LOG2_64);
    EXPECT_EQ(a->info.smallLodLog2, GR_LOD_LOG2_64);
    EXPECT_EQ(((uint16_t*)b->info.data)[4095], 0x1234);
    EXPECT_EQ(a->name, nullptr);
    EXPECT_EQ(textureFind("height.3df"), nullptr);
    EXPECT_TRUE(traceCalls("grTexDownloadMipMap").empty());
    obxShutdown();
    EXPECT_EQ(fileRead("Ombrix.log").find("height.3df"), std::string::npos);
}

TEST_F(TextureTest, BadFilesFailWithoutLogOrRecord)
{
    start();
    TextureRecord* head = textures.list;
    EXPECT_EQ(obxTextureLoad("absent.3df", 0), nullptr);
    EXPECT_EQ(obxTextureLoadToMemory("absent.3df"), nullptr);
    std::string header = "3df v1.1\nrgb565\nlod range: 1 64\naspect ratio: 1 1\n";
    std::ofstream("short.3df", std::ios::binary) << header << "only a few texels";
    std::ofstream("junk.3df", std::ios::binary) << "not a texture at all";
    EXPECT_EQ(obxTextureLoad("junk.3df", 0), nullptr);
    EXPECT_EQ(obxTextureLoad("short.3df", 0), nullptr);
    EXPECT_EQ(obxTextureLoadToMemory("short.3df"), nullptr);
    EXPECT_EQ(textures.list, head);
    obxShutdown();
    EXPECT_EQ(fileRead("Ombrix.log").find("absent"), std::string::npos);
    EXPECT_EQ(fileRead("Ombrix.log").find("junk"), std::string::npos);
}

TEST_F(TextureTest, PercentInAFileNameIsLoggedLiterally)
{
    start();
    ASSERT_NE(load("100%s%d%n.3df", 8), nullptr);
    obxShutdown();
    EXPECT_NE(fileRead("Ombrix.log").find("Loading texture: 100%s%d%n.3df\n\n"), std::string::npos);
}

namespace {

// The victim the rule names: walking the list from the head, the first
// resident record of the unit with a slot of at least the texture's size not
// used in the last frame, else the first such record at all.
TextureRecord* victimByWalk(const TextureRecord* texture)
{
    int unit = textureUnit(texture);
    for (int pass = 0; pass < 2; pass++) {
        for (TextureRecord* t = textures.list; t; t = t->next) {
            if (t != texture && t->resident && t->slotSize >= texture->size &&
                textureUnit(t) == unit && (pass == 1 || !t->usedRecently))
                return t;
        }
    }
    return nullptr;
}

// Records of 64 bytes pushed onto the cache the way the landscape pushes its
// light maps: with a slot while there is room, else without.
std::vector<TextureRecord*> lightMapsPush(std::deque<TextureRecord>& store, int count, uint8_t tmu)
{
    static uint8_t texels[64];
    std::vector<TextureRecord*> pushed;
    for (int i = 0; i < count; i++) {
        store.emplace_back();
        TextureRecord* t = &store.back();
        memset(t, 0, sizeof *t);
        t->info = {GR_LOD_LOG2_8, GR_LOD_LOG2_8, GR_ASPECT_LOG2_1x1, GR_TEXFMT_INTENSITY_8, texels};
        t->size = t->slotSize = 64;
        t->tmu = tmu;
        t->address = textureMemoryAlloc(textureUnit(t), 64);
        t->resident = t->address != TEXTURE_NO_ROOM;
        t->usedRecently = 1;
        t->next = textures.list;
        textures.list = t;
        pushed.push_back(t);
    }
    return pushed;
}

}   // namespace

TEST_F(TextureTest, TakeoversChooseTheVictimsOfAWalkOfTheList)
{
    // A small memory on two units, light maps and textures of many sizes
    // loaded as the frames go, and frames that use a random few of them.
    start(2, "24K");
    std::deque<TextureRecord> store;
    std::vector<TextureRecord*> all;
    uint32_t random = 12345;
    auto next = [&](uint32_t n) {
        random = random * 1103515245u + 12345u;
        return (random >> 8) % n;
    };
    int takeovers = 0, misses = 0;
    for (int frame = 0; frame < 150; frame++) {
        if (frame % 3 == 0) {
            int side = 4 << next(6);   // 128 x 128 fits no slot
            TextureRecord* t = load("t" + std::to_string(frame) + ".3df", side, (char)next(2));
            ASSERT_NE(t, nullptr);
            all.push_back(t);
        }
        if (frame % 10 == 0) {
            std::vector<TextureRecord*> more = lightMapsPush(store, 40, (uint8_t)next(2));
            all.insert(all.end(), more.begin(), more.end());
        }
        textureFrameBegin();
        for (int k = 0; k < 30; k++) {
            TextureRecord* t = all[next((uint32_t)all.size())];
            if (t->resident) {
                textureSelect(t);
                continue;
            }
            TextureRecord* expected = victimByWalk(t);
            uint32_t slot = expected ? expected->address : 0;
            textureSelect(t);
            if (!expected) {
                EXPECT_EQ(t->resident, 0);
                misses++;
                continue;
            }
            EXPECT_EQ(expected->resident, 0) << "frame " << frame << ", selection " << k;
            EXPECT_EQ(t->resident, 1);
            EXPECT_EQ(t->address, slot);
            takeovers++;
        }
        textureFrameEnd();
    }
    EXPECT_GT(takeovers, 800);
    EXPECT_GT(misses, 10);
    textures.list = nullptr;   // the light maps end with the test
}

TEST_F(TextureTest, AVictimIsFoundInAFewStepsHoweverLongTheList)
{
    // Light maps far beyond the memory, drawn in a window that moves across
    // them as a camera moves over a landscape: nearly every selection takes
    // a slot over. The candidates looked at per takeover stay few whether
    // the list holds two thousand records or sixty thousand.
    double perTakeover[2];
    const int counts[2] = {2000, 60000};
    for (int run = 0; run < 2; run++) {
        start(1, "64K");
        std::deque<TextureRecord> store;
        std::vector<TextureRecord*> maps = lightMapsPush(store, counts[run], 0);
        uint64_t checksBefore = textures.victimChecks;
        int takeovers = 0;
        for (int frame = 0; frame < 60; frame++) {
            textureFrameBegin();
            for (int k = 0; k < 1500; k++) {
                TextureRecord* t = maps[(size_t)(frame * 25 + k) % maps.size()];
                takeovers += !t->resident;
                textureSelect(t);
            }
            textureFrameEnd();
        }
        ASSERT_GT(takeovers, 1000);
        perTakeover[run] = (double)(textures.victimChecks - checksBefore) / takeovers;
        textures.list = nullptr;
        engineStop();
    }
    EXPECT_LE(perTakeover[0], 3.0);
    EXPECT_LE(perTakeover[1], 3.0);
}

TEST_F(TextureTest, TexturesTheBoardCannotHoldAreRefusedLikeMissingFiles)
{
    // The board takes 256 x 256 at most: larger files are refused where they
    // are loaded, before their texels are read, and nothing is logged.
    start();
    write3dfRgb565("big512.3df", 512, 512, 0x001F, false);
    write3dfRgb565("big2048.3df", 2048, 256, 0x07E0, false);
    write3dfRgb565("long.3df", 256, 32, 0xF800);
    TextureRecord* head = textures.list;
    uint32_t bytes = obxNumBytesAllocated();
    EXPECT_EQ(obxTextureLoad("big512.3df", 0), nullptr);
    EXPECT_EQ(obxTextureLoad("big2048.3df", 1), nullptr);
    EXPECT_EQ(textures.list, head);
    EXPECT_EQ(obxNumBytesAllocated(), bytes);
    TextureRecord* largest = obxTextureLoad("long.3df", 0);
    ASSERT_NE(largest, nullptr);
    EXPECT_EQ(largest->resident, 1);
    obxShutdown();
    std::string log = fileRead("Ombrix.log");
    EXPECT_EQ(log.find("big"), std::string::npos);
    EXPECT_NE(log.find("Loading texture: long.3df"), std::string::npos);
}

namespace {

// A square facing the camera, from (x0, y0) to (x1, y1) at depth z.
Object* squareCreate(float x0, float y0, float x1, float y1, float z, TextureRecord* texture)
{
    return meshCreate({{x0, y0, z}, {x0, y1, z}, {x1, y1, z}, {x1, y0, z}}, {{0, 1, 2}, {0, 2, 3}},
                      texture, false, {0, 1, 0, 0, 1, 0, 0, 1, 1, 0, 1, 1});
}

}   // namespace

TEST_F(TextureTest, ATextureThatCanHaveNoSlotIsDrawnAsNone)
{
    // On 64 KB the red texture has a slot and the blue one can never have
    // one: the unit would still show red. The blue square, environment
    // mapped with blue as well, is drawn as the square without a texture; a
    // bitmap of blue draws nothing, as a bitmap without a texture would.
    start(1, "64K");
    write3dfRgb565("red.3df", 64, 64, 0xF800);
    write3dfRgb565("blue.3df", 256, 256, 0x001F);
    TextureRecord* red = obxTextureLoad("red.3df", 0);
    TextureRecord* blue = obxTextureLoad("blue.3df", 0);
    ASSERT_TRUE(red && blue);
    ASSERT_EQ(red->resident, 1);
    ASSERT_EQ(blue->resident, 0);
    obxAmbientlightLight(1, 1, 1);
    squareCreate(-6, -1, -2, 1, 20, red);   // farther: drawn first
    Object* blueSquare = squareCreate(-1, -1, 1, 1, 10, blue);
    obxObjectMakeEnviromentMapped(blueSquare, blue, 255);
    squareCreate(2, -1, 4, 1, 10, nullptr);
    Bitmap* bitmap = obxBitmapCreate(blue, 0, 0, 0, nullptr);
    ASSERT_NE(bitmap, nullptr);

    obxBackgroundClear();
    obxWorldRender(0);
    obxSetRenderState(0);
    obxBitmapDrawXY(bitmap, 0, 0, 64, 48);
    obxSetRenderState(1);
    Frame frame = frameGrab();
    EXPECT_EQ(blue->resident, 0);
    uint16_t redPixel = frame.at(256, 240), bluePixel = frame.at(320, 240);
    uint16_t plainPixel = frame.at(320 + 96, 240);
    EXPECT_EQ(redPixel, 0xF800);
    EXPECT_EQ(plainPixel, 0xFFFF);
    EXPECT_EQ(bluePixel, plainPixel);
    for (int y = 480 - 48; y < 480; y++) {
        for (int x = 0; x < 64; x++)
            ASSERT_EQ(frame.at(x, y), 0) << x << ", " << y;
    }
}
