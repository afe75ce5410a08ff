#include "audio/SoundDecoder.h"

#include "TestSounds.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cstdlib>

namespace {

class SoundDecoderTest : public ::testing::Test {
protected:
    std::filesystem::path dir = murk::test::soundDir(
        ::testing::UnitTest::GetInstance()->current_test_info()->name());

    DecodedSound decode(const std::string& name, const murk::test::ToneSpec& spec, bool mono = false)
    {
        const auto path = dir / name;
        EXPECT_TRUE(murk::test::writeTone(path, spec)) << name;
        DecodedSound sound;
        std::string error;
        EXPECT_TRUE(decodeSound(path.string(), mono, sound, error)) << name << ": " << error;
        return sound;
    }

    static int peakOf(const DecodedSound& sound)
    {
        int top = 0;
        for (auto s : sound.samples)
            top = std::max(top, std::abs(static_cast<int>(s)));
        return top;
    }
};

TEST_F(SoundDecoderTest, EveryFormatOfTheGameDecodesToItsLength)
{
    struct Case { const char* name; int format; int channels; int rate; int frames; };
    const Case cases[] = {
        {"pcm16.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 22050, 12345},
        {"float.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, 44100, 20000},
        {"vorbis.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 2, 44100, 30000},
        {"layer3.mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 1, 44100, 44100},
    };
    for (const Case& c : cases) {
        const DecodedSound sound = decode(c.name, {.format = c.format, .channels = c.channels,
                                                   .rate = c.rate, .frames = c.frames});
        EXPECT_EQ(sound.channels, c.channels) << c.name;
        EXPECT_EQ(sound.sampleRate, c.rate) << c.name;
        EXPECT_EQ(sound.frameCount(), c.frames) << c.name;
        // A tone at half scale stays at half scale, whatever the encoding.
        EXPECT_NEAR(peakOf(sound), 16384, 1200) << c.name;
    }
}

TEST_F(SoundDecoderTest, FloatFilesKeepTheirLoudnessAndClipInsteadOfWrapping)
{
    const DecodedSound quiet = decode("quiet.wav", {.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT,
                                                    .frames = 4410, .amplitude = 0.25f});
    EXPECT_NEAR(peakOf(quiet), 8192, 10);

    const DecodedSound hot = decode("hot.wav", {.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT,
                                                .frames = 4410, .amplitude = 1.8f});
    EXPECT_EQ(*std::max_element(hot.samples.begin(), hot.samples.end()), 32767);
    EXPECT_EQ(*std::min_element(hot.samples.begin(), hot.samples.end()), -32767);
    // A wrapped sample would flip sign right at the crest.
    EXPECT_EQ(hot.samples[25], 32767); // 440 Hz crest is near frame 25
}

TEST_F(SoundDecoderTest, MonoMixdownAveragesTheChannels)
{
    const DecodedSound sound = decode("wide.wav", {.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16,
                                                   .channels = 2, .frames = 4410,
                                                   .rightScale = -1.0f}, true);
    EXPECT_EQ(sound.channels, 1);
    EXPECT_EQ(sound.frameCount(), 4410);
    EXPECT_LE(peakOf(sound), 1); // opposite channels cancel
}

// The game's own files, as tools/make-sounds.sh writes them.
TEST_F(SoundDecoderTest, GameSoundsAllDecode)
{
    const char* files[] = {
        "Assets/Music/Dream Ambience.mp3",
        "Assets/Sounds/footsteps_concrete_01.ogg",
        "Assets/Sounds/static tv.mp3",
        "Assets/Sounds/tavi_hello somebody up there.wav",
        "Assets/Sounds/tavi_somebody help.wav",
        "Assets/Sounds/tavi_two what was that.wav",
        "Assets/Sounds/tavi_what was that.wav",
        "Assets/Sounds/tavi_where am i.wav",
        "Assets/Sounds/tavi_where where am i.wav",
        "Assets/Sounds/enemy_breath.wav",
        "Assets/Sounds/enemy_distorted.wav",
        "Assets/Sounds/enemy_rawr.wav",
    };
    for (const char* file : files) {
        DecodedSound sound;
        std::string error;
        const auto path = std::filesystem::path(MURK_DATA_DIR) / file;
        ASSERT_TRUE(decodeSound(path.string(), false, sound, error)) << file << ": " << error;
        const double seconds = static_cast<double>(sound.frameCount()) / sound.sampleRate;
        EXPECT_GT(seconds, 0.5) << file;
        EXPECT_LT(seconds, 90.0) << file;
        EXPECT_GT(peakOf(sound), 3000) << file << " is nearly silent";
    }
}

// An MP3 decoded with the encoder's delay or padding left in would click or
// fall silent for a moment at every turn of a loop.
TEST_F(SoundDecoderTest, GameLoopsHaveTheirExactLength)
{
    struct Loop { const char* file; double seconds; };
    const Loop loops[] = {
        {"Assets/Music/Dream Ambience.mp3", 60.0},
        {"Assets/Sounds/static tv.mp3", 5.0},
        {"Assets/Sounds/footsteps_concrete_01.ogg", 4.4},
    };
    for (const Loop& loop : loops) {
        DecodedSound sound;
        std::string error;
        const auto path = std::filesystem::path(MURK_DATA_DIR) / loop.file;
        ASSERT_TRUE(decodeSound(path.string(), false, sound, error)) << loop.file << ": " << error;
        EXPECT_NEAR(sound.frameCount(), loop.seconds * sound.sampleRate, 8) << loop.file;
    }
}

}
