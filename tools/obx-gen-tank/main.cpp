// obx-gen-tank OUT.3ds: writes the test program's tank.
#include "tank.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc == 2 && strcmp(argv[1], "--help") == 0) {
        printf(
            "usage: obx-gen-tank OUT.3ds\nWrites the test program's tank as a 3D Studio file.\n");
        return 0;
    }
    if (argc != 2 || argv[1][0] == '-') {
        fprintf(stderr, "usage: obx-gen-tank OUT.3ds\n");
        return 2;
    }
    std::string error;
    if (!scene3dsWrite(argv[1], tankScene(), &error)) {
        fprintf(stderr, "obx-gen-tank: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
