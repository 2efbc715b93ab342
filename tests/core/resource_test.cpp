// Resources embedded in this test program with ombrix_add_resource.
#include <string.h>

#include "obx_test.h"

TEST(Resource, FoundByTypeNameAndIdWithItsBytes)
{
    uint32_t size = 12345;
    const void* data = resourceRead(101, "FILE_3DS", &size);
    ASSERT_NE(data, nullptr);
    std::string expected = fileRead(RESOURCE_DIR "/model.bin");
    ASSERT_EQ(size, expected.size());
    EXPECT_EQ(memcmp(data, expected.data(), size), 0);

    const void* other = resourceRead(103, "OTHER", &size);
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(std::string((const char*)other, size), "other type");
}

TEST(Resource, OtherTypeNameOrIdIsNotFound)
{
    uint32_t size = 12345;
    EXPECT_EQ(resourceRead(103, "FILE_3DS", &size), nullptr);   // id exists as OTHER
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(resourceRead(101, "OTHER", &size), nullptr);
#if defined(_WIN32)
    // Windows compares resource type names without regard to case.
    EXPECT_NE(resourceRead(101, "file_3ds", &size), nullptr);
#else
    EXPECT_EQ(resourceRead(101, "file_3ds", &size), nullptr);
#endif
    EXPECT_EQ(resourceRead(101, "FILE_3D", &size), nullptr);
    EXPECT_EQ(resourceRead(999, "FILE_3DS", &size), nullptr);
    EXPECT_EQ(resourceRead(101, NULL, &size), nullptr);
}

TEST(Resource, EmptyResourceGivesNullAndSizeZero)
{
    uint32_t size = 12345;
    EXPECT_EQ(resourceRead(102, "FILE_3DS", &size), nullptr);
    EXPECT_EQ(size, 0u);
}
