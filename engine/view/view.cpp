// The view matrix, the view volume and the projection onto the drawing area.
#include <stdint.h>

#include "math/math3d.h"
#include "view/view.h"

Matrix viewMatrix;
float nearDistance = 2.0f;
float farDistance = 3000.0f;
ViewPlane viewPlanes[VIEW_PLANE_COUNT];

float viewportMinX, viewportMinY, viewportMaxX, viewportMaxY;
float viewportHalfWidth, viewportHalfHeight;

void viewDistancesInit(void)
{
    nearDistance = 2.0f;
    farDistance = 3000.0f;
}

void viewFarDistanceSet(float distance)
{
    farDistance = distance;
    viewPlanesBuild();
}

void viewportSet(int x, int y, int width, int height)
{
    viewportMinX = (float)x;
    viewportMinY = (float)y;
    viewportHalfWidth = (float)width / 2.0f;
    viewportHalfHeight = (float)height / 2.0f;
    viewportMaxX = (float)((int64_t)x + width);
    viewportMaxY = (float)((int64_t)y + height);
}

void viewportSetFullScreen(float width, float height)
{
    viewportMinX = 0.0f;
    viewportMinY = 0.0f;
    viewportMaxX = width;
    viewportMaxY = height;
    viewportHalfWidth = width / 2.0f;
    viewportHalfHeight = height / 2.0f;
}

void viewMatrixBuild(void)
{
    const Camera* camera = activeCamera;
    Matrix rx, ry, rz, t;
    matrixRotationX(&rx, 360.0f - camera->rotation[0]);
    matrixRotationY(&ry, 360.0f - camera->rotation[1]);
    matrixRotationZ(&rz, 360.0f - camera->rotation[2]);
    matrixTranslation(&t, -camera->position[0], -camera->position[1], -camera->position[2]);
    // Move by the negated position, then turn by heading, roll and pitch.
    matrixMultiply(&t, &ry);
    matrixMultiply(&ry, &rz);
    matrixMultiply(&rz, &rx);
    matrixCopy(&rx, &viewMatrix);
}

static void viewPlaneSet(int plane, float nx, float ny, float nz, float offset)
{
    viewPlanes[plane].normal[0] = nx;
    viewPlanes[plane].normal[1] = ny;
    viewPlanes[plane].normal[2] = nz;
    viewPlanes[plane].offset = offset;
}

void viewPlanesBuild(void)
{
    // A 90-degree pyramid from the camera, cut at the near and far distances.
    const float h = 0.70710677f;
    viewPlaneSet(VIEW_PLANE_FAR, 0.0f, 0.0f, 1.0f, farDistance);
    viewPlaneSet(VIEW_PLANE_TOP, 0.0f, h, -h, 0.0f);
    viewPlaneSet(VIEW_PLANE_RIGHT, h, 0.0f, -h, 0.0f);
    viewPlaneSet(VIEW_PLANE_NEAR, 0.0f, 0.0f, -1.0f, -nearDistance);
    viewPlaneSet(VIEW_PLANE_LEFT, -h, 0.0f, -h, 0.0f);
    viewPlaneSet(VIEW_PLANE_BOTTOM, 0.0f, -h, -h, 0.0f);
}
