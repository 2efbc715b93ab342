/* A landscape flyover with collision: the camera flies over a height-field
 * landscape under a sky box, keeping above the hills it is about to meet,
 * while balls dropped ahead of it fall and bounce off the ground where the
 * landscape collision test finds them touching it. */
#include <math.h>
#include <stdio.h>

#include "example.h"

enum { BALLS = 6 };
static const float landSize = 8192.0f, landHeight = 760.0f, ballRadius = 24.0f;

/* A ball of latitude and longitude bands, facing outwards. */
static Object* ballBuild(TextureRecord* white)
{
    enum { RINGS = 8, SEGMENTS = 12 };
    Object* ball = obxObjectInitDefaultState();
    if (!ball)
        return NULL;
    for (int r = 0; r <= RINGS; r++) {
        float lat = 3.14159265f * (float)r / RINGS;
        for (int s = 0; s < SEGMENTS; s++) {
            float lon = 6.2831853f * (float)s / SEGMENTS;
            obxObjectAddVertex(ball, sinf(lat) * cosf(lon), cosf(lat), sinf(lat) * sinf(lon));
        }
    }
    for (int r = 0; r < RINGS; r++) {
        for (int s = 0; s < SEGMENTS; s++) {
            int a = r * SEGMENTS + s, b = r * SEGMENTS + (s + 1) % SEGMENTS;
            int c = a + SEGMENTS, d = b + SEGMENTS;
            obxObjectAddPolygon(ball, a, b, c, OBX_ONE_SIDED, white, 0, 0, 1, 0, 0, 1);
            obxObjectAddPolygon(ball, b, d, c, OBX_ONE_SIDED, white, 1, 0, 1, 1, 0, 1);
        }
    }
    obxObjectPerformPrecalculations(ball, ballRadius);
    obxObjectSetShadingType(ball, OBX_SHADING_GOURAUD);
    return obxObjectAdd(ball);
}

/* The highest ground over the stretch ahead of (x, z) along +z. */
static float groundAhead(Landscape* land, float x, float z)
{
    float top = 0.0f;
    for (float d = 0.0f; d <= 900.0f; d += 60.0f) {
        float h = obxLandscapeGetHeightXZ(land, x, z + d);
        top = h > top ? h : top;
    }
    return top;
}

int main(int argc, char** argv)
{
    if (!exampleStart(argc, argv, "landscape-flyover",
                      "A flight over the landscape, balls bouncing off the ground.", 900))
        return 1;
    TextureRecord* sky[6];
    const char* const skyFiles[6] = {"sky_front.3df", "sky_left.3df", "sky_back.3df",
                                     "sky_right.3df", "sky_top.3df",  "sky_bottom.3df"};
    for (int i = 0; i < 6; i++)
        if (!(sky[i] = obxTextureLoad(skyFiles[i], OBX_TMU0)))
            return 1;
    obxSkyboxAdd(5500.0f, sky[0], sky[1], sky[2], sky[3], sky[4], sky[5]);

    /* Lit once at load from the low sun ahead and to the right. */
    const float sun[3] = {0.9f, 0.75f, 0.6f};
    Landscape* land =
        obxLandscapeLoadFromFile("terrain256.3df", 0, obxTextureLoad("grass.3df", OBX_TMU0),
                                 landSize, landSize, landHeight, sun, 0.8f);
    if (!land)
        return 1;
    obxLandscapeAddToWorld(land);
    const uint32_t extra[3] = {0, 0, 0};
    obxLightsourceAdd(1.0f, 0.95f, 0.85f, 20000.0f, 15000.0f, 20000.0f, 0.0f, NULL, extra);
    obxAmbientlightLight(0.25f, 0.25f, 0.3f);

    Object* balls[BALLS];
    float fall[BALLS];
    TextureRecord* white = obxTextureLoad("white.3df", OBX_TMU0);
    for (int i = 0; i < BALLS; i++)
        if (!(balls[i] = ballBuild(white)))
            return 1;

    float x = -300.0f, z = -3000.0f, y = groundAhead(land, x, z) + 160.0f;
    int bounces = 0;
    for (int i = 0; i < BALLS; i++) {
        float bz = z + 500.0f + 300.0f * (float)i, bx = x + (float)(i % 3 - 1) * 120.0f;
        obxObjectMove(balls[i], bx, obxLandscapeGetHeightXZ(land, bx, bz) + 300.0f + 40.0f * i, bz);
        fall[i] = 0.0f;
    }
    obxCameraRotate(12.0f, 0.0f, 0.0f); /* a little down */
    while (exampleFrame()) {
        z += 6.0f;
        y += (groundAhead(land, x, z) + 160.0f - y) * 0.05f; /* eases over the hills */
        obxCameraMove(x, y, z);
        for (int i = 0; i < BALLS; i++) {
            Vector* p = &balls[i]->position;
            fall[i] -= 0.35f; /* gravity, per frame */
            float ny = p->y + fall[i];
            obxObjectMove(balls[i], p->x, ny, p->z);
            if (fall[i] < 0.0f && obxObjectDetectCollisionLandscape(balls[i], land)) {
                fall[i] = -fall[i] * 0.75f; /* bounces back up, losing a quarter */
                bounces++;
            }
            if (p->z < z) /* passed: dropped again farther ahead */
                obxObjectMove(balls[i], p->x,
                              obxLandscapeGetHeightXZ(land, p->x, z + 1800.0f) + 350.0f,
                              z + 1800.0f);
        }
        obxWorldRender(OBX_RENDER_ONLY); /* sky and land cover the screen: no clear */
        obxSetRenderState(OBX_RENDERSTATE_2D);
        char text[64];
        snprintf(text, sizeof text, "Height %4.0f  bounces %d", y, bounces);
        obxStrDrawGrid(1, 28, text);
        obxSetRenderState(OBX_RENDERSTATE_3D);
        obxWorldDisplay();
    }
    printf("%d bounces\n", bounces);
    return exampleEnd();
}
