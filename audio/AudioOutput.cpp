#include "audio/AudioOutput.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

namespace {

// Asking OpenAL for the default device on a machine without sound makes ALSA
// print a screenful of errors on every start. Only ask when something could
// answer: a sound server, a sound card, or a backend the user chose.
bool outputLikely()
{
    namespace fs = std::filesystem;
    std::error_code ec;
    if (std::getenv("ALSOFT_DRIVERS") || std::getenv("PULSE_SERVER"))
        return true;
    std::string runtime;
    if (const char* xdg = std::getenv("XDG_RUNTIME_DIR"))
        runtime = xdg;
    else
        runtime = "/run/user/" + std::to_string(getuid());
    if (fs::exists(runtime + "/pulse/native", ec) || fs::exists(runtime + "/pipewire-0", ec))
        return true;
    return fs::exists("/dev/snd", ec) || fs::exists("/dev/dsp", ec);
}

constexpr int chunkFrames = 4096;

}

AudioOutput::AudioOutput(Want want)
{
    if (want == Want::Device && outputLikely() && openDefault())
        return;
    if (want == Want::Loopback) {
        openLoopback(loopbackRate);
        return;
    }
    // A loopback context that is never rendered: sources play, nothing mixes.
    silent = openLoopback(unheardRate);
    render = nullptr;
}

AudioOutput::~AudioOutput()
{
    if (context) {
        if (alcGetCurrentContext() == context)
            alcMakeContextCurrent(nullptr);
        alcDestroyContext(context);
    }
    if (device)
        alcCloseDevice(device);
}

bool AudioOutput::openDefault()
{
    device = alcOpenDevice(nullptr);
    if (!device)
        return false;
    context = alcCreateContext(device, nullptr);
    if (!context || !alcMakeContextCurrent(context)) {
        if (context)
            alcDestroyContext(context);
        context = nullptr;
        alcCloseDevice(device);
        device = nullptr;
        return false;
    }
    ALCint rate = 0;
    alcGetIntegerv(device, ALC_FREQUENCY, 1, &rate);
    frequency = rate;
    return true;
}

bool AudioOutput::openLoopback(int rate)
{
    if (!alcIsExtensionPresent(nullptr, "ALC_SOFT_loopback"))
        return false;
    auto openLoopbackDevice = reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(
        alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
    auto renderSamples = reinterpret_cast<LPALCRENDERSAMPLESSOFT>(
        alcGetProcAddress(nullptr, "alcRenderSamplesSOFT"));
    if (!openLoopbackDevice || !renderSamples)
        return false;
    device = openLoopbackDevice(nullptr);
    if (!device)
        return false;
    // Plain stereo float, no HRTF and no limiter: what is rendered is the mix
    // itself, so it can be measured.
    const ALCint attributes[] = {
        ALC_FORMAT_CHANNELS_SOFT, rate == unheardRate ? ALC_MONO_SOFT : ALC_STEREO_SOFT,
        ALC_FORMAT_TYPE_SOFT, ALC_FLOAT_SOFT,
        ALC_FREQUENCY, rate,
        ALC_HRTF_SOFT, ALC_FALSE,
        ALC_OUTPUT_LIMITER_SOFT, ALC_FALSE,
        0,
    };
    context = alcCreateContext(device, attributes);
    if (!context || !alcMakeContextCurrent(context)) {
        if (context)
            alcDestroyContext(context);
        context = nullptr;
        alcCloseDevice(device);
        device = nullptr;
        return false;
    }
    render = renderSamples;
    frequency = rate;
    return true;
}

void AudioOutput::renderInto(std::vector<float>& out, int frames)
{
    out.assign(static_cast<size_t>(std::max(frames, 0)) * 2, 0.0f);
    if (!render)
        return;
    for (int done = 0; done < frames;) {
        const int n = std::min(chunkFrames, frames - done);
        render(device, out.data() + static_cast<size_t>(done) * 2, n);
        done += n;
    }
}

void AudioOutput::advance(int frames)
{
    if (!render)
        return;
    scratch.resize(static_cast<size_t>(chunkFrames) * 2);
    for (int done = 0; done < frames;) {
        const int n = std::min(chunkFrames, frames - done);
        render(device, scratch.data(), n);
        done += n;
    }
}
