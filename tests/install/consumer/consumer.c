/* Built outside the tree against an installed Ombrix: finds the data files,
 * draws the tank for a few frames and saves the last one.
 * Usage: consumer OUT.png */
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "ombrix.h"
#include "ombrix_util.h"

int main(int argc, char** argv)
{
    if (argc == 2 && strcmp(argv[1], "--help") == 0) {
        printf("usage: consumer OUT.png\nDraws the tank and saves the frame.\n");
        return 0;
    }
    if (argc != 2 || argv[1][0] == '-') {
        fprintf(stderr, "usage: consumer OUT.png\n");
        return 2;
    }
    char shot[PATH_MAX];
    if (!realpath(".", shot) || snprintf(shot + 0, sizeof shot, "%s", argv[1]) < 0)
        return 1;
    if (argv[1][0] != '/') {
        char here[PATH_MAX];
        if (!realpath(".", here))
            return 1;
        snprintf(shot, sizeof shot, "%s/%s", here, argv[1]);
    }
    int major = -1, minor = -1;
    obxGetVersion(&major, &minor);
    if (major != OMBRIX_VERSION_MAJOR || minor != OMBRIX_VERSION_MINOR) {
        fprintf(stderr, "consumer: the header says %s, the library %d.%d\n", OMBRIX_VERSION_STRING,
                major, minor);
        return 1;
    }
    if (!ombrixDataDirEnter("consumer") || !obxInitialize(NULL, OBX_RESOLUTION_640X480))
        return 1;
    Object* tank = obxObjectLoad("tank.3ds", 0, 100.0f, 1);
    if (!tank)
        return 1;
    obxObjectRotate(tank, 90.0f, 0.0f, 0.0f);
    obxObjectMove(tank, 0.0f, -30.0f, 250.0f);
    obxObjectAdd(tank);
    const uint32_t extra[3] = {0, 0, 0};
    obxLightsourceAdd(1.0f, 1.0f, 0.9f, -500.0f, 800.0f, -300.0f, 0.0f, NULL, extra);
    for (int frame = 0; frame < 10; frame++) {
        obxObjectRotate(tank, 0.0f, 2.0f, 0.0f);
        obxBackgroundClear();
        obxWorldRender(OBX_RENDER_AND_DISPLAY);
    }
    int saved = ombrixFrameSave(shot);
    printf("consumer: Ombrix %d.%d, %u polygons drawn, frame %s\n", major, minor,
           obxPerformanceGet()->polygonsDrawn, saved ? "saved" : "not saved");
    obxShutdown();
    return saved ? 0 : 1;
}
