/* A tank turning under a light for 300 frames, with a line of text. */
#include <stdio.h>

#include "ombrix.h"

int main(void)
{
    /* 640 x 480, in a window of the device's own when there is a display. */
    if (!obxInitialize(NULL, 0)) {
        fprintf(stderr, "Couldn't initialize Ombrix!\n");
        return 1;
    }
    Object* tank = obxObjectLoad("tank.3ds", 0, 100.0f, 1); /* radius 100, textured */
    if (!tank)
        return 1;
    obxObjectRotate(tank, 90.0f, 0.0f, 0.0f); /* 3D Studio keeps z up, the engine y */
    obxObjectMove(tank, 0.0f, -30.0f, 250.0f); /* the camera looks along +z */
    obxObjectAdd(tank);
    const uint32_t extra[3] = {0, 0, 0};
    obxLightsourceAdd(1.0f, 1.0f, 0.9f, -500.0f, 800.0f, -300.0f, 0.0f, NULL, extra);
    obxAmbientlightLight(0.2f, 0.2f, 0.25f);

    for (int frame = 0; frame < 300; frame++) {
        obxObjectRotate(tank, 0.0f, 2.0f, 0.0f); /* two more degrees each frame */
        obxBackgroundClear();
        obxWorldRender(0);
        obxStrDrawGrid(1, 1, "Hello from Ombrix");
        obxWorldDisplay();
    }
    printf("%u frames, %u polygons drawn\n", obxGetFrameCount(),
           obxPerformanceGet()->polygonsDrawn);
    obxShutdown();
    return 0;
}
