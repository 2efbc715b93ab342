// The whole demo scene for many frames: once every pool, texture and light
// map has been used, neither the engine's count of allocated bytes nor the
// process's resident memory grows any more.
#include <stdio.h>
#include <unistd.h>

#include "demo_scene.h"
#include "demo_files.h"
#include "obx_test.h"

namespace {

// Resident memory of this process in bytes.
long residentBytes(void)
{
    long pages = 0, resident = 0;
    FILE* statm = fopen("/proc/self/statm", "r");
    if (!statm)
        return -1;
    if (fscanf(statm, "%ld %ld", &pages, &resident) != 2)
        resident = -1;
    fclose(statm);
    return resident * sysconf(_SC_PAGESIZE);
}

}  // namespace

TEST(Soak, TheDemoSceneStopsTakingMemoryAfterItsFirstTour)
{
    ASSERT_EQ(engineStart(0, demoDataFiles()), 1) << fileRead("Ombrix.log");
    ASSERT_EQ(demoSceneBuild(), 1);
    // A small drawing area: the same scene, the same passes, less filling.
    obxRenderWindowSet(0, 0, SOAK_WIDTH, SOAK_HEIGHT);

    // The first tour shows every camera path, with and without fog, and
    // sends every texture and light map it needs.
    for (int f = 0; f < SOAK_WARMUP; f++) {
        demoSceneAdvance();
        demoSceneRender(60.0f);
    }
    const uint32_t bytes = obxNumBytesAllocated();
    const long resident = residentBytes();
    ASSERT_GT(resident, 0);
    long highest = resident;
    for (int f = SOAK_WARMUP; f < SOAK_FRAMES; f++) {
        demoSceneAdvance();
        demoSceneRender(60.0f);
        if (f % 500 == 0) {
            ASSERT_EQ(obxNumBytesAllocated(), bytes) << "frame " << f;
            long now = residentBytes();
            highest = now > highest ? now : highest;
        }
    }
    EXPECT_EQ(obxNumBytesAllocated(), bytes);
    // Pages the allocator or the C library touch late may add a little. (The
    // address sanitizer holds freed blocks back for a while, so its resident
    // memory says nothing.)
    if (SOAK_CHECK_RESIDENT) {
        EXPECT_LT(highest - resident, 512 * 1024) << resident << " bytes after the first tour";
    }
    EXPECT_GT(demoCollisions(), 0);
    EXPECT_EQ(demoFrame(), SOAK_FRAMES);
    engineStop();
}
