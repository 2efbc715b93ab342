/* libFuzzer target for obx-view's scan of 3D Studio files: any bytes are
 * walked without reading outside them, and what the scan keeps stays within
 * its records. */
#include <stdint.h>
#include <string.h>

#include "scan3ds.h"

int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Scan3ds scan;
    scan3ds(data, size, &scan);
    if (scan.meshNameCount < 0 || scan.meshNameCount > SCAN_NAMES || scan.mapCount < 0 ||
        scan.mapCount > SCAN_MAPS || scan.meshNameCount > scan.meshes)
        __builtin_trap();
    for (int i = 0; i < scan.mapCount; i++) {
        size_t n = strnlen(scan.maps[i], SCAN_NAME_BYTES);
        if (n == SCAN_NAME_BYTES || n < 4 || memcmp(scan.maps[i] + n - 4, ".3df", 4) != 0)
            __builtin_trap();
    }
    for (int i = 0; i < scan.meshNameCount; i++)
        if (strnlen(scan.meshNames[i], SCAN_NAME_BYTES) == SCAN_NAME_BYTES)
            __builtin_trap();
    return 0;
}
