// The sky-box pass of the world render: the cube drawn around the camera,
// turned with it but never moved, and beyond the normal far distance.
#include "render/render.h"
#include "terrain/terrain.h"
#include "view/view.h"

void skyboxPass(void)
{
    Object* cube = terrain.skybox;
    if (!cube)
        return;
    ViewKept kept;
    viewCentreOnCamera(&kept, 65535.0f);

    // Always drawn, and always clipped polygon by polygon.
    cube->whollyInside = 0;
    cube->culled = 0;
    objectViewTransform(cube);
    objectClipCodes(cube);
    objectBackFaces(cube);
    objectLighting(cube);
    drawObject(cube);

    viewRestore(&kept);
}
