#include "TestSounds.h"

#include <sndfile.h>

#include <cmath>
#include <vector>

namespace murk::test {

std::filesystem::path soundDir(const std::string& name)
{
    const auto dir = std::filesystem::path(MURK_BINARY_DIR) / "test-sounds" / name;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

bool writeTone(const std::filesystem::path& path, const ToneSpec& spec)
{
    SF_INFO info{0, spec.rate, spec.channels, spec.format, 0, 0};
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file)
        return false;
    std::vector<float> samples(static_cast<size_t>(spec.frames * spec.channels));
    for (int f = 0; f < spec.frames; ++f) {
        const float v = spec.amplitude * static_cast<float>(std::sin(2 * M_PI * 440.0 * f / spec.rate));
        samples[f * spec.channels] = v;
        if (spec.channels > 1)
            samples[f * spec.channels + 1] = v * spec.rightScale;
    }
    const sf_count_t written = sf_writef_float(file, samples.data(), spec.frames);
    sf_close(file);
    return written == spec.frames;
}

} // namespace murk::test
