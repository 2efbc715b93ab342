// Angles, vector products and lengths.
#include "math/math3d.h"

double DegToRad(float degrees)
{
    const float degree = 0.0174532924f;   // pi / 180 in single precision
    return (float)(degrees * degree);
}

double radToDeg(float radians)
{
    const float radian = 57.2957802f;   // 180 / pi in single precision
    return (float)(radians * radian);
}

void CrossProduct3d(float* out, const float* a, const float* b)
{
    if (!out || !a || !b)
        return;
    float x = a[1] * b[2] - a[2] * b[1];
    float y = a[2] * b[0] - a[0] * b[2];
    float z = a[0] * b[1] - a[1] * b[0];
    out[0] = x;
    out[1] = y;
    out[2] = z;
}

double VectorLenght(const float* v)
{
    if (!v)
        return 0.0;
    float sum = v[0] * v[0];
    sum += v[1] * v[1];
    sum += v[2] * v[2];
    return fastSqrt(sum);
}
