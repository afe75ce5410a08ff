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
    // Silent: the loopback device is only a context for the sources and is
    // never rendered (the sound manager keeps their time itself).
    static constexpr int unheardRate = 8000;

    enum class Want {
        Device,   // the default output, else Silent
        Loopback, // a mix rendered into memory on request
        Silent,   // a context for the sources, nothing mixed
    };
    explicit AudioOutput(Want want);
    ~AudioOutput();
    AudioOutput(const AudioOutput&) = delete;
    AudioOutput& operator=(const AudioOutput&) = delete;

    bool ready() const { return context != nullptr; }
    bool loopback() const { return render != nullptr; }
    // Nothing is mixed or heard (asked for, or no device opened).
    bool unheard() const { return silent; }
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
    bool silent = false;
    std::vector<float> scratch;
};
