// The fog-table utilities. They need neither grGlideInit nor a window.
#include "device.h"

#include <cmath>

extern "C" {

// Entry i of the fog table stands for w = 2^(3 + i/4) / (8 - i%4): four
// entries per octave, from 1 at entry 0 to about 52429 at entry 63.
float guFogTableIndexToW(int i)
{
    TRACE("guFogTableIndexToW(%d)", i);
    if (i < 0)
        i = 0;
    if (i > 64)
        i = 64;
    return (float)(std::ldexp(1.0, 3 + (i >> 2)) / (double)(8 - (i & 3)));
}

static inline GrFog_t fogByte(double v)
{
    if (!(v > 0.0))
        return 0;
    if (v >= 255.0)
        return 255;
    return (GrFog_t)v;   // truncated
}

// Linear in eye-space w: 0 up to nearW, 255 from farW on.
void guFogGenerateLinear(GrFog_t* fogtable, float nearW, float farW)
{
    TRACE("guFogGenerateLinear(ptr, %g, %g)", (double)nearW, (double)farW);
    if (!fogtable) {
        reportError("guFogGenerateLinear: null table");
        return;
    }
    for (int i = 0; i < FOG_TABLE_SIZE; i++) {
        double w = (double)guFogTableIndexToW(i);
        double v;
        if (w <= nearW)
            v = 0.0;
        else if (w >= farW)
            v = 255.0;
        else
            v = 255.0 * (w - nearW) / ((double)farW - nearW);
        fogtable[i] = fogByte(v);
    }
}

// 1 - e^(-density * w), scaled so the last entry is 255.
void guFogGenerateExp(GrFog_t* fogtable, float density)
{
    TRACE("guFogGenerateExp(ptr, %g)", (double)density);
    if (!fogtable) {
        reportError("guFogGenerateExp: null table");
        return;
    }
    double last = 1.0 - std::exp(-(double)density * guFogTableIndexToW(FOG_TABLE_SIZE - 1));
    for (int i = 0; i < FOG_TABLE_SIZE; i++) {
        double f = 1.0 - std::exp(-(double)density * guFogTableIndexToW(i));
        fogtable[i] = last > 0.0 ? fogByte(255.0 * f / last) : 0;
    }
}

// 1 - e^(-(density * w)^2), scaled so the last entry is 255.
void guFogGenerateExp2(GrFog_t* fogtable, float density)
{
    TRACE("guFogGenerateExp2(ptr, %g)", (double)density);
    if (!fogtable) {
        reportError("guFogGenerateExp2: null table");
        return;
    }
    double dl = (double)density * guFogTableIndexToW(FOG_TABLE_SIZE - 1);
    double last = 1.0 - std::exp(-dl * dl);
    for (int i = 0; i < FOG_TABLE_SIZE; i++) {
        double d = (double)density * guFogTableIndexToW(i);
        double f = 1.0 - std::exp(-d * d);
        fogtable[i] = last > 0.0 ? fogByte(255.0 * f / last) : 0;
    }
}

}   // extern "C"
