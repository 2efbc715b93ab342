// The sky-box pass of the world render: the cube drawn around the camera,
// turned with it but never moved, and beyond the normal far distance.
#include "render/render.h"
#include "terrain/terrain.h"

void skyboxPass(void)
{
    Object* cube = skybox;
    if (!cube)
        return;
    float keptFar = farDistance;
    farDistance = 65535.0f;
    viewPlanesBuild();
    float kept[3] = {activeCamera->position[0], activeCamera->position[1],
                     activeCamera->position[2]};
    activeCamera->position[0] = 0.0f;
    activeCamera->position[1] = 0.0f;
    activeCamera->position[2] = 0.0f;
    viewMatrixBuild();

    // Always drawn, and always clipped polygon by polygon.
    cube->whollyInside = 0;
    cube->culled = 0;
    objectViewTransform(cube);
    objectClipCodes(cube);
    objectBackFaces(cube);
    objectLighting(cube);
    drawObject(cube);

    farDistance = keptFar;
    viewPlanesBuild();
    activeCamera->position[0] = kept[0];
    activeCamera->position[1] = kept[1];
    activeCamera->position[2] = kept[2];
    viewMatrixBuild();
}
