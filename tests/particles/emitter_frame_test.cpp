// A whole frame: a particle fountain and a smoke column, with the engine's
// own particle and smoke textures, over a dark background.
#include <algorithm>

#include "particle_scene.h"

namespace {

const uint32_t kNight = 0x050510;

class EmitterFrameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::vector<std::string> files = engineDataFiles();
        files.push_back("particle.3df");
        files.push_back("smoke.3df");
        ASSERT_EQ(engineStart(0, files), 1);
        const float night[3] = {5 / 255.0f, 5 / 255.0f, 16 / 255.0f};
        obxBackgroundSetColor(night);
    }
    void TearDown() override
    {
        engineStop();
    }

    // A fountain on the left (about screen x 220..290) and a smoke column on
    // the right (about x 350..410), both rising from y 216, run for 60 frames.
    Frame sceneRender(void)
    {
        EmitterSetup fountain;
        fountain.at = {-4, -2, 20};
        fountain.capacity = 600;
        const float yellow[3] = {1.0f, 0.85f, 0.4f}, red[3] = {0.6f, 0.05f, 0.0f};
        std::copy(yellow, yellow + 3, fountain.startColour);
        std::copy(red, red + 3, fountain.endColour);
        fountain.texture = obxTextureLoad("particle.3df", 0);
        fountain.velocity = {0, 0.2f, 0};
        fountain.damping = 0.97f;
        fountain.size = 0.3f;
        fountain.spread = 0.03f;
        ParticleEmitter* sparks = emitterMake(fountain);

        SmokeSetup column;
        column.at = {4, -2, 20};
        column.capacity = 200;
        column.texture = obxTextureLoad("smoke.3df", 0);
        column.spawnRadius = 1.0f;
        column.damping = 0.7f;
        column.size = 1.0f;
        column.riseSpeed = 0.1f;
        column.puffLife = 60;
        column.puffsPerFrame = 2;
        smokeMake(column);

        for (int f = 0; f < 60; f++) {
            obxEmitterAddParticles(sparks, 8);
            frameDrawn();
        }
        return frameGrab();
    }
};

struct Rgb {
    int r, g, b;
};

Rgb rgbAt(const Frame& frame, int x, int y)
{
    uint32_t c = rgb565ToRgb(frame.at(x, y));
    return {(int)(c >> 16), (int)((c >> 8) & 0xFF), (int)(c & 0xFF)};
}

}   // namespace

TEST_F(EmitterFrameTest, FountainGlowsAndSmokeIsGreyAndTranslucent)
{
    Frame frame = sceneRender();
    const uint16_t background = frame.at(10, 10);
    const Rgb night = rgbAt(frame, 10, 10);
    EXPECT_TRUE(pixelNear(background, kNight));

    // Both are only ever added onto the background: nothing is darker.
    int lit = 0;
    for (int y = 0; y < 480; y++) {
        for (int x = 0; x < 640; x++) {
            Rgb c = rgbAt(frame, x, y);
            ASSERT_GE(c.r, night.r) << x << "," << y;
            ASSERT_GE(c.g, night.g) << x << "," << y;
            ASSERT_GE(c.b, night.b) << x << "," << y;
            lit += frame.at(x, y) != background;
        }
    }
    EXPECT_GT(lit, 2000);
    // Far from both the background is untouched.
    for (int y = 0; y < 480; y += 8) {
        EXPECT_EQ(frame.at(20, y), background);
        EXPECT_EQ(frame.at(620, y), background);
    }

    // The fountain: a bright warm glow where the young sparks crowd together,
    // red above where the old ones fade.
    Rgb brightest = {0, 0, 0};
    for (int y = 160; y < 320; y++) {
        for (int x = 180; x < 300; x++) {
            Rgb c = rgbAt(frame, x, y);
            if (c.r + c.g + c.b > brightest.r + brightest.g + brightest.b)
                brightest = c;
        }
    }
    EXPECT_GE(brightest.r, 240);
    EXPECT_GE(brightest.r, brightest.g);
    EXPECT_GE(brightest.g, brightest.b);

    // The smoke: dim, never as bright as the sparks.
    int smoky = 0;
    for (int y = 160; y < 320; y++) {
        for (int x = 330; x < 460; x++) {
            Rgb c = rgbAt(frame, x, y);
            smoky += c.r + c.g + c.b >= 3 * 40;
            EXPECT_LT(c.r, 200) << x << "," << y;
        }
    }
    EXPECT_GT(smoky, 200);
}

TEST_F(EmitterFrameTest, SmokeIsGrey)
{
    // Many faint puffs over one pixel lose more of red and blue than of green
    // when each sum is cut to 5-6-5; dithered, the cut evens out and the
    // average shows the colour added, give or take what reading 5-6-5 back
    // as eight bits adds.
    grDitherMode(GR_DITHER_4x4);
    Frame frame = sceneRender();
    auto mean = [&](int x0, int x1, int y0, int y1, bool smokeOnly) {
        std::vector<double> m(4, 0.0);
        for (int y = y0; y < y1; y++) {
            for (int x = x0; x < x1; x++) {
                Rgb c = rgbAt(frame, x, y);
                if (smokeOnly && c.r + c.g + c.b < 3 * 40)
                    continue;
                m[0] += c.r;
                m[1] += c.g;
                m[2] += c.b;
                m[3] += 1;
            }
        }
        for (int k = 0; k < 3; k++)
            m[k] /= m[3];
        return m;
    };
    std::vector<double> night = mean(0, 64, 0, 64, false);
    std::vector<double> smoke = mean(330, 460, 160, 320, true);
    ASSERT_GT(smoke[3], 200);
    double r = smoke[0] - night[0], g = smoke[1] - night[1], b = smoke[2] - night[2];
    EXPECT_GT(r, 30);
    EXPECT_NEAR(g, r, 0.2 * r) << r << " " << g << " " << b;
    EXPECT_NEAR(b, r, 0.2 * r) << r << " " << g << " " << b;
}

TEST_F(EmitterFrameTest, ObjectsShowThroughTheSmoke)
{
    // A red wall behind the smoke column.
    Object* wall = cubeCreate({4, 1, 34}, 6, nullptr);
    ASSERT_NE(wall, nullptr);
    obxObjectSetShadingType(wall, 3);
    lightPut({0, 0, -100}, 1.0f, 0.0f, 0.0f);
    Frame bare = frameRender();
    Frame frame = sceneRender();
    // Wherever the smoke lies over the wall the wall shows, a little lighter.
    int covered = 0;
    for (int y = 210; y < 290; y++) {
        for (int x = 350; x < 420; x++) {
            Rgb under = rgbAt(bare, x, y), over = rgbAt(frame, x, y);
            ASSERT_GT(under.r, 100);
            EXPECT_GE(over.r, under.r - 4);
            EXPECT_GT(over.r, over.g);
            covered += over.g > under.g + 8;
        }
    }
    EXPECT_GT(covered, 100);
}
