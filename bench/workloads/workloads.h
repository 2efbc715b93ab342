// The workloads of the performance table, shared by the device's benchmark
// and its llvmpipe counterpart: what each draws, in numbers both use.
#ifndef OBX_BENCH_WORKLOADS_H
#define OBX_BENCH_WORKLOADS_H

// fill: per frame a clear of colour and depth, then one screen-filling quad
// (two triangles as a fan) with a 256 x 256 RGB565 texture and all its
// mipmaps (nearest mipmap, bilinear, wrap), about one texel per pixel, q the
// same everywhere, colour = texture x iterated white, depth test LEQUAL with
// depth writes.
// fill4b: the same clear, then FILL4B_LAYERS such quads with constant
// iterated alpha 127.5, blended SRC_ALPHA / ONE_MINUS_SRC_ALPHA, depth test on
// and depth writes off, layer k's texture moved by k * FILL4B_OFFSET texels.
#define FILL_Q        0.1f
#define FILL4B_LAYERS 4
#define FILL4B_OFFSET (0.13f * 256.0f)
#define FILL4B_ALPHA  127.5f

// The texel (x, y) of a size x size level of the fill texture, as RGB565.
static inline unsigned short fillTexel(int x, int y, int size)
{
    return (unsigned short)(((x * 31 / size) << 11) | ((y * 63 / size) << 5) | ((x ^ y) & 31));
}

#endif
