// A one-shot is heard once, even when a mixer running on its own thread ends
// it just as the game asks to play it again.
#include <atomic>
#include <thread>

#include <AL/alext.h>
#include <gtest/gtest.h>
#include <sndfile.h>

#include "audio/SoundManager.h"

TEST(OneShot, EndedByTheMixerBetweenTwoPlaysStaysEnded) {
    SoundManager sounds(SoundManager::Output::Loopback);
    ASSERT_TRUE(sounds.usesLoopback());
    const int frames = sounds.sampleRate() / 50;  // 20 ms
    const std::string path = MURK_BINARY_DIR "/one-shot.wav";
    SF_INFO info{0, sounds.sampleRate(), 1, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 0, 0};
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    const std::vector<float> level(static_cast<std::size_t>(frames), 0.5f);
    ASSERT_EQ(sf_writef_float(file, level.data(), frames), frames);
    sf_close(file);
    // The test mixes as a sound card's thread would, past the manager.
    ALCdevice* device = alcGetContextsDevice(alcGetCurrentContext());
    const auto render = reinterpret_cast<LPALCRENDERSAMPLESSOFT>(alcGetProcAddress(device, "alcRenderSamplesSOFT"));
    for (int round = 0; round < 40; ++round) {  // the mixer hits the gap between two reads now and then
        const int id = sounds.load(path, false, false);
        sounds.play(id, 1.0f);
        std::atomic<bool> mixed{false};
        std::thread mixer([&] {
            float mix[2 * 16];
            for (int done = 0; done < 3 * frames; done += 16) render(device, mix, 16);
            mixed = true;
        });
        while (!mixed) sounds.play(id, 1.0f);
        mixer.join();
        EXPECT_TRUE(sounds.hasExpired(id)) << "round " << round;  // else it was started again
    }
}
