// The clippers: polygon clippers in camera and screen space, the landscape's
// edge clipper and the screen-quad clipper.
#include <math.h>
#include <string.h>

#include <array>

#include "obx_scene.h"
#include "render/render.h"
#include "view/clip.h"

namespace {

// The polygon being clipped and the clippers' output buffer.
PolygonVertex clipVertices[CLIP_MAX_VERTICES];
PolygonVertex clipScratch[CLIP_MAX_VERTICES];

class ClipTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        sceneOffline();
    }

    // Puts a polygon of corners (x, y, w) with a colour channel r and a
    // texture coordinate s per corner into clipVertices.
    static int load(const std::vector<std::array<float, 5>>& corners)
    {
        int n = 0;
        for (const auto& c : corners) {
            PolygonVertex* v = &clipVertices[n++];
            memset(v, 0, sizeof *v);
            v->x = c[0];
            v->y = c[1];
            v->w = c[2];
            v->r = c[3];
            v->s0 = c[4];
        }
        return n;
    }
};

ClipVertex clipVertex(float x, float y, float z, float a)
{
    ClipVertex v;
    v.x = x;
    v.y = y;
    v.z = z;
    v.spare = 77.0f;
    v.pair1[0] = a;
    v.pair1[1] = a + 1;
    v.pair2[0] = -a;
    v.pair2[1] = -a;
    v.pair3[0] = 2 * a;
    v.pair3[1] = 3 * a;
    return v;
}

}   // namespace

TEST_F(ClipTest, NearClipCutsOneCornerIntoAQuadrilateral)
{
    // Corner 0 behind the near distance 2: the edges 2-0 and 0-1 are cut at
    // w = 2, giving four corners in order.
    int n = load({{0, 0, 0, 0, 0}, {4, 0, 4, 100, 1}, {0, 4, 4, 200, 2}});
    clipVertices[0].envS = 10;
    clipVertices[1].envS = 30;
    clipVertices[2].envS = 50;
    clipNear(&n, clipVertices, clipScratch);
    ASSERT_EQ(n, 4);
    // Edge 0-1 cut halfway.
    EXPECT_EQ(clipVertices[0].w, 2.0f);
    EXPECT_EQ(clipVertices[0].x, 2.0f);
    EXPECT_EQ(clipVertices[0].r, 50.0f);
    EXPECT_EQ(clipVertices[0].s0, 0.5f);
    EXPECT_EQ(clipVertices[0].envS, 20.0f);
    EXPECT_EQ(clipVertices[1].x, 4.0f);
    EXPECT_EQ(clipVertices[2].y, 4.0f);
    // Edge 2-0 cut halfway.
    EXPECT_EQ(clipVertices[3].w, 2.0f);
    EXPECT_EQ(clipVertices[3].y, 2.0f);
    EXPECT_EQ(clipVertices[3].r, 100.0f);
    EXPECT_EQ(clipVertices[3].envS, 30.0f);

    // A polygon wholly inside a boundary is unchanged; wholly outside, gone.
    int m = load({{0, 0, 10, 1, 0}, {1, 0, 10, 2, 0}, {0, 1, 10, 3, 0}});
    clipFar(&m, clipVertices, clipScratch);
    EXPECT_EQ(m, 3);
    EXPECT_EQ(clipVertices[2].r, 3.0f);
    view.farDistance = 5.0f;
    clipFar(&m, clipVertices, clipScratch);
    EXPECT_EQ(m, 0);
}

TEST_F(ClipTest, ScreenClippersInterpolateAfterProjection)
{
    // A triangle over the left and the top edge of a 640 x 480 area; q and
    // the q-multiplied texture coordinate go linearly on the screen.
    int n = load({{-100, 240, 0, 0, 0}, {320, 600, 0, 0, 0}, {320, 100, 0, 0, 0}});
    clipVertices[0].q = 1.0f;
    clipVertices[1].q = 0.5f;
    clipVertices[2].q = 0.25f;
    clipVertices[0].s0 = 0.0f;
    clipVertices[1].s0 = 128.0f;
    clipVertices[2].s0 = 64.0f;
    clipTop(&n, clipVertices, clipScratch);
    clipBottom(&n, clipVertices, clipScratch);
    clipLeft(&n, clipVertices, clipScratch);
    clipRight(&n, clipVertices, clipScratch);
    ASSERT_EQ(n, 5);
    // q and s q are linear on the screen: every corner lies on the plane
    // that the three original corners' values span over (x, y).
    auto plane = [](float x, float y, const float value[3]) {
        // Corners (-100, 240), (320, 600), (320, 100).
        double a = (value[1] - value[2]) / 500.0;                     // per unit of y
        double b = (value[2] - value[0] - a * (100 - 240)) / 420.0;   // per unit of x
        return value[0] + b * (x + 100) + a * (y - 240);
    };
    const float qs[3] = {1.0f, 0.5f, 0.25f}, ss[3] = {0.0f, 128.0f, 64.0f};
    for (int i = 0; i < n; i++) {
        const PolygonVertex& v = clipVertices[i];
        EXPECT_GE(v.x, 0.0f);
        EXPECT_LE(v.y, 480.0f);
        EXPECT_NEAR(v.q, plane(v.x, v.y, qs), 1e-5) << i;
        EXPECT_NEAR(v.s0, plane(v.x, v.y, ss), 1e-3) << i;
    }
    // The crossing of edge 0-1 with the top edge: t = (480 - 240) / 360.
    const float t = (1.0f / 360.0f) * 240.0f;
    bool found = false;
    for (int i = 0; i < n; i++) {
        const PolygonVertex& v = clipVertices[i];
        if (v.y == 480.0f && fabsf(v.x - (-100.0f + 420.0f * t)) < 1e-3f) {
            EXPECT_NEAR(v.q, 1.0f + (0.5f - 1.0f) * t, 1e-6);
            EXPECT_NEAR(v.s0, 128.0f * t, 1e-4);
            found = true;
        }
    }
    EXPECT_TRUE(found);
}

TEST_F(ClipTest, EdgeClipperKeepsTheInsideEnd)
{
    const ViewPlane& nearPlane = view.planes[VIEW_PLANE_NEAR];   // inside when z > 2
    ClipVertex edge[2], out[2];
    memset(out, 0, sizeof out);

    edge[0] = clipVertex(0, 0, 1, 1);
    edge[1] = clipVertex(0, 0, 1.5f, 2);
    EXPECT_EQ(clipEdgeToPlane(&nearPlane, edge, out), 0);

    edge[0] = clipVertex(1, 2, 10, 1);
    edge[1] = clipVertex(3, 4, 20, 2);
    EXPECT_EQ(clipEdgeToPlane(&nearPlane, edge, out), 2);
    EXPECT_EQ(out[1].z, 20.0f);
    EXPECT_EQ(out[1].pair2[0], -2.0f);
    EXPECT_EQ(out[1].spare, 0.0f);   // never written

    // The outside end replaced by the crossing at z = 2, three quarters of
    // the way from the inside end; the second pair copies the first.
    edge[0] = clipVertex(0, 0, 1, 8);
    edge[1] = clipVertex(4, 4, 5, 4);
    EXPECT_EQ(clipEdgeToPlane(&nearPlane, edge, out), 1);
    EXPECT_EQ(out[0].z, 2.0f);
    EXPECT_EQ(out[0].x, 1.0f);
    EXPECT_EQ(out[0].pair1[0], 7.0f);
    EXPECT_EQ(out[0].pair1[1], 8.0f);
    EXPECT_EQ(out[0].pair2[0], 7.0f);
    EXPECT_EQ(out[0].pair2[1], 8.0f);
    EXPECT_EQ(out[0].pair3[1], 21.0f);
    EXPECT_EQ(out[0].spare, 0.0f);
    EXPECT_EQ(out[1].x, 4.0f);
    EXPECT_EQ(out[1].pair2[0], -4.0f);

    // The other way round: out[1] is the crossing.
    edge[0] = clipVertex(4, 4, 5, 4);
    edge[1] = clipVertex(0, 0, 1, 8);
    EXPECT_EQ(clipEdgeToPlane(&nearPlane, edge, out), 1);
    EXPECT_EQ(out[0].z, 5.0f);
    EXPECT_EQ(out[1].z, 2.0f);
    EXPECT_EQ(out[1].pair2[1], 8.0f);
}

TEST_F(ClipTest, ScreenQuadGetsTextureCoordinatesOfTheCut)
{
    obxRenderWindowSet(100, 50, 400, 300);   // x 100..500, y 50..350
    // 200 wide and high, left-top (0, 300): cut on the left by 100 and
    // below by 0 (bottom at 100 is inside).
    float quad[16] = {0, 300, 9, 9, 0, 100, 9, 9, 200, 100, 9, 9, 200, 300, 9, 9};
    clipScreenQuad(quad);
    EXPECT_EQ(quad[0], 100.0f);   // P1.x
    EXPECT_EQ(quad[4], 100.0f);   // P2.x
    EXPECT_EQ(quad[2], 0.5f);     // P1.s
    EXPECT_EQ(quad[6], 0.5f);     // P2.s
    EXPECT_EQ(quad[10], 1.0f);    // P3.s
    EXPECT_EQ(quad[7], 0.0f);     // P2.t
    EXPECT_EQ(quad[3], 1.0f);     // P1.t

    // Beyond the right and top edges.
    float big[16] = {400, 400, 0, 0, 400, 300, 0, 0, 600, 300, 0, 0, 600, 400, 0, 0};
    clipScreenQuad(big);
    EXPECT_EQ(big[8], 500.0f);    // P3.x
    EXPECT_EQ(big[12], 500.0f);   // P4.x
    EXPECT_EQ(big[14], 0.5f);     // P4.s
    EXPECT_EQ(big[1], 350.0f);    // P1.y
    EXPECT_EQ(big[13], 350.0f);   // P4.y
    EXPECT_EQ(big[3], 0.5f);      // P1.t
    EXPECT_EQ(big[7], 0.0f);      // P2.t
}
