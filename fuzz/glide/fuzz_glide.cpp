// Feeds the device arbitrary sequences of Glide calls with arbitrary
// arguments, as a careless application might: nothing may crash, hang or
// touch memory it does not own. The harness itself keeps to the API's
// contract on memory it hands over (buffers as large as the call reads).
#include <glide.h>
#include <glideutl.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

struct Input {
    const uint8_t* data;
    size_t size, at;
    bool done() const
    {
        return at >= size;
    }
    uint8_t byte()
    {
        return at < size ? data[at++] : 0;
    }
    uint32_t u32()
    {
        uint32_t v = 0;
        for (int i = 0; i < 4; i++)
            v = (v << 8) | byte();
        return v;
    }
    int small(int n)
    {
        return (int)(byte() % n);
    }
    float real()
    {
        // Mostly sensible coordinates, sometimes anything at all.
        uint8_t kind = byte();
        if (kind < 200)
            return (float)(int16_t)(u32() & 0xFFFF) / 16.0f;
        uint32_t bits = u32();
        float f;
        memcpy(&f, &bits, 4);
        return f;
    }
};

const int VERTEX_BYTES = 1100;   // any layout offset the device accepts fits
const int VERTICES = 8;
alignas(16) uint8_t vertices[VERTICES][VERTEX_BYTES];
alignas(16) uint8_t texels[4 * 87382];   // the largest chain of 32-bit texels
alignas(16) uint8_t pixels[2048 * 2048 * 4];
GrContext_t context;

void errorSink(const char*, FxBool) {}

void fillVertex(Input& in, int v)
{
    // Floats where layouts usually put them, raw bytes elsewhere.
    for (int off = 0; off < 64; off += 4) {
        float f = in.real();
        memcpy(&vertices[v][off], &f, 4);
    }
    for (int k = 0; k < 8; k++)
        vertices[v][64 + in.small(VERTEX_BYTES - 64)] = in.byte();
}

void call(Input& in)
{
    uint32_t a = 0, b = 0;
    switch (in.small(49)) {
    case 0:
        grColorCombine(in.small(20), in.small(16), in.small(4), in.small(4), in.small(3));
        break;
    case 1:
        grAlphaCombine(in.small(20), in.small(16), in.small(4), in.small(4), in.small(3));
        break;
    case 2:
        grTexCombine(in.small(3), in.small(20), in.small(16), in.small(20), in.small(16),
                     in.small(2), in.small(2));
        break;
    case 3: grAlphaBlendFunction(in.small(17), in.small(17), in.small(17), in.small(17)); break;
    case 4:
        grAlphaTestFunction(in.small(9));
        grAlphaTestReferenceValue(in.byte());
        break;
    case 5: grConstantColorValue(in.u32()); break;
    case 6:
        grDepthBufferMode(in.small(6));
        grDepthBufferFunction(in.small(9));
        break;
    case 7:
        grDepthMask(in.small(2));
        grColorMask(in.small(2), in.small(2));
        break;
    case 8: grDepthBiasLevel((FxI32)in.u32()); break;
    case 9:
        grChromakeyMode(in.small(3));
        grChromakeyValue(in.u32());
        break;
    case 10:
        grFogMode((GrFogMode_t)(in.small(6) | (in.small(4) << 8)));
        grFogColorValue(in.u32());
        break;
    case 11: {
        GrFog_t table[64];
        for (GrFog_t& t : table)
            t = in.byte();
        grFogTable(table);
        break;
    }
    case 12:
        grCullMode(in.small(4));
        grDitherMode(in.small(4));
        break;
    case 13:
        grClipWindow(in.u32() % 2000, in.u32() % 2000, in.u32() % 2000, in.u32() % 2000);
        break;
    case 14: grVertexLayout(in.byte(), (FxI32)(in.u32() % 1200) - 50, in.small(3)); break;
    case 15: {
        int v = in.small(VERTICES);
        fillVertex(in, v);
        break;
    }
    case 16:
        grDrawTriangle(vertices[in.small(VERTICES)], vertices[in.small(VERTICES)],
                       vertices[in.small(VERTICES)]);
        break;
    case 17: {
        void* list[16];
        int n = in.small(17);
        for (int i = 0; i < n; i++)
            list[i] = vertices[in.small(VERTICES)];
        grDrawVertexArray(in.small(10), (FxU32)n, list);
        break;
    }
    case 18:
        grDrawVertexArrayContiguous(in.small(10), (FxU32)in.small(VERTICES + 1), vertices,
                                    VERTEX_BYTES);
        break;
    case 19: grDrawPoint(vertices[in.small(VERTICES)]); break;
    case 20: grDrawLine(vertices[in.small(VERTICES)], vertices[in.small(VERTICES)]); break;
    case 21: grBufferClear(in.u32(), in.byte(), in.u32()); break;
    case 22: grBufferSwap(0); break;
    case 23: grRenderBuffer(in.small(6)); break;
    case 24:
        grEnable(in.small(10));
        grDisable(in.small(10));
        break;
    case 25: {
        GrTexInfo info = {in.small(11) - 1, in.small(11) - 1, in.small(9) - 4, in.small(20),
                          texels};
        for (int i = 0; i < 64; i++)
            texels[in.small(sizeof texels)] = in.byte();
        grTexDownloadMipMap(in.small(3), in.u32() % (5u << 20), in.small(4), &info);
        break;
    }
    case 26: {
        GrTexInfo info = {in.small(11) - 1, in.small(11) - 1, in.small(9) - 4, in.small(20),
                          nullptr};
        grTexSource(in.small(3), (in.u32() % (5u << 20)) & ~15u, in.small(4), &info);
        break;
    }
    case 27: grTexFilterMode(in.small(3), in.small(3), in.small(3)); break;
    case 28: grTexClampMode(in.small(3), in.small(4), in.small(4)); break;
    case 29: grTexMipMapMode(in.small(3), in.small(4), in.small(2)); break;
    case 30: grTexLodBiasValue(in.small(3), in.real()); break;
    case 31: {
        GuTexPalette palette;
        for (FxU32& e : palette.data)
            e = in.u32();
        grTexDownloadTable(in.small(5), &palette);   // large enough for any table
        break;
    }
    case 32: grTexNCCTable(in.small(3)); break;
    case 33: {
        a = in.u32() % 400;
        b = in.u32() % 300;
        FxU32 w = 1 + in.u32() % 400, h = 1 + in.u32() % 300;
        grLfbReadRegion(in.small(6), a, b, w, h, w * 2, pixels);
        break;
    }
    case 34: {
        a = in.u32() % 400;
        b = in.u32() % 300;
        FxU32 w = 1 + in.u32() % 400, h = 1 + in.u32() % 300;
        GrLfbSrcFmt_t format = in.small(16);
        pixels[in.small(1024)] = in.byte();
        grLfbWriteRegion(in.small(6), a, b, format, w, h, in.small(2), (FxI32)(w * 4), pixels);
        break;
    }
    case 35: {
        GrLfbInfo_t info;
        memset(&info, 0, sizeof info);
        info.size = sizeof info;
        GrLock_t type = in.small(2);
        GrBuffer_t buffer = in.small(6);
        if (grLfbLock(type, buffer, in.small(17), in.small(3), in.small(2), &info)) {
            if (type == GR_LFB_WRITE_ONLY && info.lfbPtr)
                ((uint8_t*)info.lfbPtr)[in.small(256)] = in.byte();
            grLfbUnlock(type, buffer);
        }
        break;
    }
    case 36: {
        FxI32 size = 0;
        grGet(GR_GLIDE_STATE_SIZE, 4, &size);
        std::vector<uint8_t> state((size_t)size);
        grGlideGetState(state.data());
        for (int i = 0; i < 8; i++)
            state[in.small(size)] = in.byte();
        grGlideSetState(state.data());
        break;
    }
    case 37: {
        FxI32 size = 0;
        grGet(GR_GLIDE_VERTEXLAYOUT_SIZE, 4, &size);
        std::vector<uint8_t> layout((size_t)size);
        grGlideGetVertexLayout(layout.data());
        for (int i = 0; i < 4; i++)
            layout[in.small(size)] = in.byte();
        grGlideSetVertexLayout(layout.data());
        break;
    }
    case 38: {
        FxI32 v[4];
        grGet(in.byte(), (FxU32)in.small(20), v);
        break;
    }
    case 39:
        grCoordinateSpace(in.small(3));
        grViewport((FxI32)in.u32() % 2000, (FxI32)in.u32() % 2000, (FxI32)in.u32() % 2000,
                   (FxI32)in.u32() % 2000);
        break;
    case 40: grSstOrigin(in.small(3)); break;
    case 41:
        grLfbConstantDepth(in.u32());
        grLfbConstantAlpha(in.byte());
        grLfbWriteColorFormat(in.small(5));
        break;
    case 42: grTexDetailControl(in.small(3), in.small(80) - 40, in.byte() % 10, in.real()); break;
    case 43:
        // Close and reopen at another size, or not at all for a while.
        grSstWinClose(context);
        context = in.small(4) == 0 ? 0
                                   : grSstWinOpen(0, in.small(8), GR_REFRESH_60Hz, in.small(5),
                                                  in.small(3), 2 + in.small(2), in.small(2));
        break;
    case 44:
        grAADrawTriangle(vertices[in.small(VERTICES)], vertices[in.small(VERTICES)],
                         vertices[in.small(VERTICES)], in.small(2), in.small(2), in.small(3));
        break;
    case 45: {
        GrTexInfo info = {in.small(11) - 1, in.small(11) - 1, in.small(9) - 4, in.small(20),
                          nullptr};
        grTexMultibase(in.small(3), in.small(2));
        grTexMultibaseAddress(in.small(3), (GrTexBaseRange_t)in.small(6), in.u32() % (5u << 20),
                              in.small(4), &info);
        break;
    }
    case 46: {
        FxU32 tables[3][256] = {};
        for (int i = 0; i < 16; i++)
            tables[in.small(3)][in.byte()] = in.u32();
        in.small(2) ? grLoadGammaTable(in.u32() % 300, tables[0], tables[1], tables[2])
                    : guGammaCorrectionRGB(in.real(), in.real(), in.real());
        break;
    }
    case 47: {
        // The Voodoo2 extensions, reached as programs reach them.
        typedef void (*RangeProc)(GrColor_t, GrColor_t, FxI32);
        typedef void (*TexRangeProc)(GrChipID_t, GrColor_t, GrColor_t, FxI32);
        typedef void (*ModeProc)(FxI32);
        typedef void (*TexModeProc)(GrChipID_t, FxI32);
        ((ModeProc)grGetProcAddress((char*)"grChromaRangeModeExt"))(in.small(3));
        ((RangeProc)grGetProcAddress((char*)"grChromaRangeExt"))(in.u32(), in.u32(), in.small(2));
        ((TexModeProc)grGetProcAddress((char*)"grTexChromaModeExt"))(in.small(3), in.small(3));
        ((TexRangeProc)grGetProcAddress((char*)"grTexChromaRangeExt"))(in.small(3), in.u32(),
                                                                       in.u32(), in.small(2));
        break;
    }
    case 48: grReset(in.byte()); break;
    }
}

}   // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    setenv("OBX_GLIDE_DISPLAY", "headless", 1);
    unsetenv("OBX_GLIDE_DUMP");
    setenv("OBX_GLIDE_TEXMEM", "1M", 1);
    grErrorSetCallback(errorSink);
    grGlideInit();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Input in = {data, size, 0};
    context = grSstWinOpen(0, GR_RESOLUTION_320x240, GR_REFRESH_60Hz, GR_COLORFORMAT_ARGB,
                           GR_ORIGIN_LOWER_LEFT, 2, 1);
    for (int i = 0; i < 200 && !in.done(); i++)
        call(in);
    if (context)
        grSstWinClose(context);
    context = 0;
    return 0;
}
