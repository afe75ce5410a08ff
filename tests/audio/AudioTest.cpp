// The decoder, and the sound manager as heard through the loopback mix.
#include "audio/GameSounds.h"
#include "audio/SoundDecoder.h"
#include "audio/SoundManager.h"

#include <AL/alext.h>
#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <filesystem>
#include <thread>

namespace {

struct Tone {
    int format = 0; // SF_FORMAT_* container | encoding
    int channels = 1, rate = 44100, frames = 44100;
    float amplitude = 0.5f, rightScale = 1.0f; // the second channel is the first times rightScale, others silent
};

// A 440 Hz sine; false when libsndfile cannot write the format.
bool writeTone(const std::filesystem::path& path, const Tone& tone) {
    SF_INFO info{0, tone.rate, tone.channels, tone.format, 0, 0};
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) return false;
    std::vector<float> samples(static_cast<size_t>(tone.frames * tone.channels));
    for (int f = 0; f < tone.frames; ++f) {
        samples[f * tone.channels] = tone.amplitude * static_cast<float>(std::sin(2 * M_PI * 440.0 * f / tone.rate));
        if (tone.channels > 1) samples[f * tone.channels + 1] = samples[f * tone.channels] * tone.rightScale;
    }
    const sf_count_t written = sf_writef_float(file, samples.data(), tone.frames);
    sf_close(file);
    return written == tone.frames;
}
constexpr int wav16 = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
constexpr int wavFloat = SF_FORMAT_WAV | SF_FORMAT_FLOAT, vorbis = SF_FORMAT_OGG | SF_FORMAT_VORBIS;

std::filesystem::path testDir() {
    const auto dir = std::filesystem::path(MURK_BINARY_DIR) / "test-sounds" /
                     testing::UnitTest::GetInstance()->current_test_info()->name();
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

int peakOf(const DecodedSound& sound) {
    int top = 0;
    for (int s : sound.samples) top = std::max(top, std::abs(s));
    return top;
}

TEST(SoundDecoder, DecodesEveryFormatOfTheGameAtItsLengthAndLoudness) {
    const struct { const char* name; Tone tone; bool mono; int channels, peak, tolerance; } cases[] = {
        {"pcm16.wav", {.format = wav16, .rate = 22050, .frames = 12345}, false, 1, 16384, 2},
        // Floats keep their level: read as shorts they come out near silent.
        {"float.wav", {.format = wavFloat, .channels = 2, .frames = 20000, .amplitude = 0.25f}, false, 2, 8192, 2},
        {"vorbis.ogg", {.format = vorbis, .channels = 2, .frames = 30000}, false, 2, 16384, 1200},
        {"layer3.mp3", {.format = SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III}, false, 1, 16384, 1200},
        {"opposite.wav", {.format = wav16, .channels = 2, .frames = 4410, .rightScale = -1}, true, 1, 0, 1},
        {"quad.wav", {.format = wav16, .channels = 4, .frames = 4410}, false, 1, 8192, 2}, // two of four silent
        {"hot.wav", {.format = wavFloat, .frames = 4410, .amplitude = 1.8f}, false, 1, 32767, 0}, // clipped
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto path = testDir() / c.name;
        ASSERT_TRUE(writeTone(path, c.tone));
        DecodedSound sound;
        std::string error;
        ASSERT_TRUE(decodeSound(path.string(), c.mono, sound, error)) << error;
        EXPECT_EQ(sound.channels, c.channels);
        EXPECT_EQ(sound.sampleRate, c.tone.rate);
        EXPECT_EQ(sound.frameCount(), c.tone.frames);
        EXPECT_NEAR(peakOf(sound), c.peak, c.tolerance);
    }
}

TEST(SoundDecoder, RoundsToSixteenBitsAndClampsSymmetrically) {
    const struct { float in; int out; } table[] = {{0.0f, 0}, {0.5f, 16384}, {-0.5f, -16384}, {1.0f, 32767},
        {1.8f, 32767}, {-1.0f, -32767}, {-3.0f, -32767}, {std::nanf(""), 0}};
    for (const auto& t : table) EXPECT_EQ(floatToPcm16(t.in), t.out) << t.in;
}

TEST(SoundDecoder, SaysWhyItDecodesNothingAndLeavesNothingBehind) {
    const auto dir = testDir();
    ASSERT_TRUE(writeTone(dir / "empty.wav", {.format = wav16, .frames = 0}));
    for (const auto& [name, why] : {std::pair{"missing.ogg", "file not found"}, {"empty.wav", "no audio data"}}) {
        DecodedSound sound{2, 44100, {1, 2}};
        std::string error;
        EXPECT_FALSE(decodeSound((dir / name).string(), false, sound, error));
        EXPECT_EQ(error, why);
        EXPECT_EQ(sound.channels + sound.samples.size(), 0u) << name;
    }
}

// An MP3 decoded with the encoder's delay or padding left in would click or
// fall silent for a moment at every turn of a loop.
TEST(SoundDecoder, GameSoundsDecodeWholeAndLoopsToTheirExactLength) {
    const double loopSeconds[] = {60.0, 4.4, 5.0}; // the music, the footsteps, the television
    for (std::size_t id = 0; id < std::size(gameSounds); ++id) {
        SCOPED_TRACE(gameSounds[id].path);
        DecodedSound sound;
        std::string error;
        ASSERT_TRUE(decodeSound(std::string(MURK_DATA_DIR) + "/" + gameSounds[id].path, false, sound, error)) << error;
        EXPECT_GT(peakOf(sound), 3000) << "nearly silent";
        const double seconds = static_cast<double>(sound.frameCount()) / sound.sampleRate;
        EXPECT_EQ(gameSounds[id].loop, id < std::size(loopSeconds));
        EXPECT_NEAR(seconds, id < std::size(loopSeconds) ? loopSeconds[id] : seconds, 8.0 / sound.sampleRate);
        EXPECT_TRUE(seconds > 0.5 && seconds < 90.0) << seconds;
    }
}

// OpenAL fades a gain change across the first block it mixes (at most 2048
// frames); levels are measured after it.
constexpr int settle = 2048;

class Mix : public testing::Test {
protected:
    SoundManager sounds{SoundManager::Output::Loopback};
    std::filesystem::path dir = testDir();

    int load(const std::string& name, bool is3D, bool loop, Tone tone = {})
    {
        tone.format = wav16;
        EXPECT_TRUE(writeTone(dir / name, tone));
        return sounds.load((dir / name).string(), is3D, loop);
    }
    std::vector<float> render(double seconds) { return sounds.renderMix(static_cast<int>(seconds * 44100)); }
    // Root mean square of one channel (0 left, 1 right) after the fade.
    static double rms(const std::vector<float>& mix, int channel)
    {
        double sum = 0.0;
        for (std::size_t i = settle * 2 + static_cast<std::size_t>(channel); i < mix.size(); i += 2)
            sum += mix[i] * mix[i];
        return std::sqrt(sum / static_cast<double>(mix.size() / 2 - settle));
    }
    double level(double seconds = 0.2)
    {
        const auto mix = render(seconds);
        return std::hypot(rms(mix, 0), rms(mix, 1));
    }
};

TEST_F(Mix, PauseAndPlayKeepTheSoundsPlace) {
    const int id = load("line.wav", false, false, {.frames = 2 * 44100});
    EXPECT_EQ(level(0.3), 0.0) << "loaded sounds wait for their first play";
    sounds.pause(id);
    sounds.play(id, 1.0f);
    EXPECT_GT(level(0.25), 0.1);
    sounds.pause(id);
    const double pausedAt = sounds.playbackOffset(id);
    EXPECT_NEAR(pausedAt, 0.25, 0.01);
    EXPECT_EQ(level(0.5), 0.0);
    EXPECT_EQ(sounds.playbackOffset(id), pausedAt);
    EXPECT_FALSE(sounds.hasExpired(id)) << "a paused one-shot has not ended";
    sounds.play(id, 1.0f);
    render(0.1);
    sounds.play(id, 0.5f); // playing again does not rewind
    render(0.1);
    EXPECT_NEAR(sounds.playbackOffset(id), pausedAt + 0.2, 0.01);
}

TEST_F(Mix, VolumeAndThePlayersScaleAreClampedAndMuteSilencesWhileTimeGoesOn) {
    const int id = load("music.wav", false, true, {.frames = 3 * 44100});
    sounds.play(id, 1.0f);
    const double full = level();
    // scale: the player's volume for the sound, which multiplies every play's
    const struct { float volume; bool mute; double ratio; float scale = 1.0f; } table[] = {
        {0.25f, false, 0.25}, {7.0f, false, 1.0}, {std::nanf(""), false, 0.0}, // after a loud row: OpenAL
        {-3.0f, false, 0.0}, // would keep the last gain where NaN reached it
        {0.4f, true, 0.0}, {0.8f, true, 0.0}, {0.5f, false, 0.5}, // playing while muted sets the volume for later
        {0.5f, false, 0.25, 0.5f}, {1.0f, false, 0.0, 0.0f}, {1.0f, false, 1.0, 3.0f},
    };
    for (const auto& t : table) {
        SCOPED_TRACE(t.volume);
        sounds.setVolumeScale(id, t.scale);
        sounds.play(id, t.volume);
        sounds.setMuteAll(t.mute);
        const double before = sounds.playbackOffset(id);
        EXPECT_NEAR(level() / full, t.ratio, 0.01);
        EXPECT_TRUE(sounds.isPlaying(id));
        EXPECT_NEAR(sounds.playbackOffset(id) - before, 0.2, 0.01);
    }
}

TEST_F(Mix, OneShotIsHeardOnceAndLoopGoesRound) {
    const int shot = load("shot.wav", false, false, {.frames = 44100 / 5});
    const int loop = load("loop.wav", false, true, {.frames = 44100 / 5});
    sounds.play(shot, 1.0f);
    sounds.play(loop, 1.0f);
    // Frame updates move time on as the mix does, to the sample.
    for (int i = 0; i < 45; ++i) sounds.update(0.0173);
    EXPECT_TRUE(sounds.hasExpired(shot));
    EXPECT_FALSE(sounds.hasExpired(loop));
    EXPECT_NEAR(sounds.playbackOffset(loop), 45 * 0.0173 - 3 * 0.2, 5e-5);
    sounds.pause(loop);
    // Each of these would restart a stopped OpenAL source.
    sounds.play(shot, 1.0f);
    sounds.play3D(shot, 1.0f, 10.0f, 1.0f);
    sounds.pause(shot);
    sounds.play(shot, 1.0f);
    EXPECT_EQ(level(0.3), 0.0);
    EXPECT_FALSE(sounds.isPlaying(shot));
}

TEST_F(Mix, SoundsThatCannotPlayKeepTheirIdsAndStaySilent) {
    testing::internal::CaptureStdout();
    EXPECT_EQ(sounds.load((dir / "missing.ogg").string(), true, true), 0);
    EXPECT_EQ(load("good.wav", false, true), 1);
    for (int id = 2; id <= SoundManager::maxChannels; ++id)
        EXPECT_EQ(sounds.load((dir / "good.wav").string(), false, true), id);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("missing.ogg"), std::string::npos);
    for (int id : {0, SoundManager::maxChannels}) {
        EXPECT_TRUE(sounds.isSilent(id));
        sounds.play(id, 1.0f);
        sounds.play3D(id, 1.0f, 5.0f, 1.0f);
        sounds.update3D(id, {1, 0, 0}, {}, {}, {0, 0, -1}, {0, 1, 0});
    }
    EXPECT_EQ(level(), 0.0);
    sounds.play(SoundManager::maxChannels - 1, 1.0f); // the last one that fits
    EXPECT_GT(level(), 0.1);
}

// A mixer running on its own thread may end a one-shot just as the game asks
// to play it again: it stays ended.
TEST_F(Mix, OneShotEndedByTheMixerBetweenTwoPlaysStaysEnded) {
    ASSERT_TRUE(sounds.usesLoopback());
    const int frames = sounds.sampleRate() / 50;
    ASSERT_TRUE(writeTone(dir / "shot.wav", {.format = wav16, .rate = sounds.sampleRate(), .frames = frames}));
    // Mixed as a sound card's thread would, past the manager.
    ALCdevice* device = alcGetContextsDevice(alcGetCurrentContext());
    const auto renderSoft = reinterpret_cast<LPALCRENDERSAMPLESSOFT>(alcGetProcAddress(device, "alcRenderSamplesSOFT"));
    for (int round = 0; round < 40; ++round) { // the mixer hits the gap between two reads now and then
        const int id = sounds.load((dir / "shot.wav").string(), false, false);
        sounds.play(id, 1.0f);
        std::atomic<bool> mixed{false};
        std::thread mixer([&] {
            float mix[2 * 16];
            for (int done = 0; done < 3 * frames; done += 16) renderSoft(device, mix, 16);
            mixed = true;
        });
        while (!mixed)
            sounds.play(id, 1.0f);
        mixer.join();
        EXPECT_TRUE(sounds.hasExpired(id)) << "round " << round; // else it was started again
    }
}

TEST_F(Mix, PositionalSoundsFadeAsMinOverDistanceAndPan) {
    // Full left, silent right: the positional copy is mixed down to one channel.
    const int id = load("tv.wav", true, true, {.channels = 2, .rightScale = 0.0f});
    EXPECT_EQ(sounds.channelCount(id), 1);
    sounds.play3D(id, 2.0f, 20.0f, 1.0f);
    const glm::vec3 ahead{0, 0, -1};
    const struct { glm::vec3 source, listener, forward; double ratio; int louder; } table[] = {
        {{0, 0, -2}, {}, ahead, 1.0, -1}, {{0, 0, -0.5f}, {}, ahead, 1.0, -1}, {{0, 0, -4}, {}, ahead, 0.5, -1},
        {{0, 0, -8}, {}, ahead, 0.25, -1}, {{0, 0, -20}, {}, ahead, 0.1, -1}, {{0, 0, -200}, {}, ahead, 0.1, -1},
        {{10, 1.2f, -6}, {10, 1.2f, -2}, ahead, 0.5, -1}, // the listener stands where it is told
        {{10, 0, 0}, {10, 0, 2}, ahead, 1.0, -1},
        {{4, 0, 0}, {}, ahead, -1, 1}, {{4, 0, 0}, {}, -ahead, -1, 0}, // on the right; turned round, on the left
    };
    double atMin = 0.0;
    for (const auto& t : table) {
        SCOPED_TRACE(&t - table);
        sounds.update3D(id, t.source, t.listener, {}, t.forward, {0, 1, 0});
        const auto mix = render(0.15);
        const double level = std::hypot(rms(mix, 0), rms(mix, 1));
        atMin = atMin > 0.0 ? atMin : level;
        if (t.louder < 0) EXPECT_NEAR(level / atMin, t.ratio, 0.02);
        else // panning moves power between the sides; only the louder side is sure
            EXPECT_GT(rms(mix, t.louder), 2.0 * rms(mix, 1 - t.louder));
    }
}

TEST_F(Mix, FlatSoundsStayWithTheListenerAndKeepTheirStereo) {
    const int voice = load("voice.wav", false, true);
    const int music = load("music.wav", false, true, {.channels = 2, .rightScale = 0.5f});
    EXPECT_EQ(sounds.channelCount(music), 2);
    for (int id : {voice, music}) {
        sounds.play(id, 1.0f);
        const double left = rms(render(0.2), 0);
        sounds.update3D(id, {50, 0, 0}, {-30, 4, 9}, {1, 0, 0}, {1, 0, 0}, {0, 1, 0}); // the origin ahead on the left
        const auto mix = render(0.2);
        EXPECT_NEAR(rms(mix, 0) / left, 1.0, 0.02) << id;
        EXPECT_NEAR(rms(mix, 1) / rms(mix, 0), id == voice ? 1.0 : 0.5, 0.02) << id;
        sounds.pause(id);
    }
}

} // namespace

// Without a device nothing mixes: the manager keeps each channel's time, so
// one-shots end on time, loops go round and held channels wait.
TEST(SilentOutput, KeepsEveryChannelsTimeAsAMixWould) {
    SoundManager sounds{SoundManager::Output::Silent};
    EXPECT_FALSE(sounds.usesLoopback());
    const auto dir = testDir();
    ASSERT_TRUE(writeTone(dir / "shot.wav", {.format = wav16, .frames = 44100 / 5}));
    const int shot = sounds.load((dir / "shot.wav").string(), false, false);
    const int loop = sounds.load((dir / "shot.wav").string(), false, true);
    const int held = sounds.load((dir / "shot.wav").string(), false, false);
    for (int id : {shot, loop, held}) sounds.play(id, 1.0f);
    sounds.pause(held);
    for (int i = 1; i <= 45; ++i) {
        sounds.update(0.0173);
        EXPECT_EQ(sounds.isPlaying(shot), i < 12) << "update " << i; // 12 x 17.3 ms pass its 200 ms
        EXPECT_EQ(sounds.hasExpired(shot), i >= 12) << "update " << i;
    }
    EXPECT_NEAR(sounds.playbackOffset(loop), 45 * 0.0173 - 3 * 0.2, 1e-9);
    EXPECT_EQ(sounds.playbackOffset(held), 0.0);
    sounds.pauseAll(true);
    sounds.update(0.5);
    sounds.pauseAll(false);
    EXPECT_NEAR(sounds.playbackOffset(loop), 45 * 0.0173 - 3 * 0.2, 1e-9);
    sounds.play(shot, 1.0f);
    EXPECT_FALSE(sounds.isPlaying(shot)) << "an ended one-shot stays ended";
    sounds.play(held, 1.0f);
    sounds.update(0.1);
    EXPECT_NEAR(sounds.playbackOffset(held), 0.1, 1e-9);
}
