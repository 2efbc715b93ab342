// The test support's temporary directories: removed whole, however a test
// left them, without touching the run directory's files they link to.
#include <sys/stat.h>

#include "obx_test.h"

TEST(SessionDirectory, IsRemovedWithoutChangingTheFilesItLinksTo)
{
    struct stat before[3], after[3];
    std::vector<std::string> files = engineDataFiles();
    for (size_t i = 0; i < files.size(); i++)
        ASSERT_EQ(stat(runFile(files[i]).c_str(), &before[i]), 0) << files[i];

    sessionDirEnter();
    std::string dir = sessionDir();
    // What tests leave behind: read-only files in read-only directories.
    ASSERT_EQ(mkdir("locked", 0755), 0);
    FILE* f = fopen("locked/file", "w");
    ASSERT_NE(f, nullptr);
    fclose(f);
    ASSERT_EQ(chmod("locked/file", 0444), 0);
    ASSERT_EQ(chmod("locked", 0555), 0);
    ASSERT_EQ(chmod(".", 0555), 0);
    sessionDirLeave();

    struct stat gone;
    EXPECT_NE(stat(dir.c_str(), &gone), 0) << dir << " is still there";
    for (size_t i = 0; i < files.size(); i++) {
        ASSERT_EQ(stat(runFile(files[i]).c_str(), &after[i]), 0) << files[i];
        EXPECT_EQ(after[i].st_mode, before[i].st_mode) << files[i];
        EXPECT_EQ(after[i].st_ctim.tv_sec, before[i].st_ctim.tv_sec) << files[i];
        EXPECT_EQ(after[i].st_ctim.tv_nsec, before[i].st_ctim.tv_nsec) << files[i];
    }
}
