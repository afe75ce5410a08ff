#pragma once

#include <filesystem>
#include <string>

// Small sound files written on the spot, so the tests need no assets.
namespace murk::test {

// A fresh folder under the build tree, emptied on each run.
std::filesystem::path soundDir(const std::string& name);

struct ToneSpec {
    int format = 0; // libsndfile SF_FORMAT_* (container | encoding)
    int channels = 1, rate = 44100, frames = 44100;
    float amplitude = 0.5f, rightScale = 1.0f; // the second channel is the first times rightScale, others silent
};

// Writes a 440 Hz sine; false when libsndfile cannot write the format.
bool writeTone(const std::filesystem::path& path, const ToneSpec& spec);

} // namespace murk::test
