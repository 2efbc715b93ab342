// Smoke emitters: puffs released every frame, rising, drifting and fading,
// drawn grey and translucent.
#include <math.h>

#include <set>
#include <string>

#include "particle_scene.h"

namespace {

class SmokeTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        obxPerformanceInit();
    }
};

// The constant colours of one frame, in order.
std::vector<std::string> frameConstantColours(void)
{
    traceStart();
    frameDrawn();
    traceStop();
    return traceCalls("grConstantColorValue");
}

}   // namespace

TEST_F(SmokeTest, LiveCountGrowsAndLevelsOffAtRateTimesLife)
{
    SmokeSetup setup;
    setup.puffsPerFrame = 2;
    setup.puffLife = 30;
    SmokeEmitter* smoke = smokeMake(setup);
    for (int f = 1; f <= 45; f++) {
        uint32_t drawn = frameDrawn();
        int expected = f < 30 ? 2 * f : 60;
        ASSERT_EQ(smoke->liveCount, expected) << "frame " << f;
        ASSERT_EQ(drawn, (uint32_t)expected) << "frame " << f;
    }
    EXPECT_EQ(livePuffs(smoke).size(), 60u);

    // The two puffs whose life ran out are retired only after the frame's
    // release, so a pool of exactly 60 drops one frame's puffs once.
    setup.capacity = 60;
    obxSmokeEmitterRemoveFromWorld(smoke);
    SmokeEmitter* tight = smokeMake(setup);
    for (int f = 1; f <= 30; f++)
        frameDrawn();
    EXPECT_EQ(tight->liveCount, 60);
    frameDrawn();
    EXPECT_EQ(tight->liveCount, 58);
}

TEST_F(SmokeTest, OpacityZeroStopsNewPuffsAndTheRestFadeOut)
{
    SmokeSetup setup;
    setup.puffsPerFrame = 3;
    setup.puffLife = 10;
    SmokeEmitter* smoke = smokeMake(setup);
    for (int f = 0; f < 5; f++)
        frameDrawn();
    EXPECT_EQ(smoke->liveCount, 15);
    obxSmokeEmitterChangeOpacity(smoke, 0);
    EXPECT_EQ(smoke->puffsPerFrame, 0);
    uint32_t state = particles.randomState;
    int frames = 0;
    while (smoke->liveCount > 0 && frames < 100) {
        frameDrawn();
        frames++;
    }
    // The youngest puffs had 9 frames left and retire at the update after.
    EXPECT_EQ(frames, 10);
    EXPECT_EQ(particles.randomState, state);
    EXPECT_EQ(frameDrawn(), 0u);

    // Denser again.
    obxSmokeEmitterChangeOpacity(smoke, 4);
    frameDrawn();
    EXPECT_EQ(smoke->liveCount, 4);
}

TEST_F(SmokeTest, PuffsStartAtWholeNumberOffsetsInTheSpawnSquare)
{
    SmokeSetup setup;
    setup.at = {100.0f, 7.25f, 200.0f};
    setup.spawnRadius = 5.0f;
    setup.capacity = 1000;
    setup.puffsPerFrame = 1000;
    setup.inWorld = false;
    SmokeEmitter* smoke = smokeMake(setup);
    smokeEmitterRelease(smoke);
    ASSERT_EQ(smoke->liveCount, 1000);
    std::set<float> xs, zs;
    for (SmokePuff* p : livePuffs(smoke)) {
        float dx = p->position.x - 100.0f, dz = p->position.z - 200.0f;
        ASSERT_EQ(dx, floorf(dx));
        ASSERT_EQ(dz, floorf(dz));
        ASSERT_GE(dx, -5.0f);
        ASSERT_LE(dx, 4.0f);
        ASSERT_GE(dz, -5.0f);
        ASSERT_LE(dz, 4.0f);
        ASSERT_EQ(p->position.y, 7.25f);
        ASSERT_GE(p->drift.x, -0.5f);
        ASSERT_LT(p->drift.y, 0.5f);
        xs.insert(dx);
        zs.insert(dz);
    }
    EXPECT_EQ(xs.size(), 10u);
    EXPECT_EQ(zs.size(), 10u);

    // A full pool releases nothing more.
    uint32_t state = particles.randomState;
    smokeEmitterRelease(smoke);
    EXPECT_EQ(smoke->liveCount, 1000);
    EXPECT_EQ(particles.randomState, state);
}

TEST_F(SmokeTest, SpawnRadiusBelowOneStartsPuffsOnTheEmitter)
{
    // A square narrower than one unit has no whole-number offsets: the puffs
    // start exactly at the emitter, whatever the radius below 1.
    const float radii[] = {0.99f, 0.5f, 0.0f, -3.0f, NAN};
    for (float radius : radii) {
        SmokeSetup setup;
        setup.at = {1.5f, 2.5f, 3.5f};
        setup.spawnRadius = radius;
        setup.puffsPerFrame = 20;
        setup.inWorld = false;
        SmokeEmitter* smoke = smokeMake(setup);
        uint32_t state = particles.randomState;
        smokeEmitterRelease(smoke);
        ASSERT_EQ(smoke->liveCount, 20);
        for (SmokePuff* p : livePuffs(smoke)) {
            EXPECT_EQ(p->position.x, 1.5f) << radius;
            EXPECT_EQ(p->position.y, 2.5f) << radius;
            EXPECT_EQ(p->position.z, 3.5f) << radius;
        }
        // Every puff still takes its five draws, as with a wider square.
        uint32_t after = particles.randomState;
        particles.randomState = state;
        for (int i = 0; i < 20 * 5; i++)
            randomNext();
        EXPECT_EQ(particles.randomState, after) << radius;
    }

    // A radius wider than every draw keeps the offsets whole and in range.
    SmokeSetup wide;
    wide.spawnRadius = 1.0e9f;
    wide.puffsPerFrame = 50;
    wide.inWorld = false;
    SmokeEmitter* smoke = smokeMake(wide);
    smokeEmitterRelease(smoke);
    for (SmokePuff* p : livePuffs(smoke)) {
        EXPECT_GE(p->position.x, -1.0e9f);
        EXPECT_LE(p->position.x, -1.0e9f + 32768.0f);
    }
}

TEST_F(SmokeTest, DriftDiesAwayWithTheDamping)
{
    SmokeSetup setup;
    setup.riseSpeed = 0.5f;
    setup.inWorld = false;
    SmokeEmitter* smoke = smokeMake(setup);
    smokeEmitterRelease(smoke);
    SmokePuff* p = smoke->liveHead;
    Vector drift = p->drift;
    smokeEmitterUpdate(smoke);
    EXPECT_EQ(p->position.x, 0.0f + (0.0f + drift.x));
    EXPECT_EQ(p->position.y, 0.0f + (0.5f + drift.y));
    EXPECT_EQ(p->position.z, 10.0f + (0.0f + drift.z));
    Vector once = p->position;
    for (int f = 2; f <= 4; f++) {
        smokeEmitterUpdate(smoke);
        EXPECT_EQ(p->position.x, once.x);
        EXPECT_EQ(p->position.z, once.z);
    }
    EXPECT_FLOAT_EQ(p->position.y, once.y + 1.5f);
    EXPECT_EQ(p->rise.y, 0.5f);

    // With damping 1 the drift never dies away.
    setup.damping = 1.0f;
    SmokeEmitter* steady = smokeMake(setup);
    smokeEmitterRelease(steady);
    drift = steady->liveHead->drift;
    for (int f = 0; f < 20; f++)
        smokeEmitterUpdate(steady);
    EXPECT_EQ(steady->liveHead->drift.x, drift.x);
}

TEST_F(SmokeTest, PuffAlphaStepsDownFromItsFirstFrameToZero)
{
    SmokeSetup setup;
    setup.puffLife = 30;
    SmokeEmitter* smoke = smokeMake(setup);
    std::vector<std::string> alphas = frameConstantColours();
    obxSmokeEmitterChangeOpacity(smoke, 0);
    // The puff's colour, then the opaque constant colour put back.
    ASSERT_EQ(alphas.size(), 2u);
    EXPECT_EQ(alphas[0], "grConstantColorValue(0x7B404040)");   // trunc(128 - 128/30)
    EXPECT_EQ(alphas[1], "grConstantColorValue(0xFF000000)");
    unsigned previous = 0x7B;
    int drawn = 1;
    for (int f = 2; f <= 31; f++) {
        std::vector<std::string> colours = frameConstantColours();
        if (colours.empty())
            break;
        ASSERT_EQ(colours.size(), 2u);
        unsigned alpha = 0, grey = 0;
        ASSERT_EQ(sscanf(colours[0].c_str(), "grConstantColorValue(0x%2x%6x)", &alpha, &grey), 2);
        EXPECT_EQ(grey, 0x404040u);
        EXPECT_LE(alpha, previous);
        previous = alpha;
        drawn++;
    }
    EXPECT_EQ(drawn, 30);
    EXPECT_EQ(previous, 0u);
    EXPECT_EQ(smoke->liveCount, 0);
}

TEST_F(SmokeTest, PuffsWithoutLifeAreNeverDrawn)
{
    SmokeSetup setup;
    setup.puffLife = 0;
    SmokeEmitter* none = smokeMake(setup);
    setup.puffLife = -5;
    SmokeEmitter* negative = smokeMake(setup);
    for (int f = 0; f < 3; f++)
        EXPECT_EQ(frameDrawn(), 0u);
    EXPECT_EQ(none->liveCount, 0);
    EXPECT_EQ(negative->liveCount, 0);
}

TEST_F(SmokeTest, GlideStateIsSetForThePuffsAndRestored)
{
    SmokeSetup setup;
    setup.puffsPerFrame = 2;
    smokeMake(setup);
    obxFogSetMode(1);
    traceStart();
    traceMark();
    obxWorldRender(0);
    traceMark();
    traceStop();
    std::vector<std::string> calls;
    for (const std::string& line : traceBetween("grFinish()", "grFinish()")) {
        if (line.compare(0, 5, "grTex") != 0)
            calls.push_back(line.substr(0, line.find(" {")));
    }
    auto call = [](const char* name, std::initializer_list<long> args) {
        std::string line = std::string(name) + "(";
        for (long a : args)
            line += std::to_string(a) + ", ";
        return line.substr(0, line.size() - 2) + ")";
    };
    const std::string puff = "grConstantColorValue(0x7B404040)";
    const std::vector<std::string> expected = {
        call("grFogMode", {GR_FOG_DISABLE}),
        call("grColorCombine", {GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL,
                                GR_COMBINE_LOCAL_CONSTANT, GR_COMBINE_OTHER_TEXTURE, 0}),
        call("grDepthBufferFunction", {GR_CMP_ALWAYS}),
        call("grAlphaCombine", {GR_COMBINE_FUNCTION_LOCAL_ALPHA, GR_COMBINE_FACTOR_ONE,
                                GR_COMBINE_LOCAL_CONSTANT, GR_COMBINE_OTHER_TEXTURE, 0}),
        call("grAlphaBlendFunction",
             {GR_BLEND_SRC_ALPHA, GR_BLEND_ONE, GR_BLEND_ZERO, GR_BLEND_ZERO}),
        puff,
        "grDrawVertexArray(5, 4",
        puff,
        "grDrawVertexArray(5, 4",
        call("grColorCombine", {GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL,
                                GR_COMBINE_LOCAL_ITERATED, GR_COMBINE_OTHER_TEXTURE, 0}),
        call("grAlphaCombine", {GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_ONE,
                                GR_COMBINE_LOCAL_CONSTANT, GR_COMBINE_OTHER_CONSTANT, 0}),
        "grConstantColorValue(0xFF000000)",
        call("grAlphaBlendFunction",
             {GR_BLEND_SRC_ALPHA, GR_BLEND_ONE_MINUS_SRC_ALPHA, GR_BLEND_ZERO, GR_BLEND_ZERO}),
        call("grDepthBufferFunction", {GR_CMP_LEQUAL}),
        call("grFogMode", {GR_FOG_WITH_TABLE_ON_Q}),
    };
    // After the frame's depth clear and chroma key.
    ASSERT_GE(calls.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(calls.begin() + 4, calls.end()), expected);
}

TEST_F(SmokeTest, WorldMembershipAndPainterOrderBeyondAThousand)
{
    SmokeSetup setup;
    setup.inWorld = false;
    SmokeEmitter* only = smokeMake(setup);
    obxSmokeEmitterAddToWorld(only);
    obxSmokeEmitterAddToWorld(only);
    EXPECT_EQ(frameDrawn(), 1u);
    obxSmokeEmitterRemoveFromWorld(only);
    EXPECT_EQ(particles.smokeEmitters, nullptr);
    // Outside the world it releases, moves and draws nothing.
    int32_t life = only->liveHead->life;
    EXPECT_EQ(frameDrawn(), 0u);
    EXPECT_EQ(only->liveCount, 1);
    EXPECT_EQ(only->liveHead->life, life);

    setup.inWorld = true;
    for (int i = 0; i < 1200; i++) {
        // Farther apart than a puff drifts in its first frame.
        setup.at = {0, 0, 10.0f + (float)i * 1.5f};
        smokeMake(setup);
    }
    traceStart();
    EXPECT_EQ(frameDrawn(), 1200u);
    std::vector<std::vector<float>> fans = traceFans();
    ASSERT_EQ(fans.size(), 1200u);
    // Nearer squares are wider, give or take the snapping of both edges.
    for (size_t i = 1; i < fans.size(); i++)
        ASSERT_GE(fans[i][4] - fans[i][0], fans[i - 1][4] - fans[i - 1][0] - 0.13f) << i;
    EXPECT_LT(fans[0][4] - fans[0][0], 1.0f);
    EXPECT_GT(fans[1199][4] - fans[1199][0], 60.0f);
}

TEST_F(SmokeTest, ChangedPropertiesMoveTheSpawnSquareOnly)
{
    SmokeSetup setup;
    setup.riseSpeed = 1.0f;
    SmokeEmitter* smoke = smokeMake(setup);
    frameDrawn();
    SmokePuff* old = smoke->liveHead;
    Vector before = old->position;
    const float velocity[3] = {1, 2, 3};
    obxSmokeEmitterChangeProperties(smoke, 4, 5, 20, velocity);
    EXPECT_EQ(smoke->velocity.z, 3.0f);
    frameDrawn();
    SmokePuff* fresh = smoke->liveHead;
    ASSERT_NE(fresh, old);
    // The old puff only rose; the new one started at the new place.
    EXPECT_EQ(old->position.x, before.x);
    EXPECT_EQ(old->position.y, before.y + 1.0f);
    EXPECT_NEAR(fresh->position.x, 4.0f, 0.5f);
    EXPECT_NEAR(fresh->position.y, 5.0f + 1.0f, 0.5f);
    EXPECT_NEAR(fresh->position.z, 20.0f, 0.5f);
}
