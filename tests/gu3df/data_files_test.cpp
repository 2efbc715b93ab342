// The generated data files: the engine's own three, the character set, the
// height maps, sky, effects and tank textures all load the same with Debian's
// real gu3dfLoad as with ours, and have the shapes the engine expects.
#include "gu3df_helpers.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

namespace {

std::string runFile(const std::string& name)
{
    return std::string(OBX_RUN_DIR) + "/" + name;
}

Loaded load(const std::string& name)
{
    Loaded l = loadWith(ourReader(), runFile(name));
    EXPECT_TRUE(l.loadOk) << name;
    return l;
}

uint16_t texel565(const Loaded& l, int x, int y)
{
    uint16_t v;
    memcpy(&v, l.texels.data() + 2 * (size_t(y) * l.info.header.width + size_t(x)), 2);
    return v;
}

void expectShape(const std::string& name, FxU32 w, FxU32 h, int format, bool allLevels)
{
    SCOPED_TRACE(name);
    Loaded l = load(name);
    EXPECT_EQ(l.info.header.width, w);
    EXPECT_EQ(l.info.header.height, h);
    EXPECT_EQ(l.info.header.format, format);
    if (allLevels)
        EXPECT_EQ(l.info.header.small_lod, 0);
    else
        EXPECT_EQ(l.info.header.small_lod, l.info.header.large_lod);
}

}   // namespace

TEST(DataFiles, TheEngineFilesHaveTheirContent)
{
    Loaded white = load("white.3df");
    ASSERT_FALSE(white.texels.empty());
    for (uint8_t b : white.texels)
        EXPECT_EQ(b, 0xFF);

    expectShape("Init.3df", 256, 256, GR_TEXFMT_RGB_565, false);

    // Glyph sheet: 'A' (65) lights texels in cell column 1, row 4; control
    // codes are black; no glyph reaches the 16th column or row of its cell,
    // which the string grid never samples.
    Loaded sheet = load("DefaultCS.3df");
    ASSERT_EQ(sheet.info.header.width, 256u);
    ASSERT_EQ(sheet.info.header.height, 256u);
    ASSERT_EQ(sheet.info.header.format, GR_TEXFMT_RGB_565);
    auto litInCell = [&](int code) {
        int lit = 0;
        for (int y = 0; y < 16; y++)
            for (int x = 0; x < 16; x++)
                lit += texel565(sheet, (code % 16) * 16 + x, (code / 16) * 16 + y) != 0;
        return lit;
    };
    EXPECT_GT(litInCell('A'), 20);
    EXPECT_GT(litInCell('g'), 20);
    EXPECT_GT(litInCell(0xE9), 20);   // e acute
    EXPECT_EQ(litInCell(0), 0);
    EXPECT_EQ(litInCell(' '), 0);
    EXPECT_EQ(litInCell(0x85), 0);
    for (int i = 0; i < 256; i++) {
        EXPECT_EQ(texel565(sheet, i, 255), 0) << i;
        for (int cell = 0; cell < 16; cell++) {
            EXPECT_EQ(texel565(sheet, cell * 16 + 15, i), 0);
            EXPECT_EQ(texel565(sheet, i, cell * 16 + 15), 0);
        }
    }
}

TEST(DataFiles, TheCharacterSetHasAFilePerPrintableCharacterButSlash)
{
    for (int c = 32; c < 127; c++) {
        std::string name = std::string("font/ch") + char(c) + ".3df";
        if (c == '/')
            continue;
        expectShape(name, 32, 32, GR_TEXFMT_RGB_565, true);
    }
    EXPECT_FALSE(std::filesystem::exists(runFile("font/ch.3df")));
}

TEST(DataFiles, LandscapeSkyAndEffectTexturesHaveTheirShapes)
{
    // Height maps: square intensity-8 of 256 and 64 texels, using the whole range.
    for (auto [name, size] :
         {std::pair<const char*, FxU32>{"terrain256.3df", 256}, {"terrain64.3df", 64}}) {
        expectShape(name, size, size, GR_TEXFMT_INTENSITY_8, false);
        Loaded l = load(name);
        uint8_t lo = 255, hi = 0;
        for (FxU32 i = 0; i < size * size; i++) {
            lo = std::min(lo, l.texels[i]);
            hi = std::max(hi, l.texels[i]);
        }
        EXPECT_LT(lo, 40) << name;
        EXPECT_GT(hi, 215) << name;
    }
    expectShape("grass.3df", 256, 256, GR_TEXFMT_RGB_565, true);
    for (const char* face : {"front", "left", "back", "right", "top", "bottom"})
        expectShape(std::string("sky_") + face + ".3df", 256, 256, GR_TEXFMT_RGB_565, true);
    expectShape("flare1.3df", 64, 64, GR_TEXFMT_RGB_565, true);
    expectShape("flare3.3df", 32, 32, GR_TEXFMT_RGB_565, true);
    expectShape("particle.3df", 32, 32, GR_TEXFMT_RGB_565, true);
    expectShape("smoke.3df", 64, 64, GR_TEXFMT_RGB_565, true);
    expectShape("envmap.3df", 128, 128, GR_TEXFMT_RGB_565, true);
    expectShape("CAMO.3df", 128, 128, GR_TEXFMT_RGB_565, true);
    expectShape("TREAD.3df", 256, 32, GR_TEXFMT_RGB_565, true);

    // Additive effects are black at their corners, where they must not show.
    for (const char* name : {"flare1.3df", "flare2.3df", "flare3.3df", "flare4.3df", "flare5.3df",
                             "particle.3df", "smoke.3df"})
        EXPECT_EQ(texel565(load(name), 0, 0), 0) << name;
}

TEST(DataFiles, EveryGeneratedTextureLoadsAsTheRealLibraryLoadsIt)
{
    if (!realReader().getInfo)
        GTEST_SKIP() << "Debian's libglide3 is not installed";
    int files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(OBX_RUN_DIR)) {
        if (entry.path().extension() != ".3df")
            continue;
        std::string path = entry.path().string();
        SCOPED_TRACE(path);
        Loaded ours = loadWith(ourReader(), path), real = loadWith(realReader(), path);
        ASSERT_TRUE(ours.loadOk && real.loadOk);
        EXPECT_EQ(0, memcmp(&ours.info.header, &real.info.header, sizeof ours.info.header));
        EXPECT_EQ(ours.info.mem_required, real.info.mem_required);
        EXPECT_TRUE(ours.texels == real.texels);
        files++;
    }
    EXPECT_GE(files, 3 + 94 + 2 + 1 + 6 + 5 + 3 + 2);
}
