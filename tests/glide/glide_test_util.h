// Small helpers the device tests share: a window fixture, a vertex with every
// parameter, drawing and reading pixels back.
#ifndef GLIDE_TEST_UTIL_H
#define GLIDE_TEST_UTIL_H

#include <glide.h>
#include <glideutl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "obx_glide_ext.h"

// Texture formats glide.h leaves to the extension headers.
#ifndef GR_TEXFMT_ARGB_8888
#define GR_TEXFMT_ARGB_8888 0x12
#endif
#ifndef GR_TEXFMT_P_8_6666
#define GR_TEXFMT_P_8_6666 0x6
#endif

// One vertex with every parameter the tests use, laid out by useFullLayout().
struct Vtx {
    float x, y, z, q;
    float r, g, b, a;
    float s0, t0, s1, t1;
    float q0, q1, fog;
};

Vtx vtx(float x, float y);
Vtx vtx(float x, float y, float r, float g, float b, float a = 255.0f);
// A textured vertex with q = 1/w; s, t are given undivided and get multiplied by q.
Vtx texVtx(float x, float y, float s, float t, float q = 1.0f);

void useFullLayout();

void tri(const Vtx& a, const Vtx& b, const Vtx& c);
// Two triangles covering [x0, x1) x [y0, y1) in pixels, all with vertex colour c.
void rect(float x0, float y0, float x1, float y1, const Vtx& colour);

// Combine state: the iterated colour and alpha pass straight through.
void flatShading();
// Texture colour and alpha pass straight through (TMU0 decal).
void decalTexture();

FxU16 pixelAt(int x, int y, GrBuffer_t buffer = GR_BUFFER_BACKBUFFER);
FxU16 depthAt(int x, int y);
// A 5-6-5 pixel widened to 0x00RRGGBB by repeating its top bits.
inline FxU32 widen565(FxU16 p)
{
    FxU32 r = p >> 11, g = (p >> 5) & 63, b = p & 31;
    return (((r << 3) | (r >> 2)) << 16) | (((g << 2) | (g >> 4)) << 8) | ((b << 3) | (b >> 2));
}
inline FxU16 rgb565(int r, int g, int b)
{
    return (FxU16)(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
}
// Every pixel of a buffer, row 0 at the top.
std::vector<FxU16> grab(GrBuffer_t buffer = GR_BUFFER_BACKBUFFER);
int countPixels(FxU16 value, GrBuffer_t buffer = GR_BUFFER_BACKBUFFER);

// Downloads a single-level texture of 16-bit texels to TMU `tmu` at `address` and makes it the source.
void loadTexture16(GrChipID_t tmu, FxU32 address, GrLOD_t lod, GrAspectRatio_t aspect,
                   GrTextureFormat_t format, const std::vector<FxU16>& texels);
void loadTexture8(GrChipID_t tmu, FxU32 address, GrLOD_t lod, GrAspectRatio_t aspect,
                  GrTextureFormat_t format, const std::vector<FxU8>& texels);

// Extension entry points.
template <typename T>
T extension(const char* name)
{
    return (T)(void (*)(void))grGetProcAddress((char*)name);
}
std::string traceText();
void traceOn(bool on);

// Errors reported through the callback since the fixture started.
extern std::vector<std::string> glideErrors;

// A 640 x 480 window, upper-left origin, double buffered with a depth buffer,
// opened before each test and closed after it. The back buffer starts black,
// the depth buffer at 0xFFFF.
class GlideTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    void reopen(GrOriginLocation_t origin, int aux = 1,
                GrScreenResolution_t res = GR_RESOLUTION_640x480);
    GrContext_t context = 0;
};

// Sets an environment variable for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value);
    ~ScopedEnv();

private:
    std::string name_;
    std::string old_;
    bool had_;
};

#endif
