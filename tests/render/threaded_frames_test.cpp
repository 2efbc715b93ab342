// Whole scenes of the engine (the tank on a landscape under a sky box, with
// particles, smoke, a dynamic light, a lens flare and text; and obx-demo's
// scene on its tour) drawn by the device's rasterizer threads look exactly
// as drawn on the engine's thread.
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include "demo_files.h"
#include "demo_scene.h"
#include "obx_overlay.h"
#include "obx_scene.h"

namespace {

std::vector<std::string> sceneFiles(void)
{
    std::vector<std::string> files = engineDataFiles();
    for (const char* f :
         {"tank.3ds", "CAMO.3df", "TREAD.3df", "terrain64.3df", "grass.3df", "particle.3df",
          "smoke.3df", "flare1.3df", "flare2.3df", "flare3.3df", "sky_front.3df", "sky_left.3df",
          "sky_back.3df", "sky_right.3df", "sky_top.3df", "sky_bottom.3df"})
        files.push_back(f);
    return files;
}

bool sceneBuild(void)
{
    const char* sky[6] = {"sky_front.3df", "sky_left.3df", "sky_back.3df",
                          "sky_right.3df", "sky_top.3df",  "sky_bottom.3df"};
    TextureRecord* faces[6];
    for (int i = 0; i < 6; i++)
        faces[i] = obxTextureLoad(sky[i], 0);
    obxSkyboxAdd(2000.0f, faces[0], faces[1], faces[2], faces[3], faces[4], faces[5]);

    const float sun[3] = {0.5f, 1.0f, 0.3f};
    Landscape* land = obxLandscapeLoadFromFile("terrain64.3df", 0, obxTextureLoad("grass.3df", 0),
                                               400.0f, 400.0f, 40.0f, sun, 0.8f);
    Object* tank = obxObjectLoad("tank.3ds", 0, 6.0f, 1);
    if (!land || !tank)
        return false;
    obxLandscapeAddToWorld(land);
    obxObjectMove(tank, 0.0f, obxLandscapeGetHeightXZ(land, 0.0f, -60.0f) + 4.0f, -60.0f);
    obxObjectAdd(tank);

    TextureRecord* flares[3] = {obxTextureLoad("flare1.3df", 0), obxTextureLoad("flare2.3df", 0),
                                obxTextureLoad("flare3.3df", 0)};
    const float sizes[3] = {40.0f, 20.0f, 10.0f}, positions[3] = {1.0f, 0.5f, -0.3f};
    const uint32_t extra[3] = {0, 0, 0};
    obxLightsourceAdd(1.0f, 0.9f, 0.8f, 60.0f, 80.0f, 200.0f, 0.0f,
                      obxLensflareCreate(3, flares, sizes, positions), extra);
    obxAmbientlightLight(0.2f, 0.2f, 0.25f);
    obxDynLightsourceAdd(40.0f, 0.0f, 30.0f, -40.0f, 1.0f, 0.4f, 0.1f);

    const float start[3] = {1.0f, 0.8f, 0.3f}, end[3] = {0.6f, 0.1f, 0.0f},
                up[3] = {0.0f, 0.3f, 0.0f};
    ParticleEmitter* sparks =
        obxEmitterCreate(-15.0f, 30.0f, -50.0f, 300, start, end, obxTextureLoad("particle.3df", 0),
                         up, 0.97f, 0.4f, 0.06f);
    obxEmitterAddToWorld(sparks);
    obxEmitterAddParticles(sparks, 300);
    const float still[3] = {0, 0, 0};
    obxSmokeEmitterAddToWorld(obxSmokeEmitterCreate(15.0f, 30.0f, -50.0f, 60,
                                                    obxTextureLoad("smoke.3df", 0), 1.0f, still,
                                                    0.8f, 1.5f, 0.1f, 30, 2));
    obxCameraSetActive(obxCameraCreate(0.0f, 60.0f, -150.0f, 12.0f, 0.0f, 0.0f));
    return true;
}

const int FRAMES = 10;

// Frame f of the scene above: the camera turning.
void sceneDraw(int f)
{
    obxCameraRotate(12.0f, (float)f * 2.0f, 0.0f);
    obxBackgroundClear();
    obxWorldRender(0);
    obxStrDrawGrid(1, 1, "threads");
    obxWorldDisplay();
}

bool demoBuild(void)
{
    return demoSceneBuild() == 1;
}

// Frame f of obx-demo's scene: 240 frames of its tour apart, so every camera
// path, the fog and the collision come by.
void demoDraw(int f)
{
    for (int i = 0; i < (f == 0 ? 1 : 240); i++)
        demoSceneAdvance();
    demoSceneRender(60.0f);
}

struct Scene {
    std::vector<std::string> files;
    bool (*build)(void);
    void (*draw)(int frame);
};

// Frames of a scene as the device shows them, drawn with `threads`
// rasterizer threads. Each run is a process of its own, started from the same
// state (the engine's random sequence goes on from one start to the next
// within a process).
std::vector<Frame> framesDrawn(const Scene& scene, const char* threads)
{
    std::vector<Frame> frames;
    int fd[2];
    if (pipe(fd) != 0)
        return frames;
    pid_t child = fork();
    if (child == 0) {
        close(fd[0]);
        setenv("OBX_GLIDE_THREADS", threads, 1);
        if (engineStart(0, scene.files) != 1 || !scene.build())
            _exit(1);
        for (int f = 0; f < FRAMES; f++) {
            scene.draw(f);
            Frame frame = frameGrab(GR_BUFFER_FRONTBUFFER);
            uint32_t size[2] = {frame.width, frame.height};
            if (write(fd[1], size, sizeof size) != (ssize_t)sizeof size)
                _exit(1);
            size_t bytes = frame.colour.size() * 2;
            for (size_t at = 0; at < bytes;) {
                ssize_t n = write(fd[1], (const char*)frame.colour.data() + at, bytes - at);
                if (n <= 0)
                    _exit(1);
                at += (size_t)n;
            }
        }
        engineStop();
        _exit(0);
    }
    close(fd[1]);
    auto readAll = [&](void* to, size_t bytes) {
        for (size_t at = 0; at < bytes;) {
            ssize_t n = read(fd[0], (char*)to + at, bytes - at);
            if (n <= 0)
                return false;
            at += (size_t)n;
        }
        return true;
    };
    for (;;) {
        Frame frame;
        uint32_t size[2];
        if (!readAll(size, sizeof size))
            break;
        frame.width = size[0];
        frame.height = size[1];
        frame.colour.resize((size_t)size[0] * size[1]);
        if (!readAll(frame.colour.data(), frame.colour.size() * 2))
            break;
        frames.push_back(frame);
    }
    close(fd[0]);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << threads << " threads";
    return frames;
}

// The frames of a scene drawn on one and on two rasterizer threads are
// those drawn without threads, and show more than the background.
void expectSameOnThreads(const Scene& scene)
{
    std::vector<Frame> own = framesDrawn(scene, "0");
    ASSERT_EQ(own.size(), (size_t)FRAMES);
    int lit = 0;
    for (uint16_t p : own[5].colour)
        lit += p != own[5].colour[0];
    EXPECT_GT(lit, (int)own[5].colour.size() / 4);
    for (const char* threads : {"1", "2"}) {
        std::vector<Frame> other = framesDrawn(scene, threads);
        ASSERT_EQ(other.size(), own.size());
        for (size_t f = 0; f < own.size(); f++)
            EXPECT_TRUE(other[f].colour == own[f].colour)
                << "frame " << f << " on " << threads << " threads";
    }
}

TEST(ThreadedFrames, TheSceneLooksTheSameDrawnOnOneOrTwoRasterizerThreads)
{
    expectSameOnThreads({sceneFiles(), sceneBuild, sceneDraw});
}

TEST(ThreadedFrames, TheDemoSceneLooksTheSameDrawnOnOneOrTwoRasterizerThreads)
{
    expectSameOnThreads({demoDataFiles(), demoBuild, demoDraw});
}

}   // namespace
