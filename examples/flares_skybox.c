/* Lens flares and the sky box: the camera sweeps its gaze to and fro past a
 * low sun; the sky box stays centred on the camera, and the sun's flare, a
 * row of five elements along the line through the middle of the screen,
 * brightens as the sun nears the view's axis. */
#include <math.h>

#include "example.h"

int main(int argc, char** argv)
{
    if (!exampleStart(argc, argv, "flares-skybox",
                      "A sky box and a sun with a lens flare, seen by a turning camera.", 600))
        return 1;
    TextureRecord* sky[6];
    const char* const skyFiles[6] = {"sky_front.3df", "sky_left.3df", "sky_back.3df",
                                     "sky_right.3df", "sky_top.3df",  "sky_bottom.3df"};
    for (int i = 0; i < 6; i++)
        if (!(sky[i] = obxTextureLoad(skyFiles[i], OBX_TMU0)))
            return 1;
    /* +z, -x, -z, +x, above, below. */
    obxSkyboxAdd(2000.0f, sky[0], sky[1], sky[2], sky[3], sky[4], sky[5]);

    /* Elements: at the sun (1.0), between it and the middle, beyond the
     * middle on the other side; sizes in pixels. */
    TextureRecord* elements[5];
    const char* const flareFiles[5] = {"flare1.3df", "flare2.3df", "flare3.3df", "flare4.3df",
                                       "flare5.3df"};
    for (int i = 0; i < 5; i++)
        if (!(elements[i] = obxTextureLoad(flareFiles[i], OBX_TMU0)))
            return 1;
    const float halfSizes[5] = {90.0f, 28.0f, 14.0f, 40.0f, 60.0f};
    const float positions[5] = {1.0f, 0.55f, 0.2f, -0.35f, -0.8f};
    LensFlare* flare = obxLensflareCreate(5, elements, halfSizes, positions);
    if (!flare)
        return 1;
    const uint32_t extra[3] = {0, 0, 0};
    /* Far away ahead, a little to the right and up. */
    obxLightsourceAdd(1.0f, 0.9f, 0.7f, 600.0f, 350.0f, 1800.0f, 0.0f, flare, extra);

    while (exampleFrame()) {
        float heading = 18.0f + 30.0f * sinf((float)exampleFrameNumber() * 0.012f);
        obxCameraRotate(352.0f, heading < 0.0f ? heading + 360.0f : heading, 0.0f); /* 8 up */
        obxWorldRender(OBX_RENDER_ONLY); /* the sky covers the screen: no clear */
        obxSetRenderState(OBX_RENDERSTATE_2D);
        obxStrDrawGrid(1, 1, "Sky box and lens flare");
        obxSetRenderState(OBX_RENDERSTATE_3D);
        obxWorldDisplay();
    }
    return exampleEnd();
}
