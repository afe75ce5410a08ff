#include "audio/SoundDecoder.h"

#include <sndfile.h>

#include <cmath>
#include <filesystem>

namespace {

// libsndfile does not always know an MP3's length up front, so read in blocks
// until it runs dry instead of trusting the header.
constexpr sf_count_t blockFrames = 16384;

}

std::int16_t floatToPcm16(float value)
{
    if (!(value > -1.0f)) // also catches NaN
        return value < 0.0f ? static_cast<std::int16_t>(-32767) : 0;
    if (value >= 1.0f)
        return 32767;
    return static_cast<std::int16_t>(std::lrintf(value * 32767.0f));
}

bool decodeSound(const std::string& path, bool mono, DecodedSound& out, std::string& error)
{
    out = DecodedSound{};
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        error = "file not found";
        return false;
    }
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) {
        error = "not a sound file libsndfile can read";
        return false;
    }
    // Floats keep every file's own loudness: sf_readf_short on a float file
    // comes out near silent, and the normalising flag would rescale each file
    // to its own peak.
    const int inChannels = info.channels;
    const bool downmix = mono || inChannels > 2;
    const int outChannels = downmix ? 1 : inChannels;
    std::vector<float> block(static_cast<size_t>(blockFrames * inChannels));
    if (info.frames > 0 && info.frames < (sf_count_t{1} << 31))
        out.samples.reserve(static_cast<size_t>(info.frames * outChannels));

    sf_count_t got = 0;
    while ((got = sf_readf_float(file, block.data(), blockFrames)) > 0) {
        for (sf_count_t f = 0; f < got; ++f) {
            const float* frame = &block[static_cast<size_t>(f * inChannels)];
            if (downmix) {
                float sum = 0.0f;
                for (int c = 0; c < inChannels; ++c)
                    sum += frame[c];
                out.samples.push_back(floatToPcm16(sum / static_cast<float>(inChannels)));
            } else {
                for (int c = 0; c < inChannels; ++c)
                    out.samples.push_back(floatToPcm16(frame[c]));
            }
        }
    }
    const int status = sf_error(file);
    if (status != SF_ERR_NO_ERROR)
        error = sf_strerror(file);
    sf_close(file);

    if (status != SF_ERR_NO_ERROR || out.samples.empty() || info.samplerate <= 0) {
        if (status == SF_ERR_NO_ERROR)
            error = "no audio data";
        out = DecodedSound{};
        return false;
    }
    out.channels = outChannels;
    out.sampleRate = info.samplerate;
    return true;
}
