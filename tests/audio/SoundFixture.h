#pragma once

#include "audio/SoundManager.h"

#include "TestSounds.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>

using murk::test::peak;
using murk::test::rms;

// OpenAL fades a gain change across the first block it mixes (at most 2048
// frames); measure after it.
constexpr int settle = 2048;

class SoundTest : public ::testing::Test {
protected:
    SoundManager sounds{SoundManager::Output::Loopback};
    std::filesystem::path dir = murk::test::soundDir(
        ::testing::UnitTest::GetInstance()->current_test_info()->name());

    int rate() const { return sounds.sampleRate(); }
    int frames(double seconds) const { return static_cast<int>(seconds * rate()); }

    int loadTone(const std::string& name, bool is3D, bool loop, murk::test::ToneSpec spec = {})
    {
        if (spec.format == 0)
            spec.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
        const auto path = dir / name;
        EXPECT_TRUE(murk::test::writeTone(path, spec)) << path;
        return sounds.load(path.string(), is3D, loop);
    }

    std::vector<float> render(double seconds) { return sounds.renderMix(frames(seconds)); }

    // Loudness of both channels together.
    double level(double seconds = 0.2)
    {
        const auto mix = render(seconds);
        return std::hypot(rms(mix, 0, settle), rms(mix, 1, settle));
    }

    void listenFromOrigin()
    {
        sounds.update3D(-1, {}, {0, 0, 0}, {0, 0, 0}, {0, 0, -1}, {0, 1, 0});
    }
};
