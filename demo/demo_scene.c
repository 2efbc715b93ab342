/*
 * The demo scene (see demo_scene.h). The engine keeps the world; this file
 * keeps what moves in it: the tank on its loop, the ball it bumps, the lamp,
 * the camera paths and the read-outs.
 */
#include "demo_scene.h"

#include <math.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "demo_trig.h"
#include "ombrix.h"

#define PI 3.14159265f

/* ---- The world's layout ----------------------------------------------------- */

enum { LAND_SAMPLES = 257 };            /* height samples per side of terrain256 */
static const float landSize = 8192.0f;  /* world units across the landscape */
static const float landHeight = 760.0f; /* height of a white texel of the map */
static const float farPlane = 3000.0f;
static const float skyHalfSide = 5500.0f; /* beyond the far plane in every direction */
/* Toward the sun painted into the sky box: the light and its flare stand there. */
static const float sunDirection[3] = {-0.48f, 0.36f, 0.80f};
static const float sunDistance = 2600.0f;
/* Colours handed to the fog and the background are whole steps of 1/255:
 * the fog colour is packed from the three products at once, and a fraction
 * of red or green would spill into the channel below. */
static const float fogColour[3] = {188.0f / 255.0f, 204.0f / 255.0f, 226.0f / 255.0f};

/* Places on the map (x, z). */
static const float fountainAt[2] = {900.0f, 250.0f}; /* inside the loop, by the road */
static const float smokeAt[2] = {-250.0f, -860.0f};  /* outside it, to the south */
static const float beaconAt[2] = {1280.0f, 1280.0f}; /* on the hills to the north-east */

static Landscape* land;

/* ---- Ground height -------------------------------------------------------------- */

/* The height sample (col, row) of the map, asked of the engine at the middle
 * of the cell its height query gives to that sample. */
static float landSample(int col, int row)
{
    col = col < 0 ? 0 : col > LAND_SAMPLES - 1 ? LAND_SAMPLES - 1 : col;
    row = row < 0 ? 0 : row > LAND_SAMPLES - 1 ? LAND_SAMPLES - 1 : row;
    float cell = landSize / (float)LAND_SAMPLES;
    return obxLandscapeGetHeightXZ(land, -landSize / 2 + ((float)col + 0.5f) * cell,
                                   landSize / 2 - ((float)row + 0.5f) * cell);
}

/* The ground under (x, z), between the four samples around it: the height
 * query alone answers in steps of one cell, which would make things hop. */
static float groundHeight(float x, float z)
{
    float step = landSize / (float)(LAND_SAMPLES - 1);
    float gx = (x + landSize / 2) / step, gz = (landSize / 2 - z) / step;
    /* Beyond the map the edge's height holds. */
    gx = gx > 0.0f ? (gx < (float)(LAND_SAMPLES - 1) ? gx : (float)(LAND_SAMPLES - 1)) : 0.0f;
    gz = gz > 0.0f ? (gz < (float)(LAND_SAMPLES - 1) ? gz : (float)(LAND_SAMPLES - 1)) : 0.0f;
    int col = (int)floorf(gx), row = (int)floorf(gz);
    float fx = gx - (float)col, fz = gz - (float)row;
    float top = landSample(col, row) * (1 - fx) + landSample(col + 1, row) * fx;
    float bottom = landSample(col, row + 1) * (1 - fx) + landSample(col + 1, row + 1) * fx;
    return top * (1 - fz) + bottom * fz;
}

/* Whether the ground hides `to` from `from`. */
static int groundHides(const float* from, const float* to)
{
    for (int i = 1; i < 24; i++) {
        float t = (float)i / 24.0f;
        float x = from[0] + (to[0] - from[0]) * t, y = from[1] + (to[1] - from[1]) * t,
              z = from[2] + (to[2] - from[2]) * t;
        if (groundHeight(x, z) > y + 4.0f)
            return 1;
    }
    return 0;
}

/* ---- Turning objects without drift ----------------------------------------------- */

/* obxObjectRotate turns the vertices in place, so turns add up and so would
 * their rounding. A pose keeps the object's first shape and turns a copy of
 * it each time the whole-degree angles change. */
typedef struct Pose {
    Object* object;
    Vector* vertices;
    float (*vertexNormals)[4];
    Vector* faceNormals;
    int pitch, heading, roll;
} Pose;

static int poseKeep(Pose* pose, Object* object)
{
    size_t vertices = (size_t)object->vertexCount, polygons = (size_t)object->polygonCount;
    pose->object = object;
    pose->vertices = (Vector*)malloc(sizeof(Vector) * (vertices ? vertices : 1));
    pose->vertexNormals = (float(*)[4])malloc(sizeof(float[4]) * (vertices ? vertices : 1));
    pose->faceNormals = (Vector*)malloc(sizeof(Vector) * (polygons ? polygons : 1));
    if (!pose->vertices || !pose->vertexNormals || !pose->faceNormals)
        return 0;
    memcpy(pose->vertices, object->vertices, sizeof(Vector) * vertices);
    memcpy(pose->vertexNormals, object->vertexNormals, sizeof(float[4]) * vertices);
    for (size_t i = 0; i < polygons; i++)
        pose->faceNormals[i] = object->polygons[i].normal;
    pose->pitch = pose->heading = pose->roll = 0;
    return 1;
}

static int wholeDegrees(float angle)
{
    int degrees = (int)floorf(angle + 0.5f) % 360;
    return degrees < 0 ? degrees + 360 : degrees;
}

/* Tilts the object by pitch (nose up) and roll (right side down) in its own
 * frame, then turns it to heading; all in degrees. */
static void poseSet(Pose* pose, float pitch, float heading, float roll)
{
    int p = wholeDegrees(pitch), h = wholeDegrees(heading), r = wholeDegrees(roll);
    if (p == pose->pitch && h == pose->heading && r == pose->roll)
        return;
    Object* object = pose->object;
    memcpy(object->vertices, pose->vertices, sizeof(Vector) * (size_t)object->vertexCount);
    memcpy(object->vertexNormals, pose->vertexNormals,
           sizeof(float[4]) * (size_t)object->vertexCount);
    for (int i = 0; i < object->polygonCount; i++)
        object->polygons[i].normal = pose->faceNormals[i];
    obxObjectRotate(object, (float)p, 0.0f, (float)r);
    obxObjectRotate(object, 0.0f, (float)h, 0.0f);
    pose->pitch = p;
    pose->heading = h;
    pose->roll = r;
}

/* The lowest point of an object below its centre (y down is negative). */
static float objectBottom(const Object* object)
{
    float lowest = 0.0f;
    for (int i = 0; i < object->vertexCount; i++)
        if (object->vertices[i].y < lowest)
            lowest = object->vertices[i].y;
    return -lowest;
}

/* ---- The tank -------------------------------------------------------------------- */

static Object* tank;
static Pose tankPose;
static float tankBottom;
static float tankPathAt; /* parameter along the loop, radians */
static float tankPosition[3];
static float tankForward[3]; /* unit, on the ground plane */
static float tankPitch, tankRoll;
static const float tankRadius = 50.0f;
static const float tankSpeed = 3.4f; /* world units per frame */

/* The tank's loop round the middle of the map: over the hills, past the
 * fountain and the smoke. */
static void tankPath(float t, float* x, float* z)
{
    *x = 980.0f * demoSin(t) + 260.0f * demoSin(2.0f * t);
    *z = 760.0f * demoCos(t) - 140.0f * demoCos(3.0f * t);
}

static void tankAdvance(void)
{
    float x0, z0, x1, z1;
    tankPath(tankPathAt, &x0, &z0);
    tankPath(tankPathAt + 0.001f, &x1, &z1);
    float dx = x1 - x0, dz = z1 - z0;
    float length = sqrtf(dx * dx + dz * dz);
    tankPathAt += tankSpeed * 0.001f / length;
    if (tankPathAt > 2.0f * PI)
        tankPathAt -= 2.0f * PI;

    float x, z;
    tankPath(tankPathAt, &x, &z);
    tankForward[0] = dx / length;
    tankForward[1] = 0.0f;
    tankForward[2] = dz / length;
    /* The ground under the tracks: ahead, behind, left and right. */
    const float reach = tankRadius * 0.7f, width = tankRadius * 0.45f;
    float fx = tankForward[0], fz = tankForward[2];
    float ahead = groundHeight(x + fx * reach, z + fz * reach);
    float behind = groundHeight(x - fx * reach, z - fz * reach);
    float right = groundHeight(x + fz * width, z - fx * width);
    float left = groundHeight(x - fz * width, z + fx * width);
    float pitch = demoAtan2(ahead - behind, 2.0f * reach) * 180.0f / PI;
    float roll = demoAtan2(left - right, 2.0f * width) * 180.0f / PI;
    float y = (ahead + behind + left + right) * 0.25f + tankBottom;
    /* Suspension: follow the ground smoothly, never sink into it. */
    if (tankPosition[1] == 0.0f)
        tankPosition[1] = y;
    tankPosition[1] += (y - tankPosition[1]) * 0.3f;
    tankPitch += (pitch - tankPitch) * 0.2f;
    tankRoll += (roll - tankRoll) * 0.2f;
    tankPosition[0] = x;
    tankPosition[2] = z;

    /* The tank faces +z after its set-up turn; a heading h turns it to
     * (-sin h, 0, cos h). */
    float heading = demoAtan2(-fx, fz) * 180.0f / PI;
    poseSet(&tankPose, tankPitch, heading, tankRoll);
    obxObjectMove(tank, tankPosition[0], tankPosition[1], tankPosition[2]);
}

/* ---- The ball the tank bumps ------------------------------------------------------- */

static Object* ball;
static float ballPosition[3], ballVelocity[3];
static int ballResting;  /* frames lying still */
static int ballCooldown; /* frames before another bump counts */
static const float ballRadius = 24.0f;
static int collisions;
static int bumpShown; /* frames the "BUMP!" read-out still shows */
static ParticleEmitter* sparks;

/* The index of a point of the unit sphere among the first `count` vertices
 * of the object, added when it is not there yet: neighbouring faces share
 * their corners, so the vertex normals average all round them. */
static int sphereVertex(Object* sphere, const float* p)
{
    for (int i = 0; i < sphere->vertexCount; i++) {
        const Vector* v = &sphere->vertices[i];
        if (fabsf(v->x - p[0]) < 1e-4f && fabsf(v->y - p[1]) < 1e-4f && fabsf(v->z - p[2]) < 1e-4f)
            return i;
    }
    obxObjectAddVertex(sphere, p[0], p[1], p[2]);
    return sphere->vertexCount - 1;
}

/* A sphere of twenty triangles each cut into 4^depth, built vertex by vertex
 * and polygon by polygon. */
static Object* sphereBuild(int depth, TextureRecord* texture)
{
    static const float t = 1.6180340f;
    static const float v[12][3] = {{-1, t, 0}, {1, t, 0}, {-1, -t, 0}, {1, -t, 0},
                                   {0, -1, t}, {0, 1, t}, {0, -1, -t}, {0, 1, -t},
                                   {t, 0, -1}, {t, 0, 1}, {-t, 0, -1}, {-t, 0, 1}};
    static const int faces[20][3] = {{0, 11, 5}, {0, 5, 1},  {0, 1, 7},   {0, 7, 10}, {0, 10, 11},
                                     {1, 5, 9},  {5, 11, 4}, {11, 10, 2}, {10, 7, 6}, {7, 1, 8},
                                     {3, 9, 4},  {3, 4, 2},  {3, 2, 6},   {3, 6, 8},  {3, 8, 9},
                                     {4, 9, 5},  {2, 4, 11}, {6, 2, 10},  {8, 6, 7},  {9, 8, 1}};
    enum { MAX_SUB = 8 };
    int sub = 1 << depth;
    if (sub > MAX_SUB)
        return NULL;
    Object* sphere = obxObjectInitDefaultState();
    if (!sphere)
        return NULL;
    for (int f = 0; f < 20; f++) {
        const float* a = v[faces[f][0]];
        const float* b = v[faces[f][1]];
        const float* c = v[faces[f][2]];
        /* Point (i, j) of the face: i steps toward b, j toward c. */
        int at[MAX_SUB + 1][MAX_SUB + 1];
        for (int i = 0; i <= sub; i++) {
            for (int j = 0; j <= sub - i; j++) {
                float u = (float)i / (float)sub, w = (float)j / (float)sub;
                float p[3], len = 0.0f;
                for (int k = 0; k < 3; k++) {
                    p[k] = a[k] + (b[k] - a[k]) * u + (c[k] - a[k]) * w;
                    len += p[k] * p[k];
                }
                len = sqrtf(len);
                for (int k = 0; k < 3; k++)
                    p[k] /= len;
                at[i][j] = sphereVertex(sphere, p);
            }
        }
        for (int i = 0; i < sub; i++) {
            for (int j = 0; j < sub - i; j++) {
                obxObjectAddPolygon(sphere, at[i][j], at[i][j + 1], at[i + 1][j], 0, texture, 0, 0,
                                    1, 0, 0, 1);
                if (j < sub - i - 1)
                    obxObjectAddPolygon(sphere, at[i + 1][j], at[i][j + 1], at[i + 1][j + 1], 0,
                                        texture, 0, 1, 1, 0, 1, 1);
            }
        }
    }
    return sphere;
}

/* Drops the ball from the sky onto the loop, a little ahead of the tank. */
static void ballDrop(float ahead)
{
    float x, z;
    tankPath(tankPathAt + ahead, &x, &z);
    ballPosition[0] = x;
    ballPosition[1] = groundHeight(x, z) + 420.0f;
    ballPosition[2] = z;
    ballVelocity[0] = ballVelocity[1] = ballVelocity[2] = 0.0f;
    ballResting = 0;
}

static void ballAdvance(void)
{
    float* p = ballPosition;
    float* v = ballVelocity;
    v[1] -= 0.32f; /* gravity */
    for (int k = 0; k < 3; k++)
        p[k] += v[k];
    float ground = groundHeight(p[0], p[2]);
    obxObjectMove(ball, p[0], p[1], p[2]);
    /* On the ground (the engine's test, or below it between two samples):
     * bounce, then roll down the slope with some friction. */
    if (obxObjectDetectCollisionLandscape(ball, land) || p[1] - ballRadius < ground) {
        if (p[1] - ballRadius < ground)
            p[1] = ground + ballRadius;
        if (v[1] < -2.0f)
            v[1] = -v[1] * 0.4f;
        else if (v[1] < 0.0f)
            v[1] = 0.0f;
        const float d = 8.0f;
        float slopeX = (groundHeight(p[0] + d, p[2]) - groundHeight(p[0] - d, p[2])) / (2 * d);
        float slopeZ = (groundHeight(p[0], p[2] + d) - groundHeight(p[0], p[2] - d)) / (2 * d);
        v[0] = (v[0] - slopeX * 0.12f) * 0.96f;
        v[2] = (v[2] - slopeZ * 0.12f) * 0.96f;
        /* Grass holds a slow ball on a gentle slope. */
        if (fabsf(v[0]) + fabsf(v[2]) < 0.35f && fabsf(slopeX) + fabsf(slopeZ) < 0.5f)
            v[0] = v[2] = 0.0f;
    }
    obxObjectMove(ball, p[0], p[1], p[2]);

    if (ballCooldown > 0)
        ballCooldown--;
    if (ballCooldown == 0 && obxObjectDetectCollision(tank, ball)) {
        /* Knocked ahead and aside, with a shower of sparks at the contact. */
        float dx = p[0] - tankPosition[0], dz = p[2] - tankPosition[2];
        float len = sqrtf(dx * dx + dz * dz) + 0.001f;
        v[0] = tankForward[0] * 5.0f + dx / len * 3.0f;
        v[1] = 4.5f;
        v[2] = tankForward[2] * 5.0f + dz / len * 3.0f;
        const float up[3] = {0.0f, 1.8f, 0.0f};
        obxEmitterChangeProperties(sparks, (p[0] + tankPosition[0]) * 0.5f, p[1],
                                   (p[2] + tankPosition[2]) * 0.5f, up);
        obxEmitterAddParticles(sparks, 140);
        collisions++;
        bumpShown = 90;
        ballCooldown = 30;
        ballResting = 0;
    }

    float speed = fabsf(v[0]) + fabsf(v[1]) + fabsf(v[2]);
    ballResting = speed < 0.4f ? ballResting + 1 : 0;
    int lost = fabsf(p[0]) > landSize * 0.4f || fabsf(p[2]) > landSize * 0.4f;
    if (ballResting > 240 || lost)
        ballDrop(1.1f);
}

/* ---- Lights, the lamp and the emitters ---------------------------------------------- */

static LightSource* sun;
static DynamicLight* lamp;
static DynamicLight* headlight;
static ParticleEmitter* lampGlow;
static ParticleEmitter* fountain;
static ParticleEmitter* fire;
static SmokeEmitter* smoke;
static SmokeEmitter* exhaust;
static float lampPosition[3];

/* Emitters are drawn over everything else (they take no depth test), so one
 * hidden behind a hill is taken out of the world until it shows again; its
 * particles wait where they are. */
typedef struct Shown {
    ParticleEmitter* particles;
    SmokeEmitter* smoke;
    int inWorld;
} Shown;
static Shown shown[6];
static int shownCount;

static void shownAdd(ParticleEmitter* particles, SmokeEmitter* smokeEmitter)
{
    Shown* s = &shown[shownCount++];
    s->particles = particles;
    s->smoke = smokeEmitter;
    s->inWorld = 1;
    if (particles)
        obxEmitterAddToWorld(particles);
    else
        obxSmokeEmitterAddToWorld(smokeEmitter);
}

static void shownUpdate(const float* eye)
{
    for (int i = 0; i < shownCount; i++) {
        Shown* s = &shown[i];
        const float* at = s->particles ? &s->particles->position.x : &s->smoke->position.x;
        float target[3] = {at[0], at[1] + 6.0f, at[2]};
        int visible = !groundHides(eye, target);
        if (visible == s->inWorld)
            continue;
        s->inWorld = visible;
        if (s->particles)
            visible ? obxEmitterAddToWorld(s->particles) : obxEmitterRemoveFromWorld(s->particles);
        else
            visible ? obxSmokeEmitterAddToWorld(s->smoke)
                    : obxSmokeEmitterRemoveFromWorld(s->smoke);
    }
}

static LensFlare* flareMake(int count, const char* const* files, const float* sizes,
                            const float* places)
{
    TextureRecord* textures[8];
    for (int i = 0; i < count; i++) {
        textures[i] = obxTextureLoad(files[i], 0);
        if (!textures[i]) {
            fprintf(stderr, "obx-demo: cannot load %s\n", files[i]);
            return NULL;
        }
    }
    return obxLensflareCreate(count, textures, sizes, places);
}

static void lampAdvance(int frame)
{
    /* A figure of eight round the fountain, crossing the road. */
    float t = (float)frame * 0.011f;
    float x = fountainAt[0] + 230.0f * demoSin(t);
    float z = fountainAt[1] + 150.0f * demoSin(2.0f * t);
    lampPosition[0] = x;
    lampPosition[1] = groundHeight(x, z) + 34.0f + 8.0f * demoSin(t * 7.0f);
    lampPosition[2] = z;
    obxDynLightsourceChangeXYZ(lamp, x, lampPosition[1], z);
    const float still[3] = {0.0f, 0.0f, 0.0f};
    obxEmitterChangeProperties(lampGlow, x, lampPosition[1], z, still);
    obxEmitterAddParticles(lampGlow, 2);

    /* Far enough ahead to light the road, not the tank. */
    float hx = tankPosition[0] + tankForward[0] * 230.0f;
    float hz = tankPosition[2] + tankForward[2] * 230.0f;
    obxDynLightsourceChangeXYZ(headlight, hx, groundHeight(hx, hz) + 20.0f, hz);
}

/* ---- Camera paths ---------------------------------------------------------------------- */

static Camera* camera;
static int cameraPath = 1;
static int cameraChosen;    /* a key chose the path: no tour */
static int cameraPathFrame; /* frames on the current path */
static float cameraPosition[3];
static int flyLeg;
static float tripodPathAt; /* where on the loop the tripod stands by */
static float tripodAt[2];
static float tripodHeight;
static const int tourFrames = 480;

static const char* const pathNames[DEMO_CAMERA_PATHS] = {"CHASE", "ORBIT", "FLYOVER", "TRIPOD",
                                                         "SUNWARD"};

const char* demoCameraPathName(int path)
{
    return path >= 1 && path <= DEMO_CAMERA_PATHS ? pathNames[path - 1] : "";
}

/* Eases the camera toward `want`, never below the ground, and aims it. */
static void cameraFollow(const float* want, float ease, const float* aim)
{
    for (int k = 0; k < 3; k++)
        cameraPosition[k] += (want[k] - cameraPosition[k]) * ease;
    float floor = groundHeight(cameraPosition[0], cameraPosition[2]) + 18.0f;
    if (cameraPosition[1] < floor)
        cameraPosition[1] = floor;
    obxCameraMove(cameraPosition[0], cameraPosition[1], cameraPosition[2]);
    obxCameraEnableSyncToPoint(aim[0], aim[1], aim[2]);
}

/* The flyover: a loop of six straight legs and six 60-degree turns round
 * the middle of the map, flown in stepwise moves; each leg is planned when
 * the last one ends, its climb keeping the camera over the hills. */
static void flyoverStart(void)
{
    obxCameraDisableSyncToPoint();
    cameraPosition[0] = -700.0f;
    cameraPosition[2] = -1500.0f;
    cameraPosition[1] = groundHeight(cameraPosition[0], cameraPosition[2]) + 300.0f;
    obxCameraMove(cameraPosition[0], cameraPosition[1], cameraPosition[2]);
    obxCameraRotate(14.0f, 90.0f, 0.0f);
    flyLeg = 0;
}

static void flyoverAdvance(void)
{
    if (camera->stepsLeft > 0)
        return;
    const float speed = 9.0f;
    int turning = flyLeg % 2 == 1;
    int steps = turning ? 60 : 100;
    float turn = turning ? -60.0f : 0.0f;
    /* Heading halfway through the leg: the move is one straight line. */
    float heading = (camera->rotation[1] + turn * 0.5f) * PI / 180.0f;
    float move[3] = {demoSin(heading) * speed * (float)steps, 0.0f,
                     demoCos(heading) * speed * (float)steps};
    float x = camera->position[0] + move[0], z = camera->position[2] + move[2];
    float over = groundHeight(x, z);
    float middle =
        groundHeight(camera->position[0] + move[0] * 0.5f, camera->position[2] + move[2] * 0.5f);
    if (middle > over)
        over = middle;
    move[1] = over + 280.0f - camera->position[1];
    obxCameraMoveIncremental(steps, move, 0.0f, turn, 0.0f);
    flyLeg++;
}

static int fogOn;
static int fogChosen; /* a key chose fog or none: the tour leaves it */
static void fogSet(int on);

/* A place beside the loop a little ahead of the tank, outside it or
 * inside, low or higher up: the first from which the ground hides no part
 * of the stretch the tank will drive until the next place. */
static void tripodPlace(void)
{
    static const float aheads[3] = {0.35f, 0.25f, 0.5f};
    static const float sides[2] = {150.0f, -150.0f}; /* outward is to the left */
    static const float heights[3] = {30.0f, 80.0f, 160.0f};
    for (int a = 0; a < 3; a++) {
        for (int h = 0; h < 3; h++) {
            for (int side = 0; side < 2; side++) {
                float at = tankPathAt + aheads[a];
                float x0, z0, x1, z1;
                tankPath(at, &x0, &z0);
                tankPath(at + 0.001f, &x1, &z1);
                float dx = x1 - x0, dz = z1 - z0, length = sqrtf(dx * dx + dz * dz);
                float x = x0 - dz / length * sides[side], z = z0 + dx / length * sides[side];
                float eye[3] = {x, groundHeight(x, z) + heights[h], z};
                /* The whole stretch from the tank to past the tripod in sight. */
                int seen = 1;
                for (int i = 0; i <= 8 && seen; i++) {
                    float along[3];
                    tankPath(tankPathAt + (aheads[a] + 0.25f) * (float)i / 8.0f, &along[0],
                             &along[2]);
                    along[1] = groundHeight(along[0], along[2]) + 22.0f;
                    seen = !groundHides(eye, along);
                }
                int last = a == 2 && h == 2 && side == 1;
                if (seen || last) {
                    tripodPathAt = at > 2.0f * PI ? at - 2.0f * PI : at;
                    tripodAt[0] = x;
                    tripodAt[1] = z;
                    tripodHeight = heights[h];
                    cameraPosition[0] = eye[0];
                    cameraPosition[1] = eye[1];
                    cameraPosition[2] = eye[2];
                    return;
                }
            }
        }
    }
}

static void cameraPathBegin(int path)
{
    /* The tour flies over the hills in fog, and shows the clear sky elsewhere. */
    if (!fogChosen)
        fogSet(path == 3);
    cameraPath = path;
    cameraPathFrame = 0;
    const float none[3] = {0.0f, 0.0f, 0.0f};
    obxCameraMoveIncremental(0, none, 0.0f, 0.0f, 0.0f);
    obxCameraRotate(0.0f, 0.0f, 0.0f);
    if (path == 3) {
        flyoverStart();
        return;
    }
    /* Start where the path would have eased to. */
    cameraPosition[0] = tankPosition[0] - tankForward[0] * 300.0f;
    cameraPosition[1] = tankPosition[1] + 140.0f;
    cameraPosition[2] = tankPosition[2] - tankForward[2] * 300.0f;
    if (path == 4)
        tripodPlace();
}

static void cameraAdvance(void)
{
    if (!cameraChosen && cameraPathFrame >= tourFrames)
        cameraPathBegin(cameraPath % DEMO_CAMERA_PATHS + 1);
    cameraPathFrame++;
    float aim[3] = {tankPosition[0], tankPosition[1] + 18.0f, tankPosition[2]};
    float want[3];
    switch (cameraPath) {
    case 1: /* chase: behind and above the tank */
        want[0] = tankPosition[0] - tankForward[0] * 150.0f;
        want[1] = tankPosition[1] + 55.0f;
        want[2] = tankPosition[2] - tankForward[2] * 150.0f;
        cameraFollow(want, 0.06f, aim);
        break;
    case 2: { /* orbit: circling the tank */
        float a = (float)cameraPathFrame * 0.006f;
        want[0] = tankPosition[0] + 230.0f * demoSin(a);
        want[1] = tankPosition[1] + 80.0f;
        want[2] = tankPosition[2] - 230.0f * demoCos(a);
        cameraFollow(want, 0.15f, aim);
        break;
    }
    case 3: flyoverAdvance(); break;
    case 4: /* tripod: beside the loop, the tank driving by; then on ahead */
        if (tankPathAt > tripodPathAt + 0.25f || (tankPathAt < 1.0f && tripodPathAt > 5.0f &&
                                                  tankPathAt + 2.0f * PI > tripodPathAt + 0.25f))
            tripodPlace();
        want[0] = tripodAt[0];
        want[2] = tripodAt[1];
        want[1] = groundHeight(tripodAt[0], tripodAt[1]) + tripodHeight;
        cameraFollow(want, 1.0f, aim);
        break;
    default: { /* sunward: the tank against the low sun */
        float h = sqrtf(sunDirection[0] * sunDirection[0] + sunDirection[2] * sunDirection[2]);
        want[0] = tankPosition[0] - sunDirection[0] / h * 330.0f;
        want[1] = tankPosition[1] + 40.0f;
        want[2] = tankPosition[2] - sunDirection[2] / h * 330.0f;
        aim[1] = tankPosition[1] + 70.0f;
        cameraFollow(want, 0.05f, aim);
        break;
    }
    }
}

void demoCameraPathSet(int path)
{
    if (path < 1 || path > DEMO_CAMERA_PATHS)
        return;
    cameraChosen = 1;
    cameraPathBegin(path);
}

int demoCameraPath(void)
{
    return cameraPath;
}

/* ---- Fog ---------------------------------------------------------------------------------- */

/* The fog table is made for the far distance of the moment: made for a
 * farther one, the haze thickens slowly and the sky keeps some colour. */
static void fogSet(int on)
{
    fogOn = on;
    if (!on) {
        obxFogSetMode(0);
        return;
    }
    obxFarClippingPlaneSet(farPlane * 1.15f);
    obxFogSetMode(1);
    obxFarClippingPlaneSet(farPlane);
}

void demoFogSet(int on)
{
    fogChosen = 1;
    fogSet(on);
}

int demoFogOn(void)
{
    return fogOn;
}

/* ---- Read-outs ------------------------------------------------------------------------------ */

static CharacterSet* font;
static Bitmap* logo;
static Bitmap* panel;
static int paused;
static int frame;

void demoPausedSet(int on)
{
    paused = on;
}

int demoFrame(void)
{
    return frame;
}

int demoCollisions(void)
{
    return collisions;
}

static void overlayDraw(float framesPerSecond)
{
    char text[64];
    obxSetRenderState(0);
    obxBitmapDrawXY(logo, 8.0f, 6.0f, 224.0f, 56.0f);

    /* Frame rate, top right, on a translucent panel. */
    obxBitmapDrawXY(panel, 470.0f, 8.0f, 162.0f, 58.0f);
    obxCharactersetSetSpecialDrawingMode(font, 0, 255.0f, 1, NULL, 14.0f, 18.0f, 22.0f);
    if (framesPerSecond > 0.0f)
        snprintf(text, sizeof text, "%5.1f FPS", (double)framesPerSecond);
    else
        snprintf(text, sizeof text, "  --- FPS");
    obxStringDrawXY(text, 480.0f, 12.0f);
    obxStrSetGridDimensions(53, 40);
    obxStrSetColor(170.0f, 200.0f, 255.0f);
    snprintf(text, sizeof text, "FRAME %6d", frame);
    obxStrDrawGrid(40, 3, text);
    snprintf(text, sizeof text, "BUMPS %6d", collisions);
    obxStrDrawGrid(40, 4, text);

    /* Camera, fog and keys along the bottom. */
    obxBitmapDrawXY(panel, -2.0f, 451.0f, 644.0f, 31.0f);
    obxStrSetColor(255.0f, 214.0f, 120.0f);
    snprintf(text, sizeof text, "CAMERA %d %s%s", cameraPath, demoCameraPathName(cameraPath),
             cameraChosen ? "" : " - TOUR");
    obxStrDrawGrid(1, 38, text);
    snprintf(text, sizeof text, "FOG %s", fogOn ? "ON " : "OFF");
    obxStrDrawGrid(45, 38, text);
    obxStrSetColor(220.0f, 228.0f, 240.0f);
    obxStrDrawGrid(1, 39, "1-5 CAMERA   F FOG   SPACE PAUSE   ESC QUIT");

    if (bumpShown > 0) {
        obxCharactersetSetSpecialDrawingMode(font, 1, (float)(bumpShown > 45 ? 255 : bumpShown * 5),
                                             1, NULL, 30.0f, 36.0f, 44.0f);
        obxStringDrawXY("BUMP!", 320.0f - 75.0f, 96.0f);
    }
    if (paused) {
        obxCharactersetSetSpecialDrawingMode(font, 0, 255.0f, 1, NULL, 30.0f, 36.0f, 44.0f);
        obxStringDrawXY("PAUSED", 320.0f - 90.0f, 200.0f);
    }
    obxStrDefaultProperties();
    obxSetRenderState(1);
}

/* ---- The scene -------------------------------------------------------------------------------- */

static TextureRecord* textureNeed(const char* name, char secondUnit)
{
    TextureRecord* texture = obxTextureLoad(name, secondUnit);
    if (!texture)
        fprintf(stderr, "obx-demo: cannot load %s\n", name);
    return texture;
}

int demoSceneBuild(void)
{
    shownCount = 0;
    obxFarClippingPlaneSet(farPlane);
    obxBackgroundSetColor(fogColour);
    obxFogSetColor(fogColour);
    obxAmbientlightLight(0.16f, 0.16f, 0.19f);

    /* Landscape and sky. */
    TextureRecord* grass = textureNeed("grass.3df", 0);
    TextureRecord* sky[6];
    const char* const skyFiles[6] = {"sky_front.3df", "sky_left.3df", "sky_back.3df",
                                     "sky_right.3df", "sky_top.3df",  "sky_bottom.3df"};
    for (int i = 0; i < 6; i++)
        sky[i] = textureNeed(skyFiles[i], 0);
    if (!grass || !sky[0] || !sky[1] || !sky[2] || !sky[3] || !sky[4] || !sky[5])
        return 0;
    /* A light direction longer than 1 steepens the light's fall-off over
     * the hills. */
    const float landLight[3] = {sunDirection[0] * 1.8f, sunDirection[1] * 1.8f,
                                sunDirection[2] * 1.8f};
    land = obxLandscapeLoadFromFile("terrain256.3df", 0, grass, landSize, landSize, landHeight,
                                    landLight, 0.72f);
    if (!land) {
        fprintf(stderr, "obx-demo: cannot load the landscape terrain256.3df\n");
        return 0;
    }
    obxLandscapeAddToWorld(land);
    obxSkyboxAdd(skyHalfSide, sky[0], sky[1], sky[2], sky[3], sky[4], sky[5]);

    /* The tank: in the file z is up and the gun points along y; turned once
     * so that y is up and the gun points along +z. */
    tank = obxObjectLoad("tank.3ds", 0, tankRadius, 1);
    if (!tank) {
        fprintf(stderr, "obx-demo: cannot load tank.3ds\n");
        return 0;
    }
    obxObjectRotate(tank, 90.0f, 0.0f, 0.0f);
    obxObjectRotate(tank, 0.0f, 180.0f, 0.0f);
    tankBottom = objectBottom(tank) - 1.0f;
    if (!poseKeep(&tankPose, tank))
        return 0;
    obxObjectAdd(tank);

    /* The chrome ball: built by hand, mirroring the sky. */
    TextureRecord* white = textureNeed("white.3df", 0);
    TextureRecord* envmap = textureNeed("envmap.3df", 0);
    if (!white || !envmap)
        return 0;
    ball = sphereBuild(2, white);
    if (!ball)
        return 0;
    obxObjectPerformPrecalculations(ball, ballRadius);
    obxObjectSetShadingType(ball, 1);
    obxObjectMakeEnviromentMapped(ball, envmap, 200.0f);
    obxObjectAdd(ball);

    /* The sun, with its flare, and a red beacon on a hill. */
    /* The sky already glows round its sun: the flare adds the rays and the
     * string of reflections through the middle of the screen. */
    static const char* const sunFlareFiles[7] = {"flare1.3df", "flare2.3df", "flare3.3df",
                                                 "flare4.3df", "flare3.3df", "flare2.3df",
                                                 "flare4.3df"};
    static const float sunFlareSizes[7] = {34.0f, 30.0f, 12.0f, 26.0f, 18.0f, 46.0f, 16.0f};
    static const float sunFlarePlaces[7] = {1.0f, 0.62f, 0.38f, -0.25f, -0.5f, -0.9f, -1.3f};
    LensFlare* sunFlare = flareMake(7, sunFlareFiles, sunFlareSizes, sunFlarePlaces);
    static const char* const beaconFlareFiles[3] = {"flare5.3df", "flare1.3df", "flare2.3df"};
    static const float beaconFlareSizes[3] = {44.0f, 18.0f, 12.0f};
    static const float beaconFlarePlaces[3] = {1.0f, 1.0f, 0.8f};
    LensFlare* beaconFlare = flareMake(3, beaconFlareFiles, beaconFlareSizes, beaconFlarePlaces);
    if (!sunFlare || !beaconFlare)
        return 0;
    const uint32_t extra[3] = {0, 0, 0};
    sun = obxLightsourceAdd(1.0f, 0.94f, 0.82f, sunDirection[0] * sunDistance,
                            sunDirection[1] * sunDistance, sunDirection[2] * sunDistance, 0.0f,
                            sunFlare, extra);
    obxLightsourceAdd(1.0f, 0.3f, 0.2f, beaconAt[0], groundHeight(beaconAt[0], beaconAt[1]) + 90.0f,
                      beaconAt[1], 0.0006f, beaconFlare, extra);

    /* Particles and smoke. */
    TextureRecord* glow = textureNeed("particle.3df", 0);
    TextureRecord* puff = textureNeed("smoke.3df", 0);
    if (!glow || !puff)
        return 0;
    {
        const float start[3] = {1.0f, 0.92f, 0.55f}, end[3] = {0.55f, 0.08f, 0.02f};
        const float up[3] = {0.0f, 7.5f, 0.0f};
        fountain = obxEmitterCreate(fountainAt[0], groundHeight(fountainAt[0], fountainAt[1]),
                                    fountainAt[1], 1400, start, end, glow, up, 0.95f, 4.0f, 0.9f);
    }
    {
        const float start[3] = {1.0f, 0.65f, 0.2f}, end[3] = {0.35f, 0.04f, 0.0f};
        const float up[3] = {0.0f, 1.2f, 0.0f};
        fire = obxEmitterCreate(smokeAt[0], groundHeight(smokeAt[0], smokeAt[1]) + 4.0f, smokeAt[1],
                                400, start, end, glow, up, 0.97f, 7.0f, 0.45f);
    }
    {
        const float start[3] = {1.0f, 0.9f, 0.6f}, end[3] = {0.3f, 0.08f, 0.0f};
        const float still[3] = {0.0f, 0.0f, 0.0f};
        lampGlow = obxEmitterCreate(0, 0, 0, 200, start, end, glow, still, 1.0f, 6.0f, 0.15f);
    }
    {
        const float start[3] = {1.0f, 1.0f, 0.85f}, end[3] = {0.7f, 0.2f, 0.0f};
        const float up[3] = {0.0f, 1.8f, 0.0f};
        sparks = obxEmitterCreate(0, 0, 0, 300, start, end, glow, up, 0.9f, 2.5f, 1.6f);
    }
    const float still[3] = {0.0f, 0.0f, 0.0f};
    /* One puff a frame, drifting wider as it rises: more would pile up into
     * a white pillar, as puffs add their light. */
    smoke = obxSmokeEmitterCreate(smokeAt[0], groundHeight(smokeAt[0], smokeAt[1]) + 8.0f,
                                  smokeAt[1], 240, puff, 10.0f, still, 0.99f, 28.0f, 1.1f, 220, 1);
    exhaust = obxSmokeEmitterCreate(0, 0, 0, 60, puff, 2.0f, still, 0.9f, 6.0f, 0.5f, 50, 1);
    if (!fountain || !fire || !lampGlow || !sparks || !smoke || !exhaust)
        return 0;
    shownAdd(fountain, NULL);
    shownAdd(fire, NULL);
    shownAdd(lampGlow, NULL);
    shownAdd(sparks, NULL);
    shownAdd(NULL, smoke);
    shownAdd(NULL, exhaust);

    /* The lamp whose light slides over the ground, and the tank's headlight. */
    lamp = obxDynLightsourceAdd(300.0f, 0, 0, 0, 1.0f, 0.72f, 0.35f);
    headlight = obxDynLightsourceAdd(170.0f, 0, 0, 0, 0.85f, 0.9f, 1.0f);

    /* Read-outs. */
    const float black[3] = {0.0f, 0.0f, 0.0f};
    TextureRecord* logoTexture = textureNeed("logo.3df", 0);
    TextureRecord* panelTexture = textureNeed("panel.3df", 0);
    font = obxCharactersetLoad("font/ch", 0, 0, 255.0f, 1, black, 13.0f, 17.0f, 20.0f);
    if (!logoTexture || !panelTexture || !font)
        return 0;
    logo = obxBitmapCreate(logoTexture, 0, 255.0f, 1, black);
    panel = obxBitmapCreate(panelTexture, 1, 150.0f, 0, black);
    obxSetDefaultCharacterset(font);

    camera = obxCameraCreate(0, 0, 0, 0, 0, 0);
    if (!camera || !logo || !panel)
        return 0;
    obxCameraSetActive(camera);

    /* The tank starts on its loop, the ball lies a little ahead of it. */
    tankPathAt = 0.0f;
    tankAdvance();
    ballDrop(0.35f);
    ballPosition[1] = groundHeight(ballPosition[0], ballPosition[2]) + ballRadius;
    lampAdvance(0);
    cameraPathBegin(1);
    frame = 0;
    obxStartFrameCount();
    return 1;
}

void demoSceneAdvance(void)
{
    frame++;
    tankAdvance();
    ballAdvance();
    if (bumpShown > 0)
        bumpShown--;
    lampAdvance(frame);
    obxEmitterAddParticles(fountain, 16);
    obxEmitterAddParticles(fire, 6);
    float rx = tankPosition[0] - tankForward[0] * 30.0f,
          rz = tankPosition[2] - tankForward[2] * 30.0f;
    const float still[3] = {0.0f, 0.0f, 0.0f};
    obxSmokeEmitterChangeProperties(exhaust, rx, tankPosition[1] + 6.0f, rz, still);
    cameraAdvance();
    /* The sun stays with the camera, as far off as the sky's painted sun. */
    obxLightsourceMove(sun, camera->position[0] + sunDirection[0] * sunDistance,
                       camera->position[1] + sunDirection[1] * sunDistance,
                       camera->position[2] + sunDirection[2] * sunDistance);
    shownUpdate(camera->position);
}

void demoSceneRender(float framesPerSecond)
{
    obxWorldRender(0);
    overlayDraw(framesPerSecond);
    obxWorldDisplay();
}
