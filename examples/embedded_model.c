/* A model from an embedded resource: the tank is built into this program
 * (CMake: ombrix_add_resource(target FILE_3DS 101 tank.3ds)) and loaded with
 * obxObjectLoadFromExe, so the program needs no model file beside it (its
 * textures still come from files). A chrome layer of the environment map
 * goes over it. */
#include <stdio.h>

#include "example.h"

enum { TANK_RESOURCE = 101 };

int main(int argc, char** argv)
{
    if (!exampleStart(argc, argv, "embedded-model",
                      "The tank loaded from a resource of the program itself.", 600))
        return 1;
    Object* tank = obxObjectLoadFromExe(TANK_RESOURCE, 0, 100.0f, OBX_LOAD_TEXTURED);
    TextureRecord* chrome = obxTextureLoad("envmap.3df", OBX_TMU0);
    if (!tank || !chrome) {
        fprintf(stderr, "embedded-model: the tank resource or envmap.3df is missing\n");
        return 1;
    }
    printf("tank loaded from resource %d: %d vertices, %d polygons\n", TANK_RESOURCE,
           tank->vertexCount, tank->polygonCount);
    obxObjectRotate(tank, 90.0f, 0.0f, 0.0f);
    obxObjectSetShadingType(tank, OBX_SHADING_GOURAUD);
    obxObjectMakeEnviromentMapped(tank, chrome, 130.0f); /* opacity 130 of 255 */
    obxObjectMove(tank, 0.0f, -20.0f, 190.0f);
    obxObjectAdd(tank);
    const uint32_t extra[3] = {0, 0, 0};
    obxLightsourceAdd(1.0f, 0.95f, 0.9f, 400.0f, 600.0f, -200.0f, 0.0f, NULL, extra);
    obxAmbientlightLight(0.18f, 0.18f, 0.2f);
    const float background[3] = {0.2f, 0.22f, 0.26f};
    obxBackgroundSetColor(background);

    while (exampleFrame()) {
        obxObjectRotate(tank, 0.0f, 359.0f, 0.0f); /* one degree the other way */
        obxBackgroundClear();
        obxWorldRender(OBX_RENDER_ONLY);
        obxSetRenderState(OBX_RENDERSTATE_2D);
        obxStrDrawGrid(1, 1, "From the program's own resource");
        obxSetRenderState(OBX_RENDERSTATE_3D);
        obxWorldDisplay();
    }
    return exampleEnd();
}
