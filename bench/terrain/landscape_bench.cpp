// Loading and drawing the 257-sample landscape: the load time and the bytes
// it counts, then the time of a frame seen from above, headless.
//
//   obx-bench-landscape [loads, default 3] [frames, default 50]
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "public.h"

namespace {

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The data files lie next to the program.
bool enterProgramDirectory(void)
{
    char path[4096];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return false;
    path[n] = '\0';
    std::string dir(path);
    dir = dir.substr(0, dir.rfind('/'));
    return chdir(dir.c_str()) == 0;
}

}   // namespace

int main(int argc, char** argv)
{
    static const char usage[] =
        "usage: obx-bench-landscape [LOADS [FRAMES]]\n"
        "The load time of terrain256.3df, its bytes and the time of a frame.\n";
    if (argc == 2 && strcmp(argv[1], "--help") == 0) {
        fputs(usage, stdout);
        return 0;
    }
    char* end = NULL;
    int loads = argc > 1 ? (int)strtol(argv[1], &end, 10) : 3;
    int bad = argc > 3 || (argc > 1 && (loads < 1 || *end));
    int frames = argc > 2 ? (int)strtol(argv[2], &end, 10) : 50;
    if (bad || (argc > 2 && (frames < 1 || *end))) {
        fputs(usage, stderr);
        return 2;
    }
    setenv("OBX_GLIDE_DISPLAY", "headless", 1);
    if (!enterProgramDirectory() || !obxInitialize(NULL, 0)) {
        fprintf(stderr, "cannot start the engine\n");
        return 1;
    }
    TextureRecord* grass = obxTextureLoad("grass.3df", 0);
    const float sun[3] = {0.5f, 1.0f, 0.3f};
    std::vector<double> times;
    uint32_t bytes = 0;
    auto load = [&]() {
        uint32_t before = obxNumBytesAllocated();
        auto start = std::chrono::steady_clock::now();
        Landscape* land =
            obxLandscapeLoadFromFile("terrain256.3df", 0, grass, 8192, 8192, 600, sun, 0.8f);
        times.push_back(secondsSince(start));
        bytes = obxNumBytesAllocated() - before;
        return land;
    };
    Landscape* land = load();
    if (!land) {
        fprintf(stderr, "terrain256.3df did not load\n");
        return 1;
    }

    // Frames first: every later load adds its 69905 light maps to the
    // texture cache for good, as an application loading several would.
    obxLandscapeAddToWorld(land);
    Camera* camera = obxCameraCreate(0, 900, -3000, 20, 0, 0);
    obxCameraSetActive(camera);
    DynamicLight* lamp = obxDynLightsourceAdd(400, 0, 300, -1500, 1, 1, 1);
    obxPerformanceInit();
    obxWorldRender(0);   // the first frame sends every light map
    auto start = std::chrono::steady_clock::now();
    for (int f = 0; f < frames; f++) {
        obxDynLightsourceChangeXYZ(lamp, (float)(f % 20) * 40.0f - 400.0f, 300, -1500);
        obxWorldRender(0);
    }
    double perFrame = secondsSince(start) / (frames > 0 ? frames : 1);

    for (int i = 1; i < loads; i++)
        load();
    std::sort(times.begin(), times.end());
    printf("load terrain256.3df (257 samples, 69905 patches): best %.1f ms, median %.1f ms "
           "of %d\n",
           times.front() * 1e3, times[times.size() / 2] * 1e3, (int)times.size());
    printf("bytes counted by one load: %u (%.1f MB)\n", bytes, bytes / 1048576.0);
    printf("frame from above with a moving light: %.2f ms (%u landscape fans per frame)\n",
           perFrame * 1e3, obxPerformanceGet()->polygonsDrawn / (uint32_t)(frames + 1));
    obxShutdown();
    return 0;
}
