// The whole-degree sine and cosine tables and the seven-bit table square root.
#include <math.h>
#include <string.h>

#include "math/math3d.h"

float cosTable[361];
float sinTable[361];
uint32_t sqrtTable[256];

#include "math/angle_tables.h"

// The values the C library's double-precision cos and sin of DegToRad(d) give,
// rounded to float; taken from fixed bit patterns, since another C library
// (Windows') may round the last bit of a few of them the other way.
void angleTablesInit(void)
{
    memcpy(cosTable, cosTableBits, sizeof cosTable);
    memcpy(sinTable, sinTableBits, sizeof sinTable);
}

static uint32_t floatBits(float f)
{
    uint32_t bits;
    memcpy(&bits, &f, sizeof bits);
    return bits;
}

static float bitsFloat(uint32_t bits)
{
    float f;
    memcpy(&f, &bits, sizeof f);
    return f;
}

void sqrtTableInit(void)
{
    for (uint32_t i = 0; i < 128; i++) {
        float f1 = bitsFloat(0x3F800000u | (i << 16));
        float f2 = bitsFloat(0x40000000u | (i << 16));
        sqrtTable[i] = floatBits((float)sqrt((double)f1)) & 0x7FFFFFu;
        sqrtTable[128 + i] = floatBits((float)sqrt((double)f2)) & 0x7FFFFFu;
    }
}

int angleIndex(float degrees)
{
    if (degrees >= 0.0f && degrees < 361.0f)
        return (int)degrees;
    if (!(degrees == degrees) || isinf(degrees))
        return 0;
    // fmodf is exact, so this is the truncated angle's remainder by 360.
    int i = (int)fmodf(degrees, 360.0f);
    return i < 0 ? i + 360 : i;
}

float fastSqrt(float x)
{
    if (x == 0.0f)
        return 0.0f;
    uint32_t bits = floatBits(x);
    int32_t e = (int32_t)(bits >> 23) - 127;
    uint32_t m = bits & 0x7FFFFFu;
    if (e & 1)
        m |= 0x800000u;
    e >>= 1;   // arithmetic: rounds toward minus infinity
    return bitsFloat(sqrtTable[m >> 16] + ((uint32_t)(e + 127) << 23));
}
