/*
 * The demo scene's sine, cosine and arc tangent (see demo_trig.h).
 *
 * Sine and cosine: the argument in double precision, reduced to within pi/4
 * of a quadrant's start (by pi/2 in double below 120, by 192 bits of 4/pi in
 * integers above), and polynomials of degree 7 and 8 in double, rounded once
 * to float. Arc tangent: all in float, the argument brought near 0, 0.5, 1,
 * 1.5 or infinity and a polynomial of degree 23. Nothing in here may be
 * contracted into fused multiply-adds, nor computed in x87 registers: the
 * build makes sure of both.
 */
#include "demo_trig.h"

#include <stdint.h>
#include <string.h>

static uint32_t floatBits(float x)
{
    uint32_t bits;
    memcpy(&bits, &x, sizeof bits);
    return bits;
}

static float bitsFloat(uint32_t bits)
{
    float x;
    memcpy(&x, &bits, sizeof x);
    return x;
}

/* ---- Sine and cosine ------------------------------------------------------------ */

/* The cosine and sine polynomials; the second set gives -cos, so quadrants
 * 2 and 3 need no negation of their own. */
typedef struct SinCosPolynomial {
    double c0, c1, c2, c3, c4;
    double s1, s2, s3;
} SinCosPolynomial;

static const SinCosPolynomial sinCosPolynomials[2] = {
    {0x1p0, -0x1.ffffffd0c621cp-2, 0x1.55553e1068f19p-5, -0x1.6c087e89a359dp-10,
     0x1.99343027bf8c3p-16, -0x1.555545995a603p-3, 0x1.1107605230bc4p-7, -0x1.994eb3774cf24p-13},
    {-0x1p0, 0x1.ffffffd0c621cp-2, -0x1.55553e1068f19p-5, 0x1.6c087e89a359dp-10,
     -0x1.99343027bf8c3p-16, -0x1.555545995a603p-3, 0x1.1107605230bc4p-7, -0x1.994eb3774cf24p-13},
};
static const double quadrantSigns[4] = {1.0, -1.0, -1.0, 1.0};
static const double twoOverPiTimes2To24 = 0x1.45F306DC9C883p+23;
static const double halfPi = 0x1.921FB54442D18p0;
static const double halfPiTimes2ToMinus63 = 0x1.921FB54442D18p-62;

/* 4/pi to 192 bits, eight new bits an entry, so that any 96 bits of it are
 * three aligned words. */
static const uint32_t fourOverPiBits[24] = {
    0xa2,       0xa2f9,     0xa2f983,   0xa2f9836e, 0xf9836e4e, 0x836e4e44, 0x6e4e4415, 0x4e441529,
    0x441529fc, 0x1529fc27, 0x29fc2757, 0xfc2757d1, 0x2757d1f5, 0x57d1f534, 0xd1f534dd, 0xf534ddc0,
    0x34ddc0db, 0xddc0db62, 0xc0db6295, 0xdb629599, 0x6295993c, 0x95993c43, 0x993c4390, 0x3c439041,
};

/* Exponent and leading fraction bits of |x|: ordered as |x| is. */
static uint32_t magnitudeTop(float x)
{
    return (floatBits(x) >> 20) & 0x7ff;
}

/* Sine (even quadrant n) or cosine (odd n) of the reduced argument x. */
static float sinCosPolynomial(double x, double x2, const SinCosPolynomial* p, int n)
{
    if ((n & 1) == 0) {
        double x3 = x * x2;
        double s1 = p->s2 + x2 * p->s3;
        double x5 = x3 * x2;
        double s = x + x3 * p->s1;
        return (float)(s + x5 * s1);
    }
    double x4 = x2 * x2;
    double c2 = p->c3 + x2 * p->c4;
    double c1 = p->c0 + x2 * p->c1;
    double x6 = x4 * x2;
    double c = c1 + x4 * p->c2;
    return (float)(c + x6 * c2);
}

/* |x| < 120: x less the nearest multiple n of pi/2. The quotient is scaled
 * by 2^24 so that the conversion to an integer rounds negative ones right. */
static double reduceSmall(double x, int* n)
{
    double r = x * twoOverPiTimes2To24;
    int quadrant = ((int32_t)r + 0x800000) >> 24;
    *n = quadrant;
    return x - quadrant * halfPi;
}

/* Any larger finite |x| (its bits): a 32 x 96-bit product with 4/pi gives
 * the quadrant and the remainder exactly, as a 2.62 fixed-point number. */
static double reduceLarge(uint32_t bits, int* n)
{
    const uint32_t* pi = &fourOverPiBits[(bits >> 26) & 15];
    int shift = (bits >> 23) & 7;
    uint32_t mantissa = ((bits & 0xffffff) | 0x800000) << shift;
    uint64_t low = (uint32_t)(mantissa * pi[0]);
    uint64_t middle = (uint64_t)mantissa * pi[4];
    uint64_t high = (uint64_t)mantissa * pi[8];
    uint64_t fraction = ((high >> 32) | (low << 32)) + middle;
    uint64_t quadrant = (fraction + (1ull << 61)) >> 62;
    fraction -= quadrant << 62;
    *n = (int)quadrant;
    /* The signed 64-bit remainder to double, rounded once: its two exact
     * halves added (a 32-bit build has no single instruction for it). */
    int64_t remainder = (int64_t)fraction;
    double value = (double)(int32_t)(remainder >> 32) * 4294967296.0 + (double)(uint32_t)remainder;
    return value * halfPiTimes2ToMinus63;
}

/* cosine: 1 for cos, 0 for sin. */
static float sinCos(float y, int cosine)
{
    double x = y;
    const SinCosPolynomial* p = &sinCosPolynomials[0];
    int n;
    if (magnitudeTop(y) < magnitudeTop(0x1.921FB6p-1f)) { /* pi/4 */
        if (magnitudeTop(y) < magnitudeTop(0x1p-12f))
            return cosine ? 1.0f : y;
        return sinCosPolynomial(x, x * x, p, cosine);
    }
    if (magnitudeTop(y) < magnitudeTop(120.0f)) {
        x = reduceSmall(x, &n);
        double s = quadrantSigns[n & 3];
        if (n & 2)
            p = &sinCosPolynomials[1];
        return sinCosPolynomial(x * s, x * x, p, n ^ cosine);
    }
    if (magnitudeTop(y) < 0x7f8) { /* finite */
        uint32_t bits = floatBits(y);
        int sign = (int)(bits >> 31);
        x = reduceLarge(bits, &n);
        double s = quadrantSigns[(n + sign) & 3];
        if ((n + sign) & 2)
            p = &sinCosPolynomials[1];
        return sinCosPolynomial(x * s, x * x, p, n ^ cosine);
    }
    return (y - y) / (y - y); /* infinity or NaN: NaN */
}

float demoSin(float x)
{
    return sinCos(x, 0);
}

float demoCos(float x)
{
    return sinCos(x, 1);
}

/* ---- Arc tangent ----------------------------------------------------------------- */

/* atan(0.5), atan(1), atan(1.5), atan(inf): high and low parts. */
static const float atanHigh[4] = {0x1.dac67p-2f, 0x1.921fb4p-1f, 0x1.f730bcp-1f, 0x1.921fb4p+0f};
static const float atanLow[4] = {0x1.586ed2p-28f, 0x1.4442d0p-25f, 0x1.281f68p-25f,
                                 0x1.4442d0p-24f};
static const float atanTerms[11] = {
    0x1.555556p-2f, -0x1.99999ap-3f, 0x1.24924ap-3f, -0x1.c71c70p-4f,
    0x1.745cdcp-4f, -0x1.3b0f2ap-4f, 0x1.10d66ap-4f, -0x1.dde2d6p-5f,
    0x1.97b4b2p-5f, -0x1.2b4442p-5f, 0x1.0ad3aep-6f,
};

static float atanOf(float x)
{
    uint32_t bits = floatBits(x), magnitude = bits & 0x7fffffff;
    int negative = (int)(bits >> 31), id;
    if (magnitude >= 0x4c000000) { /* |x| >= 2^25 */
        if (magnitude > 0x7f800000)
            return x + x; /* NaN */
        return negative ? -atanHigh[3] - atanLow[3] : atanHigh[3] + atanLow[3];
    }
    if (magnitude < 0x3ee00000) {   /* |x| < 0.4375 */
        if (magnitude < 0x31000000) /* |x| < 2^-29 */
            return x;
        id = -1;
    } else {
        x = bitsFloat(magnitude);
        if (magnitude < 0x3f980000) {     /* |x| < 1.1875 */
            if (magnitude < 0x3f300000) { /* |x| < 0.6875 */
                id = 0;
                x = (2.0f * x - 1.0f) / (2.0f + x);
            } else {
                id = 1;
                x = (x - 1.0f) / (x + 1.0f);
            }
        } else if (magnitude < 0x401c0000) { /* |x| < 2.4375 */
            id = 2;
            x = (x - 1.5f) / (1.0f + 1.5f * x);
        } else {
            id = 3;
            x = -1.0f / x;
        }
    }
    /* The odd and even halves of the polynomial in x^2. */
    float z = x * x;
    float w = z * z;
    const float* t = atanTerms;
    float s1 = z * (t[0] + w * (t[2] + w * (t[4] + w * (t[6] + w * (t[8] + w * t[10])))));
    float s2 = w * (t[1] + w * (t[3] + w * (t[5] + w * (t[7] + w * t[9]))));
    if (id < 0)
        return x - x * (s1 + s2);
    z = atanHigh[id] - ((x * (s1 + s2) - atanLow[id]) - x);
    return negative ? -z : z;
}

float demoAtan2(float y, float x)
{
    const float pi = 0x1.921fb6p+1f, piLow = -0x1.777a5cp-24f;
    const float halfPiF = 0x1.921fb6p+0f, quarterPi = 0x1.921fb6p-1f;
    uint32_t xBits = floatBits(x), yBits = floatBits(y);
    uint32_t xMagnitude = xBits & 0x7fffffff, yMagnitude = yBits & 0x7fffffff;
    if (xMagnitude > 0x7f800000 || yMagnitude > 0x7f800000)
        return x + y; /* NaN */
    if (xBits == 0x3f800000)
        return atanOf(y);                                       /* x = 1 */
    int quadrant = (int)((yBits >> 31) | ((xBits >> 31) << 1)); /* 2 sign(x) + sign(y) */
    if (yMagnitude == 0) {
        switch (quadrant) {
        case 0:
        case 1: return y;
        case 2: return pi;
        default: return -pi;
        }
    }
    if (xMagnitude == 0)
        return quadrant & 1 ? -halfPiF : halfPiF;
    if (xMagnitude == 0x7f800000) {
        if (yMagnitude == 0x7f800000) {
            switch (quadrant) {
            case 0: return quarterPi;
            case 1: return -quarterPi;
            case 2: return 3.0f * quarterPi;
            default: return -3.0f * quarterPi;
            }
        }
        switch (quadrant) {
        case 0: return 0.0f;
        case 1: return -0.0f;
        case 2: return pi;
        default: return -pi;
        }
    }
    if (yMagnitude == 0x7f800000)
        return quadrant & 1 ? -halfPiF : halfPiF;
    int exponents = ((int32_t)yMagnitude - (int32_t)xMagnitude) >> 23;
    float z;
    if (exponents > 60)
        z = halfPiF + 0.5f * piLow; /* |y/x| > 2^60 */
    else if ((xBits >> 31) && exponents < -60)
        z = 0.0f; /* |y|/x < -2^60 */
    else
        z = atanOf(bitsFloat(floatBits(y / x) & 0x7fffffff));
    switch (quadrant) {
    case 0: return z;
    case 1: return bitsFloat(floatBits(z) ^ 0x80000000u);
    case 2: return pi - (z - piLow);
    default: return (z - piLow) - pi;
    }
}
