// obx-gen-tank OUT.3ds: writes the test program's tank.
#include "tank.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
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
