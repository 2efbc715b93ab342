// obx-texconv's files: every format, square and non-square, with and without
// mipmaps, load the same with Debian's real gu3dfLoad as with ours, and hold
// the texels and box-filtered levels they should.
#include "gu3df_helpers.h"
#include "image.h"
#include "model3ds.h"
#include "tex3df.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace {

int texconv(const std::string& arguments)
{
    std::string command = std::string("\"") + OBX_TEXCONV + "\" " + arguments + " 2>/dev/null";
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A picture in which every pixel differs and alpha varies too.
std::string patternPng(const std::string& name, int w, int h)
{
    Image image(w, h);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++)
            image.at(x, y) =
                Rgba{uint8_t(x * 255 / (w > 1 ? w - 1 : 1)), uint8_t(y * 255 / (h > 1 ? h - 1 : 1)),
                     uint8_t((x * 7 + y * 13) * 5), uint8_t(255 - (x + y) * 3)};
    std::string path = scratchDir() + "" + name + ".png", error;
    EXPECT_TRUE(pngWrite(path, image, &error)) << error;
    return path;
}

std::string convert(const std::string& png, const std::string& format, bool mipmaps,
                    const std::string& name)
{
    std::string out = scratchDir() + "" + name + ".3df";
    EXPECT_EQ(texconv("-f " + format + (mipmaps ? " " : " --single-level ") + png + " " + out), 0)
        << name;
    return out;
}

uint32_t texelAt(const Loaded& l, size_t index, int bytes)
{
    uint32_t v = 0;
    memcpy(&v, l.texels.data() + index * size_t(bytes), size_t(bytes));
    return v;
}

}   // namespace

TEST(Texconv, EveryFormatAndShapeLoadsAsTheRealLibraryLoadsIt)
{
    if (!realReader().getInfo)
        GTEST_SKIP() << "Debian's libglide3 is not installed";
    struct Shape {
        int w, h;
    };
    const Shape shapes[] = {{64, 64}, {256, 32}, {16, 128}, {8, 16}, {1, 1}, {256, 256}};
    for (const TexFormat& f : texFormats()) {
        for (const Shape& s : shapes) {
            for (bool mipmaps : {true, false}) {
                std::string name = std::string(f.option) + "-" + std::to_string(s.w) + "x" +
                                   std::to_string(s.h) + (mipmaps ? "-mip" : "-one");
                SCOPED_TRACE(name);
                std::string png =
                    patternPng(std::to_string(s.w) + "x" + std::to_string(s.h), s.w, s.h);
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

TEST(Texconv, TexelsAndMipmapLevelsHoldTheRightValues)
{
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
    EXPECT_EQ(texelAt(l, 2, 4), 0xFFFF0000u);   // rows top to bottom
    EXPECT_EQ(texelAt(l, 3, 4), 0xFF0000FFu);
    EXPECT_EQ(texelAt(l, 4, 4), 0xBF804080u);   // the rounded mean of the four

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
    EXPECT_EQ(texelAt(l, 2, 1), 77u);   // red weighs 0.30
    l = loadWith(ourReader(), convert(png, "alpha8", false, "valuesa8"));
    EXPECT_EQ(texelAt(l, 0, 1), 0u);
    EXPECT_EQ(texelAt(l, 3, 1), 255u);
    l = loadWith(ourReader(), convert(png, "ai44", false, "valuesai44"));
    EXPECT_EQ(texelAt(l, 0, 1), 0x00u);
    EXPECT_EQ(texelAt(l, 1, 1), 0xFFu);
    EXPECT_EQ(texelAt(l, 2, 1), 0xF5u);   // alpha high nibble, intensity 77 -> 5 low
}

TEST(Texconv, RefusesPicturesItCannotMakeATextureOf)
{
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

namespace {

// The tool's exit code with its standard output and error kept.
struct ToolRun {
    int code = -1;
    std::string out, err;
};

std::string fileText(const std::string& path)
{
    Bytes b = readFile(path);
    return std::string(b.begin(), b.end());
}

ToolRun texconvRun(const std::string& arguments)
{
    ToolRun r;
    std::string out = scratchDir() + "run-out.txt", err = scratchDir() + "run-err.txt";
    std::string command =
        std::string("\"") + OBX_TEXCONV + "\" " + arguments + " >" + out + " 2>" + err;
    int status = std::system(command.c_str());
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = fileText(out);
    r.err = fileText(err);
    return r;
}

// ImageMagick's convert, an independent writer of the other formats. Its
// TGA files are written top row first, so they must say so (by default they
// claim the bottom-left origin and would read upside down).
void pictureConvert(const std::string& from, const std::string& to)
{
    std::string orient =
        to.size() > 4 && to.compare(to.size() - 4, 4, ".tga") == 0 ? "-orient TopLeft " : "";
    std::string command = "convert \"" + from + "\" " + orient + "\"" + to + "\"";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

// An opaque picture of few colours (GIF keeps up to 256).
std::string opaquePng(const std::string& name, int w, int h)
{
    Image image(w, h);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++)
            image.at(x, y) = Rgba{uint8_t(x * 32), uint8_t(y * 32), uint8_t((x ^ y) * 16), 255};
    std::string path = scratchDir() + name, error;
    EXPECT_TRUE(pngWrite(path, image, &error)) << error;
    return path;
}

// A PNG whose header claims width x height, with no pixel data.
std::string headerOnlyPng(const std::string& name, uint32_t width, uint32_t height)
{
    auto be32 = [](Bytes* b, uint32_t v) {
        for (int s = 24; s >= 0; s -= 8)
            b->push_back(uint8_t(v >> s));
    };
    auto chunk = [&](Bytes* file, const char* type, const Bytes& data) {
        be32(file, uint32_t(data.size()));
        Bytes typed(type, type + 4);
        typed.insert(typed.end(), data.begin(), data.end());
        file->insert(file->end(), typed.begin(), typed.end());
        uint32_t crc = 0xFFFFFFFFu;   // CRC-32 of type and data
        for (uint8_t byte : typed) {
            crc ^= byte;
            for (int k = 0; k < 8; k++)
                crc = crc & 1 ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
        }
        be32(file, crc ^ 0xFFFFFFFFu);
    };
    Bytes file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes ihdr;
    be32(&ihdr, width);
    be32(&ihdr, height);
    for (uint8_t b : {8, 6, 0, 0, 0})
        ihdr.push_back(b);
    chunk(&file, "IHDR", ihdr);
    chunk(&file, "IDAT", {0x78, 0x9C, 0x03, 0x00, 0x00, 0x00, 0x00, 0x01});
    chunk(&file, "IEND", {});
    return writeScratch(name, file);
}

}   // namespace

TEST(Texconv, ReadsPngJpegTgaBmpAndGifAndResizesOnRequest)
{
    std::string png = opaquePng("pattern8.png", 8, 8);
    Loaded fromPng = loadWith(ourReader(), convert(png, "argb8888", true, "from-png"));
    ASSERT_TRUE(fromPng.loadOk);
    // The lossless ones hold exactly the PNG's texels.
    for (const char* ext : {"bmp", "tga", "gif"}) {
        SCOPED_TRACE(ext);
        std::string picture = scratchDir() + "pattern8." + ext;
        pictureConvert(png, picture);
        Loaded l =
            loadWith(ourReader(), convert(picture, "argb8888", true, std::string("from-") + ext));
        ASSERT_TRUE(l.loadOk);
        EXPECT_TRUE(l.texels == fromPng.texels);
    }
    // JPEG is lossy: the same size and about the same colours.
    std::string jpeg = scratchDir() + "pattern8.jpg";
    pictureConvert(png, jpeg);
    Loaded l = loadWith(ourReader(), convert(jpeg, "argb8888", true, "from-jpg"));
    ASSERT_TRUE(l.loadOk);
    ASSERT_EQ(l.texels.size(), fromPng.texels.size());
    double error = 0;
    for (size_t i = 0; i < 64 * 4; i++)
        error += abs(int(l.texels[i]) - int(fromPng.texels[i]));
    EXPECT_LT(error / (64 * 3), 24.0);

    // --resize: each side to its nearest power of two (by ratio), at most
    // 256, then at most 8:1.
    struct Case {
        int w, h, fitW, fitH;
    };
    for (Case c : {Case{300, 200, 256, 256}, Case{100, 64, 128, 64}, Case{1000, 20, 256, 32},
                   Case{5, 3, 4, 4}, Case{64, 64, 64, 64}}) {
        std::string name = std::to_string(c.w) + "x" + std::to_string(c.h);
        SCOPED_TRACE(name);
        std::string picture = patternPng("resize-" + name, c.w, c.h),
                    out = scratchDir() + name + ".3df";
        ASSERT_EQ(texconvRun("-f argb4444 --resize " + picture + " " + out).code, 0);
        Loaded r = loadWith(ourReader(), out), real = loadWith(realReader(), out);
        ASSERT_TRUE(r.loadOk);
        EXPECT_EQ(r.info.header.width, FxU32(c.fitW));
        EXPECT_EQ(r.info.header.height, FxU32(c.fitH));
        if (realReader().getInfo) {
            EXPECT_TRUE(r.texels == real.texels);
        }
    }
}

TEST(Texconv, RefusesAPictureTooLargeBeforeDecodingItAndWarnsWhenAlphaIsLost)
{
    // 65 bytes claiming 100 000 x 100 000 (40 GB of pixels), and one of
    // 10 000 x 10 000 (400 MB, past the 64 M-pixel limit of --resize).
    std::string huge = headerOnlyPng("huge.png", 100000, 100000);
    std::string large = headerOnlyPng("large.png", 10000, 10000);
    for (const char* resize : {"", "--resize "}) {
        for (const std::string& png : {huge, large}) {
            ToolRun r = texconvRun(resize + png + " " + scratchDir() + "huge.3df");
            EXPECT_EQ(r.code, 1) << resize << png << r.err;
            EXPECT_NE(r.err.find(png), std::string::npos) << r.err;
        }
    }
    EXPECT_NE(texconvRun("--resize " + large + " x.3df").err.find("too large (10000x10000)"),
              std::string::npos);

    // patternPng has alpha below 255 everywhere but its first pixel.
    std::string translucent = patternPng("translucent", 8, 8),
                opaque = opaquePng("opaque.png", 8, 8);
    Image cutout(8, 8, Rgba{200, 100, 50, 255});
    cutout.at(3, 3).a = 0;
    std::string keyed = scratchDir() + "keyed.png", error;
    ASSERT_TRUE(pngWrite(keyed, cutout, &error));
    struct Case {
        std::string picture, format;
        bool warns;
    };
    for (const Case& c : {Case{translucent, "rgb565", true}, Case{translucent, "intensity8", true},
                          Case{translucent, "argb1555", true}, Case{keyed, "argb1555", false},
                          Case{keyed, "rgb565", true}, Case{translucent, "argb4444", false},
                          Case{translucent, "argb8888", false}, Case{opaque, "rgb565", false}}) {
        SCOPED_TRACE(c.picture + " " + c.format);
        ToolRun r =
            texconvRun("-f " + c.format + " " + c.picture + " " + scratchDir() + "alpha.3df");
        EXPECT_EQ(r.code, 0);
        EXPECT_EQ(r.err.find("warning: " + c.picture + " has transparent pixels that " + c.format +
                             " cannot keep") != std::string::npos,
                  c.warns)
            << r.err;
    }
}

TEST(Texconv, HelpGoesToStandardOutputAndWrongArgumentsToStandardError)
{
    ToolRun help = texconvRun("--help");
    EXPECT_EQ(help.code, 0);
    EXPECT_EQ(help.out.rfind("usage: obx-texconv", 0), 0u) << help.out;
    EXPECT_NE(help.out.find("--for-model"), std::string::npos);
    EXPECT_EQ(help.err, "");
    for (const char* wrong :
         {"", "--bogus a.png b.3df", "a.png", "--for-model", "--for-model m.3ds extra.png"}) {
        ToolRun r = texconvRun(wrong);
        EXPECT_EQ(r.code, 2) << wrong;
        EXPECT_EQ(r.out, "") << wrong;
        EXPECT_EQ(r.err.rfind("usage: obx-texconv", 0), 0u) << wrong << ": " << r.err;
    }
}

TEST(Texconv, ForAModelWritesEveryTextureItsMaterialsNameFromThePicturesNextToIt)
{
    std::string dir = scratchDir() + "model/";
    ASSERT_EQ(system(("mkdir -p " + dir).c_str()), 0);
    Scene3ds scene;
    scene.materials = {{"BRICKS", {20, 10, 10}, {200, 120, 100}, false, "BRICK.JPG"},
                       {"SIGN", {20, 20, 20}, {255, 255, 255}, false, "SIGN.GIF"},
                       {"LOGO", {0, 0, 0}, {255, 255, 255}, false, "LOGO.TGA"},
                       {"LOST", {0, 0, 0}, {255, 255, 255}, false, "NOWHERE.BMP"}};
    Mesh3ds mesh;
    mesh.name = "Wall";
    mesh.points = {{-1, 0, -1}, {1, 0, -1}, {1, 0, 1}, {-1, 0, 1}};
    mesh.uvs = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    mesh.faces = {{0, 1, 2, 7}, {0, 2, 3, 7}};
    mesh.faceMaterial = {0, 1};
    scene.meshes = {mesh};
    std::string error;
    ASSERT_TRUE(scene3dsWrite(dir + "house.3ds", scene, &error)) << error;

    // brick.jpg (300 x 200, another letter case), Sign.png (red over blue,
    // the map names a GIF), an existing LOGO.3df and nothing for NOWHERE.
    pictureConvert(patternPng("brick", 300, 100), dir + "brick.jpg");
    Image sign(4, 4, Rgba{255, 0, 0, 255});
    for (int x = 0; x < 4; x++)
        sign.at(x, 2) = sign.at(x, 3) = Rgba{0, 0, 255, 255};
    ASSERT_TRUE(pngWrite(dir + "Sign.png", sign, &error));
    writeScratch("model/LOGO.3df",
                 readFile(convert(opaquePng("logo.png", 8, 8), "rgb565", true, "logo")));

    ToolRun r = texconvRun("--for-model " + dir + "house.3ds");
    EXPECT_EQ(r.code, 1);   // NOWHERE.3df has no picture
    EXPECT_NE(r.out.find(dir + "BRICK.3df  from brick.jpg, 300x100 resized to 256x256\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find(dir + "SIGN.3df  from Sign.png\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(dir + "LOGO.3df  kept"), std::string::npos) << r.out;
    EXPECT_NE(r.err.find(dir + "NOWHERE.3df: no picture for it"), std::string::npos) << r.err;

    Loaded brick = loadWith(ourReader(), dir + "BRICK.3df");
    ASSERT_TRUE(brick.loadOk);
    EXPECT_EQ(brick.info.header.width, 256u);   // square, whatever the picture
    EXPECT_EQ(brick.info.header.height, 256u);
    EXPECT_EQ(brick.info.header.format, GR_TEXFMT_RGB_565);
    // 3D Studio's v counts from the picture's bottom row: the texture's first
    // row is the picture's last.
    Loaded flipped = loadWith(ourReader(), dir + "SIGN.3df");
    ASSERT_TRUE(flipped.loadOk);
    EXPECT_EQ(texelAt(flipped, 0, 2), 0x001Fu);
    EXPECT_EQ(texelAt(flipped, 15, 2), 0xF800u);

    EXPECT_EQ(texconvRun("--for-model " + dir + "missing.3ds").code, 1);
    EXPECT_EQ(texconvRun("--for-model " + dir + "Sign.png").code, 1);
}
