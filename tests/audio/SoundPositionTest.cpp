#include "SoundFixture.h"

namespace {

using SoundPositionTest = SoundTest;

constexpr glm::vec3 forward{0, 0, -1};
constexpr glm::vec3 up{0, 1, 0};

// A 3-D loop playing at minDistance 2, maxDistance 20, heard from `listener`.
class DistanceTest : public SoundTest {
protected:
    int id = -1;
    void SetUp() override
    {
        id = loadTone("tv.wav", true, true, {.frames = 44100});
        sounds.play3D(id, 2.0f, 20.0f, 1.0f);
    }
    double levelAt(glm::vec3 source, glm::vec3 listener = {})
    {
        sounds.update3D(id, source, listener, {}, forward, up);
        return level(0.15);
    }
};

TEST_F(DistanceTest, GainIsMinOverDistanceClampedAtBothEnds)
{
    const double atMin = levelAt({0, 0, -2});
    ASSERT_GT(atMin, 0.05);
    EXPECT_NEAR(levelAt({0, 0, -0.5f}) / atMin, 1.0, 0.02);  // inside min: full
    EXPECT_NEAR(levelAt({0, 0, -4}) / atMin, 0.5, 0.02);     // 2 x min: half
    EXPECT_NEAR(levelAt({0, 0, -8}) / atMin, 0.25, 0.02);
    EXPECT_NEAR(levelAt({0, 0, -20}) / atMin, 0.1, 0.01);    // at max
    EXPECT_NEAR(levelAt({0, 0, -200}) / atMin, 0.1, 0.01);   // held beyond max
}

TEST_F(DistanceTest, ListenerStandsAtItsOwnPosition)
{
    const double atMin = levelAt({0, 0, -2});
    // Listener and television both far from the origin, 4 apart.
    EXPECT_NEAR(levelAt({10, 1.2f, -6}, {10, 1.2f, -2}) / atMin, 0.5, 0.02);
    // Mirroring the listener through the origin would put it 20 away.
    EXPECT_NEAR(levelAt({10, 0, 0}, {10, 0, 2}) / atMin, 1.0, 0.02);
}

TEST_F(SoundPositionTest, SourceOnTheRightIsLouderOnTheRight)
{
    const int id = loadTone("breath.wav", true, true);
    sounds.play3D(id, 1.0f, 50.0f, 1.0f);

    sounds.update3D(id, {3, 0, 0}, {}, {}, forward, up);
    auto mix = render(0.2);
    EXPECT_GT(rms(mix, 1, settle), 2.0 * rms(mix, 0, settle));

    // Turned round, the same source is on the left.
    sounds.update3D(id, {3, 0, 0}, {}, {}, {0, 0, 1}, up);
    mix = render(0.2);
    EXPECT_GT(rms(mix, 0, settle), 2.0 * rms(mix, 1, settle));
}

TEST_F(SoundPositionTest, StereoFileIsMixedDownForPositionalUse)
{
    // Full left, silent right: the mono mix carries half of it.
    const int id = loadTone("stereo.wav", true, true, {.channels = 2, .rightScale = 0.0f});
    EXPECT_EQ(sounds.channelCount(id), 1);
    sounds.play3D(id, 1.0f, 50.0f, 1.0f);
    sounds.update3D(id, {0, 0, -1}, {}, {}, forward, up);
    const double atMin = level();
    sounds.update3D(id, {0, 0, -4}, {}, {}, forward, up);
    EXPECT_NEAR(level() / atMin, 0.25, 0.02);
}

TEST_F(SoundPositionTest, FlatSoundsIgnorePositionsAndKeepStereo)
{
    const int id = loadTone("music.wav", false, true, {.channels = 2, .rightScale = 0.5f});
    EXPECT_EQ(sounds.channelCount(id), 2);
    sounds.play(id, 1.0f);
    listenFromOrigin();
    auto mix = render(0.2);
    const double left = rms(mix, 0, settle);
    EXPECT_NEAR(rms(mix, 1, settle) / left, 0.5, 0.02);

    sounds.update3D(id, {50, 0, 0}, {-30, 4, 9}, {1, 0, 0}, {1, 0, 0}, up);
    mix = render(0.2);
    EXPECT_NEAR(rms(mix, 0, settle) / left, 1.0, 0.02);
}

}
