// The performance table: fixed workloads rendered headless on the software
// device (the fill workloads, a lit torus, and the scene benchmark's tank,
// landscape, particles and whole demo), frames and millions of pixels per
// second at 640 x 480 and 1024 x 768, with the device's rasterizer on the
// application's thread (0) and on one or two threads of its own; the fill
// workloads also on Mesa's llvmpipe (obx-bench-llvmpipe, when built) in the
// same run.
//
//   obx-bench-workloads [--seconds S] [--rounds N] [--only a,b] [--threads 0,1,2]
//                       [--sizes 640,1024] [--no-llvmpipe] [--before DIR]
//                       [--busy N] [--cpu K]
//
// Each measurement runs in a fresh process (the device reads its thread
// count at start-up); the rounds are interleaved and the table shows
// medians, so ratios between columns come from the same minutes of a shared
// machine. Pixels are those written by the device (for llvmpipe: those the
// quads cover). To add a workload, add an entry to `workloads` below.
//
// --before DIR measures the obx-bench-workloads of another build too (DIR is
// its run directory, with its data files), interleaved with this one, for a
// before-and-after table from one run. --busy N keeps N processes spinning
// while it measures, as other work on a shared machine would; --cpu K pins
// every measurement (not the spinners) to processor K.
//
//   obx-bench-workloads --run NAME WIDTH SECONDS   (one measurement)
//   obx-bench-workloads --frames NAME WIDTH N      (exactly N frames after the
//                                                   warm-up, for instruction counts)
#include <glide.h>
#include <libgen.h>
#include <limits.h>
#include <math.h>
#include <sched.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "obx_glide_ext.h"
#include "ombrix.h"
#include "scenes.h"
#include "workloads.h"

namespace {

double now(void)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

int screenWidth, screenHeight;

// --- straight Glide: the fill workloads ----------------------------------------

struct FillVertex {
    float x, y, q;
    float r, g, b, a;
    float s, t;
};

bool glideOpen(int width)
{
    grGlideInit();
    grSstSelect(0);
    GrScreenResolution_t res = width == 1024 ? GR_RESOLUTION_1024x768 : GR_RESOLUTION_640x480;
    return grSstWinOpen(0, res, GR_REFRESH_60Hz, GR_COLORFORMAT_ARGB, GR_ORIGIN_UPPER_LEFT, 2, 1) !=
           0;
}

bool fillSetup(void)
{
    grVertexLayout(GR_PARAM_XY, 0, GR_PARAM_ENABLE);
    grVertexLayout(GR_PARAM_Q, 8, GR_PARAM_ENABLE);
    grVertexLayout(GR_PARAM_RGB, 12, GR_PARAM_ENABLE);
    grVertexLayout(GR_PARAM_A, 24, GR_PARAM_ENABLE);
    grVertexLayout(GR_PARAM_ST0, 28, GR_PARAM_ENABLE);
    static std::vector<FxU16> texels;
    for (int size = 256; size >= 1; size /= 2)
        for (int y = 0; y < size; y++)
            for (int x = 0; x < size; x++)
                texels.push_back(fillTexel(x, y, size));
    GrTexInfo info = {GR_LOD_LOG2_1, GR_LOD_LOG2_256, GR_ASPECT_LOG2_1x1, GR_TEXFMT_RGB_565,
                      texels.data()};
    grTexDownloadMipMap(GR_TMU0, 0, GR_MIPMAPLEVELMASK_BOTH, &info);
    grTexSource(GR_TMU0, 0, GR_MIPMAPLEVELMASK_BOTH, &info);
    grTexCombine(GR_TMU0, GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE,
                 GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, FXFALSE, FXFALSE);
    grTexFilterMode(GR_TMU0, GR_TEXTUREFILTER_BILINEAR, GR_TEXTUREFILTER_BILINEAR);
    grTexMipMapMode(GR_TMU0, GR_MIPMAP_NEAREST, FXFALSE);
    grTexClampMode(GR_TMU0, GR_TEXTURECLAMP_WRAP, GR_TEXTURECLAMP_WRAP);
    // Colour and alpha: texture times iterated.
    grColorCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL,
                   GR_COMBINE_LOCAL_ITERATED, GR_COMBINE_OTHER_TEXTURE, FXFALSE);
    grAlphaCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL,
                   GR_COMBINE_LOCAL_ITERATED, GR_COMBINE_OTHER_TEXTURE, FXFALSE);
    grDepthBufferMode(GR_DEPTHBUFFER_WBUFFER);
    grDepthBufferFunction(GR_CMP_LEQUAL);
    return true;
}

// A quad over the whole screen, one texel per pixel from texel `offset`.
void fillQuad(float offset, float alpha)
{
    float w = (float)screenWidth, h = (float)screenHeight;
    const float xs[4] = {0, w, w, 0}, ys[4] = {0, 0, h, h};
    FillVertex v[4];
    for (int i = 0; i < 4; i++)
        v[i] = {xs[i],
                ys[i],
                FILL_Q,
                255,
                255,
                255,
                alpha,
                (xs[i] + offset) * FILL_Q,
                (ys[i] + offset) * FILL_Q};
    void* fan[4] = {&v[0], &v[1], &v[2], &v[3]};
    grDrawVertexArray(GR_TRIANGLE_FAN, 4, fan);
}

void fillClear(void)
{
    grDepthMask(FXTRUE);
    grAlphaBlendFunction(GR_BLEND_ONE, GR_BLEND_ZERO, GR_BLEND_ONE, GR_BLEND_ZERO);
    grBufferClear(0, 0, 0xFFFF);
}

void fillFrame(int)
{
    fillClear();
    fillQuad(0.0f, 255.0f);
    grBufferSwap(0);
}

void fill4bFrame(int)
{
    fillClear();
    grAlphaBlendFunction(GR_BLEND_SRC_ALPHA, GR_BLEND_ONE_MINUS_SRC_ALPHA, GR_BLEND_ZERO,
                         GR_BLEND_ZERO);
    grDepthMask(FXFALSE);
    for (int k = 0; k < FILL4B_LAYERS; k++)
        fillQuad((float)k * FILL4B_OFFSET, FILL4B_ALPHA);
    grBufferSwap(0);
}

// --- through the engine ------------------------------------------------------------

Object* spinning;

void frameEngine(void)
{
    obxBackgroundClear();
    obxWorldRender(1);
}

// A torus of 50 x 50 segments (5 000 triangles, radii 1 and 0.45), textured
// and lit by one light with smooth shading, tilted by 50 degrees and spinning,
// about a third of the screen.
bool meshSetup(void)
{
    TextureRecord* texture = obxTextureLoad("CAMO.3df", 0);
    Object* o = obxObjectInitDefaultState();
    const int n = 50;
    const float major = 1.0f, minor = 0.45f, pi = (float)M_PI;
    for (int i = 0; i < n; i++) {
        float a = 2.0f * pi * (float)i / (float)n;
        for (int j = 0; j < n; j++) {
            float b = 2.0f * pi * (float)j / (float)n;
            float r = major + minor * cosf(b);
            obxObjectAddVertex(o, r * cosf(a), minor * sinf(b), r * sinf(a));
        }
    }
    for (int i = 0; i < n; i++)
        for (int j = 0; j < n; j++) {
            int a = i * n + j, b = ((i + 1) % n) * n + j, c = i * n + (j + 1) % n,
                d = ((i + 1) % n) * n + (j + 1) % n;
            float s0 = (float)i / n * 4.0f, s1 = (float)(i + 1) / n * 4.0f;
            float t0 = (float)j / n, t1 = (float)(j + 1) / n;
            obxObjectAddPolygon(o, a, c, b, 0, texture, s0, t0, s0, t1, s1, t0);
            obxObjectAddPolygon(o, b, c, d, 0, texture, s1, t0, s0, t1, s1, t1);
        }
    // Ten times larger in world units, so the near plane stays clear of it.
    obxObjectPerformPrecalculations(o, 10.0f * (major + minor));
    obxObjectSetShadingType(o, 1);
    obxObjectRotate(o, 50.0f, 0.0f, 0.0f);
    obxObjectMove(o, 0.0f, 0.0f, 22.0f);
    spinning = obxObjectAdd(o);
    const uint32_t extra[3] = {0, 0, 0};
    obxLightsourceAdd(1.0f, 0.95f, 0.9f, -20.0f, 30.0f, -20.0f, 0.0f, NULL, extra);
    obxAmbientlightLight(0.15f, 0.15f, 0.2f);
    return texture != NULL;
}

void meshFrame(int)
{
    obxObjectRotate(spinning, 0.0f, 1.5f, 0.0f);
    frameEngine();
}

struct Workload {
    const char* name;
    bool engine;   // drawn through the engine, else straight Glide
    bool (*setup)(void);
    void (*frame)(int frame);
    bool llvmpipe;        // obx-bench-llvmpipe draws it too
    const char* texmem;   // texture memory per unit (OBX_GLIDE_TEXMEM), null for the default
};

// The scenes of the scene benchmark (bench/scenes): the tank, the landscape,
// 20 000 particles and the whole demo; the demo also on 64 KB of texture
// memory per unit, where nearly every texture and light map takes another's
// slot when drawn.
bool tankSetup(void)
{
    return sceneTankBuild() != 0;
}
bool landscapeSetup(void)
{
    return sceneLandscapeBuild() != 0;
}
bool particlesSetup(void)
{
    return sceneParticlesBuild() != 0;
}
bool demoSetup(void)
{
    return sceneDemoBuild() != 0;
}

const Workload workloads[] = {
    {"fill", false, fillSetup, fillFrame, true, nullptr},
    {"fill4b", false, fillSetup, fill4bFrame, true, nullptr},
    {"mesh", true, meshSetup, meshFrame, false, nullptr},
    {"tank", true, tankSetup, sceneTankFrame, false, nullptr},
    {"landscape", true, landscapeSetup, sceneLandscapeFrame, false, nullptr},
    {"particles", true, particlesSetup, sceneParticlesFrame, false, nullptr},
    {"demo", true, demoSetup, sceneDemoFrame, false, nullptr},
    {"demo64k", true, demoSetup, sceneDemoFrame, false, "64K"},
};

const Workload* workloadFind(const char* name)
{
    for (const Workload& w : workloads)
        if (strcmp(w.name, name) == 0)
            return &w;
    return nullptr;
}

// One measurement in this process: "RESULT frames/s Mpixels/s". Runs for
// `seconds`, or exactly `frameCount` frames when that is positive.
int runOne(const char* name, int width, double seconds, int frameCount)
{
    const Workload* w = workloadFind(name);
    if (!w) {
        fprintf(stderr, "no workload %s\n", name);
        return 2;
    }
    screenWidth = width == 1024 ? 1024 : 640;
    screenHeight = width == 1024 ? 768 : 480;
    setenv("OBX_GLIDE_DISPLAY", "headless", 1);
    if (w->texmem)
        setenv("OBX_GLIDE_TEXMEM", w->texmem, 1);
    bool up = w->engine ? obxInitialize(NULL, width == 1024 ? 2 : 0) == 1 : glideOpen(width);
    if (!up || !w->setup()) {
        fprintf(stderr, "%s: cannot start (run from the run directory)\n", name);
        return 1;
    }
    GrObxStatsProc stats = (GrObxStatsProc)(void (*)(void))grGetProcAddress((char*)"grObxStats");
    GrObxStatsResetProc statsReset =
        (GrObxStatsResetProc)(void (*)(void))grGetProcAddress((char*)"grObxStatsReset");
    // Warm up: for the engine's scenes until pools are full and every
    // texture and light map has been sent once.
    int warm = w->engine ? 60 : 3;
    for (int f = 0; f < warm; f++)
        w->frame(f);
    statsReset();
    double start = now(), elapsed = 0.0;
    int frames = 0;
    do {
        w->frame(warm + frames);
        frames++;
        elapsed = now() - start;
    } while (frameCount > 0 ? frames < frameCount : elapsed < seconds);
    GrObxStats s;
    stats(&s);
    printf("RESULT %.2f %.2f\n", frames / elapsed, (double)s.pixelsWritten / elapsed / 1e6);
    if (w->engine)
        obxShutdown();
    return 0;
}

// --- the table ------------------------------------------------------------------------

std::string selfDir;
int pinTo = -1;   // processor every measurement runs on, or -1

struct Result {
    double fps = 0, mpix = 0;
    bool ok = false;
};

// Runs a program in `dir` with one extra environment variable and reads its
// RESULT line.
Result runChild(const std::vector<std::string>& args, const std::string& dir, const char* envName,
                const std::string& envValue)
{
    Result r;
    int fd[2];
    if (pipe(fd) != 0)
        return r;
    pid_t pid = fork();
    if (pid == 0) {
        dup2(fd[1], 1);
        close(fd[0]);
        close(fd[1]);
        if (chdir(dir.c_str()) != 0)
            _exit(127);
        setenv(envName, envValue.c_str(), 1);
        if (pinTo >= 0) {
            cpu_set_t set;
            CPU_ZERO(&set);
            CPU_SET(pinTo, &set);
            if (sched_setaffinity(0, sizeof set, &set) != 0)
                _exit(127);
        }
        std::vector<char*> argv;
        for (const std::string& a : args)
            argv.push_back((char*)a.c_str());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(fd[1]);
    std::string out;
    char buf[256];
    ssize_t n;
    while ((n = read(fd[0], buf, sizeof buf)) > 0)
        out.append(buf, (size_t)n);
    close(fd[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    size_t at = out.find("RESULT ");
    if (at != std::string::npos && sscanf(out.c_str() + at, "RESULT %lf %lf", &r.fps, &r.mpix) == 2)
        r.ok = true;
    return r;
}

// The spinning helpers of --busy: each spins until the table is done, and
// in any case no longer than `limit` seconds or than this process lives.
std::vector<pid_t> spinners;

void spinnersStart(int count, double limit)
{
    pid_t parent = getpid();
    for (int i = 0; i < count; i++) {
        pid_t pid = fork();
        if (pid == 0) {
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            double end = now() + limit;
            volatile uint64_t spin = 0;
            while (getppid() == parent && now() < end)
                for (int k = 0; k < 1000000; k++)
                    spin = spin + 1;
            _exit(0);
        }
        if (pid > 0)
            spinners.push_back(pid);
    }
}

void spinnersStop(void)
{
    for (pid_t pid : spinners) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    spinners.clear();
}

std::vector<std::string> split(const char* list)
{
    std::vector<std::string> out;
    std::string s(list);
    size_t at = 0;
    while (at <= s.size()) {
        size_t comma = s.find(',', at);
        if (comma == std::string::npos)
            comma = s.size();
        if (comma > at)
            out.push_back(s.substr(at, comma - at));
        at = comma + 1;
    }
    return out;
}

double median(std::vector<double> v)
{
    if (v.empty())
        return 0.0;
    std::sort(v.begin(), v.end());
    size_t n = v.size();
    return n % 2 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
}

struct Cell {
    std::vector<double> fps, mpix;
    void add(const Result& r)
    {
        if (r.ok) {
            fps.push_back(r.fps);
            mpix.push_back(r.mpix);
        }
    }
};

const char* usage =
    "usage: obx-bench-workloads [--seconds S] [--rounds N] [--only a,b] [--threads 0,1,2]\n"
    "                           [--sizes 640,1024] [--no-llvmpipe] [--before DIR] [--busy N]\n"
    "                           [--cpu K]\n"
    "       obx-bench-workloads --run NAME WIDTH SECONDS\n"
    "       obx-bench-workloads --frames NAME WIDTH N\n";

}   // namespace

int main(int argc, char** argv)
{
    char exe[PATH_MAX] = {0};
    if (readlink("/proc/self/exe", exe, sizeof exe - 1) > 0) {
        selfDir = dirname(exe);
        if (chdir(selfDir.c_str()) != 0)
            return 1;
    }
    if (argc >= 5 && strcmp(argv[1], "--run") == 0)
        return runOne(argv[2], atoi(argv[3]), atof(argv[4]), 0);
    if (argc >= 5 && strcmp(argv[1], "--frames") == 0)
        return runOne(argv[2], atoi(argv[3]), 0.0, atoi(argv[4]) > 0 ? atoi(argv[4]) : 1);

    double seconds = 1.0;
    int rounds = 3, busy = 0;
    bool llvmpipe = true;
    std::string beforeDir;
    std::vector<std::string> only, threads = {"0", "1", "2"}, sizes = {"640", "1024"};
    for (int i = 1; i < argc; i++) {
        bool value = i + 1 < argc;
        if (strcmp(argv[i], "--help") == 0 || strcmp(argv[i], "-h") == 0) {
            fputs(usage, stdout);
            return 0;
        } else if (strcmp(argv[i], "--seconds") == 0 && value)
            seconds = atof(argv[++i]);
        else if (strcmp(argv[i], "--rounds") == 0 && value)
            rounds = atoi(argv[++i]);
        else if (strcmp(argv[i], "--only") == 0 && value)
            only = split(argv[++i]);
        else if (strcmp(argv[i], "--threads") == 0 && value)
            threads = split(argv[++i]);
        else if (strcmp(argv[i], "--sizes") == 0 && value)
            sizes = split(argv[++i]);
        else if (strcmp(argv[i], "--no-llvmpipe") == 0)
            llvmpipe = false;
        else if (strcmp(argv[i], "--before") == 0 && value)
            beforeDir = argv[++i];
        else if (strcmp(argv[i], "--busy") == 0 && value)
            busy = atoi(argv[++i]);
        else if (strcmp(argv[i], "--cpu") == 0 && value)
            pinTo = atoi(argv[++i]);
        else if (strcmp(argv[i], "--help") == 0) {
            fputs(usage, stdout);
            return 0;
        } else {
            fputs(usage, stderr);
            return 2;
        }
    }
    if (!(seconds > 0.0) || rounds < 1 || busy < 0 || busy > 64 || pinTo < -1 ||
        pinTo >= CPU_SETSIZE) {
        fputs(usage, stderr);
        return 2;
    }
    std::string self = selfDir + "/obx-bench-workloads", peer = selfDir + "/obx-bench-llvmpipe";
    if (llvmpipe && access(peer.c_str(), X_OK) != 0) {
        fprintf(stderr, "(obx-bench-llvmpipe not built: no llvmpipe columns)\n");
        llvmpipe = false;
    }
    std::string before;
    if (!beforeDir.empty()) {
        before = beforeDir + "/obx-bench-workloads";
        if (access(before.c_str(), X_OK) != 0) {
            fprintf(stderr, "no %s\n", before.c_str());
            return 2;
        }
    }
    std::vector<const Workload*> chosen;
    for (const Workload& w : workloads)
        if (only.empty() || std::find(only.begin(), only.end(), w.name) != only.end())
            chosen.push_back(&w);

    // cells[workload][size][threads]: this build, the earlier one, llvmpipe.
    size_t W = chosen.size(), S = sizes.size(), T = threads.size();
    std::vector<Cell> device(W * S * T), earlier(W * S * T), peerCells(W * S * T);
    auto at = [&](size_t w, size_t s, size_t t) { return (w * S + s) * T + t; };
    std::string secondsText = std::to_string(seconds);
    if (busy > 0) {
        // Each measurement takes its seconds and about two more to start
        // and warm up; the spinners stop by themselves well after that.
        double runs = (double)(W * S * T) * rounds * (1 + !before.empty() + llvmpipe);
        spinnersStart(busy, 2.0 * runs * (seconds + 2.0) + 60.0);
    }
    for (int round = 0; round < rounds; round++) {
        fprintf(stderr, "round %d of %d\n", round + 1, rounds);
        for (size_t w = 0; w < W; w++)
            for (size_t s = 0; s < S; s++)
                for (size_t t = 0; t < T; t++) {
                    std::vector<std::string> args = {"", "--run", chosen[w]->name, sizes[s],
                                                     secondsText};
                    // Before and after take turns going first.
                    for (int k = 0; k < 2; k++) {
                        bool after = (k == 0) == (round % 2 == 0);
                        if (!after && before.empty())
                            continue;
                        args[0] = after ? self : before;
                        Result r = runChild(args, after ? selfDir : beforeDir, "OBX_GLIDE_THREADS",
                                            threads[t]);
                        (after ? device : earlier)[at(w, s, t)].add(r);
                    }
                    if (llvmpipe && chosen[w]->llvmpipe) {
                        std::string h = sizes[s] == "1024" ? "768" : "480";
                        std::string width = sizes[s] == "1024" ? "1024" : "640";
                        Result p = runChild({peer, chosen[w]->name, width, h, secondsText}, selfDir,
                                            "LP_NUM_THREADS", threads[t]);
                        peerCells[at(w, s, t)].add(p);
                    }
                }
    }
    spinnersStop();

    printf("Workloads, headless, medians of %d rounds of %.1f s (threads: 0 = the application's "
           "thread, "
           "n = n rasterizer threads; llvmpipe with LP_NUM_THREADS = n)",
           rounds, seconds);
    if (busy > 0)
        printf("; %d spinning process%s beside", busy, busy == 1 ? "" : "es");
    if (pinTo >= 0)
        printf("; pinned to processor %d", pinTo);
    if (!before.empty())
        printf("; before: %s", beforeDir.c_str());
    printf("\n\n");
    std::string title = "| workload  | screen     | threads |",
                rule = "|-----------|------------|---------|";
    if (!before.empty()) {
        title += " before frames/s |";
        rule += "-----------------|";
    }
    title += " frames/s | Mpixels/s |";
    rule += "----------|-----------|";
    if (!before.empty()) {
        title += " after/before |";
        rule += "--------------|";
    }
    if (llvmpipe) {
        title += " llvmpipe frames/s | llvmpipe Mpixels/s | ratio |";
        rule += "-------------------|--------------------|-------|";
    }
    printf("%s\n%s\n", title.c_str(), rule.c_str());
    for (size_t w = 0; w < W; w++)
        for (size_t s = 0; s < S; s++)
            for (size_t t = 0; t < T; t++) {
                const Cell& c = device[at(w, s, t)];
                const Cell& b = earlier[at(w, s, t)];
                const Cell& p = peerCells[at(w, s, t)];
                const char* screen = sizes[s] == "1024" ? "1024 x 768" : "640 x 480";
                printf("| %-9s | %-10s | %7s |", chosen[w]->name, screen, threads[t].c_str());
                if (!before.empty())
                    printf(" %15.1f |", median(b.fps));
                printf(" %8.1f | %9.1f |", median(c.fps), median(c.mpix));
                if (!before.empty()) {
                    if (median(b.fps) > 0.0)
                        printf(" %12.2f |", median(c.fps) / median(b.fps));
                    else
                        printf(" %12s |", "");
                }
                if (llvmpipe && !p.mpix.empty())
                    printf(" %17.1f | %18.1f | %5.2f |", median(p.fps), median(p.mpix),
                           median(c.mpix) / median(p.mpix));
                else if (llvmpipe)
                    printf(" %17s | %18s | %5s |", "", "", "");
                printf("\n");
            }
    return 0;
}
