// obx-view as a user runs it on the generated tank and on files of their
// own: what it reports (checked against lib3ds, an independent reader),
// the texture files it finds and misses, files it must refuse without
// crashing, and its keys in a window on a virtual X display.
#include <lib3ds/file.h>
#include <lib3ds/material.h>
#include <lib3ds/mesh.h>
#include <math.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "model3ds.h"
#include "obx_program.h"
#include "obx_test.h"

namespace {

pid_t viewStart(const std::vector<std::string>& args, bool display)
{
    return programStart(OBX_VIEW_PATH, args, {}, display);
}

// obx-view on `file` headless; its exit code.
int viewRun(const std::vector<std::string>& args)
{
    return programWait(viewStart(args, false), 120);
}

// The rest of the report line that starts with `label` (after its spaces).
std::string reportLine(const std::string& report, const std::string& label)
{
    std::istringstream in(report);
    for (std::string line; std::getline(in, line);) {
        size_t at = line.find_first_not_of(' ');
        if (at != std::string::npos && line.compare(at, label.size(), label) == 0) {
            std::string rest = line.substr(at + label.size());
            size_t from = rest.find_first_not_of(' ');
            return from == std::string::npos ? "" : rest.substr(from);
        }
    }
    return "<no line " + label + ">";
}

// Pixels unlike the viewer's backdrop (30, 34, 44).
double objectShare(const Image& image)
{
    size_t covered = 0;
    for (int y = 60; y < 440; y++)
        for (int x = 0; x < image.width; x++) {
            const uint8_t* p = image.at(x, y);
            covered += abs(p[0] - 30) + abs(p[1] - 34) + abs(p[2] - 44) > 24;
        }
    return image.width ? (double)covered / (380.0 * image.width) : 0;
}

// A small scene of two flat meshes and three two-sided materials: one maps
// BRICK.PNG, which has no texture file, one CAMO.GIF, which has one, one
// no map.
void sceneWithAMissingTexture(const std::string& path)
{
    Scene3ds scene;
    scene.materials = {{"BRICKS", {20, 10, 10}, {200, 120, 100}, true, "BRICK.PNG"},
                       {"CAMO", {20, 20, 20}, {200, 210, 180}, true, "CAMO.GIF"},
                       {"PLAIN", {10, 10, 10}, {90, 90, 200}, true, ""}};
    for (int m = 0; m < 2; m++) {
        Mesh3ds mesh;
        mesh.name = m == 0 ? "Wall" : "Roof";
        float z = (float)m;
        mesh.points = {{-1, -1, z}, {1, -1, z}, {1, 1, z}, {-1, 1, z}};
        mesh.uvs = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
        mesh.faces = {{0, 1, 2, 7}, {0, 2, 3, 7}};
        mesh.faceMaterial = {m == 0 ? 0 : 1, 2};
        scene.meshes.push_back(mesh);
    }
    std::string error;
    ASSERT_TRUE(scene3dsWrite(path, scene, &error)) << error;
}

// The pixels unlike the backdrop, between the text lines: their bounding
// box, and whether the given share of the box, in fractions of its width
// and height, is mostly covered.
struct Shape {
    int x0 = 1 << 30, y0 = 1 << 30, x1 = -1, y1 = -1;
};
bool backdrop(const uint8_t* p)
{
    return abs(p[0] - 30) + abs(p[1] - 34) + abs(p[2] - 44) <= 24;
}
Shape shapeOf(const Image& image)
{
    Shape s;
    for (int y = 60; y < 440; y++)
        for (int x = 0; x < image.width; x++)
            if (!backdrop(image.at(x, y))) {
                s.x0 = std::min(s.x0, x);
                s.y0 = std::min(s.y0, y);
                s.x1 = std::max(s.x1, x);
                s.y1 = std::max(s.y1, y);
            }
    return s;
}
// The share of pixels in the part [fx0, fx1) x [fy0, fy1) of the shape's box
// (fractions, y down the screen) that `is` accepts.
double partShare(const Image& image, const Shape& s, double fx0, double fx1, double fy0, double fy1,
                 const std::function<bool(const uint8_t*)>& is)
{
    int w = s.x1 - s.x0 + 1, h = s.y1 - s.y0 + 1, hits = 0, all = 0;
    for (int y = s.y0 + int(fy0 * h); y < s.y0 + int(fy1 * h); y++)
        for (int x = s.x0 + int(fx0 * w); x < s.x0 + int(fx1 * w); x++, all++)
            hits += is(image.at(x, y));
    return all ? (double)hits / all : 0;
}

// A 24-bit BMP file of w x h pixels, colour(x, y) with y down the picture.
void bmpWrite(const std::string& path, int w, int h,
              const std::function<uint32_t(int, int)>& colour)
{
    int row = (w * 3 + 3) & ~3;
    std::string file(54 + (size_t)row * h, '\0');
    auto put32 = [&](size_t at, uint32_t v) {
        for (int k = 0; k < 4; k++)
            file[at + k] = char(v >> (8 * k));
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, (uint32_t)file.size());
    put32(10, 54);
    put32(14, 40);
    put32(18, (uint32_t)w);
    put32(22, (uint32_t)h);
    file[26] = 1;
    file[28] = 24;
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            uint32_t c = colour(x, y);                                    // 0xRRGGBB
            size_t at = 54 + (size_t)(h - 1 - y) * row + (size_t)x * 3;   // bottom row first, BGR
            file[at] = char(c);
            file[at + 1] = char(c >> 8);
            file[at + 2] = char(c >> 16);
        }
    std::ofstream(path, std::ios::binary) << file;
}

// One mesh of single-sided squares in 3D Studio's front plane (x right, z up,
// facing -y, the way the front view looks), each a material's.
void frontSquaresWrite(const std::string& path, const std::vector<Material3ds>& materials,
                       const std::vector<std::array<float, 4>>& squares)   // x0, z0, x1, z1
{
    Scene3ds scene;
    scene.materials = materials;
    Mesh3ds mesh;
    mesh.name = "Front";
    for (size_t i = 0; i < squares.size(); i++) {
        const std::array<float, 4>& q = squares[i];
        uint16_t at = (uint16_t)mesh.points.size();
        mesh.points.insert(mesh.points.end(),
                           {{q[0], 0, q[1]}, {q[2], 0, q[1]}, {q[2], 0, q[3]}, {q[0], 0, q[3]}});
        mesh.uvs.insert(mesh.uvs.end(), {{0, 0}, {1, 0}, {1, 1}, {0, 1}});
        // Counter-clockwise seen from the front, as 3D Studio keeps a front face.
        mesh.faces.push_back({at, (uint16_t)(at + 1), (uint16_t)(at + 2), 6});
        mesh.faces.push_back({at, (uint16_t)(at + 2), (uint16_t)(at + 3), 3});
        int m = (int)std::min(i, materials.size() - 1);
        mesh.faceMaterial.insert(mesh.faceMaterial.end(), {m, m});
    }
    scene.meshes = {mesh};
    std::string error;
    ASSERT_TRUE(scene3dsWrite(path, scene, &error)) << error;
}

bool reddish(const uint8_t* p)
{
    return p[0] > p[1] + 60 && p[0] > p[2] + 60;
}

class ViewProgram : public ::testing::Test {
protected:
    // With the engine's own files here, the viewer stays here and writes its
    // log here, not into the run directory beside it.
    void SetUp() override
    {
        sessionDirEnter(
            {"tank.3ds", "CAMO.3df", "TREAD.3df", "white.3df", "Init.3df", "DefaultCS.3df"});
    }
    void TearDown() override
    {
        programStopAll();
        sessionDirLeave();
    }
};

using Headless = ViewProgram;
using Window = ViewProgram;

}   // namespace

TEST_F(Headless, ReportsWhatItLoadedOfTheTankAndShowsIt)
{
    ASSERT_EQ(viewRun({"tank.3ds", "--shot", "tank.png"}), 0) << fileRead("stderr.txt");
    std::string report = fileRead("stdout.txt");

    Lib3dsFile* file = lib3ds_file_load("tank.3ds");
    ASSERT_NE(file, nullptr);
    int meshes = 0, materials = 0;
    long points = 0, faces = 0;
    for (Lib3dsMesh* m = file->meshes; m; m = m->next, meshes++) {
        points += m->points;
        faces += m->faces;
        EXPECT_NE(reportLine(report, "meshes merged").find(m->name), std::string::npos) << m->name;
    }
    for (Lib3dsMaterial* m = file->materials; m; m = m->next)
        materials++;
    lib3ds_file_free(file);

    EXPECT_EQ(reportLine(report, "meshes merged").substr(0, 2), std::to_string(meshes) + " ");
    EXPECT_EQ(reportLine(report, "vertices"), std::to_string(points));
    EXPECT_EQ(reportLine(report, "polygons"), std::to_string(faces));
    EXPECT_EQ(reportLine(report, "materials"), std::to_string(materials));
    EXPECT_EQ(reportLine(report, "textures found"), "2  CAMO.3df TREAD.3df");
    EXPECT_EQ(reportLine(report, "textures missing"), "0");
    EXPECT_NE(report.find("obx-view: screenshot " + sessionDir() + "/tank.png"), std::string::npos);

    Image picture = pngRead("tank.png");
    ASSERT_EQ(picture.width, 640);
    EXPECT_GT(objectShare(picture), 0.08);
    Mean corner = meanColour(picture, 560, 380, 640, 440);
    EXPECT_NEAR(corner.r + corner.g + corner.b, 30 + 34 + 44, 12);
}

TEST_F(Headless, NamesTheTextureFilesItFindsAndThoseItMisses)
{
    sceneWithAMissingTexture("house.3ds");
    ASSERT_EQ(viewRun({"house.3ds", "--shot", "house.png"}), 0) << fileRead("stderr.txt");
    std::string report = fileRead("stdout.txt");
    EXPECT_EQ(reportLine(report, "meshes merged"), "2  Wall Roof") << report;
    EXPECT_EQ(reportLine(report, "vertices"), "8");
    EXPECT_EQ(reportLine(report, "polygons"), "4");
    EXPECT_EQ(reportLine(report, "materials"), "3");
    EXPECT_EQ(reportLine(report, "textures found"), "1  CAMO.3df");
    EXPECT_EQ(reportLine(report, "textures missing"), "1  BRICK.3df");
    EXPECT_GT(objectShare(pngRead("house.png")), 0.05);
}

TEST_F(Headless, LoadsAReadOnlyFileFromAnotherDirectoryWithItsTextures)
{
    ASSERT_EQ(mkdir("models", 0755), 0);
    for (const char* name : {"tank.3ds", "CAMO.3df", "TREAD.3df"}) {
        std::ofstream(std::string("models/") + name, std::ios::binary) << fileRead(name);
        ASSERT_EQ(chmod((std::string("models/") + name).c_str(), 0444), 0);
    }
    ASSERT_EQ(chmod("models", 0555), 0);
    ASSERT_EQ(viewRun({"models/tank.3ds"}), 0) << fileRead("stderr.txt");
    EXPECT_EQ(reportLine(fileRead("stdout.txt"), "textures found"), "2  CAMO.3df TREAD.3df");
}

TEST_F(Headless, RefusesDamagedAndForeignFilesWithoutCrashing)
{
    std::string tank = fileRead("tank.3ds");
    std::ofstream("half.3ds", std::ios::binary) << tank.substr(0, tank.size() / 2);
    std::ofstream("picture.3ds", std::ios::binary) << "\x89PNG\r\n\x1a\n not a model at all";
    std::ofstream("empty.3ds", std::ios::binary);
    std::string bigCount = tank;
    bigCount[2] = '\xff';   // the main chunk claims more bytes than the file has
    bigCount[5] = '\x7f';
    std::ofstream("long.3ds", std::ios::binary) << bigCount;

    EXPECT_EQ(viewRun({"half.3ds"}), 1);
    EXPECT_NE(fileRead("stderr.txt").find("the engine cannot load half.3ds: it is damaged"),
              std::string::npos)
        << fileRead("stderr.txt");
    EXPECT_EQ(fileRead("stdout.txt"), "");   // the refusal alone, no table of zeros
    EXPECT_EQ(viewRun({"picture.3ds"}), 1);
    EXPECT_NE(fileRead("stderr.txt").find("picture.3ds: not a 3D Studio file"), std::string::npos);
    EXPECT_EQ(viewRun({"empty.3ds"}), 1);
    EXPECT_NE(fileRead("stderr.txt").find("empty.3ds: not a 3D Studio file"), std::string::npos);
    EXPECT_EQ(viewRun({"long.3ds"}), 1);
    EXPECT_NE(fileRead("stderr.txt").find("long.3ds"), std::string::npos);
    EXPECT_EQ(viewRun({"nowhere.3ds"}), 1);
    EXPECT_NE(fileRead("stderr.txt").find("cannot open nowhere.3ds"), std::string::npos);
    EXPECT_EQ(viewRun({}), 2);
    EXPECT_NE(fileRead("stderr.txt").find("usage: obx-view"), std::string::npos);
    EXPECT_EQ(fileRead("stdout.txt"), "");
    EXPECT_EQ(viewRun({"tank.3ds", "--shading", "glossy"}), 2);
    EXPECT_EQ(viewRun({"--help"}), 0);
    EXPECT_EQ(fileRead("stdout.txt").rfind("usage: obx-view", 0), 0u);
    EXPECT_EQ(fileRead("stderr.txt"), "");
}

TEST_F(Headless, ShowsTextTheRightWayRoundFromTheFrontAndFitsIt)
{
    // An L of red squares in the front plane: its bar on the left, its foot
    // to the right at the bottom. Mirrored it would stand on the right;
    // with the faces wound the wrong way, or seen from behind, single-sided
    // squares would not be drawn at all.
    frontSquaresWrite("letter.3ds", {{"RED", {0, 0, 0}, {230, 30, 30}, false, ""}},
                      {{-3, -4, -1, 4}, {-1, -4, 3, -2}});
    ASSERT_EQ(viewRun({"letter.3ds", "--shot", "letter.png", "--yaw", "0", "--pitch", "0"}), 0)
        << fileRead("stderr.txt");
    Image letter = pngRead("letter.png");
    Shape s = shapeOf(letter);
    ASSERT_GT(s.x1, s.x0) << "nothing drawn";
    EXPECT_GT(partShare(letter, s, 0.05, 0.28, 0.05, 0.95, reddish), 0.9);   // the bar
    EXPECT_GT(partShare(letter, s, 0.55, 0.95, 0.8, 0.95, reddish), 0.9);    // the foot
    EXPECT_LT(partShare(letter, s, 0.55, 0.95, 0.05, 0.7, reddish), 0.05);   // nothing above it
    // Fitted: centred, and filling most of the height between the text lines.
    EXPECT_NEAR((s.x0 + s.x1) / 2.0, 320, 8);
    EXPECT_NEAR((s.y0 + s.y1) / 2.0, 240, 8);
    EXPECT_GT(s.y1 - s.y0, 300);
    EXPECT_LT(s.y1 - s.y0, 400);

    // The default view sees it from the front (three-quarters).
    ASSERT_EQ(viewRun({"letter.3ds", "--shot", "default.png"}), 0);
    EXPECT_GT(objectShare(pngRead("default.png")), 0.08);

    // A sign whose picture (a JPEG the model names in capitals) has red top
    // left, green top right, blue bottom left and white bottom right: 3D
    // Studio counts v up from the picture's bottom row.
    frontSquaresWrite("sign.3ds", {{"SIGN", {0, 0, 0}, {150, 150, 150}, false, "SIGN.JPG"}},
                      {{-2, -1, 2, 1}});
    bmpWrite("sign.bmp", 64, 32, [](int x, int y) -> uint32_t {
        return y < 16 ? (x < 32 ? 0xFF0000u : 0x00FF00u) : (x < 32 ? 0x0000FFu : 0xFFFFFFu);
    });
    ASSERT_EQ(system("convert sign.bmp sign.jpg"), 0);
    ASSERT_EQ(viewRun({"sign.3ds", "--shot", "sign.png", "--yaw", "0", "--pitch", "0"}), 0)
        << fileRead("stderr.txt");
    std::string report = fileRead("stdout.txt");
    EXPECT_EQ(reportLine(report, "textures converted"), "1  sign.jpg") << report;
    EXPECT_EQ(reportLine(report, "textures missing"), "0");
    Image sign = pngRead("sign.png");
    Shape q = shapeOf(sign);
    auto green = [](const uint8_t* p) { return p[1] > p[0] + 60 && p[1] > p[2] + 60; };
    auto blue = [](const uint8_t* p) { return p[2] > p[0] + 60 && p[2] > p[1] + 60; };
    auto white = [](const uint8_t* p) {
        return p[0] > 120 && abs(p[0] - p[1]) < 30 && abs(p[0] - p[2]) < 30;
    };
    EXPECT_GT(partShare(sign, q, 0.1, 0.4, 0.1, 0.4, reddish), 0.9);
    EXPECT_GT(partShare(sign, q, 0.6, 0.9, 0.1, 0.4, green), 0.9);
    EXPECT_GT(partShare(sign, q, 0.1, 0.4, 0.6, 0.9, blue), 0.9);
    EXPECT_GT(partShare(sign, q, 0.6, 0.9, 0.6, 0.9, white), 0.9);
    // Nothing was written next to the model.
    EXPECT_EQ(access("SIGN.3df", F_OK), -1);
    EXPECT_EQ(access("sign.3df", F_OK), -1);
}

TEST_F(Headless, AWhiteModelIsLitBelowSaturation)
{
    // A ball of white, two-colour-chunk material (ambient white too, as
    // exporters write it), seen flat and smooth: no pixel reaches white, the
    // brightest come near it, and turned from the light it is darker.
    Scene3ds scene;
    scene.materials = {{"WHITE", {255, 255, 255}, {255, 255, 255}, false, ""}};
    Mesh3ds ball;
    ball.name = "Ball";
    const int rings = 12, segments = 24;
    for (int r = 0; r <= rings; r++)
        for (int k = 0; k < segments; k++) {
            float a = 3.14159265f * r / rings, b = 2 * 3.14159265f * k / segments;
            ball.points.push_back({sinf(a) * cosf(b), sinf(a) * sinf(b), cosf(a)});
            ball.uvs.push_back({0, 0});
        }
    for (int r = 0; r < rings; r++)
        for (int k = 0; k < segments; k++) {
            uint16_t p = (uint16_t)(r * segments + k),
                     q = (uint16_t)(r * segments + (k + 1) % segments);
            ball.faces.push_back({p, (uint16_t)(q + segments), q, 0});
            ball.faces.push_back({p, (uint16_t)(p + segments), (uint16_t)(q + segments), 0});
            ball.faceMaterial.insert(ball.faceMaterial.end(), {0, 0});
        }
    scene.meshes = {ball};
    std::string error;
    ASSERT_TRUE(scene3dsWrite("ball.3ds", scene, &error)) << error;
    for (const char* shading : {"flat", "smooth"}) {
        SCOPED_TRACE(shading);
        ASSERT_EQ(viewRun({"ball.3ds", "--shot", "ball.png", "--shading", shading}), 0);
        Image image = pngRead("ball.png");
        int brightest = 0, darkest = 255;
        size_t pixels = 0;
        for (int y = 60; y < 440; y++)
            for (int x = 0; x < image.width; x++) {
                const uint8_t* p = image.at(x, y);
                if (backdrop(p))
                    continue;
                pixels++;
                brightest = std::max({brightest, (int)p[0], (int)p[1], (int)p[2]});
                darkest = std::min(darkest, (int)p[0]);
            }
        EXPECT_GT(pixels, 40000u);
        EXPECT_LT(brightest, 250);
        EXPECT_GT(brightest, 200);
        EXPECT_LT(darkest, 140);
    }
}

TEST_F(Headless, FindsTexturesInAnyLetterCaseAndConvertsPictures)
{
    // house.3ds names BRICK.PNG and CAMO.GIF: here there are brick.bmp and
    // camo.3df, and neither name is the engine's.
    ASSERT_EQ(mkdir("house", 0755), 0);
    sceneWithAMissingTexture("house/house.3ds");
    std::ofstream("house/camo.3df", std::ios::binary) << fileRead("CAMO.3df");
    bmpWrite("house/brick.bmp", 300, 100,
             [](int x, int) -> uint32_t { return x < 150 ? 0xC06040u : 0x804020u; });
    ASSERT_EQ(viewRun({"house/house.3ds"}), 0) << fileRead("stderr.txt");
    std::string report = fileRead("stdout.txt");
    EXPECT_EQ(reportLine(report, "textures found"), "1  CAMO.3df") << report;
    EXPECT_EQ(reportLine(report, "textures converted"), "1  brick.bmp");
    EXPECT_EQ(reportLine(report, "textures missing"), "0");
    EXPECT_EQ(commandOutput("ls house"), "brick.bmp\ncamo.3df\nhouse.3ds\n");
}

TEST_F(Headless, ShadingShapeAndTexturingChangeThePicture)
{
    ASSERT_EQ(viewRun({"tank.3ds", "--shot", "plain.png"}), 0);
    ASSERT_EQ(viewRun({"tank.3ds", "--shot", "smooth.png", "--shading", "smooth"}), 0);
    ASSERT_EQ(viewRun({"tank.3ds", "--shot", "outline.png", "--shape", "outline"}), 0);
    ASSERT_EQ(viewRun({"tank.3ds", "--shot", "points.png", "--shape", "points"}), 0);
    ASSERT_EQ(viewRun({"tank.3ds", "--shot", "bare.png", "--untextured"}), 0);
    ASSERT_EQ(viewRun({"tank.3ds", "--shot", "turned.png", "--yaw", "90", "--pitch", "0"}), 0);
    Image plain = pngRead("plain.png");
    for (const char* other : {"smooth.png", "outline.png", "points.png", "bare.png", "turned.png"})
        EXPECT_LT(sharedPixels(plain, pngRead(other)), 0.99) << other;
    // An outline covers less than the solid object, points less still.
    double solid = objectShare(plain), outline = objectShare(pngRead("outline.png"));
    double points = objectShare(pngRead("points.png"));
    EXPECT_LT(outline, solid);
    EXPECT_LT(points, outline);
    EXPECT_GT(points, 0.0);
}

TEST_F(Window, KeysTurnShadeReshapeRetextureAndEscapeEndsIt)
{
    pid_t pid = viewStart({"tank.3ds"}, true);
    std::string window = windowFind("Ombrix Viewer");
    ASSERT_FALSE(window.empty()) << fileRead("stderr.txt");
    // The object on the viewer's backdrop, once the start-up picture has gone.
    ASSERT_TRUE(outputWait("stdout.txt", "textures missing"));
    auto viewerShows = [](const Image& now) {
        Mean corner = meanColour(now, 560, 380, 640, 440);
        return objectShare(now) > 0.08 && fabs(corner.r + corner.g + corner.b - 108) < 12;
    };
    Image first = screenSettled("first.png", viewerShows);
    ASSERT_TRUE(viewerShows(first));

    // F12 names its shots by full path, in the directory the viewer was
    // started from, and never writes over a file that is there.
    std::ofstream("obx-view-tank-1.png") << "keep";
    ASSERT_TRUE(keysPress(window, "F12 F12"));
    ASSERT_TRUE(outputWait("stdout.txt",
                           "obx-view: screenshot " + sessionDir() + "/obx-view-tank-3.png\n"));
    EXPECT_NE(fileRead("stdout.txt")
                  .find("obx-view: screenshot " + sessionDir() + "/obx-view-tank-2.png\n"),
              std::string::npos);
    EXPECT_EQ(fileRead("obx-view-tank-1.png"), "keep");
    EXPECT_GT(sharedPixels(first, pngRead("obx-view-tank-2.png")), 0.99);
    EXPECT_EQ(pngRead("obx-view-tank-3.png").width, 640);

    ASSERT_TRUE(keysPress(window, "Left Left Left Left Left Up Up"));
    Image turned = screenSettled("turned.png", [&](const Image& now) {
        return viewerShows(now) && sharedPixels(first, now) < 0.97;
    });
    EXPECT_LT(sharedPixels(first, turned), 0.97);
    std::ofstream(SCREENSHOT_PATH, std::ios::binary) << fileRead("turned.png");

    // Back where it started after a round of every key: the same picture.
    ASSERT_TRUE(keysPress(window, "s o o o t t minus plus r s"));
    ASSERT_TRUE(outputWait("stdout.txt", "flat shading"));
    Image reset = screenSettled("reset.png", [&](const Image& now) {
        return viewerShows(now) && sharedPixels(first, now) > 0.99;
    });
    EXPECT_GT(sharedPixels(first, reset), 0.99);

    ASSERT_TRUE(keysPress(window, "Escape"));
    EXPECT_EQ(programWait(pid, 60), 0) << fileRead("stderr.txt");
    std::string out = fileRead("stdout.txt");
    EXPECT_NE(out.find("obx-view: smooth shading\n"
                       "obx-view: outline\n"
                       "obx-view: points\n"
                       "obx-view: solid\n"
                       "obx-view: untextured\n"
                       "obx-view: textured\n"
                       "obx-view: flat shading\n"),
              std::string::npos)
        << out;
}
