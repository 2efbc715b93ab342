// The linear frame buffer: region reads and writes, and locks.
//
// Regions are addressed with row 0 at the top of the screen whatever origin
// the window was opened with. 32-bit colour words are 0xAARRGGBB whatever
// colour format the window has; only grLfbWriteColorFormat reorders them. A region reaching past the screen is cut to
// it; one lying wholly outside does nothing and reports failure.
#include "pixel.h"

#include <cstdlib>
#include <cstring>

namespace {

int formatBytes(GrLfbSrcFmt_t format)
{
    switch (format) {
    case GR_LFB_SRC_FMT_565:
    case GR_LFB_SRC_FMT_555:
    case GR_LFB_SRC_FMT_1555:
    case GR_LFB_SRC_FMT_ZA16: return 2;
    case GR_LFB_SRC_FMT_888:
    case GR_LFB_SRC_FMT_8888:
    case GR_LFB_SRC_FMT_565_DEPTH:
    case GR_LFB_SRC_FMT_555_DEPTH:
    case GR_LFB_SRC_FMT_1555_DEPTH: return 4;
    default: return 0;
    }
}

inline uint32_t expand5(uint32_t v)
{
    return (v << 3) | (v >> 2);
}

// One source pixel as colour (0xAARRGGBB), with its depth when the format
// carries one.
struct LfbPixel {
    uint32_t argb;
    bool hasAlpha;
    bool hasDepth;
    uint16_t depth;
};

inline uint32_t from555(uint32_t p, bool alphaBit)
{
    uint32_t a = alphaBit ? ((p & 0x8000) ? 255u : 0u) : 255u;
    return (a << 24) | (expand5((p >> 10) & 31) << 16) | (expand5((p >> 5) & 31) << 8) |
           expand5(p & 31);
}

LfbPixel readSource(const uint8_t* src, GrLfbSrcFmt_t format)
{
    LfbPixel px = {0, false, false, 0};
    uint32_t w = 0;
    int bytes = formatBytes(format);
    if (bytes == 2) {
        uint16_t h;
        memcpy(&h, src, 2);
        if (gs.lfbSwizzleBytes)
            h = (uint16_t)((h >> 8) | (h << 8));
        w = h;
    } else {
        memcpy(&w, src, 4);
        if (gs.lfbSwizzleBytes)
            w = __builtin_bswap32(w);
        if (gs.lfbSwapWords)
            w = (w >> 16) | (w << 16);
    }
    GrColorFormat_t cformat = gs.lfbWriteColorFormat;
    switch (format) {
    case GR_LFB_SRC_FMT_565: px.argb = expand565((uint16_t)w); break;
    case GR_LFB_SRC_FMT_555: px.argb = from555(w, false); break;
    case GR_LFB_SRC_FMT_1555:
        px.argb = from555(w, true);
        px.hasAlpha = true;
        break;
    case GR_LFB_SRC_FMT_888: px.argb = 0xFF000000u | (colorToArgb(w, cformat) & 0x00FFFFFFu); break;
    case GR_LFB_SRC_FMT_8888:
        px.argb = colorToArgb(w, cformat);
        px.hasAlpha = true;
        break;
    case GR_LFB_SRC_FMT_565_DEPTH:
        px.argb = expand565((uint16_t)w);
        px.hasDepth = true;
        break;
    case GR_LFB_SRC_FMT_555_DEPTH:
        px.argb = from555(w & 0xFFFF, false);
        px.hasDepth = true;
        break;
    case GR_LFB_SRC_FMT_1555_DEPTH:
        px.argb = from555(w & 0xFFFF, true);
        px.hasAlpha = true;
        px.hasDepth = true;
        break;
    case GR_LFB_SRC_FMT_ZA16:
        px.depth = (uint16_t)w;
        px.hasDepth = true;
        break;
    default: break;
    }
    if (px.hasDepth && format != GR_LFB_SRC_FMT_ZA16)
        px.depth = (uint16_t)(w >> 16);
    if (!px.hasAlpha)
        px.argb = (px.argb & 0x00FFFFFFu) | ((uint32_t)gs.lfbConstantAlpha << 24);
    return px;
}

bool isColorBuffer(GrBuffer_t b)
{
    return b == GR_BUFFER_FRONTBUFFER || b == GR_BUFFER_BACKBUFFER || b == GR_BUFFER_TRIPLEBUFFER;
}

bool isAuxBuffer(GrBuffer_t b)
{
    return b == GR_BUFFER_AUXBUFFER || b == GR_BUFFER_DEPTHBUFFER || b == GR_BUFFER_ALPHABUFFER;
}

// The region [x, x + w) x [y, y + h) cut to the screen (its right and bottom
// parts); false when nothing is left.
bool clipRegion(FxU32 x, FxU32 y, FxU32 w, FxU32 h, int* x0, int* y0, int* cw, int* ch)
{
    if (x >= (FxU32)dev.width || y >= (FxU32)dev.height || w == 0 || h == 0)
        return false;
    *x0 = (int)x;
    *y0 = (int)y;
    *cw = (int)(w < (FxU32)dev.width - x ? w : (FxU32)dev.width - x);
    *ch = (int)(h < (FxU32)dev.height - y ? h : (FxU32)dev.height - y);
    return true;
}

// Runs the current pixel path over written pixels, their colour standing in
// for the iterated colour and their depth (or the constant depth) for the
// interpolated one.
void runPipelineRow(const Setup* setup, int y, int x0, int n, const LfbPixel* pixels,
                    uint16_t constDepth)
{
    Span* s = callerSpan();
    const Pipeline& P = *s->path;
    uint16_t* colorRow = renderTarget() + (size_t)y * dev.width;
    uint16_t* auxRow = dev.auxBuffer ? dev.auxBuffer + (size_t)y * dev.width : nullptr;
    for (int start = 0; start < n; start += SPAN_MAX) {
        int count = n - start < SPAN_MAX ? n - start : SPAN_MAX;
        s->setup = setup;
        s->y = y;
        s->x = x0 + start;
        s->n = count;
        s->color = colorRow + s->x;
        s->aux = auxRow ? auxRow + s->x : nullptr;
        s->counts.in += (uint64_t)count;
        for (int i = 0; i < count; i++) {
            s->live[i] = 1;
            s->iter[i] = pixels[start + i].argb;
            s->depth[i] = pixels[start + i].hasDepth ? pixels[start + i].depth : constDepth;
            s->wvalue[i] = 0;
        }
        for (int k = 0; k < P.stageCount; k++)
            if (!(P.planeStages & (1u << k)))
                P.stages[k](s);
    }
}

bool lfbWrite(const char* call, GrBuffer_t buffer, FxU32 dstX, FxU32 dstY, GrLfbSrcFmt_t format,
              FxU32 width, FxU32 height, bool pixelPipeline, long stride, const uint8_t* src)
{
    int bytes = formatBytes(format);
    if (!src || bytes == 0) {
        reportError("%s: invalid argument", call);
        return false;
    }
    bool toAux = isAuxBuffer(buffer);
    if ((format == GR_LFB_SRC_FMT_ZA16) != toAux || (!toAux && !isColorBuffer(buffer))) {
        reportError("%s: format %d cannot be written to buffer %d", call, format, buffer);
        return false;
    }
    uint16_t* target = bufferPointer(buffer);
    if (!target) {
        reportError("%s: buffer %d does not exist", call, buffer);
        return false;
    }
    int x0, y0, w, h;
    if (!clipRegion(dstX, dstY, width, height, &x0, &y0, &w, &h))
        return false;
    // Only the region's rows need their commands drawn first (a program may
    // write a few pixels mid-frame while the threads draw the rest).
    queueDrainRows(y0, y0 + h);

    if (toAux) {
        for (int row = 0; row < h; row++) {
            const uint8_t* line = src + (long)row * stride;
            uint16_t* out = target + (size_t)(y0 + row) * dev.width + x0;
            for (int i = 0; i < w; i++)
                out[i] = readSource(line + (size_t)i * 2, format).depth;
        }
        return true;
    }

    LfbPixel pixels[SPAN_MAX];
    if (pixelPipeline) {
        // Through the pixel path into the render target, the written colour
        // standing in for the iterated one.
        if (dev.stale)
            validatePipeline();
        GrBuffer_t saved = gs.renderBuffer;
        gs.renderBuffer =
            buffer == GR_BUFFER_FRONTBUFFER ? GR_BUFFER_FRONTBUFFER : GR_BUFFER_BACKBUFFER;
        Setup setup = {};
        setup.q.at = 1.0;
        for (int t = 0; t < MAX_TMU; t++)
            setup.qt[t].at = 1.0;
        for (int row = 0; row < h; row++) {
            const uint8_t* line = src + (long)row * stride;
            for (int start = 0; start < w; start += SPAN_MAX) {
                int count = w - start < SPAN_MAX ? w - start : SPAN_MAX;
                for (int i = 0; i < count; i++)
                    pixels[i] = readSource(line + (size_t)(start + i) * bytes, format);
                runPipelineRow(&setup, y0 + row, x0 + start, count, pixels,
                               (uint16_t)gs.lfbConstantDepth);
            }
        }
        gs.renderBuffer = saved;
        return true;
    }
    for (int row = 0; row < h; row++) {
        const uint8_t* line = src + (long)row * stride;
        size_t at = (size_t)(y0 + row) * dev.width + x0;
        for (int i = 0; i < w; i++) {
            LfbPixel px = readSource(line + (size_t)i * bytes, format);
            target[at + i] = pack565(px.argb);
            if (dev.auxBuffer && px.hasDepth)
                dev.auxBuffer[at + i] = px.depth;
        }
    }
    return true;
}

// Locks hand out a pointer to the buffer itself when the application reads
// or writes 5-6-5 pixels top-down without the pixel path; otherwise to a
// shadow copy in the asked format, written back on unlock.
struct Lock {
    bool active;
    GrLock_t type;
    GrBuffer_t buffer;
    GrLfbWriteMode_t mode;
    GrOriginLocation_t origin;
    bool pixelPipeline;
    uint8_t* shadow;   // null when the buffer is handed out directly
    int bytes;
};

Lock locks[4];

}   // namespace

extern "C" {

FxBool grLfbWriteRegion(GrBuffer_t dst_buffer, FxU32 dst_x, FxU32 dst_y, GrLfbSrcFmt_t src_format,
                        FxU32 src_width, FxU32 src_height, FxBool pixelPipeline, FxI32 src_stride,
                        void* src_data)
{
    TRACE("grLfbWriteRegion(%d, %u, %u, %u, %u, %u, %d, %d, ptr)", dst_buffer, dst_x, dst_y,
          src_format, src_width, src_height, traceBool(pixelPipeline), src_stride);
    if (!requireWindow("grLfbWriteRegion"))
        return FXFALSE;
    return lfbWrite("grLfbWriteRegion", dst_buffer, dst_x, dst_y, src_format, src_width, src_height,
                    pixelPipeline != FXFALSE, src_stride, (const uint8_t*)src_data)
               ? FXTRUE
               : FXFALSE;
}

FxBool grLfbReadRegion(GrBuffer_t src_buffer, FxU32 src_x, FxU32 src_y, FxU32 src_width,
                       FxU32 src_height, FxU32 dst_stride, void* dst_data)
{
    TRACE("grLfbReadRegion(%d, %u, %u, %u, %u, %u, ptr)", src_buffer, src_x, src_y, src_width,
          src_height, dst_stride);
    if (!requireWindow("grLfbReadRegion"))
        return FXFALSE;
    uint16_t* source = bufferPointer(src_buffer);
    if (!dst_data || !source) {
        reportError("grLfbReadRegion: invalid argument");
        return FXFALSE;
    }
    int x0, y0, w, h;
    if (!clipRegion(src_x, src_y, src_width, src_height, &x0, &y0, &w, &h))
        return FXFALSE;
    queueDrainRows(y0, y0 + h);
    for (int row = 0; row < h; row++)
        memcpy((uint8_t*)dst_data + (size_t)row * dst_stride,
               source + (size_t)(y0 + row) * dev.width + x0, (size_t)w * 2);
    return FXTRUE;
}

FxBool grLfbLock(GrLock_t type, GrBuffer_t buffer, GrLfbWriteMode_t writeMode,
                 GrOriginLocation_t origin, FxBool pixelPipeline, GrLfbInfo_t* info)
{
    TRACE("grLfbLock(%u, %d, %d, %d, %d, ptr)", type, buffer, writeMode, origin,
          traceBool(pixelPipeline));
    if (!requireWindow("grLfbLock"))
        return FXFALSE;
    uint16_t* target = bufferPointer(buffer);
    bool write = (type & 1) == GR_LFB_WRITE_ONLY;
    if (!info || !target ||
        (origin != GR_ORIGIN_UPPER_LEFT && origin != GR_ORIGIN_LOWER_LEFT &&
         origin != GR_ORIGIN_ANY)) {
        reportError("grLfbLock: invalid argument");
        return FXFALSE;
    }
    if (origin == GR_ORIGIN_ANY)
        origin = GR_ORIGIN_UPPER_LEFT;
    bool aux = isAuxBuffer(buffer);
    if (!write || writeMode == GR_LFBWRITEMODE_ANY)
        writeMode = aux ? GR_LFBWRITEMODE_ZA16 : GR_LFBWRITEMODE_565;
    int bytes = formatBytes(writeMode);
    if (bytes == 0 || (writeMode == GR_LFBWRITEMODE_ZA16) != aux) {
        reportError("grLfbLock: write mode %d does not suit buffer %d", writeMode, buffer);
        return FXFALSE;
    }
    Lock* lock = nullptr;
    for (Lock& l : locks) {
        if (l.active && l.type == (type & 1) && l.buffer == buffer) {
            reportError("grLfbLock: buffer %d is already locked", buffer);
            return FXFALSE;
        }
        if (!l.active && !lock)
            lock = &l;
    }
    if (!lock) {
        reportError("grLfbLock: too many locks");
        return FXFALSE;
    }
    queueLfbLock(true);
    Lock l = {true, type & 1, buffer, writeMode, origin, pixelPipeline != FXFALSE, nullptr, bytes};
    bool direct = origin == GR_ORIGIN_UPPER_LEFT && bytes == 2 && !l.pixelPipeline &&
                  (writeMode == GR_LFBWRITEMODE_565 || writeMode == GR_LFBWRITEMODE_ZA16);
    if (!direct) {
        size_t pitch = (size_t)dev.width * bytes;
        l.shadow = (uint8_t*)malloc(pitch * dev.height);
        if (!l.shadow) {
            queueLfbLock(false);
            reportError("grLfbLock: out of memory");
            return FXFALSE;
        }
        // Start from what the buffer shows, in the asked format.
        GrColorFormat_t cformat = gs.lfbWriteColorFormat;
        for (int y = 0; y < dev.height; y++) {
            int srcRow = origin == GR_ORIGIN_LOWER_LEFT ? dev.height - 1 - y : y;
            const uint16_t* in = target + (size_t)srcRow * dev.width;
            uint8_t* out = l.shadow + (size_t)y * pitch;
            for (int x = 0; x < dev.width; x++) {
                uint16_t p = in[x];
                uint32_t argb = expand565(p);
                uint32_t w = 0;
                switch (writeMode) {
                case GR_LFBWRITEMODE_565:
                case GR_LFBWRITEMODE_ZA16: w = p; break;
                case GR_LFBWRITEMODE_555: w = ((p >> 1) & 0x7FE0) | (p & 0x1F); break;
                case GR_LFBWRITEMODE_1555: w = 0x8000 | ((p >> 1) & 0x7FE0) | (p & 0x1F); break;
                case GR_LFBWRITEMODE_565_DEPTH:
                    w = p | (dev.auxBuffer
                                 ? (uint32_t)dev.auxBuffer[(size_t)srcRow * dev.width + x] << 16
                                 : 0);
                    break;
                case GR_LFBWRITEMODE_555_DEPTH:
                case GR_LFBWRITEMODE_1555_DEPTH:
                    w = ((p >> 1) & 0x7FE0) | (p & 0x1F) |
                        (writeMode == GR_LFBWRITEMODE_1555_DEPTH ? 0x8000 : 0) |
                        (dev.auxBuffer
                             ? (uint32_t)dev.auxBuffer[(size_t)srcRow * dev.width + x] << 16
                             : 0);
                    break;
                default: {   // 888, 8888: back into the colour format
                    uint32_t a = argb >> 24, r = (argb >> 16) & 255, g = (argb >> 8) & 255,
                             b = argb & 255;
                    switch (cformat) {
                    case GR_COLORFORMAT_ABGR: w = (a << 24) | (b << 16) | (g << 8) | r; break;
                    case GR_COLORFORMAT_RGBA: w = (r << 24) | (g << 16) | (b << 8) | a; break;
                    case GR_COLORFORMAT_BGRA: w = (b << 24) | (g << 16) | (r << 8) | a; break;
                    default: w = argb; break;
                    }
                }
                }
                if (bytes == 2) {
                    uint16_t h = (uint16_t)w;
                    memcpy(out + (size_t)x * 2, &h, 2);
                } else {
                    memcpy(out + (size_t)x * 4, &w, 4);
                }
            }
        }
    }
    *lock = l;
    info->lfbPtr = l.shadow ? (void*)l.shadow : (void*)target;
    info->strideInBytes = (FxU32)(dev.width * bytes);
    info->writeMode = writeMode;
    info->origin = origin;
    return FXTRUE;
}

FxBool grLfbUnlock(GrLock_t type, GrBuffer_t buffer)
{
    TRACE("grLfbUnlock(%u, %d)", type, buffer);
    if (!requireWindow("grLfbUnlock"))
        return FXFALSE;
    for (Lock& l : locks) {
        if (!l.active || l.type != (type & 1) || l.buffer != buffer)
            continue;
        if (l.shadow && l.type == GR_LFB_WRITE_ONLY) {
            long pitch = (long)dev.width * l.bytes;
            const uint8_t* first = l.shadow;
            long stride = pitch;
            if (l.origin == GR_ORIGIN_LOWER_LEFT) {   // shadow row 0 is the bottom line
                first = l.shadow + (size_t)(dev.height - 1) * pitch;
                stride = -pitch;
            }
            lfbWrite("grLfbUnlock", buffer, 0, 0, l.mode, (FxU32)dev.width, (FxU32)dev.height,
                     l.pixelPipeline, stride, first);
        }
        free(l.shadow);
        l = Lock{};
        queueLfbLock(false);
        return FXTRUE;
    }
    reportError("grLfbUnlock: buffer %d is not locked", buffer);
    return FXFALSE;
}

}   // extern "C"

// Locks do not outlive their window.
void lfbReleaseLocks(void)
{
    for (Lock& l : locks) {
        free(l.shadow);
        l = Lock{};
    }
}
