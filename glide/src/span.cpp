// Running the pixel path over spans: the stages one after the other, a run
// of at most SPAN_MAX pixels at a time.
#include "pixel.h"

#include <cstring>

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
        memset(s->live, 1, (size_t)n);
        for (int k = 0; k < P.stageCount; k++)
            P.stages[k](s);
    }
}

// The stages cost about the same for a register of pixels whether it is
// full or not, and a small triangle's rows hold a few pixels each: its rows
// go through together, every lane computing what it would in a span of its
// own row (each value from its row's start and its column), on copies of
// the rows' pixels that are put back afterwards.
void spanDrawRows(Span* s, const Setup* setup, int rows)
{
    const Pipeline& P = *s->path;
    int n = 0;
    for (int r = 0; r < rows; r++) {
        int x = s->rowX[r], y = s->rowY[r], m = s->rowN[r];
        size_t at = (size_t)y * P.width + (size_t)x;
        // Whole groups of LANES_MAX from the row's first pixel: the next
        // row's overwrite what lies past this one's end, and the last row's
        // fill the lanes past the span's end with harmless values.
        for (int k = 0; k < m + LANES_MAX; k++) {
            s->laneRow[n + k] = r;
            s->laneColumn[n + k] = (float)k;
            s->laneX[n + k] = x + k;
            s->laneY[n + k] = y;
            if (k + 1 >= m && r + 1 < rows)
                break;
        }
        memcpy(s->rowColor + n, P.color + at, (size_t)m * sizeof(uint16_t));
        if (P.aux)
            memcpy(s->rowAux + n, P.aux + at, (size_t)m * sizeof(uint16_t));
        n += m;
    }
    s->setup = setup;
    s->rows = rows;
    s->x = 0;
    s->y = 0;
    s->n = n;
    s->color = s->rowColor;
    s->aux = P.aux ? s->rowAux : nullptr;
    s->counts.in += (uint64_t)n;
    memset(s->live, 1, (size_t)n);
    for (int k = 0; k < P.stageCount; k++)
        P.stages[k](s);
    bool auxWritten = P.aux && (P.writeDepth || P.writeAlpha);
    for (int r = 0, from = 0; r < rows; from += s->rowN[r], r++) {
        size_t at = (size_t)s->rowY[r] * P.width + (size_t)s->rowX[r];
        size_t bytes = (size_t)s->rowN[r] * sizeof(uint16_t);
        if (P.writeRgb)
            memcpy(P.color + at, s->rowColor + from, bytes);
        if (auxWritten)
            memcpy(P.aux + at, s->rowAux + from, bytes);
    }
    s->rows = 0;
}

void pixelsDraw(Span* s, const Setup* setup, const PixelAt* at, int count, int rowBegin, int rowEnd)
{
    for (int i = 0; i < count; i++)
        if (at[i].y >= rowBegin && at[i].y < rowEnd)
            spanDraw(s, setup, at[i].y, at[i].x, at[i].x + 1);
}
