// Display settings that need no Glide window.
#include "obx_test.h"
#include "view/view.h"

TEST(Display, DriverInfoAndVersionNeedNoStartUp)
{
    DriverInfo info;
    obxDriverGetInfo(&info);
    EXPECT_STREQ(info.description, "Ombrix Glide3 Driver version 0.40");
    EXPECT_STREQ(info.textFileName, "OmbrixG3.txt");
    EXPECT_EQ(info.kind, 1);
    EXPECT_EQ(info.versionMajor, 0);
    EXPECT_EQ(info.versionMinor, 40);
    int major = -1, minor = -1;
    obxGetVersion(&major, &minor);
    EXPECT_EQ(major, 0);
    EXPECT_EQ(minor, 37);
}

TEST(Display, RenderWindowMapsTheProjection)
{
    obxRenderWindowSet(10, 20, 320, 241);
    EXPECT_EQ(view.viewport.minX, 10.0f);
    EXPECT_EQ(view.viewport.minY, 20.0f);
    EXPECT_EQ(view.viewport.maxX, 330.0f);
    EXPECT_EQ(view.viewport.maxY, 261.0f);
    EXPECT_EQ(view.viewport.halfWidth, 160.0f);
    EXPECT_EQ(view.viewport.halfHeight, 120.5f);

    obxRenderWindowSet(0, 0, 320, 240);   // the lower-left quarter of 640 x 480
    float x, y;
    float q = projectToScreen(5.0f, -5.0f, 5.0f, &x, &y);
    EXPECT_EQ(q, 0.2f);
    EXPECT_EQ(x, 320.0f);
    EXPECT_EQ(y, 0.0f);
    projectToScreen(0.0f, 0.0f, 7.0f, &x, &y);
    EXPECT_EQ(x, 160.0f);
    EXPECT_EQ(y, 120.0f);

    obxRenderWindowSet(2147483000, 0, 2000, 10);   // no overflow, passed on unchecked
    EXPECT_EQ(view.viewport.maxX, (float)(2147483000.0 + 2000.0));
}
