/* Focus loss and return: an application that is switched away from gives
 * the screen back (obxLooseFocus) and takes it again when it returns
 * (obxSetFocus); the engine keeps its state and sends every texture to the
 * board again. Here the switch is simulated: a third of the way through,
 * the program lets go of the screen for a second and comes back. A real
 * application calls the two on its window's activation messages (SDL:
 * SDL_WINDOWEVENT_FOCUS_LOST and _GAINED). */
#define _POSIX_C_SOURCE 199309L /* nanosleep */
#include <stdio.h>
#include <time.h>

#include "example.h"

int main(int argc, char** argv)
{
    if (!exampleStart(argc, argv, "focus", "The screen given up and taken back mid-run.", 600))
        return 1;
    Object* tank = obxObjectLoad("tank.3ds", 0, 100.0f, OBX_LOAD_TEXTURED);
    if (!tank)
        return 1;
    obxObjectRotate(tank, 90.0f, 0.0f, 0.0f);
    obxObjectMove(tank, 0.0f, -25.0f, 200.0f);
    obxObjectAdd(tank);
    const uint32_t extra[3] = {0, 0, 0};
    obxLightsourceAdd(1.0f, 1.0f, 0.9f, -500.0f, 800.0f, -300.0f, 0.0f, NULL, extra);
    obxAmbientlightLight(0.2f, 0.2f, 0.25f);
    const float background[3] = {0.25f, 0.3f, 0.2f};
    obxBackgroundSetColor(background);

    int lostAt = 0, backAt = 0;
    while (exampleFrame()) {
        int f = exampleFrameNumber();
        if (!lostAt && f > 1 && f >= 200 / 3) {
            obxLooseFocus(); /* the window closes; nothing may draw now */
            lostAt = f;
            printf("focus lost at frame %d\n", f);
            struct timespec second = {1, 0};
            nanosleep(&second, NULL);
            obxSetFocus(); /* the window again, same state, textures sent again */
            backAt = f;
            printf("focus back at frame %d\n", f);
        }
        obxObjectRotate(tank, 0.0f, 2.0f, 0.0f);
        obxBackgroundClear();
        obxWorldRender(OBX_RENDER_ONLY);
        obxSetRenderState(OBX_RENDERSTATE_2D);
        char line[64];
        if (lostAt)
            snprintf(line, sizeof line, "Focus lost and back at frame %d", backAt);
        else
            snprintf(line, sizeof line, "Frame %d: the focus goes at %d", f, 200 / 3);
        obxStrDrawGrid(1, 1, line);
        obxSetRenderState(OBX_RENDERSTATE_3D);
        obxWorldDisplay();
    }
    return exampleEnd();
}
