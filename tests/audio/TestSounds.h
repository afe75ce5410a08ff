#pragma once

#include <filesystem>
#include <string>
#include <vector>

// Small sound files written on the spot, so the tests need no assets.
namespace murk::test {

// A fresh folder under the build tree, emptied on each run.
std::filesystem::path soundDir(const std::string& name);

struct ToneSpec {
    int format = 0;        // libsndfile SF_FORMAT_* (container | encoding)
    int channels = 1;
    int rate = 44100;
    int frames = 44100;
    float amplitude = 0.5f;
    float frequency = 440.0f;
    float rightScale = 1.0f; // right channel = left * rightScale (stereo)
};

// Writes a sine tone; returns false when libsndfile cannot write the format.
bool writeTone(const std::filesystem::path& path, const ToneSpec& spec);
// Writes raw bytes (an empty vector makes an empty file).
void writeBytes(const std::filesystem::path& path, const std::vector<unsigned char>& bytes);

// Root mean square of one channel (0 left, 1 right) of an interleaved stereo mix,
// from frame `first` on.
double rms(const std::vector<float>& stereo, int channel, int first = 0);
double peak(const std::vector<float>& stereo, int first = 0);

}
