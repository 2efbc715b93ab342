// Tables, table square root, matrix builders and products, point transforms.
#include <math.h>
#include <string.h>

#include "math/math3d.h"
#include "obx_test.h"

namespace {

uint32_t bitsOf(float f)
{
    uint32_t b;
    memcpy(&b, &f, sizeof b);
    return b;
}

float floatOf(uint32_t b)
{
    float f;
    memcpy(&f, &b, sizeof f);
    return f;
}

class MathTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        sqrtTableInit();
        angleTablesInit();
    }
};

Vector transformed(const Matrix& m, float x, float y, float z)
{
    Ver in = {x, y, z};
    Ver out;
    MatXVer(&m, &in, &out);
    return out;
}

}   // namespace

TEST_F(MathTest, TableSquareRootIsExactOnTablePointsOfEveryExponent)
{
    // x = 2^e * (1 + i/128) is a table point for odd and even e alike,
    // negative exponents included (the exponent halves toward minus infinity).
    for (int e = -40; e <= 40; e++) {
        for (int i = 0; i < 128; i++) {
            float x = ldexpf(1.0f + (float)i / 128.0f, e);
            ASSERT_EQ(fastSqrt(x), (float)sqrt((double)x)) << "x = " << x;
        }
    }
    EXPECT_EQ(fastSqrt(0.0f), 0.0f);
}

TEST_F(MathTest, TableSquareRootKeepsSevenMantissaBits)
{
    // Between table points the lower mantissa bits are dropped, not rounded.
    float point = 1.0f + 5.0f / 128.0f;
    float between = floatOf(bitsOf(point) | 0xFFFF);
    EXPECT_EQ(fastSqrt(between), fastSqrt(point));
    EXPECT_EQ(fastSqrt(4.0f * between), 2.0f * fastSqrt(point));
}

TEST_F(MathTest, VectorLengthUsesTheTableSquareRoot)
{
    float v345[3] = {3.0f, 4.0f, 0.0f};
    float v111[3] = {1.0f, 1.0f, 1.0f};
    float v103[3] = {1.0f, 0.3f, 0.0f};
    float zero[3] = {0.0f, 0.0f, 0.0f};
    EXPECT_EQ(VectorLenght(v345), 5.0);
    EXPECT_EQ((float)VectorLenght(v111), 1.7320508f);
    EXPECT_EQ((float)VectorLenght(v103), 1.0420833f);   // not 1.0440307
    EXPECT_EQ(VectorLenght(zero), 0.0);
}

TEST_F(MathTest, DegreesAndRadiansConvertInSinglePrecision)
{
    EXPECT_EQ(bitsOf(0.0174532924f), 0x3C8EFA35u);
    EXPECT_EQ(bitsOf(57.2957802f), 0x42652EE1u);
    EXPECT_EQ(DegToRad(180.0f), (double)(180.0f * 0.0174532924f));
    EXPECT_EQ(radToDeg(1.0f), (double)57.2957802f);
    double r = DegToRad(33.0f);
    EXPECT_EQ(r, (double)(float)r);   // a float value, handed out as double
}

TEST_F(MathTest, AngleTablesHoldWholeDegrees)
{
    for (int d = 0; d <= 360; d++) {
        ASSERT_EQ(cosTable[d], (float)cos(DegToRad((float)d))) << d;
        ASSERT_EQ(sinTable[d], (float)sin(DegToRad((float)d))) << d;
    }
    EXPECT_EQ(sinTable[90], 1.0f);
    EXPECT_EQ(cosTable[0], 1.0f);
}

TEST_F(MathTest, RotationsTurnTheWayOfRowVectors)
{
    Matrix m;
    matrixRotationY(&m, 90.0f);
    Vector a = transformed(m, 0, 0, 1);
    EXPECT_FLOAT_EQ(a.x, 1.0f);
    EXPECT_NEAR(a.y, 0.0f, 1e-6);
    EXPECT_NEAR(a.z, 0.0f, 1e-6);
    Vector b = transformed(m, 1, 0, 0);
    EXPECT_NEAR(b.x, 0.0f, 1e-6);
    EXPECT_FLOAT_EQ(b.z, -1.0f);

    matrixRotationX(&m, 90.0f);   // y' = y cos - z sin, z' = y sin + z cos
    Vector c = transformed(m, 0, 1, 0);
    EXPECT_NEAR(c.y, 0.0f, 1e-6);
    EXPECT_FLOAT_EQ(c.z, 1.0f);

    matrixRotationZ(&m, 90.0f);   // x' = x cos - y sin, y' = x sin + y cos
    Vector d = transformed(m, 1, 0, 0);
    EXPECT_NEAR(d.x, 0.0f, 1e-6);
    EXPECT_FLOAT_EQ(d.y, 1.0f);
    EXPECT_EQ(m.m[3][3], 1.0f);
    EXPECT_EQ(m.m[0][3], 0.0f);
}

TEST_F(MathTest, RotationAnglesAreTruncatedToWholeDegrees)
{
    Matrix m;
    matrixRotationX(&m, 89.9f);
    EXPECT_EQ(m.m[1][1], cosTable[89]);
    EXPECT_EQ(m.m[1][2], sinTable[89]);
    matrixRotationY(&m, 360.0f);
    EXPECT_EQ(m.m[0][0], cosTable[360]);
    EXPECT_EQ(m.m[2][0], sinTable[360]);
    matrixRotationZ(&m, 360.7f);
    EXPECT_EQ(m.m[0][1], sinTable[360]);
}

TEST_F(MathTest, AnglesOutsideTheTablesWrapAround)
{
    EXPECT_EQ(angleIndex(-90.0f), 270);
    EXPECT_EQ(angleIndex(-0.5f), 0);   // truncation toward zero first
    EXPECT_EQ(angleIndex(-1.5f), 359);
    EXPECT_EQ(angleIndex(361.0f), 1);
    EXPECT_EQ(angleIndex(725.9f), 5);
    EXPECT_EQ(angleIndex(-725.9f), 355);
    EXPECT_EQ(angleIndex(1e20f), (int)fmodf(1e20f, 360.0f));
    EXPECT_EQ(angleIndex(NAN), 0);
    EXPECT_EQ(angleIndex(-INFINITY), 0);

    Matrix wrapped, plain;
    matrixRotationY(&wrapped, -90.0f);
    matrixRotationY(&plain, 270.0f);
    EXPECT_EQ(memcmp(&wrapped, &plain, sizeof plain), 0);
    matrixRotationX(&wrapped, 450.0f);
    matrixRotationX(&plain, 90.0f);
    EXPECT_EQ(memcmp(&wrapped, &plain, sizeof plain), 0);
}

TEST_F(MathTest, ProductAppliesTheLeftMatrixFirst)
{
    Matrix t, r;
    matrixTranslation(&t, 0.0f, 0.0f, 5.0f);
    matrixRotationY(&r, 90.0f);
    matrixMultiply(&t, &r);   // r := t * r: translate, then rotate
    Vector p = transformed(r, 0, 0, 0);
    EXPECT_FLOAT_EQ(p.x, 5.0f);
    EXPECT_NEAR(p.z, 0.0f, 1e-5);

    Matrix a, b;
    matrixRotationX(&a, 30.0f);
    matrixRotationY(&b, 45.0f);
    Matrix ab = b;
    matrixMultiply(&a, &ab);
    for (int row = 0; row < 4; row++) {
        for (int col = 0; col < 4; col++) {
            float sum = a.m[row][0] * b.m[0][col];
            sum += a.m[row][1] * b.m[1][col];
            sum += a.m[row][2] * b.m[2][col];
            sum += a.m[row][3] * b.m[3][col];
            EXPECT_EQ(ab.m[row][col], sum) << row << "," << col;
        }
    }
    Matrix copy;
    matrixCopy(&ab, &copy);
    EXPECT_EQ(memcmp(&copy, &ab, sizeof ab), 0);
}

TEST_F(MathTest, TransformsSumInOrderInSinglePrecision)
{
    // x*m00 + y*m10 + z*m20 + m30 from left to right: 1e8 + 1 loses the 1
    // before -1e8 cancels, so the result is 0 (any other order gives 1).
    Matrix m;
    matrixIdentity(&m);
    m.m[0][0] = 1.0f;
    m.m[1][0] = 1.0f;
    m.m[2][0] = -1.0f;
    Vector p = transformed(m, 1e8f, 1.0f, 1e8f);
    EXPECT_EQ(p.x, 0.0f);

    matrixTranslation(&m, 10.0f, 20.0f, 30.0f);
    Ver in = {1.0f, 2.0f, 3.0f};
    DrawVer draw;
    memset(&draw, 0x55, sizeof draw);
    DrawVer before = draw;
    MatXVerToDrawVer(&m, &in, &draw);
    EXPECT_EQ(draw.x, 11.0f);
    EXPECT_EQ(draw.y, 22.0f);
    EXPECT_EQ(draw.w, 33.0f);                                                 // z goes to w
    EXPECT_EQ(memcmp(&draw.spare, &before.spare, sizeof(DrawVer) - 12), 0);   // rest untouched

    DrawVer from = draw;
    from.spare = 1000.0f;   // w, not the spare float, is the point's z
    DrawVer to = before;
    MatXDrawVerToDrawVer(&m, &from, &to);
    EXPECT_EQ(to.x, 21.0f);
    EXPECT_EQ(to.y, 42.0f);
    EXPECT_EQ(to.w, 63.0f);
    EXPECT_EQ(memcmp(&to.spare, &before.spare, sizeof(DrawVer) - 12), 0);
}

TEST_F(MathTest, CrossAndDotProducts)
{
    float x[3] = {1, 0, 0}, y[3] = {0, 1, 0}, out[3];
    CrossProduct3d(out, x, y);
    EXPECT_EQ(out[0], 0.0f);
    EXPECT_EQ(out[1], 0.0f);
    EXPECT_EQ(out[2], 1.0f);
    CrossProduct3d(out, y, x);
    EXPECT_EQ(out[2], -1.0f);
    float a[3] = {1, 2, 3}, b[3] = {4, -5, 6};
    CrossProduct3d(out, a, b);
    EXPECT_EQ(out[0], 27.0f);
    EXPECT_EQ(out[1], 6.0f);
    EXPECT_EQ(out[2], -13.0f);
    EXPECT_EQ(dotProduct(a, b), 12.0);
}
