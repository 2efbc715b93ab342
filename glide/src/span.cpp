// Running the pixel path over spans: the stages one after the other, a run
// of at most SPAN_MAX pixels at a time.
#include "pixel.h"

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
        for (int i = 0; i < n; i++)
            s->live[i] = 1;
        for (int k = 0; k < P.stageCount; k++)
            P.stages[k](s);
    }
}

void pixelsDraw(Span* s, const Setup* setup, const PixelAt* at, int count, int rowBegin, int rowEnd)
{
    for (int i = 0; i < count; i++)
        if (at[i].y >= rowBegin && at[i].y < rowEnd)
            spanDraw(s, setup, at[i].y, at[i].x, at[i].x + 1);
}
