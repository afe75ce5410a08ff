#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A sound file decoded whole into interleaved 16-bit samples, ready for an
// OpenAL buffer.
struct DecodedSound {
    int channels = 0; // 1 or 2
    int sampleRate = 0;
    std::vector<std::int16_t> samples;

    int frameCount() const { return channels > 0 ? static_cast<int>(samples.size()) / channels : 0; }
};

// Decodes WAV, OGG Vorbis, MP3 and whatever else libsndfile reads. With
// `mono`, or for more than two channels, the channels are averaged into one.
// On failure returns false and says why in `error`.
bool decodeSound(const std::string& path, bool mono, DecodedSound& out, std::string& error);

// Float samples to 16 bits; values outside -1..1 are clamped, not wrapped.
std::int16_t floatToPcm16(float value);
