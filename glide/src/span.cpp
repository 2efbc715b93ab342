// Running the pixel path over spans: the stages one after the other, a run
// of at most SPAN_MAX pixels at a time.
#include "pixel.h"

#include <cstring>

// SPAN_MAX ones, then SPAN_MAX zeros.
struct LiveWindow {
    uint8_t flags[2 * SPAN_MAX];
    constexpr LiveWindow() : flags()
    {
        for (int i = 0; i < SPAN_MAX; i++)
            flags[i] = 1;
    }
};
static constexpr LiveWindow liveWindow;

// The live flags of a span of n pixels: set for the first n, clear past them.
static inline void liveSet(Span* s, int n)
{
    memcpy(s->live, liveWindow.flags + SPAN_MAX - n, SPAN_MAX);
}

void spanDraw(Span* s, const Setup* setup, int y, int x0, int x1)
{
    const Pipeline& P = *s->path;
    s->setup = setup;
    s->y = y;
    s->counts.in += (uint64_t)(x1 - x0);
    uint16_t* colorRow = P.color + (size_t)y * P.width;
    uint16_t* auxRow = P.aux ? P.aux + (size_t)y * P.width : nullptr;
    for (int x = x0; x < x1; x += SPAN_MAX) {
        int n = x1 - x < SPAN_MAX ? x1 - x : SPAN_MAX;
        s->x = x;
        s->n = n;
        s->color = colorRow + x;
        s->aux = auxRow ? auxRow + x : nullptr;
        liveSet(s, n);
        for (int k = 0; k < P.stageCount; k++)
            P.stages[k](s);
    }
}

// n pixels of a row copied, four at a time, the last four from n - 4 on.
static inline void copyPixels(uint16_t* to, const uint16_t* from, int n)
{
    if (n >= 4) {
        for (int k = 0; k < n - 4; k += 4)
            memcpy(to + k, from + k, 4 * sizeof(uint16_t));
        memcpy(to + n - 4, from + n - 4, 4 * sizeof(uint16_t));
        return;
    }
    if (n & 2)
        memcpy(to, from, 2 * sizeof(uint16_t));
    if (n & 1)
        to[n - 1] = from[n - 1];
}

// n pixels of a row read whole groups of eight at a time: the copy runs on
// past n by up to seven, which the row's pixels hold (the caller makes
// sure) and the copy has room for.
static inline void copyPixelsOver(uint16_t* to, const uint16_t* from, int n)
{
    for (int k = 0; k < n; k += 8)
        memcpy(to + k, from + k, 8 * sizeof(uint16_t));
}

// Each lane's row and column for the LANES_MAX pixels from column k of row
// r, the first of them at lane `at`.
static inline void lanesPlace(Span* s, int at, int r, int k)
{
    static const float columns[LANES_MAX] = {0, 1, 2, 3, 4, 5, 6, 7};
    float first = (float)k;
    for (int j = 0; j < LANES_MAX; j++) {
        s->laneRow[at + j] = r;
        s->laneColumn[at + j] = columns[j] + first;
    }
}

// The stages cost about as much for a register of pixels whether it is full
// or not, and a small triangle's rows hold a few pixels each: its rows go
// through together, every lane computing what it would in a span of its own
// row (each value from its row's start and its column), on copies of the
// rows' pixels that are put back afterwards.
void spanDrawRows(Span* s, const Setup* setup, int rows)
{
    const Pipeline& P = *s->path;
    size_t rowAt[SPAN_ROWS_MAX];
    int n = 0;
    for (int r = 0; r < rows; r++) {
        int x = s->rowX[r], y = s->rowY[r], m = s->rowN[r];
        size_t at = rowAt[r] = (size_t)y * P.width + (size_t)x;
        // The next row's lanes and pixels overwrite those past this one's
        // end.
        for (int k = 0; k < m; k += LANES_MAX)
            lanesPlace(s, n + k, r, k);
        if (x + ((m + 7) & ~7) <= P.width) {
            copyPixelsOver(s->rowColor + n, P.color + at, m);
            if (P.aux)
                copyPixelsOver(s->rowAux + n, P.aux + at, m);
        } else {
            copyPixels(s->rowColor + n, P.color + at, m);
            if (P.aux)
                copyPixels(s->rowAux + n, P.aux + at, m);
        }
        s->rowDX[r] = (double)x + 0.5 - setup->refX;
        s->rowDY[r] = (double)y + 0.5 - setup->refY;
        n += m;
    }
    // Lanes past the end compute harmless values of the last row.
    int last = rows - 1;
    lanesPlace(s, n, last, s->rowN[last]);
    s->setup = setup;
    s->rows = rows;
    s->x = 0;
    s->y = 0;
    s->n = n;
    s->color = s->rowColor;
    s->aux = P.aux ? s->rowAux : nullptr;
    s->counts.in += (uint64_t)n;
    liveSet(s, n);
    for (int k = 0; k < P.stageCount; k++)
        P.stages[k](s);
    bool auxWritten = P.aux && (P.writeDepth || P.writeAlpha);
    for (int r = 0, from = 0; r < rows; from += s->rowN[r], r++) {
        if (P.writeRgb)
            copyPixels(P.color + rowAt[r], s->rowColor + from, s->rowN[r]);
        if (auxWritten)
            copyPixels(P.aux + rowAt[r], s->rowAux + from, s->rowN[r]);
    }
    s->rows = 0;
}

void pixelsDraw(Span* s, const Setup* setup, const PixelAt* at, int count, int rowBegin, int rowEnd)
{
    for (int i = 0; i < count; i++)
        if (at[i].y >= rowBegin && at[i].y < rowEnd)
            spanDraw(s, setup, at[i].y, at[i].x, at[i].x + 1);
}
