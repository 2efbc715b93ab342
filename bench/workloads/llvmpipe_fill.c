/*
 * The fill workloads through OpenGL 1.x on Mesa's llvmpipe (OSMesa, an RGB565
 * colour buffer and a 16-bit depth buffer), for comparison with the device.
 * Set LP_NUM_THREADS to choose llvmpipe's rasterizer threads.
 *
 *   obx-bench-llvmpipe fill|fill4b WIDTH HEIGHT SECONDS [FRAMES]
 *
 * With FRAMES it draws exactly that many frames after the warm-up (for
 * instruction and cache counts under valgrind).
 *
 * Prints "RESULT frames/s Mpixels/s", pixels counted as the quads cover them.
 */
#include <GL/gl.h>
#include <GL/osmesa.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include "workloads.h"

static double now(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec + (double)t.tv_nsec * 1e-9;
}

static void textureLoad(void)
{
    static unsigned short texels[256 * 256];
    GLuint name;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    for (int level = 0, size = 256; size >= 1; size /= 2, level++) {
        for (int y = 0; y < size; y++)
            for (int x = 0; x < size; x++)
                texels[y * size + x] = fillTexel(x, y, size);
        glTexImage2D(GL_TEXTURE_2D, level, GL_RGB5, size, size, 0, GL_RGB, GL_UNSIGNED_SHORT_5_6_5,
                     texels);
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

/* One screen-filling quad, texture coordinates in texels / 256 and given
 * with q as the device gets them. */
static void quad(int width, int height, float offset, float alpha)
{
    const float xs[4] = {0.0f, (float)width, (float)width, 0.0f};
    const float ys[4] = {0.0f, 0.0f, (float)height, (float)height};
    glBegin(GL_TRIANGLE_FAN);
    for (int i = 0; i < 4; i++) {
        glColor4f(1.0f, 1.0f, 1.0f, alpha / 255.0f);
        glTexCoord4f((xs[i] + offset) / 256.0f * FILL_Q, (ys[i] + offset) / 256.0f * FILL_Q, 0.0f,
                     FILL_Q);
        glVertex2f(xs[i], ys[i]);
    }
    glEnd();
}

int main(int argc, char** argv)
{
    if (argc == 2 && strcmp(argv[1], "--help") == 0) {
        printf("usage: obx-bench-llvmpipe fill|fill4b WIDTH HEIGHT SECONDS [FRAMES]\n"
               "A fill workload on Mesa's llvmpipe, for obx-bench-workloads.\n");
        return 0;
    }
    if (argc < 5 || (strcmp(argv[1], "fill") != 0 && strcmp(argv[1], "fill4b") != 0)) {
        fprintf(stderr, "usage: obx-bench-llvmpipe fill|fill4b WIDTH HEIGHT SECONDS [FRAMES]\n");
        return 2;
    }
    int layered = strcmp(argv[1], "fill4b") == 0;
    int width = atoi(argv[2]), height = atoi(argv[3]);
    double seconds = atof(argv[4]);
    int frameCount = argc > 5 ? atoi(argv[5]) : 0;
    OSMesaContext context = OSMesaCreateContextExt(OSMESA_RGB_565, 16, 0, 0, NULL);
    unsigned short* buffer = malloc((size_t)width * height * 2);
    if (!context || !buffer ||
        !OSMesaMakeCurrent(context, buffer, GL_UNSIGNED_SHORT_5_6_5, width, height)) {
        fprintf(stderr, "obx-bench-llvmpipe: no OSMesa context\n");
        return 1;
    }
    textureLoad();
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glShadeModel(GL_SMOOTH);
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, width, height, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(0, 0, 0, 0);
    glClearDepth(1.0);
    if (layered)
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    int frames = 0, warm = 3;
    double start = 0.0, elapsed = 0.0;
    for (;;) {
        if (frames == warm)
            start = now();
        glDepthMask(GL_TRUE);
        glDisable(GL_BLEND);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        if (layered) {
            glEnable(GL_BLEND);
            glDepthMask(GL_FALSE);
            for (int k = 0; k < FILL4B_LAYERS; k++)
                quad(width, height, (float)k * FILL4B_OFFSET, FILL4B_ALPHA);
        } else {
            quad(width, height, 0.0f, 255.0f);
        }
        glFinish();
        frames++;
        if (frames > warm) {
            elapsed = now() - start;
            if (frameCount > 0 ? frames - warm >= frameCount : elapsed >= seconds)
                break;
        }
    }
    double counted = (double)(frames - warm);
    double pixels = counted * width * height * (layered ? FILL4B_LAYERS : 1);
    printf("RESULT %.2f %.2f\n", counted / elapsed, pixels / elapsed / 1e6);
    OSMesaDestroyContext(context);
    free(buffer);
    return 0;
}
