/* A model under lights: the tank, loaded from its 3D Studio file, turning
 * under three coloured point lights that circle it, with a dim ambient
 * light; Gouraud shading shows each light's colour sliding over the hull. */
#include <math.h>

#include "example.h"

int main(int argc, char** argv)
{
    if (!exampleStart(argc, argv, "model-lights", "The tank under three circling coloured lights.",
                      600))
        return 1;
    Object* tank = obxObjectLoad("tank.3ds", 0, 100.0f, OBX_LOAD_TEXTURED);
    if (!tank)
        return 1;
    obxObjectRotate(tank, 90.0f, 0.0f, 0.0f); /* 3D Studio keeps z up, the engine y */
    obxObjectSetShadingType(tank, OBX_SHADING_GOURAUD);
    obxObjectMove(tank, 0.0f, -15.0f, 190.0f);
    obxObjectAdd(tank);

    const uint32_t extra[3] = {0, 0, 0};
    const float colours[3][3] = {{1.0f, 0.25f, 0.2f}, {0.25f, 1.0f, 0.3f}, {0.3f, 0.4f, 1.0f}};
    LightSource* lights[3];
    for (int i = 0; i < 3; i++)
        lights[i] = obxLightsourceAdd(colours[i][0], colours[i][1], colours[i][2], 0.0f, 0.0f, 0.0f,
                                      0.0f, NULL, extra); /* no fall-off with distance */
    obxAmbientlightLight(0.1f, 0.1f, 0.12f);
    const float background[3] = {0.05f, 0.06f, 0.09f};
    obxBackgroundSetColor(background);
    obxCameraRotate(12.0f, 0.0f, 0.0f); /* looking a little down */
    obxCameraMove(0.0f, 45.0f, 0.0f);

    while (exampleFrame()) {
        int f = exampleFrameNumber();
        for (int i = 0; i < 3; i++) {
            float a = (float)f * 0.02f + (float)i * 2.094f; /* a third of a turn apart */
            obxLightsourceMove(lights[i], 260.0f * cosf(a), 40.0f + 90.0f * (float)i,
                               190.0f + 260.0f * sinf(a));
        }
        obxObjectRotate(tank, 0.0f, 1.0f, 0.0f);
        obxBackgroundClear();
        obxWorldRender(OBX_RENDER_ONLY);
        obxSetRenderState(OBX_RENDERSTATE_2D);
        obxStrDrawGrid(1, 1, "Three point lights, Gouraud shading");
        obxSetRenderState(OBX_RENDERSTATE_3D);
        obxWorldDisplay();
    }
    return exampleEnd();
}
