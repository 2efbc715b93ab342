// Triangle setup and scan conversion, and the points and lines that share the
// pixel path.
//
// Vertices are snapped to 1/16 pixel (the hardware's four sub-pixel bits) and
// the edges are evaluated exactly in integers at pixel centres. A pixel whose
// centre lies exactly on an edge belongs to the triangle only when that edge
// is a top or a left edge, so triangles sharing an edge never both draw, and
// never leave a gap between them.
#include "pixel.h"

#include <cmath>

// Coordinates further out than this are refused: the edge arithmetic stays
// far inside 64 bits and no real screen comes close.
static const float COORD_LIMIT = 32768.0f;

static inline int64_t floorDiv(int64_t a, int64_t b)   // b > 0
{
    int64_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

static inline int64_t ceilDiv(int64_t a, int64_t b)   // b > 0
{
    int64_t q = a / b;
    return (a % b != 0 && a > 0) ? q + 1 : q;
}

// Position in buffer space (row 0 at the top), or false when unusable.
static bool bufferPosition(const Vertex* v, float* x, float* y)
{
    float vx = v->x, vy = v->y;
    if (!(vx > -COORD_LIMIT && vx < COORD_LIMIT && vy > -COORD_LIMIT && vy < COORD_LIMIT))
        return false;
    if (gs.origin == GR_ORIGIN_LOWER_LEFT)
        vy = (float)dev.height - vy;
    *x = vx;
    *y = vy;
    return true;
}

static inline int32_t snap16(float v)
{
    return (int32_t)lrintf(v * 16.0f);
}

static void planeFrom(Plane* p, double a0, double a1, double a2, double dx1, double dy1, double dx2,
                      double dy2, double invArea)
{
    double d1 = a1 - a0, d2 = a2 - a0;
    p->at = a0;
    p->dx = (d1 * dy2 - d2 * dy1) * invArea;
    p->dy = (d2 * dx1 - d1 * dx2) * invArea;
}

static inline void planeConstant(Plane* p, double value)
{
    p->at = value;
    p->dx = 0.0;
    p->dy = 0.0;
}

// Colours are clamped at setup so wild vertex values cannot overflow later.
static inline double colourValue(float c)
{
    if (!(c > -4096.0f))
        return c != c ? 0.0 : -4096.0;
    return c < 4096.0f ? c : 4096.0;
}

// Fills the planes the chosen pixel path reads, from three vertices given in
// buffer-space positions (px, py).
static void setupPlanes(Setup* s, const Vertex* v[3], const double px[3], const double py[3])
{
    double dx1 = px[1] - px[0], dy1 = py[1] - py[0];
    double dx2 = px[2] - px[0], dy2 = py[2] - py[0];
    double invArea = 1.0 / (dx1 * dy2 - dx2 * dy1);
    s->refX = px[0];
    s->refY = py[0];
#define PLANE(field, expr0, expr1, expr2)                                                          \
    planeFrom(&s->field, expr0, expr1, expr2, dx1, dy1, dx2, dy2, invArea)
    if (pixelPath.needIterColor) {
        PLANE(r, colourValue(v[0]->r), colourValue(v[1]->r), colourValue(v[2]->r));
        PLANE(g, colourValue(v[0]->g), colourValue(v[1]->g), colourValue(v[2]->g));
        PLANE(b, colourValue(v[0]->b), colourValue(v[1]->b), colourValue(v[2]->b));
    }
    if (pixelPath.needIterAlpha)
        PLANE(a, colourValue(v[0]->a), colourValue(v[1]->a), colourValue(v[2]->a));
    if (pixelPath.needZ)
        PLANE(z, v[0]->z, v[1]->z, v[2]->z);
    if (pixelPath.needQ)
        PLANE(q, v[0]->q, v[1]->q, v[2]->q);
    if (pixelPath.needFogCoord)
        PLANE(fog, v[0]->fog, v[1]->fog, v[2]->fog);
    for (int t = 0; t < MAX_TMU; t++) {
        if (!pixelPath.tmuSampled[t])
            continue;
        PLANE(sq[t], v[0]->sq[t], v[1]->sq[t], v[2]->sq[t]);
        PLANE(tq[t], v[0]->tq[t], v[1]->tq[t], v[2]->tq[t]);
        PLANE(qt[t], v[0]->qt[t], v[1]->qt[t], v[2]->qt[t]);
    }
#undef PLANE
}

// Setup for a single point of the primitive: every attribute constant.
static void setupConstant(Setup* s, const Vertex* v, double x, double y)
{
    s->refX = x;
    s->refY = y;
    planeConstant(&s->r, colourValue(v->r));
    planeConstant(&s->g, colourValue(v->g));
    planeConstant(&s->b, colourValue(v->b));
    planeConstant(&s->a, colourValue(v->a));
    planeConstant(&s->z, v->z);
    planeConstant(&s->q, v->q);
    planeConstant(&s->fog, v->fog);
    for (int t = 0; t < MAX_TMU; t++) {
        planeConstant(&s->sq[t], v->sq[t]);
        planeConstant(&s->tq[t], v->tq[t]);
        planeConstant(&s->qt[t], v->qt[t]);
    }
}

// Triangle setup: snapped vertices, culling, the edge functions stepped row
// by row and the attribute planes, handed to the rasterizer.
void setupTriangle(const Vertex* a, const Vertex* b, const Vertex* c)
{
    if (dev.stale)
        validatePipeline();
    dev.trianglesIn++;
    float fx[3], fy[3];
    if (!bufferPosition(a, &fx[0], &fy[0]) || !bufferPosition(b, &fx[1], &fy[1]) ||
        !bufferPosition(c, &fx[2], &fy[2]))
        return;
    int64_t X[3], Y[3];
    for (int i = 0; i < 3; i++) {
        X[i] = snap16(fx[i]);
        Y[i] = snap16(fy[i]);
    }
    // Twice the signed area in buffer space (1/256 pixel units).
    int64_t area = (X[1] - X[0]) * (Y[2] - Y[0]) - (X[2] - X[0]) * (Y[1] - Y[0]);
    if (area == 0)
        return;
    // Culling looks at the sign the application sees: a lower-left origin
    // mirrors the buffer.
    int64_t appArea = gs.origin == GR_ORIGIN_LOWER_LEFT ? -area : area;
    if ((gs.cullMode == GR_CULL_NEGATIVE && appArea < 0) ||
        (gs.cullMode == GR_CULL_POSITIVE && appArea > 0))
        return;

    const Vertex* v[3] = {a, b, c};
    if (area < 0) {   // make the edges run clockwise on screen
        const Vertex* tv = v[1];
        v[1] = v[2];
        v[2] = tv;
        int64_t t = X[1];
        X[1] = X[2];
        X[2] = t;
        t = Y[1];
        Y[1] = Y[2];
        Y[2] = t;
    }

    ClipRect clip = clipRect();
    int64_t yMin = Y[0] < Y[1] ? (Y[0] < Y[2] ? Y[0] : Y[2]) : (Y[1] < Y[2] ? Y[1] : Y[2]);
    int64_t yMax = Y[0] > Y[1] ? (Y[0] > Y[2] ? Y[0] : Y[2]) : (Y[1] > Y[2] ? Y[1] : Y[2]);
    // Rows whose centre (16 * row + 8) lies within the triangle's height.
    int64_t rowFirst = ceilDiv(yMin - 8, 16), rowLast = floorDiv(yMax - 8, 16);
    if (rowFirst < clip.y0)
        rowFirst = clip.y0;
    if (rowLast > clip.y1 - 1)
        rowLast = clip.y1 - 1;
    if (rowFirst > rowLast || clip.x0 >= clip.x1)
        return;

    dev.stats.trianglesDrawn++;

    // Edge k runs from vertex k to vertex k+1. Inside means E >= threshold,
    // E(P) = (Xb - Xa)(Py - Ya) - (Yb - Ya)(Px - Xa); the threshold is 0 for
    // top and left edges and 1 for the others.
    Triangle t;
    t.rowFirst = (int)rowFirst;
    t.rowLast = (int)rowLast;
    t.clipX0 = clip.x0;
    t.clipX1 = clip.x1;
    for (int k = 0; k < 3; k++) {
        int n = (k + 1) % 3;
        int64_t dx = X[n] - X[k], dy = Y[n] - Y[k];
        bool topLeft = dy < 0 || (dy == 0 && dx > 0);
        t.edgeThreshold[k] = topLeft ? 0 : 1;
        t.edgeA[k] = -dy;
        int64_t py = 16 * rowFirst + 8;
        // E at pixel column ix of this row: 16 * A * ix + C.
        t.edgeC[k] = dx * (py - Y[k]) + dy * X[k] + 8 * t.edgeA[k];
        t.edgeStep[k] = 16 * dx;
    }

    double px[3], py[3];
    for (int i = 0; i < 3; i++) {
        px[i] = (double)X[i] / 16.0;
        py[i] = (double)Y[i] / 16.0;
    }
    setupPlanes(&t.setup, v, px, py);
    submitTriangle(&t);
}

// Rows up to this long go through the pixel path together with their
// neighbours, longer ones on their own.
enum { SHORT_ROW = SPAN_MAX / 2 };

static void rowsFlush(Span* s, const Setup* setup, int rows)
{
    if (rows == 1)
        spanDraw(s, setup, s->rowY[0], s->rowX[0], s->rowX[0] + s->rowN[0]);
    else if (rows > 1)
        spanDrawRows(s, setup, rows);
}

// An edge's bound on a row's columns, stepped from row to row without
// dividing. For an edge on the left (A > 0) the first column inside is
// ceil(need / d) with need = threshold - E at column 0 and d = 16 * A; for
// one on the right the last is floor(-need / d), d = -16 * A. The bound q
// is kept with the remainder r (0 <= r < d) of that division, and E's step
// per row split the same way, so each row adds the two and carries.
struct EdgeWalk {
    int side;   // +1 left, -1 right, 0 horizontal (q is then `need` itself)
    int64_t q, r, d, stepQ, stepR;
};

static void edgeWalkStart(EdgeWalk* w, const Triangle* t, int k, int64_t c)
{
    int64_t A = t->edgeA[k], need = t->edgeThreshold[k] - c, step = t->edgeStep[k];
    if (A == 0) {
        w->side = 0;
        w->q = need;
        w->stepQ = step;
        return;
    }
    w->side = A > 0 ? 1 : -1;
    w->d = A > 0 ? 16 * A : -16 * A;
    if (A > 0) {
        w->q = ceilDiv(need, w->d);
        w->r = w->q * w->d - need;
    } else {
        w->q = floorDiv(-need, w->d);
        w->r = -need - w->q * w->d;
    }
    w->stepQ = floorDiv(step, w->d);
    w->stepR = step - w->stepQ * w->d;
}

// Scan conversion: each row's span between the edges, through the pixel path.
void triangleRows(Span* s, const Triangle* t, int rowBegin, int rowEnd)
{
    int first = t->rowFirst > rowBegin ? t->rowFirst : rowBegin;
    int last = t->rowLast < rowEnd - 1 ? t->rowLast : rowEnd - 1;
    if (first > last)
        return;
    EdgeWalk edges[3];
    for (int k = 0; k < 3; k++)
        edgeWalkStart(&edges[k], t, k,
                      t->edgeC[k] + (int64_t)(first - t->rowFirst) * t->edgeStep[k]);
    bool together = dev.config.rowSpans;
    int rows = 0, pixels = 0;   // short rows waiting in the span record
    for (int row = first; row <= last; row++) {
        int64_t left = t->clipX0, right = t->clipX1 - 1;
        bool outside = false;
        for (int k = 0; k < 3; k++) {
            EdgeWalk& e = edges[k];
            if (e.side > 0) {   // need falls by the step
                left = e.q > left ? e.q : left;
                e.q -= e.stepQ;
                e.r += e.stepR;
                if (e.r >= e.d) {
                    e.q--;
                    e.r -= e.d;
                }
            } else if (e.side < 0) {   // -need grows by the step
                right = e.q < right ? e.q : right;
                e.q += e.stepQ;
                e.r += e.stepR;
                if (e.r >= e.d) {
                    e.q++;
                    e.r -= e.d;
                }
            } else {
                outside = outside || e.q > 0;   // a horizontal edge this row lies outside of
                e.q -= e.stepQ;
            }
        }
        if (outside || left > right)
            continue;
        int n = (int)(right - left) + 1;
        if (!together || n > SHORT_ROW) {
            spanDraw(s, &t->setup, row, (int)left, (int)right + 1);
            continue;
        }
        if (rows == SPAN_ROWS_MAX || pixels + n > SPAN_MAX) {
            rowsFlush(s, &t->setup, rows);
            rows = pixels = 0;
        }
        s->rowX[rows] = (int)left;
        s->rowY[rows] = row;
        s->rowN[rows] = n;
        rows++;
        pixels += n;
    }
    rowsFlush(s, &t->setup, rows);
}

static void drawPointCovered(const Vertex* v, float fx, float fy);
static void drawLineCovered(const Vertex* a, const Vertex* b, double x0, double y0, double x1,
                            double y1);

void setupPoint(const Vertex* v)
{
    if (dev.stale)
        validatePipeline();
    float fx, fy;
    if (!bufferPosition(v, &fx, &fy))
        return;
    dev.pointsDrawn++;
    if (gs.enableFlags[GR_AA_ORDERED]) {
        drawPointCovered(v, fx, fy);
        return;
    }
    // The pixel whose square holds the snapped point, in buffer space: with a
    // lower-left origin a point on a whole row number belongs to the row below
    // it, as the top edge of a clip window or drawing area is exclusive.
    int64_t x = floorDiv(snap16(fx), 16), y = floorDiv(snap16(fy), 16);
    ClipRect clip = clipRect();
    if (x < clip.x0 || x >= clip.x1 || y < clip.y0 || y >= clip.y1)
        return;
    Setup setup;
    setupConstant(&setup, v, (double)x + 0.5, (double)y + 0.5);
    PixelAt at = {(int)x, (int)y};
    submitPixels(&setup, &at, 1);
}

// The attributes of a line from a at (x0, y0) to b at (x1, y1): they change
// along its major axis only, so every pixel of a column (or row) of it gets
// the same.
static void linePlanes(Setup* setup, const Vertex* a, const Vertex* b, double x0, double y0,
                       double x1, double y1)
{
    bool xMajor = std::fabs(x1 - x0) >= std::fabs(y1 - y0);
    double length = xMajor ? x1 - x0 : y1 - y0;
    setupConstant(setup, a, x0, y0);
    auto along = [&](Plane* p, double va, double vb) {
        double g = (vb - va) / length;
        p->at = va;
        p->dx = xMajor ? g : 0.0;
        p->dy = xMajor ? 0.0 : g;
    };
    along(&setup->r, colourValue(a->r), colourValue(b->r));
    along(&setup->g, colourValue(a->g), colourValue(b->g));
    along(&setup->b, colourValue(a->b), colourValue(b->b));
    along(&setup->a, colourValue(a->a), colourValue(b->a));
    along(&setup->z, a->z, b->z);
    along(&setup->q, a->q, b->q);
    along(&setup->fog, a->fog, b->fog);
    for (int t = 0; t < MAX_TMU; t++) {
        along(&setup->sq[t], a->sq[t], b->sq[t]);
        along(&setup->tq[t], a->tq[t], b->tq[t]);
        along(&setup->qt[t], a->qt[t], b->qt[t]);
    }
}

// A line one pixel wide: along its major axis every pixel whose centre lies in
// [start, end) gets one pixel, in the row (or column) the line crosses there.
// Leaving out the end pixel lets strips share their vertices without drawing
// them twice.
void setupLine(const Vertex* a, const Vertex* b)
{
    if (dev.stale)
        validatePipeline();
    float ax, ay, bx, by;
    if (!bufferPosition(a, &ax, &ay) || !bufferPosition(b, &bx, &by))
        return;
    double x0 = snap16(ax) / 16.0, y0 = snap16(ay) / 16.0;
    double x1 = snap16(bx) / 16.0, y1 = snap16(by) / 16.0;
    double dx = x1 - x0, dy = y1 - y0;
    if (dx == 0.0 && dy == 0.0)
        return;
    dev.linesDrawn++;
    if (gs.enableFlags[GR_AA_ORDERED]) {
        drawLineCovered(a, b, x0, y0, x1, y1);
        return;
    }
    bool xMajor = std::fabs(dx) >= std::fabs(dy);

    Setup setup;
    linePlanes(&setup, a, b, x0, y0, x1, y1);

    ClipRect clip = clipRect();
    double start = xMajor ? x0 : y0, end = xMajor ? x1 : y1;
    double slope = xMajor ? dy / dx : dx / dy;
    // Major-axis pixels whose centre m + 0.5 lies in [start, end) (or
    // (end, start] when running backwards).
    int64_t first, last;
    if (end > start) {
        first = (int64_t)std::ceil(start - 0.5);
        last = (int64_t)std::ceil(end - 0.5) - 1;
    } else {
        first = (int64_t)std::floor(end - 0.5) + 1;
        last = (int64_t)std::floor(start - 0.5);
    }
    PixelAt batch[64];
    int count = 0;
    for (int64_t m = first; m <= last; m++) {
        double centre = (double)m + 0.5;
        double minor = (xMajor ? y0 : x0) + (centre - start) * slope;
        int64_t n = (int64_t)std::floor(minor);
        int64_t x = xMajor ? m : n, y = xMajor ? n : m;
        if (x < clip.x0 || x >= clip.x1 || y < clip.y0 || y >= clip.y1)
            continue;
        batch[count++] = {(int)x, (int)y};
        if (count == 64) {
            submitPixels(&setup, batch, count);
            count = 0;
        }
    }
    if (count)
        submitPixels(&setup, batch, count);
}

// ---------------------------------------------------------------------------
// Anti-aliasing as Glide did it for the board: a primitive's coverage of each
// pixel goes into the iterated alpha, and blending by SRC_ALPHA smooths its
// edges. Points and lines while GR_AA_ORDERED is enabled; the edges
// grAADrawTriangle names.

// A pixel of a point or a line, its alpha (the primitive's own, at the pixel)
// scaled by the share of the pixel the primitive covers.
static void coveredPixel(const Setup& base, int64_t x, int64_t y, double coverage,
                         const ClipRect& clip)
{
    if (coverage <= 0.0 || x < clip.x0 || x >= clip.x1 || y < clip.y0 || y >= clip.y1)
        return;
    const Plane& a = base.a;
    double alpha =
        a.at + a.dx * ((double)x + 0.5 - base.refX) + a.dy * ((double)y + 0.5 - base.refY);
    alpha = alpha < 0.0 ? 0.0 : (alpha > 255.0 ? 255.0 : alpha);
    Setup s = base;
    planeConstant(&s.a, alpha * coverage);
    PixelAt at = {(int)x, (int)y};
    submitPixels(&s, &at, 1);
}

// A point is a one-pixel square about its snapped position: each of the (at
// most four) pixels it overlaps gets the overlapping area.
static void drawPointCovered(const Vertex* v, float fx, float fy)
{
    double x = snap16(fx) / 16.0, y = snap16(fy) / 16.0;
    double left = x - 0.5, top = y - 0.5;
    int64_t x0 = (int64_t)std::floor(left), y0 = (int64_t)std::floor(top);
    Setup setup;
    setupConstant(&setup, v, x, y);
    ClipRect clip = clipRect();
    for (int64_t py = y0; py <= y0 + 1; py++) {
        double h = std::fmin(top + 1.0, (double)py + 1.0) - std::fmax(top, (double)py);
        for (int64_t px = x0; px <= x0 + 1; px++) {
            double w = std::fmin(left + 1.0, (double)px + 1.0) - std::fmax(left, (double)px);
            if (w > 0.0 && h > 0.0)
                coveredPixel(setup, px, py, w * h, clip);
        }
    }
}

// A line one pixel wide, over the same major-axis pixels as a plain one: in
// each, the two pixels across it that it passes between share its coverage
// by how near their centres lie to it.
static void drawLineCovered(const Vertex* a, const Vertex* b, double x0, double y0, double x1,
                            double y1)
{
    double dx = x1 - x0, dy = y1 - y0;
    bool xMajor = std::fabs(dx) >= std::fabs(dy);
    Setup setup;
    linePlanes(&setup, a, b, x0, y0, x1, y1);
    ClipRect clip = clipRect();
    double start = xMajor ? x0 : y0, end = xMajor ? x1 : y1;
    double slope = xMajor ? dy / dx : dx / dy;
    int64_t first, last;
    if (end > start) {
        first = (int64_t)std::ceil(start - 0.5);
        last = (int64_t)std::ceil(end - 0.5) - 1;
    } else {
        first = (int64_t)std::floor(end - 0.5) + 1;
        last = (int64_t)std::floor(start - 0.5);
    }
    for (int64_t m = first; m <= last; m++) {
        double minor = (xMajor ? y0 : x0) + ((double)m + 0.5 - start) * slope;
        // Pixel n's centre lies (minor - 0.5 - n) before the line, pixel n + 1's just as far past it.
        double below = minor - 0.5;
        int64_t n = (int64_t)std::floor(below);
        double f = below - (double)n;
        for (int k = 0; k < 2; k++) {
            int64_t across = n + k;
            double coverage = k == 0 ? 1.0 - f : f;
            coveredPixel(setup, xMajor ? m : across, xMajor ? across : m, coverage, clip);
        }
    }
}

// The fringe of edge a-b of a triangle whose third corner is c: a band one
// pixel wide outside the edge, along whichever axis the edge crosses more
// steeply, its alpha falling from the corners' to 0. The triangle itself
// owns the pixels on the edge, so none is drawn twice.
static void drawEdgeFringe(const Vertex* a, const Vertex* b, const Vertex* c)
{
    double dx = (double)b->x - a->x, dy = (double)b->y - a->y;
    if (dx == 0.0 && dy == 0.0)
        return;
    Vertex outerA = *a, outerB = *b;
    outerA.a = outerB.a = 0.0f;
    if (std::fabs(dx) >= std::fabs(dy)) {   // away from c, up or down
        double lineY = a->y + ((double)c->x - a->x) * dy / dx;
        float step = (double)c->y > lineY ? -1.0f : 1.0f;
        outerA.y += step;
        outerB.y += step;
    } else {   // left or right
        double lineX = a->x + ((double)c->y - a->y) * dx / dy;
        float step = (double)c->x > lineX ? -1.0f : 1.0f;
        outerA.x += step;
        outerB.x += step;
    }
    setupTriangle(a, b, &outerB);
    setupTriangle(a, &outerB, &outerA);
}

void setupTriangleEdges(const Vertex* a, const Vertex* b, const Vertex* c, const bool edges[3])
{
    setupTriangle(a, b, c);
    if (!edges[0] && !edges[1] && !edges[2])
        return;
    // The fringes go with the triangle: culled with it, never on their own.
    double area = ((double)b->x - a->x) * ((double)c->y - a->y) -
                  ((double)c->x - a->x) * ((double)b->y - a->y);
    if (area == 0.0 || (gs.cullMode == GR_CULL_NEGATIVE && area < 0.0) ||
        (gs.cullMode == GR_CULL_POSITIVE && area > 0.0))
        return;
    GrCullMode_t cull = gs.cullMode;
    gs.cullMode = GR_CULL_DISABLE;
    const Vertex* v[3] = {a, b, c};
    for (int k = 0; k < 3; k++)
        if (edges[k])
            drawEdgeFringe(v[k], v[(k + 1) % 3], v[(k + 2) % 3]);
    gs.cullMode = cull;
}
