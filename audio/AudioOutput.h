#pragma once

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

#include <vector>

// The OpenAL device and context the sound manager mixes into: the system's
// default output, or a loopback device rendered in memory when there is none.
class AudioOutput {
public:
    static constexpr int loopbackRate = 44100;
    // When a wanted device could not be opened nobody hears the loopback
    // mix: it only keeps time for the sources, and a low rate does that for
    // a fifth of the work.
    static constexpr int unheardRate = 8000;

    // With preferDevice, tries the default output first; falls back to loopback.
    explicit AudioOutput(bool preferDevice);
    ~AudioOutput();
    AudioOutput(const AudioOutput&) = delete;
    AudioOutput& operator=(const AudioOutput&) = delete;

    bool ready() const { return context != nullptr; }
    bool loopback() const { return render != nullptr; }
    int rate() const { return frequency; }

    // Loopback only: mixes `frames` stereo frames into `out` (left, right, ...).
    void renderInto(std::vector<float>& out, int frames);
    // Loopback only: mixes and discards, so time passes for every source.
    void advance(int frames);

private:
    bool openDefault();
    bool openLoopback(int rate);

    ALCdevice* device = nullptr;
    ALCcontext* context = nullptr;
    LPALCRENDERSAMPLESSOFT render = nullptr;
    int frequency = 0;
    std::vector<float> scratch;
};
