#include "glide_test_util.h"

#include <cstddef>
#include <cstdlib>

std::vector<std::string> glideErrors;

static void collectError(const char* message, FxBool)
{
    glideErrors.push_back(message);
}

Vtx vtx(float x, float y)
{
    Vtx v = {};
    v.x = x;
    v.y = y;
    v.q = 1.0f;
    v.r = v.g = v.b = v.a = 255.0f;
    v.q0 = v.q1 = 1.0f;
    return v;
}

Vtx vtx(float x, float y, float r, float g, float b, float a)
{
    Vtx v = vtx(x, y);
    v.r = r;
    v.g = g;
    v.b = b;
    v.a = a;
    return v;
}

Vtx texVtx(float x, float y, float s, float t, float q)
{
    Vtx v = vtx(x, y);
    v.q = v.q0 = v.q1 = q;
    v.s0 = v.s1 = s * q;
    v.t0 = v.t1 = t * q;
    return v;
}

void useFullLayout()
{
    grVertexLayout(GR_PARAM_XY, offsetof(Vtx, x), GR_PARAM_ENABLE);
    grVertexLayout(GR_PARAM_Z, offsetof(Vtx, z), GR_PARAM_ENABLE);
    grVertexLayout(GR_PARAM_Q, offsetof(Vtx, q), GR_PARAM_ENABLE);
    grVertexLayout(GR_PARAM_RGB, offsetof(Vtx, r), GR_PARAM_ENABLE);
    grVertexLayout(GR_PARAM_A, offsetof(Vtx, a), GR_PARAM_ENABLE);
    grVertexLayout(GR_PARAM_ST0, offsetof(Vtx, s0), GR_PARAM_ENABLE);
    grVertexLayout(GR_PARAM_ST1, offsetof(Vtx, s1), GR_PARAM_ENABLE);
}

void tri(const Vtx& a, const Vtx& b, const Vtx& c)
{
    grDrawTriangle(&a, &b, &c);
}

void rect(float x0, float y0, float x1, float y1, const Vtx& colour)
{
    Vtx a = colour, b = colour, c = colour, d = colour;
    a.x = x0;
    a.y = y0;
    b.x = x1;
    b.y = y0;
    c.x = x1;
    c.y = y1;
    d.x = x0;
    d.y = y1;
    tri(a, b, c);
    tri(a, c, d);
}

void flatShading()
{
    grColorCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_ITERATED,
                   GR_COMBINE_OTHER_NONE, FXFALSE);
    grAlphaCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_ITERATED,
                   GR_COMBINE_OTHER_NONE, FXFALSE);
}

void decalTexture()
{
    grColorCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_ONE, GR_COMBINE_LOCAL_NONE,
                   GR_COMBINE_OTHER_TEXTURE, FXFALSE);
    grAlphaCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_ONE, GR_COMBINE_LOCAL_NONE,
                   GR_COMBINE_OTHER_TEXTURE, FXFALSE);
    grTexCombine(GR_TMU0, GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE,
                 GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, FXFALSE, FXFALSE);
}

FxU16 pixelAt(int x, int y, GrBuffer_t buffer)
{
    FxU16 p = 0xDEAD;
    EXPECT_TRUE(grLfbReadRegion(buffer, (FxU32)x, (FxU32)y, 1, 1, 2, &p)) << "at " << x << "," << y;
    return p;
}

FxU16 depthAt(int x, int y)
{
    return pixelAt(x, y, GR_BUFFER_AUXBUFFER);
}

std::vector<FxU16> grab(GrBuffer_t buffer)
{
    FxU32 w = 0, h = 0;
    extension<GrObxScreenSizeProc>("grObxScreenSize")(&w, &h);
    std::vector<FxU16> pixels((size_t)w * h);
    EXPECT_TRUE(extension<GrObxFrameGrabProc>("grObxFrameGrab")(buffer, pixels.data(), nullptr));
    return pixels;
}

int countPixels(FxU16 value, GrBuffer_t buffer)
{
    int n = 0;
    for (FxU16 p : grab(buffer))
        n += p == value;
    return n;
}

static void loadTexture(GrChipID_t tmu, FxU32 address, GrLOD_t lod, GrAspectRatio_t aspect,
                        GrTextureFormat_t format, void* data)
{
    GrTexInfo info = {lod, lod, aspect, format, data};
    grTexDownloadMipMap(tmu, address, GR_MIPMAPLEVELMASK_BOTH, &info);
    grTexSource(tmu, address, GR_MIPMAPLEVELMASK_BOTH, &info);
}

void loadTexture16(GrChipID_t tmu, FxU32 address, GrLOD_t lod, GrAspectRatio_t aspect,
                   GrTextureFormat_t format, const std::vector<FxU16>& texels)
{
    std::vector<FxU16> copy = texels;
    loadTexture(tmu, address, lod, aspect, format, copy.data());
}

void loadTexture8(GrChipID_t tmu, FxU32 address, GrLOD_t lod, GrAspectRatio_t aspect,
                  GrTextureFormat_t format, const std::vector<FxU8>& texels)
{
    std::vector<FxU8> copy = texels;
    loadTexture(tmu, address, lod, aspect, format, copy.data());
}

std::string traceText()
{
    const char* text = extension<GrObxTraceTextProc>("grObxTraceText")();
    return text ? text : "";
}

void traceOn(bool on)
{
    extension<GrObxTraceEnableProc>("grObxTraceEnable")(on ? FXTRUE : FXFALSE);
}

void GlideTest::SetUp()
{
    glideErrors.clear();
    grErrorSetCallback(collectError);
    grGlideInit();
    grSstSelect(0);
    reopen(GR_ORIGIN_UPPER_LEFT);
}

void GlideTest::reopen(GrOriginLocation_t origin, int aux, GrScreenResolution_t res)
{
    if (context)
        grSstWinClose(context);
    context = grSstWinOpen(0, res, GR_REFRESH_60Hz, GR_COLORFORMAT_ARGB, origin, 2, aux);
    ASSERT_NE(context, (GrContext_t)0);
    useFullLayout();
    flatShading();
    grDepthMask(FXTRUE);
    grBufferClear(0, 0, 0xFFFF);
    grDepthMask(FXFALSE);
}

void GlideTest::TearDown()
{
    traceOn(false);
    if (context)
        grSstWinClose(context);
    context = 0;
    grGlideShutdown();
    grErrorSetCallback(nullptr);
}

ScopedEnv::ScopedEnv(const char* name, const char* value) : name_(name)
{
    const char* old = getenv(name);
    had_ = old != nullptr;
    if (had_)
        old_ = old;
    if (value)
        setenv(name, value, 1);
    else
        unsetenv(name);
}

ScopedEnv::~ScopedEnv()
{
    if (had_)
        setenv(name_.c_str(), old_.c_str(), 1);
    else
        unsetenv(name_.c_str());
}
