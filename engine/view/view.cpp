// The view matrix, the view volume, the drawing area and the view's settings
// (far clipping plane, drawing area, fog over the view's depth range).
#include <stdint.h>

#include "core/core.h"
#include "math/math3d.h"
#include "view/view.h"

// The default camera is active and the distances are set from the start, so
// that the view can be used before obxInitialize.
ViewState view = {{}, &view.defaultCamera, {}, 2.0f, 3000.0f, {}, {}};

void viewDistancesInit(void)
{
    view.nearDistance = 2.0f;
    view.farDistance = 3000.0f;
}

void viewFarDistanceSet(float distance)
{
    view.farDistance = distance;
    viewPlanesBuild();
}

void obxFarClippingPlaneSet(float distance)
{
    viewFarDistanceSet(distance);
}

void obxFogSetMode(int mode)
{
    // Fog spans the view's depth range.
    fogModeSet(mode, view.nearDistance, view.farDistance);
}

void viewportSet(int x, int y, int width, int height)
{
    view.viewport.minX = (float)x;
    view.viewport.minY = (float)y;
    view.viewport.halfWidth = (float)width / 2.0f;
    view.viewport.halfHeight = (float)height / 2.0f;
    view.viewport.maxX = (float)((int64_t)x + width);
    view.viewport.maxY = (float)((int64_t)y + height);
}

void obxRenderWindowSet(int x, int y, int width, int height)
{
    viewportSet(x, y, width, height);
}

void viewportSetFullScreen(float width, float height)
{
    view.viewport.minX = 0.0f;
    view.viewport.minY = 0.0f;
    view.viewport.maxX = width;
    view.viewport.maxY = height;
    view.viewport.halfWidth = width / 2.0f;
    view.viewport.halfHeight = height / 2.0f;
}

void viewCentreOnCamera(ViewKept* kept, float farDistance)
{
    kept->farDistance = view.farDistance;
    viewFarDistanceSet(farDistance);
    float* position = view.camera->position;
    for (int i = 0; i < 3; i++) {
        kept->position[i] = position[i];
        position[i] = 0.0f;
    }
    viewMatrixBuild();
}

void viewRestore(const ViewKept* kept)
{
    viewFarDistanceSet(kept->farDistance);
    for (int i = 0; i < 3; i++)
        view.camera->position[i] = kept->position[i];
    viewMatrixBuild();
}

void viewMatrixBuild(void)
{
    const Camera* camera = view.camera;
    Matrix rx, ry, rz, t;
    matrixRotationX(&rx, 360.0f - camera->rotation[0]);
    matrixRotationY(&ry, 360.0f - camera->rotation[1]);
    matrixRotationZ(&rz, 360.0f - camera->rotation[2]);
    matrixTranslation(&t, -camera->position[0], -camera->position[1], -camera->position[2]);
    // Move by the negated position, then turn by heading, roll and pitch.
    matrixMultiply(&t, &ry);
    matrixMultiply(&ry, &rz);
    matrixMultiply(&rz, &rx);
    matrixCopy(&rx, &view.matrix);
}

static void viewPlaneSet(int plane, float nx, float ny, float nz, float offset)
{
    view.planes[plane].normal[0] = nx;
    view.planes[plane].normal[1] = ny;
    view.planes[plane].normal[2] = nz;
    view.planes[plane].offset = offset;
}

void viewPlanesBuild(void)
{
    // A 90-degree pyramid from the camera, cut at the near and far distances.
    const float h = 0.70710677f;
    viewPlaneSet(VIEW_PLANE_FAR, 0.0f, 0.0f, 1.0f, view.farDistance);
    viewPlaneSet(VIEW_PLANE_TOP, 0.0f, h, -h, 0.0f);
    viewPlaneSet(VIEW_PLANE_RIGHT, h, 0.0f, -h, 0.0f);
    viewPlaneSet(VIEW_PLANE_NEAR, 0.0f, 0.0f, -1.0f, -view.nearDistance);
    viewPlaneSet(VIEW_PLANE_LEFT, -h, 0.0f, -h, 0.0f);
    viewPlaneSet(VIEW_PLANE_BOTTOM, 0.0f, -h, -h, 0.0f);
}
