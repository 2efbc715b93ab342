/*
 * obx-demo-tour: obx-demo's scene on its tour, headless, without the
 * frame-rate read-out (the one thing in it that depends on the machine's
 * speed). At the middle of each camera path it prints a hash of the front
 * buffer; the Windows build's lines must equal the Linux build's.
 */
#include <glide.h>

#include <stdint.h>
#include <stdio.h>

#include "demo_scene.h"
#include "ombrix.h"

int main(void)
{
    if (!obxInitialize(NULL, 0)) {
        fprintf(stderr, "Couldn't initialize Ombrix!\n");
        return 1;
    }
    obxVSyncDisable();
    if (!demoSceneBuild())
        return 1;
    static uint16_t pixels[640 * 480];
    for (int frame = 1; frame <= 480 * DEMO_CAMERA_PATHS; frame++) {
        demoSceneAdvance();
        demoSceneRender(0.0f);
        if (frame % 480 != 240)
            continue;
        if (!grLfbReadRegion(GR_BUFFER_FRONTBUFFER, 0, 0, 640, 480, 640 * 2, pixels))
            return 1;
        uint64_t hash = 14695981039346656037ull; /* FNV-1a over the 5-6-5 words */
        for (size_t i = 0; i < sizeof pixels / sizeof pixels[0]; i++) {
            hash = (hash ^ (pixels[i] & 0xFF)) * 1099511628211ull;
            hash = (hash ^ (pixels[i] >> 8)) * 1099511628211ull;
        }
        printf("frame %d (%s): %016llx\n", frame, demoCameraPathName(demoCameraPath()),
               (unsigned long long)hash);
    }
    obxShutdown();
    return 0;
}
