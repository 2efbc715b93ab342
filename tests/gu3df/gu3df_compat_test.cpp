// Our 3DF reader against Debian's real one: the same info, tables and texels,
// byte for byte, for files written by the real texus library and for files of
// every format and shape.
#include "gu3df_helpers.h"

#include <gtest/gtest.h>
#include <obx_glide_ext.h>

#include <cstring>
#include <filesystem>

namespace {

#define REQUIRE_REAL()                                                                             \
    if (!realReader().getInfo)                                                                     \
    GTEST_SKIP() << "Debian's libglide3 is not installed"

void expectSameAsReal(const std::string& path)
{
    SCOPED_TRACE(path);
    Loaded ours = loadWith(ourReader(), path);
    Loaded real = loadWith(realReader(), path);
    ASSERT_EQ(ours.infoOk, real.infoOk);
    ASSERT_TRUE(real.infoOk);
    EXPECT_EQ(ours.loadOk, real.loadOk);
    EXPECT_EQ(ours.info.header.width, real.info.header.width);
    EXPECT_EQ(ours.info.header.height, real.info.header.height);
    EXPECT_EQ(ours.info.header.small_lod, real.info.header.small_lod);
    EXPECT_EQ(ours.info.header.large_lod, real.info.header.large_lod);
    EXPECT_EQ(ours.info.header.aspect_ratio, real.info.header.aspect_ratio);
    EXPECT_EQ(ours.info.header.format, real.info.header.format);
    EXPECT_EQ(ours.info.mem_required, real.info.mem_required);
    EXPECT_EQ(0, memcmp(&ours.info.table, &real.info.table, sizeof ours.info.table))
        << "table differs";
    EXPECT_TRUE(ours.texels == real.texels) << "texels differ";
}

Bytes bigEndianWords(std::initializer_list<int> values)
{
    Bytes out;
    for (int v : values) {
        out.push_back(uint8_t(v >> 8));
        out.push_back(uint8_t(v));
    }
    return out;
}

}   // namespace

TEST(Gu3dfCompat, EveryTexusSampleLoadsAsTheRealLibraryLoadsIt)
{
    REQUIRE_REAL();
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(OBX_3DF_SAMPLES)) {
        if (entry.path().extension() != ".3df")
            continue;
        expectSameAsReal(entry.path().string());
        files++;
    }
    EXPECT_EQ(files, 16);
}

TEST(Gu3dfCompat, SampleHeadersGiveTheDocumentedSizes)
{
    struct Case {
        const char* file;
        FxU32 w, h;
        int small, large, aspect, format;
        FxU32 mem;
    };
    const Case cases[] = {
        {"tex64_rgb565.3df", 64, 64, 0, 6, 0, GR_TEXFMT_RGB_565, 10922},
        {"tex64_i8.3df", 64, 64, 0, 6, 0, GR_TEXFMT_INTENSITY_8, 5461},
        {"tex64_p8.3df", 64, 64, 0, 6, 0, GR_TEXFMT_P_8, 5461},
        {"tex64_yiq422.3df", 64, 64, 0, 6, 0, GR_TEXFMT_YIQ_422, 5461},
        {"tex64_rgb565_3lvl.3df", 64, 64, 4, 6, 0, GR_TEXFMT_RGB_565, 10752},
        {"tex256_rgb565.3df", 256, 256, 0, 8, 0, GR_TEXFMT_RGB_565, 174762},
        {"tex64x16_rgb565_fixed.3df", 64, 16, 0, 6, 2, GR_TEXFMT_RGB_565, 2734},
        {"tex16x64_rgb565_fixed.3df", 16, 64, 0, 6, -2, GR_TEXFMT_RGB_565, 2734},
        {"tex256x32_rgb565_fixed.3df", 256, 32, 0, 8, 3, GR_TEXFMT_RGB_565, 21854},
        // texus writes the ratio of non-square files height first; read width first they come out transposed
        {"tex64x16_rgb565.3df", 16, 64, 0, 6, -2, GR_TEXFMT_RGB_565, 2734},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        Loaded l = loadWith(ourReader(), std::string(OBX_3DF_SAMPLES) + "/" + c.file);
        ASSERT_TRUE(l.infoOk && l.loadOk);
        EXPECT_EQ(l.info.header.width, c.w);
        EXPECT_EQ(l.info.header.height, c.h);
        EXPECT_EQ(l.info.header.small_lod, c.small);
        EXPECT_EQ(l.info.header.large_lod, c.large);
        EXPECT_EQ(l.info.header.aspect_ratio, c.aspect);
        EXPECT_EQ(l.info.header.format, c.format);
        EXPECT_EQ(l.info.mem_required, c.mem);
    }
}

TEST(Gu3dfCompat, SixteenAndThirtyTwoBitTexelsComeOutInHostOrder)
{
    Bytes texels = {0xf8, 0x00, 0x07, 0xe0, 0x00, 0x1f};
    Loaded l =
        loadWith(ourReader(), writeScratch("order565.3df", make3df("rgb565", 1, 2, 2, 1, texels)));
    ASSERT_TRUE(l.loadOk);
    uint16_t first, second;
    memcpy(&first, l.texels.data(), 2);
    memcpy(&second, l.texels.data() + 2, 2);
    EXPECT_EQ(first, 0xF800);
    EXPECT_EQ(second, 0x07E0);

    texels = {0x80, 0x11, 0x22, 0x33, 0, 0, 0, 0, 0, 0, 0, 0};
    l = loadWith(ourReader(),
                 writeScratch("order8888.3df", make3df("argb8888", 1, 2, 2, 1, texels)));
    ASSERT_TRUE(l.loadOk);
    uint32_t argb;
    memcpy(&argb, l.texels.data(), 4);
    EXPECT_EQ(argb, 0x80112233u);
}

TEST(Gu3dfCompat, EveryFormatAndShapeLoadsAsTheRealLibraryLoadsIt)
{
    REQUIRE_REAL();
    struct Format {
        const char* name;
        int bytes;
        int table;
    };
    const Format formats[] = {
        {"rgb332", 1, 0},  {"yiq", 1, 80},     {"a8", 1, 0},       {"i8", 1, 0},
        {"ai44", 1, 0},    {"p8", 1, 1024},    {"argb8332", 2, 0}, {"ayiq8422", 2, 80},
        {"rgb565", 2, 0},  {"argb1555", 2, 0}, {"argb4444", 2, 0}, {"ai88", 2, 0},
        {"ap88", 2, 1024}, {"argb8888", 4, 0},
    };
    struct Shape {
        int small, large, w, h;
    };
    const Shape shapes[] = {{1, 1, 1, 1},  {1, 8, 1, 1},  {4, 16, 1, 1},
                            {1, 32, 8, 1}, {2, 16, 1, 4}, {16, 16, 1, 8}};
    // NCC values with negative I and Q and a Y above 255; palette words with their top byte set.
    Bytes ncc =
        bigEndianWords({0,   17,    34,   51,  68, 85,  102, 119, 136, 153, 170, 187, 204, 221,
                        238, 0x1ff, -75,  22,  89, -11, 4,   14,  51,  -14, -59, 115, -33, -133,
                        -63, 66,    -176, -28, 30, -80, 5,   -4,  15,  40,  -40, 111});
    Bytes palette;
    for (int i = 0; i < 256; i++)
        for (int b = 0; b < 4; b++)
            palette.push_back(uint8_t(i * 7 + b * 61));
    for (const Format& f : formats) {
        for (const Shape& s : shapes) {
            Gu3dfInfo probe{};
            std::string name = std::string(f.name) + "-" + std::to_string(s.large) + "-" +
                               std::to_string(s.w) + "x" + std::to_string(s.h) + ".3df";
            // Size the texels with the real library, then fill them with a pattern.
            Bytes body = f.table == 80 ? ncc : f.table == 1024 ? palette : Bytes();
            std::string headerOnly =
                writeScratch(name, make3df(f.name, s.small, s.large, s.w, s.h, body));
            ASSERT_TRUE(realReader().getInfo(headerOnly.c_str(), &probe)) << name;
            for (FxU32 i = 0; i < probe.mem_required; i++)
                body.push_back(uint8_t(i * 13 + 5));
            expectSameAsReal(writeScratch(name, make3df(f.name, s.small, s.large, s.w, s.h, body)));
        }
    }
}

TEST(Gu3dfCompat, HeaderSpellingsTheRealLibraryAcceptsReadTheSame)
{
    REQUIRE_REAL();
    const Bytes texels = {0x20, 0x0a, 0x09, 0x0d,
                          0x0b, 0x0c, 0x41, 0x42};   // white space right after the header
    const char* headers[] = {
        "3df v1.1\nrgb565\nlod range: 1 2\naspect ratio: 2 1\n",
        "3df v1.1\r\nrgb565\r\nlod range: 1 2\r\naspect ratio: 2 1\r\n",
        "3df v1.0\nrgb565\nlod range: 1 2\naspect ratio: 2 1\n",
        "3dfv2\nrgb565\nlod range: 1 2\naspect ratio: 2 1\n",
        "3df\tv1.1 \n RGB565 \nlod range:1\t2\naspect ratio:2 1\n",
        "3df v1.1\nRgB565\nlod range: 01 0x2\naspect ratio: +2 01\n",
        "3df v1.1\nrgb565\nlod range: 1 2 \naspect ratio: 2 1 and the rest\n",
        "3df v1.1\nrgb565\n lod range: 1 2\n aspect ratio: 2 1\n",
    };
    int i = 0;
    for (const char* h : headers)
        expectSameAsReal(
            writeScratch("spelling" + std::to_string(i++) + ".3df", concat(h, texels)));
}

TEST(Gu3dfTrace, ReadsAreRecordedWithTheFileName)
{
    // Through a plain function pointer type, which any function pointer may be cast to and from.
    auto enable = (GrObxTraceEnableProc)(void (*)(void))grGetProcAddress(
        const_cast<char*>("grObxTraceEnable"));
    auto text =
        (GrObxTraceTextProc)(void (*)(void))grGetProcAddress(const_cast<char*>("grObxTraceText"));
    ASSERT_TRUE(enable && text);
    enable(FXTRUE);
    std::string path = std::string(OBX_3DF_SAMPLES) + "/tex64_i8.3df";
    Loaded l = loadWith(ourReader(), path);
    enable(FXFALSE);
    ASSERT_TRUE(l.loadOk);
    EXPECT_EQ(std::string(text()),
              "gu3dfGetInfo(\"" + path + "\", ptr)\ngu3dfLoad(\"" + path + "\", ptr)\n");
}
