/* A tank turning under a light for 300 frames, with a line of text. */
#include <stdio.h>

#include "ombrix.h"

int main(void)
{
    if (!obxInitialize(NULL, 0)) { /* 640 x 480; a window of the device's own */
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
        obxSetRenderState(0); /* 2D drawing over the frame */
        obxStrDrawGrid(1, 1, "Hello from Ombrix");
        obxSetRenderState(1);
        obxWorldDisplay();
    }
    printf("%u frames, %u polygons drawn\n", obxGetFrameCount(),
           obxPerformanceGet()->polygonsDrawn);
    obxShutdown();
    return 0;
}
