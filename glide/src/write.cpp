// The write stage: live pixels' colour (dithered or not) to the render
// target, and their depth or alpha to the aux buffer.
#include "stages.h"

namespace LANES {

// Ordered dither thresholds, 0..15.
static const uint8_t dither4x4[4][4] = {
    {0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
static const uint8_t dither2x2[2][2] = {{0, 8}, {12, 4}};

// 8-bit channels to 5-6-5. Without dithering each channel keeps its top bits;
// with it, c * (2^bits - 1) / 255 is rounded up or down by the threshold of
// the pixel's place in the matrix, the same for every frame.
static inline uint16_t ditherPack(uint32_t c, int x, int y, int mode)
{
    uint32_t m = mode == GR_DITHER_4x4 ? dither4x4[y & 3][x & 3] : dither2x2[y & 1][x & 1];
    uint32_t t = m * 255 / 16 + 8;
    uint32_t r = (((c >> 16) & 255) * 31 + t) / 255;
    uint32_t g = (((c >> 8) & 255) * 63 + t) / 255;
    uint32_t b = ((c & 255) * 31 + t) / 255;
    return (uint16_t)((r << 11) | (g << 5) | b);
}

void stageWrite(Span* s)
{
    const Pipeline& P = *s->path;
    int n = s->n;
    uint16_t* color = s->color;
    uint16_t* aux = s->aux;
    bool rgb = P.writeRgb, depth = P.writeDepth && aux, alpha = P.writeAlpha && aux;
    int dither = P.ditherMode;
    int i = 0;
    unsigned written = 0;
    if (!dither && !alpha) {
        // 2W pixels at a time (two registers of colour, one of 16-bit
        // values) while they lie inside the span, or to its end when it
        // writes to copies of its rows, which leave room past it (no pixel
        // past the end is live).
        int end = s->rows ? n : n - 2 * W + 1;
        for (; i < end; i += 2 * W) {
            I live = liveMask16(s->live + i);
            written += sumBytes(s->live + i);
            if (rgb) {
                I c = pack16(pack565Lanes(loadI(s->color32 + i)),
                             pack565Lanes(loadI(s->color32 + i + W)));
                storeI(color + i, select(live, c, loadI(color + i)));
            }
            if (depth)
                storeI(aux + i, select(live, loadI(s->depth + i), loadI(aux + i)));
        }
    }
    for (; i < n; i++) {
        if (!s->live[i])
            continue;
        written++;
        if (rgb && dither) {
            color[i] = ditherPack(s->color32[i], spanColumn(s, i), spanRow(s, i), dither);
        } else if (rgb) {
            color[i] = pack565(s->color32[i]);
        }
        if (depth)
            aux[i] = s->depth[i];
        else if (alpha)
            aux[i] = (uint16_t)(s->color32[i] >> 24);
    }
    s->pixelsWritten += written;
}

}   // namespace LANES
