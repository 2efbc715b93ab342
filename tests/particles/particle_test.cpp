// Particle emitters: the random sequence, the pool, release, update, the
// squares they are drawn as, their Glide state, world membership and the
// painter's order of emitters.
#include <math.h>

#include <string>

#include "particle_scene.h"
#include "view/view.h"

namespace {

class ParticleTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        obxPerformanceInit();
    }
};

std::string call(const char* name, std::initializer_list<long> args)
{
    std::string line = std::string(name) + "(";
    bool first = true;
    for (long a : args) {
        line += (first ? "" : ", ") + std::to_string(a);
        first = false;
    }
    return line + ")";
}

bool startsWith(const std::string& line, const std::string& prefix)
{
    return line.compare(0, prefix.size(), prefix) == 0;
}

// The trace of one frame with the texture calls and the fans left out.
std::vector<std::string> stateCallsOfFrame(void)
{
    traceStart();
    traceMark();
    obxWorldRender(0);
    traceMark();
    traceStop();
    std::vector<std::string> calls;
    for (const std::string& line : traceBetween("grFinish()", "grFinish()")) {
        if (!startsWith(line, "grTex") && !startsWith(line, "grDrawVertexArray"))
            calls.push_back(line);
    }
    return calls;
}

float fanCentreX(const std::vector<float>& fan)
{
    return (fan[0] + fan[4]) / 2.0f;
}

}   // namespace

// Runs first in its process: nothing has drawn from the generator yet.
TEST_F(ParticleTest, RandomSequenceStartsFromOne)
{
    EXPECT_EQ(particles.randomState, 1u);
    EmitterSetup setup;
    setup.spread = 2.0f;
    ParticleEmitter* emitter = emitterMake(setup);
    obxEmitterAddParticle(emitter);
    // The draws 41, 18467, 6334 and 26500: life 41 mod 50 + 50, and the drift
    // factors 67, 34 and 0 hundredths of the range -1 .. 0.98.
    const Particle* p = emitter->liveHead;
    EXPECT_EQ(p->life, 91);
    EXPECT_FLOAT_EQ(p->drift.x, 0.68f);
    EXPECT_FLOAT_EQ(p->drift.y, -0.64f);
    EXPECT_EQ(p->drift.z, -2.0f);
    EXPECT_EQ(randomNext(), 19169);
    EXPECT_EQ(randomNext(), 15724);
}

TEST_F(ParticleTest, PoolHoldsAtMostItsCapacity)
{
    ParticleEmitter* emitter = emitterMake();
    for (int i = 0; i < 15; i++)
        obxEmitterAddParticle(emitter);
    EXPECT_EQ(emitter->liveCount, 10);
    EXPECT_EQ(emitter->freeHead, nullptr);
    std::vector<Particle*> live = liveParticles(emitter);
    ASSERT_EQ(live.size(), 10u);
    for (size_t i = 0; i < live.size(); i++) {
        EXPECT_EQ(live[i]->prev, i == 0 ? nullptr : live[i - 1]);
        for (size_t j = 0; j < i; j++)
            EXPECT_NE(live[i], live[j]);
    }
    // A full pool draws nothing from the generator.
    uint32_t state = particles.randomState;
    obxEmitterAddParticles(emitter, 1000000);
    EXPECT_EQ(emitter->liveCount, 10);
    EXPECT_EQ(particles.randomState, state);

    ParticleEmitter* other = emitterMake();
    obxEmitterAddParticles(other, 0);
    obxEmitterAddParticles(other, -4);
    EXPECT_EQ(other->liveCount, 0);
    obxEmitterAddParticles(other, 3);
    EXPECT_EQ(other->liveCount, 3);

    EmitterSetup none;
    none.capacity = 0;
    ParticleEmitter* empty = emitterMake(none);
    ASSERT_NE(empty, nullptr);
    obxEmitterAddParticles(empty, 5);
    EXPECT_EQ(empty->liveCount, 0);
    EXPECT_EQ(frameDrawn(), 13u);
    none.capacity = -1;
    EXPECT_EQ(emitterMake(none), nullptr);
}

TEST_F(ParticleTest, ParticleFadesMovesAndRetiresAfterItsLife)
{
    EmitterSetup setup;
    const float red[3] = {1, 0, 0}, blue[3] = {0, 0, 1};
    std::copy(red, red + 3, setup.startColour);
    std::copy(blue, blue + 3, setup.endColour);
    setup.velocity = {0.1f, 0, 0};
    ParticleEmitter* emitter = emitterMake(setup);
    randomAimLife(50);
    obxEmitterAddParticle(emitter);
    Particle* p = emitter->liveHead;
    ASSERT_EQ(p->life, 50);

    ASSERT_EQ(frameDrawn(), 1u);
    EXPECT_NEAR(p->colour[0], 0.98f, 1e-6);
    EXPECT_EQ(p->colour[1], 0.0f);
    EXPECT_NEAR(p->colour[2], 0.02f, 1e-6);
    // Without a texture the square is white times the particle's colour,
    // added onto the black background.
    Frame frame = frameGrab();
    EXPECT_TRUE(pixelShows(frame.at(320, 240), 0.98f * 255, 0, 0.02f * 255, 1.0f))
        << std::hex << frame.at(320, 240);

    for (int f = 2; f <= 50; f++)
        ASSERT_EQ(frameDrawn(), 1u) << "frame " << f;
    EXPECT_EQ(p->life, 0);
    EXPECT_EQ(emitter->liveCount, 1);
    EXPECT_NEAR(p->colour[0], 0.0f, 1e-5);
    EXPECT_NEAR(p->colour[2], 1.0f, 1e-5);
    EXPECT_NEAR(p->position.x, 5.0f, 1e-4);

    // The next update retires it before anything is drawn.
    EXPECT_EQ(frameDrawn(), 0u);
    EXPECT_EQ(emitter->liveCount, 0);
    EXPECT_EQ(emitter->liveHead, nullptr);
    EXPECT_EQ(emitter->freeHead, p);
}

TEST_F(ParticleTest, RetiringFromTheMiddleKeepsTheListWhole)
{
    ParticleEmitter* emitter = emitterMake();
    obxEmitterAddParticles(emitter, 6);
    std::vector<Particle*> live = liveParticles(emitter);
    // Lives 3 for the head, the third and the last; the others live longer.
    for (size_t i = 0; i < live.size(); i++)
        live[i]->life = (i == 0 || i == 2 || i == 5) ? 3 : 60;
    for (int f = 0; f < 4; f++)
        particleEmitterUpdate(emitter);
    std::vector<Particle*> left = liveParticles(emitter);
    ASSERT_EQ(left.size(), 3u);
    EXPECT_EQ(left[0], live[1]);
    EXPECT_EQ(left[1], live[3]);
    EXPECT_EQ(left[2], live[4]);
    EXPECT_EQ(left[0]->prev, nullptr);
    EXPECT_EQ(left[2]->next, nullptr);
    // The retired ones are free again: six more fit, no seventh.
    obxEmitterAddParticles(emitter, 10);
    EXPECT_EQ(emitter->liveCount, 10);
    EXPECT_EQ(liveParticles(emitter).size(), 10u);
}

TEST_F(ParticleTest, DampingDecidesHowLongTheVelocityLasts)
{
    EmitterSetup setup;
    setup.inWorld = false;
    setup.velocity = {0.5f, 1.0f, -0.25f};
    setup.spread = 0.3f;
    setup.damping = 0.0f;
    ParticleEmitter* stops = emitterMake(setup);
    obxEmitterAddParticle(stops);
    Particle* p = stops->liveHead;
    Vector drift = p->drift;
    particleEmitterUpdate(stops);
    EXPECT_FLOAT_EQ(p->position.x, 0.0f + (drift.x + 0.5f));
    EXPECT_FLOAT_EQ(p->position.y, 0.0f + (drift.y + 1.0f));
    EXPECT_FLOAT_EQ(p->position.z, 10.0f + (drift.z - 0.25f));
    Vector once = p->position;
    particleEmitterUpdate(stops);
    EXPECT_FLOAT_EQ(p->position.x, once.x + drift.x);
    EXPECT_FLOAT_EQ(p->position.y, once.y + drift.y);
    EXPECT_FLOAT_EQ(p->position.z, once.z + drift.z);

    setup.damping = 1.0f;
    ParticleEmitter* keeps = emitterMake(setup);
    obxEmitterAddParticle(keeps);
    for (int f = 0; f < 40; f++)
        particleEmitterUpdate(keeps);
    EXPECT_EQ(keeps->liveHead->velocity.x, 0.5f);
    EXPECT_EQ(keeps->liveHead->velocity.y, 1.0f);
    EXPECT_EQ(keeps->liveHead->velocity.z, -0.25f);
}

TEST_F(ParticleTest, SpreadZeroSendsEveryParticleAlongOnePath)
{
    EmitterSetup setup;
    setup.inWorld = false;
    setup.velocity = {0.2f, 0.1f, 0.3f};
    setup.damping = 0.9f;
    ParticleEmitter* emitter = emitterMake(setup);
    obxEmitterAddParticles(emitter, 5);
    for (int f = 0; f < 30; f++)
        particleEmitterUpdate(emitter);
    std::vector<Particle*> live = liveParticles(emitter);
    ASSERT_EQ(live.size(), 5u);
    for (Particle* p : live) {
        EXPECT_EQ(p->position.x, live[0]->position.x);
        EXPECT_EQ(p->position.y, live[0]->position.y);
        EXPECT_EQ(p->position.z, live[0]->position.z);
    }
    EXPECT_GT(live[0]->position.x, 1.0f);

    setup.spread = 1.0f;
    ParticleEmitter* spread = emitterMake(setup);
    obxEmitterAddParticles(spread, 5);
    particleEmitterUpdate(spread);
    std::vector<Particle*> apart = liveParticles(spread);
    bool differ = false;
    for (Particle* p : apart)
        differ = differ || p->position.x != apart[0]->position.x;
    EXPECT_TRUE(differ);
}

TEST_F(ParticleTest, ParticlesOutsideTheDepthRangeAgeUndrawn)
{
    EmitterSetup setup;
    setup.at = {0, 0, 1.5f};   // before the near distance 2
    ParticleEmitter* tooNear = emitterMake(setup);
    setup.at = {0, 0, 3500};   // beyond the far distance 3000
    ParticleEmitter* tooFar = emitterMake(setup);
    setup.at = {30, 0, 10};   // beside the view
    ParticleEmitter* beside = emitterMake(setup);
    obxEmitterAddParticle(tooNear);
    obxEmitterAddParticle(tooFar);
    obxEmitterAddParticle(beside);
    int32_t lives[3] = {tooNear->liveHead->life, tooFar->liveHead->life, beside->liveHead->life};
    EXPECT_EQ(frameDrawn(), 0u);
    EXPECT_EQ(frameDrawn(), 0u);
    EXPECT_EQ(tooNear->liveHead->life, lives[0] - 2);
    EXPECT_EQ(tooFar->liveHead->life, lives[1] - 2);
    EXPECT_EQ(beside->liveHead->life, lives[2] - 2);

    // At exactly the near distance it is drawn.
    setup.at = {0, 0, 1.0f};
    setup.velocity = {0, 0, 1.0f};
    ParticleEmitter* approaching = emitterMake(setup);
    obxEmitterAddParticle(approaching);
    EXPECT_EQ(frameDrawn(), 1u);
    EXPECT_EQ(approaching->liveHead->position.z, 2.0f);
}

TEST_F(ParticleTest, SquareCornersAreProjectedSnappedAndTextured)
{
    DrawVer c[4];
    ASSERT_EQ(spriteCorners(0.0f, 0.0f, 10.0f, 1.0f, c), 1);
    // Left-top, left-bottom, right-bottom, right-top of a square 64 x 48
    // pixels about the screen centre; the texture's first row at the top.
    const float xy[4][2] = {{288, 264}, {288, 216}, {352, 216}, {352, 264}};
    const float st[4][2] = {{0, 0}, {0, 25.5f}, {25.5f, 25.5f}, {25.5f, 0}};
    for (int k = 0; k < 4; k++) {
        EXPECT_EQ(c[k].x, xy[k][0]) << k;
        EXPECT_EQ(c[k].y, xy[k][1]) << k;
        EXPECT_EQ(c[k].q, 1.0f / 10.0f);
        EXPECT_FLOAT_EQ(c[k].s0, st[k][0]) << k;
        EXPECT_FLOAT_EQ(c[k].t0, st[k][1]) << k;
        EXPECT_EQ(c[k].s1, c[k].s0);
        EXPECT_EQ(c[k].t1, c[k].t0);
    }
    // Corners land on sixteenths of a pixel: 289.6 becomes 289.625.
    ASSERT_EQ(spriteCorners(0.05f, 0.0f, 10.0f, 1.0f, c), 1);
    EXPECT_EQ(c[0].x, 289.625f);

    // Crossing the left edge: a quarter of the square is cut off, and the
    // texture with it, still upright.
    ASSERT_EQ(spriteCorners(-9.5f, 0.0f, 10.0f, 1.0f, c), 1);
    EXPECT_EQ(c[0].x, 0.0f);
    EXPECT_EQ(c[1].x, 0.0f);
    EXPECT_EQ(c[2].x, 48.0f);
    EXPECT_NEAR(c[0].s0, 0.25f * 25.5f, 1e-4);
    EXPECT_FLOAT_EQ(c[2].s0, 25.5f);
    EXPECT_FLOAT_EQ(c[0].t0, 0.0f);
    EXPECT_FLOAT_EQ(c[1].t0, 25.5f);

    // Nothing to draw: no area, or a place that is not a number.
    EXPECT_EQ(spriteCorners(0.0f, 0.0f, 10.0f, 0.0f, c), 0);
    EXPECT_EQ(spriteCorners(NAN, 0.0f, 10.0f, 1.0f, c), 0);
    EXPECT_EQ(spriteCorners(0.0f, 0.0f, NAN, 1.0f, c), 0);
}

TEST_F(ParticleTest, SquareAtTheScreenEdgeShowsItsTextureCutNotSqueezed)
{
    // Quadrants: red top left, green top right, blue bottom left, white
    // bottom right (the first row is the top).
    write3dfTexels("quadrants.3df", 32, 32, [](int x, int y) -> uint16_t {
        if (y < 16)
            return x < 16 ? 0xF800 : 0x07E0;
        return x < 16 ? 0x001F : 0xFFFF;
    });
    EmitterSetup setup;
    setup.texture = obxTextureLoad("quadrants.3df", 0);
    ASSERT_NE(setup.texture, nullptr);
    ParticleEmitter* emitter = emitterMake(setup);
    obxEmitterAddParticle(emitter);
    struct Probe {
        int x, y;
        uint32_t rgb;
    };
    auto expectQuadrants = [](const Frame& frame, const std::vector<Probe>& probes) {
        for (const Probe& p : probes)
            EXPECT_TRUE(pixelNear(frame.at(p.x, p.y), p.rgb))
                << p.x << "," << p.y << ": " << std::hex << rgb565ToRgb(frame.at(p.x, p.y));
    };

    // Whole, at the centre: 288..352 x 216..264.
    frameDrawn();
    expectQuadrants(
        frameGrab(),
        {{296, 258, 0xFF0000}, {344, 258, 0x00FF00}, {296, 222, 0x0000FF}, {344, 222, 0xFFFFFF}});

    // Cut by the left edge: -16..48 on screen, the texture's middle at x 16.
    emitter->liveHead->position = {-9.5f, 0, 10};
    frameDrawn();
    expectQuadrants(frameGrab(), {{4, 258, 0xFF0000},
                                  {28, 258, 0x00FF00},
                                  {4, 222, 0x0000FF},
                                  {28, 222, 0xFFFFFF},
                                  {44, 258, 0x00FF00}});

    // Cut by the top edge: 444..492 on screen, the texture's middle at y 468.
    emitter->liveHead->position = {0, 9.5f, 10};
    frameDrawn();
    expectQuadrants(
        frameGrab(),
        {{296, 476, 0xFF0000}, {344, 476, 0x00FF00}, {296, 450, 0x0000FF}, {344, 450, 0xFFFFFF}});
}

TEST_F(ParticleTest, GlideStateIsSetForTheParticlesAndRestored)
{
    ParticleEmitter* emitter = emitterMake();
    obxEmitterAddParticles(emitter, 2);
    const std::vector<std::string> particles = {
        call("grColorCombine", {GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL,
                                GR_COMBINE_LOCAL_ITERATED, GR_COMBINE_OTHER_TEXTURE, 0}),
        "grConstantColorValue(0xFF000000)",
        call("grDepthBufferFunction", {GR_CMP_ALWAYS}),
        call("grAlphaCombine", {GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_ONE,
                                GR_COMBINE_LOCAL_CONSTANT, GR_COMBINE_OTHER_TEXTURE, 0}),
        call("grAlphaBlendFunction", {GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ZERO, GR_BLEND_ZERO}),
        call("grAlphaCombine", {GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_ONE,
                                GR_COMBINE_LOCAL_CONSTANT, GR_COMBINE_OTHER_CONSTANT, 0}),
        call("grAlphaBlendFunction",
             {GR_BLEND_SRC_ALPHA, GR_BLEND_ONE_MINUS_SRC_ALPHA, GR_BLEND_ZERO, GR_BLEND_ZERO}),
        call("grDepthBufferFunction", {GR_CMP_LEQUAL}),
    };
    // The frame's own calls come first: depth clear and chroma key.
    std::vector<std::string> calls = stateCallsOfFrame();
    ASSERT_GE(calls.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(calls.begin() + 4, calls.end()), particles);
    EXPECT_EQ(traceCalls("grDrawVertexArray").size(), 2u);

    // With fog on, the particles are drawn without it.
    obxFogSetMode(1);
    std::vector<std::string> fogged = particles;
    fogged.insert(fogged.begin(), call("grFogMode", {GR_FOG_DISABLE}));
    fogged.push_back(call("grFogMode", {GR_FOG_WITH_TABLE_ON_Q}));
    calls = stateCallsOfFrame();
    ASSERT_GE(calls.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(calls.begin() + 4, calls.end()), fogged);

    // An emitter with no live particles sets nothing.
    emitter->liveHead->life = 0;
    emitter->liveHead->next->life = 0;
    obxWorldRender(0);
    EXPECT_EQ(emitter->liveCount, 0);
    calls = stateCallsOfFrame();
    EXPECT_EQ(calls.size(), 4u);
}

TEST_F(ParticleTest, WorldMembershipDecidesWhatMovesAndIsDrawn)
{
    ParticleEmitter* only = emitterMake();
    obxEmitterAddParticle(only);
    int32_t life = only->liveHead->life;
    obxEmitterRemoveFromWorld(only);
    EXPECT_EQ(particles.emitters, nullptr);
    EXPECT_EQ(frameDrawn(), 0u);
    EXPECT_EQ(only->liveHead->life, life);   // waits where it is
    obxEmitterRemoveFromWorld(only);         // not in the world: nothing happens
    EXPECT_EQ(particles.emitters, nullptr);

    // Added twice, it is in the list once.
    obxEmitterAddToWorld(only);
    obxEmitterAddToWorld(only);
    EXPECT_EQ(particles.emitters, only);
    EXPECT_EQ(only->next, nullptr);
    EXPECT_EQ(frameDrawn(), 1u);
    EXPECT_EQ(only->liveHead->life, life - 1);

    // New emitters go to the front; removal joins the neighbours.
    ParticleEmitter* b = emitterMake();
    ParticleEmitter* c = emitterMake();
    EXPECT_EQ(particles.emitters, c);
    obxEmitterRemoveFromWorld(b);
    EXPECT_EQ(c->next, only);
    EXPECT_EQ(only->prev, c);
    obxEmitterRemoveFromWorld(c);
    EXPECT_EQ(particles.emitters, only);
    EXPECT_EQ(only->prev, nullptr);
    obxEmitterRemoveFromWorld(only);
    EXPECT_EQ(particles.emitters, nullptr);
}

TEST_F(ParticleTest, ChangedPropertiesApplyToNewParticlesOnly)
{
    EmitterSetup setup;
    setup.velocity = {0, 0.5f, 0};
    ParticleEmitter* emitter = emitterMake(setup);
    obxEmitterAddParticle(emitter);
    Particle* old = emitter->liveHead;
    const float sideways[3] = {0.25f, 0, 0};
    obxEmitterChangeProperties(emitter, 2, 3, 12, sideways);
    obxEmitterAddParticle(emitter);
    Particle* fresh = emitter->liveHead;
    EXPECT_EQ(old->position.z, 10.0f);
    EXPECT_EQ(old->velocity.y, 0.5f);
    EXPECT_EQ(fresh->position.x, 2.0f);
    EXPECT_EQ(fresh->position.y, 3.0f);
    EXPECT_EQ(fresh->position.z, 12.0f);
    EXPECT_EQ(fresh->velocity.x, 0.25f);
    EXPECT_EQ(fresh->velocity.y, 0.0f);
}

TEST_F(ParticleTest, EmittersAreDrawnFarthestFirst)
{
    EmitterSetup setup;
    setup.at = {-3, 0, 10};
    obxEmitterAddParticle(emitterMake(setup));
    setup.at = {3, 0, 20};
    obxEmitterAddParticle(emitterMake(setup));
    setup.at = {0, 0, 15};
    obxEmitterAddParticle(emitterMake(setup));
    traceStart();
    EXPECT_EQ(frameDrawn(), 3u);
    std::vector<std::vector<float>> fans = traceFans();
    ASSERT_EQ(fans.size(), 3u);
    EXPECT_EQ(fanCentreX(fans[0]), 368.0f);   // z 20
    EXPECT_EQ(fanCentreX(fans[1]), 320.0f);   // z 15
    EXPECT_EQ(fanCentreX(fans[2]), 224.0f);   // z 10
}

TEST_F(ParticleTest, MoreThanAThousandEmittersAreAllDrawnInOrder)
{
    EmitterSetup setup;
    for (int i = 0; i < 1500; i++) {
        setup.at = {0, 0, 10.0f + (float)(i % 750) * 0.02f};
        obxEmitterAddParticle(emitterMake(setup));
    }
    traceStart();
    EXPECT_EQ(frameDrawn(), 1500u);
    std::vector<std::vector<float>> fans = traceFans();
    ASSERT_EQ(fans.size(), 1500u);
    // Farther squares are smaller: widths never shrink along the frame.
    for (size_t i = 1; i < fans.size(); i++)
        ASSERT_GE(fans[i][4] - fans[i][0], fans[i - 1][4] - fans[i - 1][0]) << i;
    EXPECT_LT(fans[0][4] - fans[0][0], fans[1499][4] - fans[1499][0]);
}
