#include "TestSounds.h"

#include <sndfile.h>

#include <cmath>
#include <fstream>

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
    SF_INFO info{};
    info.samplerate = spec.rate;
    info.channels = spec.channels;
    info.format = spec.format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file)
        return false;
    std::vector<float> samples(static_cast<size_t>(spec.frames * spec.channels));
    const double step = 2.0 * 3.14159265358979 * spec.frequency / spec.rate;
    for (int f = 0; f < spec.frames; ++f) {
        const float v = spec.amplitude * static_cast<float>(std::sin(step * f));
        for (int c = 0; c < spec.channels; ++c)
            samples[static_cast<size_t>(f * spec.channels + c)] = c == 1 ? v * spec.rightScale : v;
    }
    const sf_count_t written = sf_writef_float(file, samples.data(), spec.frames);
    sf_close(file);
    return written == spec.frames;
}

void writeBytes(const std::filesystem::path& path, const std::vector<unsigned char>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

double rms(const std::vector<float>& stereo, int channel, int first)
{
    const size_t frames = stereo.size() / 2;
    if (frames <= static_cast<size_t>(first))
        return 0.0;
    double sum = 0.0;
    for (size_t f = static_cast<size_t>(first); f < frames; ++f) {
        const double v = stereo[f * 2 + static_cast<size_t>(channel)];
        sum += v * v;
    }
    return std::sqrt(sum / static_cast<double>(frames - static_cast<size_t>(first)));
}

double peak(const std::vector<float>& stereo, int first)
{
    double top = 0.0;
    for (size_t i = static_cast<size_t>(first) * 2; i < stereo.size(); ++i)
        top = std::max(top, static_cast<double>(std::fabs(stereo[i])));
    return top;
}

}
