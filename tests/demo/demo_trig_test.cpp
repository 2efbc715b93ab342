// The demo scene's sine, cosine and arc tangent give glibc's float results,
// bit for bit: the scene has always moved by those on Linux, and its own
// functions carry the same motion to Windows, whose C library differs.
#include <math.h>
#include <stdint.h>
#include <string.h>

#include <gtest/gtest.h>

#include "demo_trig.h"

namespace {

float bitsFloat(uint32_t bits)
{
    float x;
    memcpy(&x, &bits, sizeof x);
    return x;
}

bool same(float a, float b)
{
    return memcmp(&a, &b, sizeof a) == 0;
}

}   // namespace

TEST(DemoTrig, SineAndCosineAreTheCLibrarysFromTinyAnglesToAMillion)
{
    // Every 251st float up to 512 (the scene's angles, reduced by pi/2 in
    // double below 120), then every 1009th up to 2^20 (reduced by 4/pi's
    // bits), both signs.
    int differ = 0;
    float first = 0.0f;
    for (uint32_t bits = 0; bits < 0x49800000u; bits += bits < 0x44000000u ? 251u : 1009u) {
        for (float x : {bitsFloat(bits), -bitsFloat(bits)}) {
            if (!same(demoSin(x), sinf(x)) || !same(demoCos(x), cosf(x))) {
                if (differ++ == 0)
                    first = x;
            }
        }
    }
    EXPECT_EQ(differ, 0) << "first at " << first;
    EXPECT_TRUE(isnan(demoSin(INFINITY)) && isnan(demoCos(-INFINITY)) && isnan(demoSin(NAN)));
}

TEST(DemoTrig, ArcTangentIsTheCLibrarysInEveryQuadrantAndAtTheEdges)
{
    int differ = 0;
    float firstY = 0.0f, firstX = 0.0f;
    auto check = [&](float y, float x) {
        float mine = demoAtan2(y, x), theirs = atan2f(y, x);
        if (!same(mine, theirs) && !(isnan(mine) && isnan(theirs)) && differ++ == 0) {
            firstY = y;
            firstX = x;
        }
    };
    // Every 97th float over 1 (the argument reductions' every branch).
    for (uint32_t bits = 0; bits < 0x7f800000u; bits += 97u) {
        check(bitsFloat(bits), 1.0f);
        check(-bitsFloat(bits), 1.0f);
    }
    // Pairs of any sign and magnitude, and pairs of close magnitudes.
    uint64_t state = 88172645463325252ull;
    for (int i = 0; i < 2000000; i++) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        uint32_t y = (uint32_t)state, x = (uint32_t)(state >> 32);
        if (i & 1) {
            uint32_t sign = (y ^ x) & 0x80000000u;
            x = sign ^ ((y & 0x7fffffffu) + (x & 0x00ffffffu) - 0x800000u);
        }
        check(bitsFloat(y), bitsFloat(x));
    }
    const float edges[] = {0.0f, -0.0f, INFINITY, -INFINITY, NAN,
                           1.0f, -1.0f, 1e-40f,   -1e30f,    3.0f};
    for (float y : edges)
        for (float x : edges)
            check(y, x);
    EXPECT_EQ(differ, 0) << "first at (" << firstY << ", " << firstX << ")";
}
