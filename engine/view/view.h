// Camera and view volume: the active camera, the view matrix, the six view
// planes, the drawing area and the perspective projection onto it.
#ifndef OBX_VIEW_VIEW_H
#define OBX_VIEW_VIEW_H

#include "public.h"

// A camera-space point p is inside when dot(normal, p) < offset.
typedef struct ViewPlane {
    float normal[3];
    float offset;
} ViewPlane;

// Order of view.planes.
enum {
    VIEW_PLANE_FAR,
    VIEW_PLANE_TOP,
    VIEW_PLANE_RIGHT,
    VIEW_PLANE_NEAR,
    VIEW_PLANE_LEFT,
    VIEW_PLANE_BOTTOM,
    VIEW_PLANE_COUNT
};

// The drawing area in Glide window coordinates (origin lower left).
typedef struct Viewport {
    float minX, minY, maxX, maxY;
    float halfWidth, halfHeight;
} Viewport;

// The view: the camera it looks through, the view volume and the drawing area.
typedef struct ViewState {
    Camera defaultCamera;   // active until the application sets its own
    Camera* camera;         // the active camera
    Matrix matrix;          // world to camera space, rebuilt every frame
    float nearDistance;     // 2.0
    float farDistance;      // 3000.0 until obxFarClippingPlaneSet
    ViewPlane planes[VIEW_PLANE_COUNT];
    Viewport viewport;
} ViewState;
extern ViewState view;

// The default camera at the origin, looking along +z, with nothing pending.
void cameraDefaultInit(void);
// The default camera becomes the active one.
void cameraDefaultActivate(void);
// Near 2, far 3000.
void viewDistancesInit(void);
// A new far distance, and the view planes with it.
void viewFarDistanceSet(float distance);
// The drawing area: x, y its lower-left corner in pixels, then its size.
void viewportSet(int x, int y, int width, int height);
// The drawing area covering the whole screen.
void viewportSetFullScreen(float width, float height);

// The view from the camera's own position, out to farDistance: the camera
// moved to the origin and the view rebuilt; viewRestore puts back what
// viewCentreOnCamera kept.
typedef struct ViewKept {
    float farDistance;
    float position[3];
} ViewKept;
void viewCentreOnCamera(ViewKept* kept, float farDistance);
void viewRestore(const ViewKept* kept);

// Advances the active camera by one frame: a pending stepwise move, or
// re-aiming at its sync point.
void cameraUpdate(void);
void viewMatrixBuild(void);
void viewPlanesBuild(void);

// Projects a camera-space point (z > 0) onto the drawing area; returns q = 1/z.
// Every renderer projects through this one formula.
static inline float projectToScreen(float x, float y, float z, float* screenX, float* screenY)
{
    float q = 1.0f / z;
    *screenX = (x * q + 1.0f) * view.viewport.halfWidth + view.viewport.minX;
    *screenY = (y * q + 1.0f) * view.viewport.halfHeight + view.viewport.minY;
    return q;
}

#endif
