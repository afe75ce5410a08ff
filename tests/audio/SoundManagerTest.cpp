#include "SoundFixture.h"

namespace {

using SoundManagerTest = SoundTest;

// --- Channels created paused; play, pause and resume ---

TEST_F(SoundManagerTest, LoadedSoundStaysSilentUntilPlayed)
{
    ASSERT_TRUE(sounds.usesLoopback());
    const int id = loadTone("loop.wav", false, true);
    const auto mix = render(0.3);
    EXPECT_EQ(peak(mix), 0.0);
    EXPECT_FALSE(sounds.isPlaying(id));
    EXPECT_EQ(sounds.playbackOffset(id), 0.0);
}

TEST_F(SoundManagerTest, PlayResumesWherePauseStopped)
{
    const int id = loadTone("loop.wav", false, true, {.frames = 2 * 44100});
    sounds.play(id, 1.0f);
    EXPECT_GT(level(0.25), 0.1);
    sounds.pause(id);
    const double pausedAt = sounds.playbackOffset(id);
    EXPECT_NEAR(pausedAt, 0.25, 0.01);

    const auto whilePaused = render(0.5);
    EXPECT_EQ(peak(whilePaused, settle), 0.0);
    EXPECT_DOUBLE_EQ(sounds.playbackOffset(id), pausedAt);

    sounds.play(id, 1.0f);
    render(0.1);
    EXPECT_NEAR(sounds.playbackOffset(id), pausedAt + 0.1, 0.01);
}

TEST_F(SoundManagerTest, PlayWhilePlayingDoesNotRewind)
{
    const int id = loadTone("loop.wav", false, true, {.frames = 2 * 44100});
    sounds.play(id, 1.0f);
    render(0.3);
    sounds.play(id, 0.5f);
    render(0.1);
    EXPECT_NEAR(sounds.playbackOffset(id), 0.4, 0.01);
}

TEST_F(SoundManagerTest, LoopSurvivesManyPausesAndWrapsAround)
{
    const int id = loadTone("short-loop.wav", false, true, {.frames = 44100 / 5});
    for (int i = 0; i < 7; ++i) {
        sounds.play(id, 1.0f);
        EXPECT_GT(level(0.15), 0.1) << "round " << i;
        sounds.pause(id);
        EXPECT_EQ(peak(render(0.1), settle), 0.0) << "round " << i;
    }
    // 7 x 0.15 s played through a 0.2 s loop: it wrapped and never stopped.
    EXPECT_NEAR(sounds.playbackOffset(id), 0.05, 0.01);
    EXPECT_FALSE(sounds.hasExpired(id));
}

TEST_F(SoundManagerTest, VolumeScalesAndIsClampedToOne)
{
    const int id = loadTone("loop.wav", false, true);
    sounds.play(id, 1.0f);
    const double full = level();
    sounds.play(id, 0.25f);
    EXPECT_NEAR(level() / full, 0.25, 0.01);
    sounds.play(id, 7.0f);
    EXPECT_NEAR(level() / full, 1.0, 0.01);
    sounds.play(id, -3.0f);
    EXPECT_EQ(peak(render(0.1), settle), 0.0);
    EXPECT_TRUE(sounds.isPlaying(id));
}

// --- Mute without pause ---

TEST_F(SoundManagerTest, MuteGivesExactSilenceWhileTimeGoesOn)
{
    const int id = loadTone("music.wav", false, true, {.frames = 3 * 44100});
    sounds.play(id, 0.8f);
    const double before = level(0.2);
    sounds.setMuteAll(true);
    const double mutedAt = sounds.playbackOffset(id);
    const auto muted = render(0.5);
    EXPECT_EQ(peak(muted, settle), 0.0);
    EXPECT_NEAR(sounds.playbackOffset(id), mutedAt + 0.5, 0.01);
    EXPECT_TRUE(sounds.isPlaying(id));

    // Playing while muted keeps the new volume for later but stays silent.
    sounds.play(id, 0.4f);
    EXPECT_EQ(peak(render(0.1), settle), 0.0);

    sounds.setMuteAll(false);
    EXPECT_NEAR(level(0.2) / before, 0.5, 0.01);
}

TEST_F(SoundManagerTest, SoundLoadedWhileMutedStartsMuted)
{
    sounds.setMuteAll(true);
    const int id = loadTone("late.wav", false, true);
    sounds.play(id, 1.0f);
    EXPECT_EQ(peak(render(0.2)), 0.0);
    sounds.setMuteAll(false);
    EXPECT_GT(level(), 0.1);
}

// --- One-shots expire ---

TEST_F(SoundManagerTest, OneShotIsHeardOnceAndNeverAgain)
{
    const int id = loadTone("line.wav", false, false, {.frames = 44100 / 5});
    sounds.play(id, 1.0f);
    const auto first = render(0.5);
    EXPECT_GT(rms(first, 0), 0.05);
    EXPECT_EQ(peak(first, frames(0.25)), 0.0);
    EXPECT_TRUE(sounds.hasExpired(id));

    // Each of these would restart a stopped OpenAL source.
    sounds.play(id, 1.0f);
    sounds.play3D(id, 1.0f, 10.0f, 1.0f);
    sounds.setMuteAll(true);
    sounds.setMuteAll(false);
    sounds.pause(id);
    sounds.play(id, 1.0f);
    EXPECT_EQ(peak(render(0.3)), 0.0);
    EXPECT_FALSE(sounds.isPlaying(id));
}

TEST_F(SoundManagerTest, FrameUpdatesMoveTimeOnAndExpireOneShots)
{
    const int shot = loadTone("line.wav", false, false, {.frames = 44100 / 2});
    const int loop = loadTone("loop.wav", false, true, {.frames = 44100});
    sounds.play(shot, 1.0f);
    sounds.play(loop, 1.0f);
    for (int i = 0; i < 45; ++i)
        sounds.update(1.0 / 60.0); // 0.75 s of frames at 60 Hz
    EXPECT_TRUE(sounds.hasExpired(shot));
    EXPECT_NEAR(sounds.playbackOffset(loop), 0.75, 0.01);
    sounds.play(shot, 1.0f);
    sounds.update(0.1);
    EXPECT_FALSE(sounds.isPlaying(shot));
}

TEST_F(SoundManagerTest, PausedOneShotIsNotExpired)
{
    const int id = loadTone("line.wav", false, false, {.frames = 44100});
    sounds.pause(id); // before the first play: stays at the start
    sounds.play(id, 1.0f);
    render(0.3);
    sounds.pause(id);
    render(1.0);
    EXPECT_FALSE(sounds.hasExpired(id));
    sounds.play(id, 1.0f);
    EXPECT_GT(level(0.2), 0.1);
    EXPECT_NEAR(sounds.playbackOffset(id), 0.5, 0.01);
}

// --- Files that cannot be played ---

TEST_F(SoundManagerTest, BrokenFilesGetIdsAndStaySilent)
{
    murk::test::writeBytes(dir / "empty.wav", {});
    std::vector<unsigned char> noise(20000);
    unsigned state = 12345;
    for (auto& byte : noise) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<unsigned char>(state >> 16);
    }
    murk::test::writeBytes(dir / "noise.mp3", noise);

    testing::internal::CaptureStdout();
    EXPECT_EQ(sounds.load((dir / "missing.ogg").string(), false, true), 0);
    EXPECT_EQ(sounds.load((dir / "empty.wav").string(), true, false), 1);
    EXPECT_EQ(sounds.load((dir / "noise.mp3").string(), false, true), 2);
    const std::string console = testing::internal::GetCapturedStdout();
    const int good = loadTone("good.wav", false, true);
    EXPECT_EQ(good, 3);
    EXPECT_NE(console.find("missing.ogg"), std::string::npos) << console;
    EXPECT_NE(console.find("empty.wav"), std::string::npos) << console;
    EXPECT_NE(console.find("noise.mp3"), std::string::npos) << console;

    for (int id = 0; id < 3; ++id) {
        EXPECT_TRUE(sounds.isSilent(id));
        sounds.play(id, 1.0f);
        sounds.play3D(id, 1.0f, 5.0f, 1.0f);
        sounds.update3D(id, {1, 0, 0}, {}, {}, {0, 0, -1}, {0, 1, 0});
        sounds.pause(id);
        sounds.play(id, 1.0f);
    }
    sounds.setMuteAll(false);
    EXPECT_EQ(peak(render(0.2)), 0.0);
    sounds.play(good, 1.0f);
    EXPECT_GT(level(), 0.1);
}

TEST_F(SoundManagerTest, NoMoreThanAHundredChannels)
{
    const auto path = dir / "tiny.wav";
    ASSERT_TRUE(murk::test::writeTone(path, {.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16, .frames = 64}));
    testing::internal::CaptureStdout();
    for (int i = 0; i < SoundManager::maxChannels + 2; ++i)
        EXPECT_EQ(sounds.load(path.string(), false, false), i);
    testing::internal::GetCapturedStdout();
    EXPECT_FALSE(sounds.isSilent(SoundManager::maxChannels - 1));
    EXPECT_TRUE(sounds.isSilent(SoundManager::maxChannels));
    EXPECT_TRUE(sounds.isSilent(SoundManager::maxChannels + 1));
}

}
