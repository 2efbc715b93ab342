/*
 * Fixed scenes for benchmarks: each is built once into a freshly
 * initialised engine (with the data files in the current directory) and then
 * drawn one frame at a time, headless or not, at whatever resolution the
 * engine was started with. Frame n of a scene is the same picture on every
 * run. Plain C over the engine's public header, so any bench program can
 * call them.
 */
#ifndef OBX_BENCH_SCENES_H
#define OBX_BENCH_SCENES_H

#ifdef __cplusplus
extern "C" {
#endif

/* The tank of tank.3ds alone, turning in front of the camera under one light. */
int sceneTankBuild(void);
void sceneTankFrame(int frame);

/* The whole demo scene (obx-demo's, read-outs included) on its tour. */
int sceneDemoBuild(void);
void sceneDemoFrame(int frame);

/* The landscape of terrain256.3df alone, flown over in a circle. */
int sceneLandscapeBuild(void);
void sceneLandscapeFrame(int frame);

/* Twenty fountains of 1000 particles each, kept full. */
int sceneParticlesBuild(void);
void sceneParticlesFrame(int frame);

/* The scenes by name, for programs that take a name. */
typedef struct BenchScene {
    const char* name;
    int (*build)(void);
    void (*frame)(int frame);
} BenchScene;
extern const BenchScene benchScenes[];
extern const int benchSceneCount;

#ifdef __cplusplus
}
#endif

#endif
