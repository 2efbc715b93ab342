/*
 * The demo scene: a landscape under a sky box, a tank driving over it and
 * bumping a chrome ball, the sun and a beacon with lens flares, a lamp whose
 * light slides over the ground, a spark fountain, a smoke column, fog, text
 * and bitmaps over the picture, and five camera paths.
 *
 * Plain C over the engine's public header, shared by obx-demo, the scene
 * benchmark and the soak test. Everything moves by whole frames (1/60 s of
 * scene time each), so a run of N frames is the same picture every time.
 */
#ifndef OBX_DEMO_SCENE_H
#define OBX_DEMO_SCENE_H

#ifdef __cplusplus
extern "C" {
#endif

enum { DEMO_CAMERA_PATHS = 5 };

/* Loads and places everything. The engine must be initialised, with the
 * data files in the current directory. 1 on success; 0 with a message on
 * standard error when a file is missing. */
int demoSceneBuild(void);

/* Moves the scene on by one frame: tank, ball, lamp, emitters, camera. */
void demoSceneAdvance(void);

/* Renders the world and the overlay and shows the frame. framesPerSecond is
 * the rate shown in the read-out (0 shows none). */
void demoSceneRender(float framesPerSecond);

/* Camera paths 1..DEMO_CAMERA_PATHS: chase, orbit, flyover, tripod, sunward.
 * Until one is chosen the demo tours them all in turn. */
void demoCameraPathSet(int path);
int demoCameraPath(void);
const char* demoCameraPathName(int path);

/* Fog on or off; until chosen, the tour has it on over the flyover only. */
void demoFogSet(int on);
int demoFogOn(void);

/* The read-out says so while paused; the caller stops advancing. */
void demoPausedSet(int paused);

/* Frames advanced since the build, and how many times the tank hit the ball. */
int demoFrame(void);
int demoCollisions(void);

#ifdef __cplusplus
}
#endif

#endif
