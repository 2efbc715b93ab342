// The log file, counted allocation and subpixel snapping.
#include <math.h>
#include <stdlib.h>
#include <sys/stat.h>

#include "obx_test.h"

namespace {

class LogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        sessionDirEnter({});
    }
    void TearDown() override
    {
        logClose();
        sessionDirLeave();
    }
};

}   // namespace

TEST_F(LogTest, HeaderThenMessagesVerbatim)
{
    logOpen();
    ASSERT_NE(core.logFile, nullptr);
    logWrite("Loading texture: ");
    logWrite("100%s %d %n.3df");   // never taken as a format
    logWrite("\n\n");
    logWrite(NULL);
    logClose();
    EXPECT_EQ(fileRead("Ombrix.log"), "Ombrix Logfile\n\nLoading texture: 100%s %d %n.3df\n\n");
    logWrite("after closing");   // no file, no effect
    EXPECT_EQ(core.logFile, nullptr);
}

TEST_F(LogTest, OpeningTruncatesAnOldLog)
{
    logOpen();
    logWrite("first run\n");
    logClose();
    logOpen();
    logClose();
    EXPECT_EQ(fileRead("Ombrix.log"), "Ombrix Logfile\n\n");
}

TEST_F(LogTest, UncreatableLogIsSilentlyAbsent)
{
    // A directory in the log's place: no user, root included, can create it.
    ASSERT_EQ(mkdir("Ombrix.log", 0700), 0);
    logOpen();
    EXPECT_EQ(core.logFile, nullptr);
    logWrite("nothing happens");
    logClose();
}

TEST(CountedAlloc, CountsRequestedBytesAndNeverSubtracts)
{
    core.bytesAllocated = 0;
    void* a = countedAlloc(100);
    void* b = countedAlloc(28);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(obxNumBytesAllocated(), 128u);
    free(a);
    EXPECT_EQ(obxNumBytesAllocated(), 128u);
    void* none = countedAlloc(0);
    EXPECT_NE(none, nullptr);
    EXPECT_EQ(obxNumBytesAllocated(), 128u);
    free(b);
    free(none);
}

TEST(CountedAlloc, FailureReturnsNullAndLeavesTheCount)
{
    core.bytesAllocated = 7;
    EXPECT_EQ(countedAlloc((size_t)-1 / 2), nullptr);
    EXPECT_EQ(obxNumBytesAllocated(), 7u);
}

TEST(Subpixel, SnapsToTheNearestSixteenth)
{
    fpuSetup();
    EXPECT_EQ(core.snapConstant, 786432.0f);
    float values[] = {10.03f, 10.04f, -3.3f, 0.0f, 639.99f, 100.03125f, 100.09375f, 1234.5678f};
    for (float v : values) {
        float snapped = v;
        snapToSubpixel(&snapped);
        EXPECT_EQ(snapped, nearbyintf(v * 16.0f) / 16.0f) << v;   // ties to even
    }
    float tie = 10.03125f;   // 160.5 sixteenths
    snapToSubpixel(&tie);
    EXPECT_EQ(tie, 10.0f);
}
