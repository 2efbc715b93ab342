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

}   // namespace

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
    // Resident memory rises and falls a little from then on (the device's
    // decoded textures come and go as light maps change, and the allocator
    // hands pages back and takes them again), so the highest level of the
    // first half is compared with the highest of the second: memory that
    // grows frame by frame shows as a higher peak later on.
    const int middle = SOAK_WARMUP + (SOAK_FRAMES - SOAK_WARMUP) / 2;
    long firstPeak = residentBytes(), secondPeak = 0;
    ASSERT_GT(firstPeak, 0);
    for (int f = SOAK_WARMUP; f < SOAK_FRAMES; f++) {
        demoSceneAdvance();
        demoSceneRender(60.0f);
        if (f % 250 == 0) {
            ASSERT_EQ(obxNumBytesAllocated(), bytes) << "frame " << f;
            long now = residentBytes();
            long& peak = f < middle ? firstPeak : secondPeak;
            peak = now > peak ? now : peak;
        }
    }
    EXPECT_EQ(obxNumBytesAllocated(), bytes);
    // (The address sanitizer holds freed blocks back for a while, so its
    // resident memory says nothing.)
    if (SOAK_CHECK_RESIDENT) {
        EXPECT_LT(secondPeak - firstPeak, 512 * 1024)
            << firstPeak << " bytes at most in the first half";
    }
    EXPECT_GT(demoCollisions(), 0);
    EXPECT_EQ(demoFrame(), SOAK_FRAMES);
    engineStop();
}
