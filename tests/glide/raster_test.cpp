// Scan conversion: which pixels a primitive covers.
#include "glide_test_util.h"

#include <cmath>
#include <cstdint>
#include <random>

namespace {

const FxU16 WHITE = 0xFFFF;

// Reference coverage, pixel by pixel: is the centre of (px, py) inside the
// triangle after snapping to 1/16, with ties going to top and left edges?
bool covers(const Vtx& a, const Vtx& b, const Vtx& c, int px, int py)
{
    int64_t X[3] = {std::lround(a.x * 16), std::lround(b.x * 16), std::lround(c.x * 16)};
    int64_t Y[3] = {std::lround(a.y * 16), std::lround(b.y * 16), std::lround(c.y * 16)};
    int64_t area = (X[1] - X[0]) * (Y[2] - Y[0]) - (X[2] - X[0]) * (Y[1] - Y[0]);
    if (area == 0)
        return false;
    if (area < 0) {
        std::swap(X[1], X[2]);
        std::swap(Y[1], Y[2]);
    }
    int64_t cx = px * 16 + 8, cy = py * 16 + 8;
    for (int k = 0; k < 3; k++) {
        int n = (k + 1) % 3;
        int64_t dx = X[n] - X[k], dy = Y[n] - Y[k];
        int64_t e = dx * (cy - Y[k]) - dy * (cx - X[k]);
        bool topLeft = dy < 0 || (dy == 0 && dx > 0);
        if (e < 0 || (e == 0 && !topLeft))
            return false;
    }
    return true;
}

class RasterTest : public GlideTest {};

TEST_F(RasterTest, TriangleCoversExactlyThePixelCentresInside)
{
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> x(-20.0f, 660.0f), y(-20.0f, 500.0f);
    for (int round = 0; round < 12; round++) {
        grBufferClear(0, 0, 0);
        Vtx a = vtx(x(rng), y(rng)), b = vtx(x(rng), y(rng)), c = vtx(x(rng), y(rng));
        tri(a, b, c);
        std::vector<FxU16> pixels = grab();
        int wrong = 0;
        for (int py = 0; py < 480; py++)
            for (int px = 0; px < 640; px++)
                wrong += (pixels[py * 640 + px] == WHITE) != covers(a, b, c, px, py);
        EXPECT_EQ(wrong, 0) << "triangle " << round;
    }
}

TEST_F(RasterTest, SmallTrianglesCoverExactlyThePixelCentresInside)
{
    // Triangles a few pixels across, whose short rows go through the pixel
    // path together: any shape (a flat top or bottom every fourth, a sliver
    // every fourth), anywhere, half over the screen's sides too.
    std::mt19937 rng(11);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f), spread(-1.0f, 1.0f);
    int covered = 0;
    for (int round = 0; round < 300; round++) {
        grBufferClear(0, 0, 0);
        float cx = unit(rng) * 660.0f - 10.0f, cy = unit(rng) * 500.0f - 10.0f;
        float size = 0.3f + 24.0f * unit(rng) * unit(rng);
        Vtx a = vtx(cx + size * spread(rng), cy + size * spread(rng));
        Vtx b = vtx(cx + size * spread(rng), cy + size * spread(rng));
        Vtx c = vtx(cx + size * spread(rng), cy + size * spread(rng));
        if (round % 4 == 1)
            b.y = a.y;
        if (round % 4 == 2) {
            c.x = a.x + 0.2f * spread(rng);
            c.y = a.y + 0.2f * spread(rng);
        }
        tri(a, b, c);
        std::vector<FxU16> pixels = grab();
        int wrong = 0;
        for (int py = 0; py < 480; py++)
            for (int px = 0; px < 640; px++) {
                bool inside = covers(a, b, c, px, py);
                covered += inside;
                wrong += (pixels[py * 640 + px] == WHITE) != inside;
            }
        EXPECT_EQ(wrong, 0) << "triangle " << round << " of size " << size;
    }
    EXPECT_GT(covered, 2000);
}

TEST_F(RasterTest, TrianglesSharingEdgesDrawEveryPixelOnce)
{
    // A fan of sixteen thin slices around a centre off the pixel grid, added
    // up: a pixel drawn twice would show 2, a gap 0.
    grAlphaBlendFunction(GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ZERO, GR_BLEND_ZERO);
    const float cx = 320.3f, cy = 240.7f, radius = 150.0f;
    Vtx centre = vtx(cx, cy, 8, 8, 8);
    for (int k = 0; k < 16; k++) {
        double a0 = k * M_PI / 8, a1 = (k + 1) * M_PI / 8;
        Vtx p = vtx(cx + radius * (float)cos(a0), cy + radius * (float)sin(a0), 8, 8, 8);
        Vtx q = vtx(cx + radius * (float)cos(a1), cy + radius * (float)sin(a1), 8, 8, 8);
        tri(centre, p, q);
    }
    std::vector<FxU16> pixels = grab();
    int once = 0, twice = 0;
    for (FxU16 p : pixels) {
        once += p == rgb565(8, 8, 8);
        twice += p != 0 && p != rgb565(8, 8, 8);
    }
    EXPECT_EQ(twice, 0);
    // The polygon's area, give or take its outline.
    double area = 0.5 * 16 * radius * radius * sin(M_PI / 8);
    EXPECT_NEAR(once, area, 2 * M_PI * radius);
    // No hole near the centre where all the slices meet.
    for (int dy = -3; dy <= 3; dy++)
        for (int dx = -3; dx <= 3; dx++)
            EXPECT_EQ(pixelAt(320 + dx, 240 + dy), rgb565(8, 8, 8));
}

TEST_F(RasterTest, FillRuleOwnsTopAndLeftEdges)
{
    // A rectangle on whole pixels covers exactly its pixels.
    rect(10, 10, 20, 20, vtx(0, 0));
    EXPECT_EQ(countPixels(WHITE), 100);
    EXPECT_EQ(pixelAt(10, 10), WHITE);
    EXPECT_EQ(pixelAt(19, 19), WHITE);
    EXPECT_EQ(pixelAt(9, 15), 0);
    EXPECT_EQ(pixelAt(20, 15), 0);
    EXPECT_EQ(pixelAt(15, 9), 0);
    EXPECT_EQ(pixelAt(15, 20), 0);

    // Edges through pixel centres: the left edge x = 30.5 takes the centres
    // on it, the right edge x = 40.5 does not; likewise top and bottom.
    grBufferClear(0, 0, 0);
    rect(30.5f, 30.5f, 40.5f, 40.5f, vtx(0, 0));
    EXPECT_EQ(pixelAt(30, 35), WHITE);
    EXPECT_EQ(pixelAt(40, 35), 0);
    EXPECT_EQ(pixelAt(35, 30), WHITE);
    EXPECT_EQ(pixelAt(35, 40), 0);
    EXPECT_EQ(countPixels(WHITE), 100);
}

TEST_F(RasterTest, VerticesSnapToSixteenthsOfAPixel)
{
    // 50.53 snaps to 50.5, onto the centres of column 50: the left edge owns them.
    rect(50.53f, 10, 60, 20, vtx(0, 0));
    EXPECT_EQ(pixelAt(50, 15), WHITE);
    // 70.5625 is one sixteenth right of the centres: column 70 stays empty.
    rect(70.5625f, 10, 80, 20, vtx(0, 0));
    EXPECT_EQ(pixelAt(70, 15), 0);
    EXPECT_EQ(pixelAt(71, 15), WHITE);
    // A triangle thinner than a sixteenth collapses and draws nothing.
    grBufferClear(0, 0, 0);
    tri(vtx(100, 100), vtx(100.02f, 200), vtx(100, 300));
    EXPECT_EQ(countPixels(WHITE), 0);
}

TEST_F(RasterTest, ClipWindowAndCulling)
{
    grClipWindow(100, 100, 200, 150);
    rect(0, 0, 640, 480, vtx(0, 0));
    EXPECT_EQ(countPixels(WHITE), 100 * 50);
    EXPECT_EQ(pixelAt(100, 100), WHITE);
    EXPECT_EQ(pixelAt(199, 149), WHITE);
    EXPECT_EQ(pixelAt(200, 149), 0);
    EXPECT_EQ(pixelAt(199, 150), 0);

    grClipWindow(0, 0, 640, 480);
    grBufferClear(0, 0, 0);
    Vtx a = vtx(10, 10), b = vtx(50, 10),
        c = vtx(10, 50);   // positive area, as the application sees it
    grCullMode(GR_CULL_POSITIVE);
    tri(a, b, c);
    EXPECT_EQ(countPixels(WHITE), 0);
    tri(a, c, b);
    EXPECT_GT(countPixels(WHITE), 0);
    grBufferClear(0, 0, 0);
    grCullMode(GR_CULL_NEGATIVE);
    tri(a, c, b);
    EXPECT_EQ(countPixels(WHITE), 0);
    tri(a, b, c);
    EXPECT_GT(countPixels(WHITE), 0);
}

TEST_F(RasterTest, LowerLeftOriginCountsRowsFromTheBottom)
{
    reopen(GR_ORIGIN_LOWER_LEFT);
    rect(0, 0, 4, 2, vtx(0, 0));   // the two bottom rows
    EXPECT_EQ(pixelAt(0, 479), WHITE);
    EXPECT_EQ(pixelAt(3, 478), WHITE);
    EXPECT_EQ(pixelAt(0, 477), 0);
    EXPECT_EQ(countPixels(WHITE), 8);
    // The clip window counts from the bottom too.
    grBufferClear(0, 0, 0);
    grClipWindow(0, 0, 640, 10);
    rect(0, 0, 640, 480, vtx(0, 0));
    EXPECT_EQ(pixelAt(5, 479), WHITE);
    EXPECT_EQ(pixelAt(5, 470), WHITE);
    EXPECT_EQ(pixelAt(5, 469), 0);
    // A point on a whole row number counted from the bottom lies in the row
    // below it, so a drawing area's exclusive top edge keeps its points.
    grBufferClear(0, 0, 0);
    Vtx point = vtx(3, 2);
    grDrawPoint(&point);
    EXPECT_EQ(pixelAt(3, 478), WHITE);
    point.y = 2.5f;
    grDrawPoint(&point);
    EXPECT_EQ(pixelAt(3, 477), WHITE);
    EXPECT_EQ(countPixels(WHITE), 2);
    // Culling keeps the application's sense of winding.
    grClipWindow(0, 0, 640, 480);
    grBufferClear(0, 0, 0);
    grCullMode(GR_CULL_POSITIVE);
    tri(vtx(10, 10), vtx(50, 10), vtx(10, 50));
    EXPECT_EQ(countPixels(WHITE), 0);
}

TEST_F(RasterTest, StripsAndFansMatchSeparateTriangles)
{
    Vtx v[6] = {vtx(10, 10), vtx(10, 60), vtx(60, 15), vtx(70, 70), vtx(120, 5), vtx(130, 66)};
    for (Vtx& p : v)
        p.r = p.g = p.b = 40;
    grAlphaBlendFunction(GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ZERO, GR_BLEND_ZERO);
    for (int i = 0; i + 2 < 6; i++)
        tri(v[i], v[i + 1], v[i + 2]);
    std::vector<FxU16> separate = grab();

    // One strip, and the same strip sent as a start and two continuations.
    grBufferClear(0, 0, 0);
    void* list[6] = {&v[0], &v[1], &v[2], &v[3], &v[4], &v[5]};
    grDrawVertexArray(GR_TRIANGLE_STRIP, 6, list);
    EXPECT_EQ(grab(), separate);
    grBufferClear(0, 0, 0);
    grDrawVertexArray(GR_TRIANGLE_STRIP, 3, list);
    grDrawVertexArray(GR_TRIANGLE_STRIP_CONTINUE, 2, list + 3);
    grDrawVertexArray(GR_TRIANGLE_STRIP_CONTINUE, 1, list + 5);
    EXPECT_EQ(grab(), separate);
    // Contiguous vertices, the same strip.
    grBufferClear(0, 0, 0);
    grDrawVertexArrayContiguous(GR_TRIANGLE_STRIP, 6, v, sizeof(Vtx));
    EXPECT_EQ(grab(), separate);
    // Culling shows every strip triangle has the winding of the first.
    grBufferClear(0, 0, 0);
    grCullMode(GR_CULL_NEGATIVE);
    grDrawVertexArray(GR_TRIANGLE_STRIP, 6, list);
    int drawn = 640 * 480 - countPixels(0);
    grBufferClear(0, 0, 0);
    grCullMode(GR_CULL_POSITIVE);
    grDrawVertexArray(GR_TRIANGLE_STRIP, 6, list);
    EXPECT_TRUE(drawn == 0 || 640 * 480 - countPixels(0) == 0);
    grCullMode(GR_CULL_DISABLE);

    // A fan as the engine sends a polygon: one fan, then one vertex at a time.
    Vtx f[5] = {vtx(300, 300), vtx(400, 300), vtx(420, 380), vtx(350, 420), vtx(280, 390)};
    grBufferClear(0, 0, 0);
    for (int i = 1; i + 1 < 5; i++)
        tri(f[0], f[i], f[i + 1]);
    std::vector<FxU16> fanSeparate = grab();
    grBufferClear(0, 0, 0);
    void* fl[5] = {&f[0], &f[1], &f[2], &f[3], &f[4]};
    grDrawVertexArray(GR_TRIANGLE_FAN, 3, fl);
    grDrawVertexArray(GR_TRIANGLE_FAN_CONTINUE, 1, fl + 3);
    grDrawVertexArray(GR_TRIANGLE_FAN_CONTINUE, 1, fl + 4);
    EXPECT_EQ(grab(), fanSeparate);
    grBufferClear(0, 0, 0);
    grDrawVertexArray(GR_POLYGON, 5, fl);
    EXPECT_EQ(grab(), fanSeparate);
    // GR_TRIANGLES takes vertices three at a time and ignores a partial rest.
    grBufferClear(0, 0, 0);
    grDrawVertexArray(GR_TRIANGLES, 5, fl);
    tri(f[0], f[1], f[2]);
    EXPECT_EQ(countPixels(rgb565(255, 255, 255)) + countPixels(0), 640 * 480);
}

TEST_F(RasterTest, PointsAndLines)
{
    Vtx p = vtx(5.7f, 9.2f);
    grDrawPoint(&p);
    EXPECT_EQ(pixelAt(5, 9), WHITE);
    EXPECT_EQ(countPixels(WHITE), 1);

    // A horizontal line covers the pixels from its start up to, not
    // including, its end; a closed outline draws each corner once.
    grBufferClear(0, 0, 0);
    grAlphaBlendFunction(GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ZERO, GR_BLEND_ZERO);
    Vtx a = vtx(10, 20.5f, 50, 50, 50), b = vtx(30, 20.5f, 50, 50, 50),
        c = vtx(30, 40.5f, 50, 50, 50);
    void* outline[4] = {&a, &b, &c, &a};
    grDrawVertexArray(GR_LINE_STRIP, 4, outline);
    EXPECT_EQ(pixelAt(10, 20), rgb565(50, 50, 50));
    EXPECT_EQ(pixelAt(29, 20), rgb565(50, 50, 50));
    EXPECT_EQ(pixelAt(30, 20), rgb565(50, 50, 50));   // start of the second line
    EXPECT_EQ(pixelAt(30, 39), rgb565(50, 50, 50));
    EXPECT_EQ(countPixels(rgb565(100, 100, 100)), 0);
    int lit = 640 * 480 - countPixels(0);
    EXPECT_EQ(lit, 20 + 20 + 20);

    // GR_LINES pairs vertices; the colour runs along the line.
    grBufferClear(0, 0, 0);
    grAlphaBlendFunction(GR_BLEND_ONE, GR_BLEND_ZERO, GR_BLEND_ONE, GR_BLEND_ZERO);
    Vtx l0 = vtx(100, 100.5f, 0, 0, 0), l1 = vtx(200, 100.5f, 200, 0, 0);
    grDrawLine(&l0, &l1);
    EXPECT_EQ(pixelAt(100, 100), rgb565(1, 0, 0));
    EXPECT_EQ(pixelAt(150, 100), rgb565(101, 0, 0));
    EXPECT_EQ(pixelAt(199, 100), rgb565(199, 0, 0));
    EXPECT_EQ(pixelAt(200, 100), 0);
}

TEST_F(RasterTest, GouraudColoursAreInterpolatedAtPixelCentres)
{
    // Red rises 1 per pixel from 0 at x = 0: the pixel centre x + 0.5 gives x + 0.5, rounded up.
    Vtx a = vtx(0, 0, 0, 0, 0), b = vtx(256, 0, 256, 0, 0), c = vtx(0, 256, 0, 0, 0);
    tri(a, b, c);
    EXPECT_EQ(pixelAt(0, 0), rgb565(1, 0, 0));
    EXPECT_EQ(pixelAt(100, 10), rgb565(101, 0, 0));
    EXPECT_EQ(pixelAt(200, 20), rgb565(201, 0, 0));
    // Values beyond 0..255 clamp.
    grBufferClear(0, 0, 0);
    tri(vtx(0, 0, 400, -50, 128), vtx(100, 0, 400, -50, 128), vtx(0, 100, 400, -50, 128));
    EXPECT_EQ(pixelAt(10, 10), rgb565(255, 0, 128));
}

TEST_F(RasterTest, VertexLayoutAtAnyOffsets)
{
    // Parameters in another order, one of them at an odd offset.
    struct Odd {
        char pad[3];
        float rgb[3];
        float alpha;
        float xy[2];
    } __attribute__((packed));
    Odd v[3];
    const float xs[3] = {10, 40, 10}, ys[3] = {10, 10, 40};
    for (int i = 0; i < 3; i++) {
        v[i].xy[0] = xs[i];
        v[i].xy[1] = ys[i];
        v[i].rgb[0] = 10;
        v[i].rgb[1] = 200;
        v[i].rgb[2] = 30;
        v[i].alpha = 255;
    }
    grVertexLayout(GR_PARAM_Z, 0, GR_PARAM_DISABLE);
    grVertexLayout(GR_PARAM_Q, 0, GR_PARAM_DISABLE);
    grVertexLayout(GR_PARAM_ST0, 0, GR_PARAM_DISABLE);
    grVertexLayout(GR_PARAM_ST1, 0, GR_PARAM_DISABLE);
    grVertexLayout(GR_PARAM_XY, 19, GR_PARAM_ENABLE);
    grVertexLayout(GR_PARAM_RGB, 3, GR_PARAM_ENABLE);
    grVertexLayout(GR_PARAM_A, 15, GR_PARAM_ENABLE);
    grDrawVertexArrayContiguous(GR_TRIANGLES, 3, v, sizeof(Odd));
    EXPECT_EQ(pixelAt(15, 15), rgb565(10, 200, 30));
    EXPECT_EQ(pixelAt(5, 5), 0);
    // Parameters left out: colour reads as white.
    grVertexLayout(GR_PARAM_RGB, 0, GR_PARAM_DISABLE);
    grBufferClear(0, 0, 0);
    grDrawVertexArrayContiguous(GR_TRIANGLES, 3, v, sizeof(Odd));
    EXPECT_EQ(pixelAt(15, 15), WHITE);
}

TEST_F(RasterTest, AntiAliasedPrimitivesPutTheirCoverageInAlpha)
{
    // White over black, blended by the iterated alpha: a pixel shows the
    // share of it the primitive covers.
    grAlphaBlendFunction(GR_BLEND_SRC_ALPHA, GR_BLEND_ONE_MINUS_SRC_ALPHA, GR_BLEND_ZERO,
                         GR_BLEND_ZERO);
    auto grey = [](int v) { return rgb565(v, v, v); };
    Vtx p = vtx(10.25f, 20.5f);
    grDrawPoint(&p);
    EXPECT_EQ(pixelAt(10, 20), WHITE);   // plain: the pixel that holds it
    EXPECT_EQ(pixelAt(9, 20), 0);
    grBufferClear(0, 0, 0);

    grEnable(GR_AA_ORDERED);
    // A one-pixel square about the point: three quarters of pixel 10, a quarter of pixel 9.
    grDrawPoint(&p);
    EXPECT_EQ(pixelAt(10, 20), grey(191));
    EXPECT_EQ(pixelAt(9, 20), grey(64));
    EXPECT_EQ(pixelAt(11, 20), 0);
    EXPECT_EQ(pixelAt(10, 19), 0);
    EXPECT_EQ(pixelAt(10, 21), 0);
    // On a pixel corner: a quarter of each of four pixels, through the vertex arrays too.
    Vtx corner = vtx(40, 40);
    grDrawVertexArrayContiguous(GR_POINTS, 1, &corner, sizeof corner);
    for (int x : {39, 40})
        for (int y : {39, 40})
            EXPECT_EQ(pixelAt(x, y), grey(64)) << x << "," << y;
    EXPECT_EQ(pixelAt(41, 40), 0);

    // A line between two rows covers half of each; one along a row's middle, that row.
    Vtx a = vtx(10, 30), b = vtx(20, 30), c = vtx(10, 50.5f), d = vtx(20, 50.5f);
    grDrawLine(&a, &b);
    grDrawLine(&c, &d);
    for (int x = 10; x < 20; x++) {
        EXPECT_EQ(pixelAt(x, 29), grey(128)) << x;
        EXPECT_EQ(pixelAt(x, 30), grey(128)) << x;
        EXPECT_EQ(pixelAt(x, 50), WHITE) << x;
        EXPECT_EQ(pixelAt(x, 49), 0) << x;
        EXPECT_EQ(pixelAt(x, 51), 0) << x;
    }
    EXPECT_EQ(pixelAt(20, 30), 0);   // the end pixel is left out, as for plain lines
    // A steep line spreads across columns the same way.
    Vtx e = vtx(60, 10), f = vtx(60, 20);
    grDrawLine(&e, &f);
    EXPECT_EQ(pixelAt(59, 15), grey(128));
    EXPECT_EQ(pixelAt(60, 15), grey(128));
    grDisable(GR_AA_ORDERED);

    // grAADrawTriangle: the flagged edges get a one-pixel fringe outside,
    // its alpha falling from the vertices' to 0.
    grBufferClear(0, 0, 0);
    Vtx t0 = vtx(100, 100), t1 = vtx(300, 100), t2 = vtx(100, 140);
    grAADrawTriangle(&t0, &t1, &t2, FXTRUE, FXFALSE, FXTRUE);
    EXPECT_EQ(pixelAt(150, 100), WHITE);
    EXPECT_EQ(pixelAt(150, 99), grey(128));   // above the top edge, half a pixel out
    EXPECT_EQ(pixelAt(99, 110), grey(128));   // left of the left edge
    EXPECT_EQ(pixelAt(150, 98), 0);
    EXPECT_EQ(pixelAt(98, 110), 0);
    // The slanted edge is not flagged: plain.
    EXPECT_EQ(pixelAt(200, 119), WHITE);
    EXPECT_EQ(pixelAt(200, 120), 0);
    grBufferClear(0, 0, 0);
    grAADrawTriangle(&t0, &t1, &t2, FXFALSE, FXTRUE, FXFALSE);
    // Its line at x = 200.5 is y = 119.9: the pixel below, 0.6 out, gets 0.4.
    EXPECT_EQ(pixelAt(200, 119), WHITE);
    EXPECT_EQ(pixelAt(200, 120), grey(102));
    EXPECT_EQ(pixelAt(200, 121), 0);
    EXPECT_EQ(pixelAt(150, 99), 0);
    // No edge flagged: the plain triangle.
    grBufferClear(0, 0, 0);
    grAADrawTriangle(&t0, &t1, &t2, FXFALSE, FXFALSE, FXFALSE);
    std::vector<FxU16> aa = grab();
    grBufferClear(0, 0, 0);
    tri(t0, t1, t2);
    EXPECT_EQ(grab(), aa);
    // A culled triangle takes its fringes with it.
    grCullMode(GR_CULL_NEGATIVE);
    grBufferClear(0, 0, 0);
    grAADrawTriangle(&t0, &t2, &t1, FXTRUE, FXTRUE, FXTRUE);
    EXPECT_EQ(countPixels(0), 640 * 480);
    grAADrawTriangle(&t0, &t1, &t2, FXTRUE, FXTRUE, FXTRUE);
    EXPECT_EQ(pixelAt(150, 99), grey(128));
}

TEST_F(RasterTest, ClipCoordinatesGoThroughTheViewport)
{
    // In clip coordinates the device divides by w and maps -1..1 onto the viewport.
    struct ClipVertex {
        float x, y, w;
    } v[3] = {{-2, -2, 2}, {2, -2, 2}, {-2, 2, 2}};   // (-1, -1), (1, -1), (-1, 1) after the divide
    grVertexLayout(GR_PARAM_Z, 0, GR_PARAM_DISABLE);
    grVertexLayout(GR_PARAM_Q, 0, GR_PARAM_DISABLE);
    grVertexLayout(GR_PARAM_RGB, 0, GR_PARAM_DISABLE);
    grVertexLayout(GR_PARAM_A, 0, GR_PARAM_DISABLE);
    grVertexLayout(GR_PARAM_ST0, 0, GR_PARAM_DISABLE);
    grVertexLayout(GR_PARAM_ST1, 0, GR_PARAM_DISABLE);
    grVertexLayout(GR_PARAM_XY, 0, GR_PARAM_ENABLE);
    grVertexLayout(GR_PARAM_W, 8, GR_PARAM_ENABLE);
    grCoordinateSpace(GR_CLIP_COORDS);
    grViewport(100, 100, 200, 100);
    grDrawVertexArrayContiguous(GR_TRIANGLES, 3, v, sizeof(ClipVertex));
    EXPECT_EQ(pixelAt(101, 101), WHITE);
    EXPECT_EQ(pixelAt(99, 101), 0);
    EXPECT_EQ(pixelAt(101, 99), 0);
    EXPECT_EQ(countPixels(WHITE),
              200 * 100 / 2);   // half the viewport, the diagonal through pixel corners
    // Window coordinates again: w is ignored, x and y are pixels.
    grCoordinateSpace(GR_WINDOW_COORDS);
    grBufferClear(0, 0, 0);
    ClipVertex p[3] = {{0, 0, 123}, {4, 0, -7}, {0, 4, 0}};
    grDrawVertexArrayContiguous(GR_TRIANGLES, 3, p, sizeof(ClipVertex));
    EXPECT_EQ(countPixels(WHITE), 6);
}

}   // namespace
