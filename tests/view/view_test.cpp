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

#include <fstream>
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

class ViewProgram : public ::testing::Test {
protected:
    void SetUp() override { sessionDirEnter({"tank.3ds", "CAMO.3df", "TREAD.3df"}); }
    void TearDown() override
    {
        programStopAll();
        sessionDirLeave();
    }
};

using Headless = ViewProgram;
using Window = ViewProgram;

}  // namespace

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
