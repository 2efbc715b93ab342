/* The test program's scene, the same on Linux and Windows: the lit, turned,
 * flat-shaded tank, rendered and shown as one frame. */
#ifndef OBX_TEST_SCENE_H
#define OBX_TEST_SCENE_H

/* Loads "tank.3ds" into the world with a white light; the object is placed
 * only when it loaded. */
void testSceneBuild(void);
/* Clears the background and renders and shows one frame. */
void testSceneShow(void);

#endif
