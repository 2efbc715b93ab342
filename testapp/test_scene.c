/* The test program's scene (see test_scene.h). */
#include "test_scene.h"

#include <stdint.h>
#include <stdio.h>

#include "ombrix.h"

void testSceneBuild(void)
{
    Object* object = obxObjectLoad("tank.3ds", 0, 100.0f, 1);
    if (object)
        obxObjectAdd(object);
    else
        fprintf(stderr, "OmbrixTest: tank.3ds could not be loaded\n");
    const uint32_t extra[3] = {0, 0, 0};
    obxLightsourceAdd(1.0f, 1.0f, 1.0f, -5000.0f, -5000.0f, 5000.0f, 0.0f, NULL, extra);
    if (object) {
        obxObjectMove(object, 0.0f, 0.0f, 150.0f);
        obxObjectRotate(object, 130.0f, 45.0f, 0.0f);
        obxObjectSetShadingType(object, 3);
    }
}

void testSceneShow(void)
{
    obxBackgroundClear();
    obxWorldRender(1);
}
