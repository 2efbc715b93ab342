// Camera records, the exported camera calls and the per-frame camera update.
#include <math.h>
#include <stdlib.h>
#include <string.h>

#include "math/math3d.h"
#include "view/view.h"

void cameraDefaultInit(void)
{
    memset(&view.defaultCamera, 0, sizeof view.defaultCamera);
}

void cameraDefaultActivate(void)
{
    view.camera = &view.defaultCamera;
}

Camera* obxCameraCreate(float x, float y, float z, float rotX, float rotY, float rotZ)
{
    // Cameras belong to the application and come from the general heap.
    Camera* camera = (Camera*)calloc(1, sizeof *camera);
    if (!camera)
        return NULL;
    camera->position[0] = x;
    camera->position[1] = y;
    camera->position[2] = z;
    camera->rotation[0] = rotX;
    camera->rotation[1] = rotY;
    camera->rotation[2] = rotZ;
    camera->stepsLeft = 0;
    camera->syncEnabled = 0;
    return camera;
}

void obxCameraSetActive(Camera* camera)
{
    if (!camera)
        return;
    view.camera = camera;
}

void obxCameraMove(float x, float y, float z)
{
    view.camera->position[0] = x;
    view.camera->position[1] = y;
    view.camera->position[2] = z;
}

void obxCameraRotate(float rotX, float rotY, float rotZ)
{
    view.camera->rotation[0] = rotX;
    view.camera->rotation[1] = rotY;
    view.camera->rotation[2] = rotZ;
}

void obxCameraMoveIncremental(int steps, const float* move, float turnX, float turnY, float turnZ)
{
    // A move of no steps, or of a negative number of them, is no move.
    if (steps <= 0) {
        view.camera->stepsLeft = 0;
        return;
    }
    if (!move)
        return;
    float count = (float)steps;
    view.camera->stepsLeft = steps;
    view.camera->stepMove[0] = move[0] / count;
    view.camera->stepMove[1] = move[1] / count;
    view.camera->stepMove[2] = move[2] / count;
    view.camera->stepTurn[0] = turnX / count;
    view.camera->stepTurn[1] = turnY / count;
    view.camera->stepTurn[2] = turnZ / count;
}

void obxCameraEnableSyncToPoint(float x, float y, float z)
{
    view.camera->syncPoint[0] = x;
    view.camera->syncPoint[1] = y;
    view.camera->syncPoint[2] = z;
    view.camera->syncEnabled = 1;
}

void obxCameraDisableSyncToPoint(void)
{
    view.camera->syncEnabled = 0;
}

// The angle truncated toward zero to whole degrees and reduced by 360, the
// remainder keeping the angle's sign.
static float cameraWholeDegrees(float angle)
{
    if (!(angle == angle) || isinf(angle))
        return 0.0f;
    // fmodf is exact, so reducing first never changes the result and keeps
    // the conversion to int in range.
    return (float)((int)fmodf(angle, 360.0f) % 360);
}

static void cameraAim(Camera* camera)
{
    float dx = camera->syncPoint[0] - camera->position[0];
    float dz = camera->syncPoint[2] - camera->position[2];
    float horizontal = (float)sqrt((double)(dx * dx + dz * dz));
    if (horizontal == 0.0f)
        horizontal = 0.0001f;
    float heading = (float)radToDeg((float)acos((double)(dz / horizontal)));
    if (dx / horizontal < 0.0f)
        heading = 360.0f - heading;
    camera->rotation[1] = heading;

    float ex = camera->position[0] - camera->syncPoint[0];
    float ey = camera->position[1] - camera->syncPoint[1];
    float ez = camera->position[2] - camera->syncPoint[2];
    float length = (float)sqrt((double)(ey * ey + ez * ez + ex * ex));
    if (length == 0.0f)
        length = 0.0001f;
    if (ey < 0.0f)
        camera->rotation[0] = 360.0f - (float)radToDeg((float)asin((double)(-ey / length)));
    else
        camera->rotation[0] = (float)radToDeg((float)asin((double)(ey / length)));
    camera->rotation[2] = 0.0f;
}

void cameraUpdate(void)
{
    Camera* camera = view.camera;
    if (camera->syncEnabled == 1) {
        cameraAim(camera);
        // While aiming a pending move still moves, but does not turn.
        if (camera->stepsLeft > 0) {
            for (int i = 0; i < 3; i++)
                camera->position[i] += camera->stepMove[i];
            camera->stepsLeft -= 1;
        }
        return;
    }
    if (camera->stepsLeft > 0) {
        for (int i = 0; i < 3; i++)
            camera->position[i] += camera->stepMove[i];
        for (int i = 0; i < 3; i++)
            camera->rotation[i] = cameraWholeDegrees(camera->rotation[i] + camera->stepTurn[i]);
        camera->stepsLeft -= 1;
    }
}
