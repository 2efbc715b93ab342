// The engine library over Debian's real Glide 3 library, which finds no board
// here: start-up must fail cleanly and say why in the log. Run with
// LD_LIBRARY_PATH naming a directory whose libglide3.so.3 is the real one.
#include <dlfcn.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

#include <glide.h>
#include <gtest/gtest.h>

#include "ombrix.h"

TEST(RealGlide, NoBoardMeansNoStartUpAndALogLine)
{
    Dl_info where;
    ASSERT_NE(dladdr((void*)&grGlideInit, &where), 0);
    ASSERT_STRNE(where.dli_fname, nullptr);
    // Our device answers these extensions; the real library does not.
    EXPECT_EQ(grGetProcAddress((char*)"grObxTraceText"), nullptr) << where.dli_fname;

    char dir[] = "/tmp/obx-real-glide-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    ASSERT_EQ(chdir(dir), 0);

    EXPECT_EQ(obxInitialize(NULL, 0), 0);
    obxShutdown();   // closes the log; nothing else was opened

    std::ifstream in("Ombrix.log");
    std::stringstream log;
    log << in.rdbuf();
    EXPECT_EQ(log.str(), "Ombrix Logfile\n\nNo glide3 compatible hardware found!\n\n");

    unlink("Ombrix.log");
    EXPECT_EQ(chdir(cwd), 0);
    rmdir(dir);
}
