// obx-texconv's files: every format, square and non-square, with and without
// mipmaps, load the same with Debian's real gu3dfLoad as with ours, and hold
// the texels and box-filtered levels they should.
#include "gu3df_helpers.h"
#include "image.h"
#include "tex3df.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace {

int texconv(const std::string& arguments) {
    std::string command = std::string("\"") + OBX_TEXCONV + "\" " + arguments + " 2>/dev/null";
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A picture in which every pixel differs and alpha varies too.
std::string patternPng(const std::string& name, int w, int h) {
    Image image(w, h);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++)
            image.at(x, y) = Rgba{uint8_t(x * 255 / (w > 1 ? w - 1 : 1)), uint8_t(y * 255 / (h > 1 ? h - 1 : 1)),
                                  uint8_t((x * 7 + y * 13) * 5), uint8_t(255 - (x + y) * 3)};
    std::string path = scratchDir() + "" + name + ".png", error;
    EXPECT_TRUE(pngWrite(path, image, &error)) << error;
    return path;
}

std::string convert(const std::string& png, const std::string& format, bool mipmaps, const std::string& name) {
    std::string out = scratchDir() + "" + name + ".3df";
    EXPECT_EQ(texconv("-f " + format + (mipmaps ? " " : " --single-level ") + png + " " + out), 0) << name;
    return out;
}

uint32_t texelAt(const Loaded& l, size_t index, int bytes) {
    uint32_t v = 0;
    memcpy(&v, l.texels.data() + index * size_t(bytes), size_t(bytes));
    return v;
}

}  // namespace

TEST(Texconv, EveryFormatAndShapeLoadsAsTheRealLibraryLoadsIt) {
    if (!realReader().getInfo) GTEST_SKIP() << "Debian's libglide3 is not installed";
    struct Shape { int w, h; };
    const Shape shapes[] = {{64, 64}, {256, 32}, {16, 128}, {8, 16}, {1, 1}, {256, 256}};
    for (const TexFormat& f : texFormats()) {
        for (const Shape& s : shapes) {
            for (bool mipmaps : {true, false}) {
                std::string name = std::string(f.option) + "-" + std::to_string(s.w) + "x" + std::to_string(s.h) +
                                   (mipmaps ? "-mip" : "-one");
                SCOPED_TRACE(name);
                std::string png = patternPng(std::to_string(s.w) + "x" + std::to_string(s.h), s.w, s.h);
                std::string path = convert(png, f.option, mipmaps, name);
                Loaded ours = loadWith(ourReader(), path), real = loadWith(realReader(), path);
                ASSERT_TRUE(ours.loadOk && real.loadOk);
                EXPECT_EQ(ours.info.header.width, FxU32(s.w));
                EXPECT_EQ(ours.info.header.height, FxU32(s.h));
                EXPECT_EQ(ours.info.header.format, f.glideFormat);
                EXPECT_EQ(ours.info.header.small_lod, mipmaps ? 0 : ours.info.header.large_lod);
                EXPECT_EQ(0, memcmp(&ours.info.header, &real.info.header, sizeof ours.info.header));
                EXPECT_EQ(ours.info.mem_required, real.info.mem_required);
                EXPECT_TRUE(ours.texels == real.texels);
            }
        }
    }
}

TEST(Texconv, TexelsAndMipmapLevelsHoldTheRightValues) {
    // 2x2: transparent black, white, red, blue (alpha 255 but the first).
    Image image(2, 2);
    image.at(0, 0) = Rgba{0, 0, 0, 0};
    image.at(1, 0) = Rgba{255, 255, 255, 255};
    image.at(0, 1) = Rgba{255, 0, 0, 255};
    image.at(1, 1) = Rgba{0, 0, 255, 255};
    std::string png = scratchDir() + "2x2.png", error;
    ASSERT_TRUE(pngWrite(png, image, &error)) << error;

    Loaded l = loadWith(ourReader(), convert(png, "argb8888", true, "values8888"));
    ASSERT_TRUE(l.loadOk);
    ASSERT_EQ(l.info.mem_required, 5u * 4);
    EXPECT_EQ(texelAt(l, 0, 4), 0x00000000u);
    EXPECT_EQ(texelAt(l, 1, 4), 0xFFFFFFFFu);
    EXPECT_EQ(texelAt(l, 2, 4), 0xFFFF0000u);  // rows top to bottom
    EXPECT_EQ(texelAt(l, 3, 4), 0xFF0000FFu);
    EXPECT_EQ(texelAt(l, 4, 4), 0xBF804080u);  // the rounded mean of the four

    l = loadWith(ourReader(), convert(png, "rgb565", false, "values565"));
    ASSERT_TRUE(l.loadOk);
    ASSERT_EQ(l.info.mem_required, 4u * 2);
    EXPECT_EQ(texelAt(l, 1, 2), 0xFFFFu);
    EXPECT_EQ(texelAt(l, 2, 2), 0xF800u);
    EXPECT_EQ(texelAt(l, 3, 2), 0x001Fu);

    l = loadWith(ourReader(), convert(png, "argb1555", false, "values1555"));
    EXPECT_EQ(texelAt(l, 0, 2), 0x0000u);
    EXPECT_EQ(texelAt(l, 2, 2), 0xFC00u);
    l = loadWith(ourReader(), convert(png, "argb4444", false, "values4444"));
    EXPECT_EQ(texelAt(l, 2, 2), 0xFF00u);
    l = loadWith(ourReader(), convert(png, "intensity8", false, "valuesi8"));
    EXPECT_EQ(texelAt(l, 1, 1), 255u);
    EXPECT_EQ(texelAt(l, 2, 1), 77u);  // red weighs 0.30
    l = loadWith(ourReader(), convert(png, "alpha8", false, "valuesa8"));
    EXPECT_EQ(texelAt(l, 0, 1), 0u);
    EXPECT_EQ(texelAt(l, 3, 1), 255u);
    l = loadWith(ourReader(), convert(png, "ai44", false, "valuesai44"));
    EXPECT_EQ(texelAt(l, 0, 1), 0x00u);
    EXPECT_EQ(texelAt(l, 1, 1), 0xFFu);
    EXPECT_EQ(texelAt(l, 2, 1), 0xF5u);  // alpha high nibble, intensity 77 -> 5 low
}

TEST(Texconv, RefusesPicturesItCannotMakeATextureOf) {
    const char* sizes[][2] = {{"100", "64"}, {"512", "512"}, {"256", "16"}, {"2", "32"}};
    for (auto& s : sizes) {
        std::string png = patternPng(std::string(s[0]) + "x" + s[1], atoi(s[0]), atoi(s[1]));
        EXPECT_EQ(texconv(png + " " + scratchDir() + "refused.3df"), 1) << s[0] << "x" << s[1];
    }
    std::string png = patternPng("ok", 8, 8);
    EXPECT_EQ(texconv("-f rgb888 " + png + " out.3df"), 2);
    EXPECT_EQ(texconv(png), 2);
    EXPECT_EQ(texconv(scratchDir() + "missing.png " + scratchDir() + "x.3df"), 1);
    Bytes notPng = {'n', 'o', 't', ' ', 'p', 'n', 'g'};
    EXPECT_EQ(texconv(writeScratch("fake.png", notPng) + " " + scratchDir() + "x.3df"), 1);
    EXPECT_EQ(texconv(png + " /nonexistent-dir/x.3df"), 1);
}
