/* Dynamic lights: three coloured spheres of light gliding over a floor built
 * polygon by polygon. Each lights the vertices within its radius, fading
 * to nothing at its edge, and adds to the others where they meet. */
#include <math.h>

#include "example.h"

enum { CELLS = 32 }; /* the floor is CELLS x CELLS squares */
static const float floorSize = 800.0f, floorY = -80.0f, floorZ = 450.0f;

/* A flat floor of two triangles per square, facing up. */
static Object* floorBuild(TextureRecord* white)
{
    Object* floor = obxObjectInitDefaultState();
    if (!floor)
        return NULL;
    float step = floorSize / CELLS;
    for (int row = 0; row <= CELLS; row++)
        for (int col = 0; col <= CELLS; col++)
            obxObjectAddVertex(floor, -floorSize / 2 + (float)col * step, 0.0f,
                               -floorSize / 2 + (float)row * step);
    for (int row = 0; row < CELLS; row++) {
        for (int col = 0; col < CELLS; col++) {
            int a = row * (CELLS + 1) + col; /* corners a, b across x, c, d one row on in z */
            int b = a + 1, c = a + CELLS + 1, d = c + 1;
            /* Clockwise as the camera above sees them: the front faces up. */
            obxObjectAddPolygon(floor, a, c, b, OBX_ONE_SIDED, white, 0, 0, 0, 1, 1, 0);
            obxObjectAddPolygon(floor, b, c, d, OBX_ONE_SIDED, white, 1, 0, 0, 1, 1, 1);
        }
    }
    /* Precalculation centres the vertices: its radius keeps the size. */
    obxObjectPerformPrecalculations(floor, floorSize * 0.70710678f);
    return floor;
}

int main(int argc, char** argv)
{
    if (!exampleStart(argc, argv, "dynamic-lights",
                      "Three coloured dynamic lights gliding over a floor.", 600))
        return 1;
    Object* floor = floorBuild(obxTextureLoad("white.3df", OBX_TMU0));
    if (!floor)
        return 1;
    obxObjectSetShadingType(floor, OBX_SHADING_GOURAUD); /* lit per vertex */
    obxObjectMove(floor, 0.0f, floorY, floorZ);
    obxObjectAdd(floor);
    obxAmbientlightLight(0.08f, 0.08f, 0.1f);
    obxCameraRotate(35.0f, 0.0f, 0.0f); /* looking down at the floor */
    obxCameraMove(0.0f, 250.0f, 30.0f);

    const float colours[3][3] = {{1.0f, 0.3f, 0.1f}, {0.2f, 1.0f, 0.4f}, {0.3f, 0.4f, 1.0f}};
    DynamicLight* lights[3];
    for (int i = 0; i < 3; i++)
        lights[i] = obxDynLightsourceAdd(230.0f, 0.0f, floorY, floorZ, colours[i][0], colours[i][1],
                                         colours[i][2]);
    while (exampleFrame()) {
        float t = (float)exampleFrameNumber() * 0.015f;
        for (int i = 0; i < 3; i++) {
            float a = t * (1.0f + 0.3f * (float)i) + (float)i * 2.1f;
            obxDynLightsourceChangeXYZ(lights[i], 260.0f * cosf(a), floorY + 40.0f,
                                       floorZ + 220.0f * sinf(a * 1.3f));
        }
        obxBackgroundClear();
        obxWorldRender(OBX_RENDER_ONLY);
        obxSetRenderState(OBX_RENDERSTATE_2D);
        obxStrDrawGrid(1, 1, "Dynamic lights over a hand-built floor");
        obxSetRenderState(OBX_RENDERSTATE_3D);
        obxWorldDisplay();
    }
    return exampleEnd();
}
