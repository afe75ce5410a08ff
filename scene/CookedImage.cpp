#include "scene/CookedImage.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

namespace fs = std::filesystem;

namespace {

constexpr char magic[8] = {'m', 'u', 'r', 'k', 'm', 'i', 'p', '1'};
constexpr std::uint32_t longestDriverName = 4096;
constexpr int mostLevels = 32;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

template <typename T>
bool readValue(std::FILE* file, T& value) {
    return std::fread(&value, sizeof value, 1, file) == 1;
}

template <typename T>
bool writeValue(std::FILE* file, const T& value) {
    return std::fwrite(&value, sizeof value, 1, file) == 1;
}

std::size_t levelBytes(int width, int height, int channels) {
    return static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * static_cast<std::size_t>(channels);
}

// Each level halves the one before, down to 1x1, as GL makes them.
bool fullChain(const std::vector<std::pair<int, int>>& sizes) {
    if (sizes.empty() || sizes[0].first < 1 || sizes[0].second < 1 || sizes[0].first > 65536 ||
        sizes[0].second > 65536) {
        return false;
    }
    for (std::size_t i = 1; i < sizes.size(); ++i) {
        if (sizes[i].first != std::max(1, sizes[i - 1].first / 2) ||
            sizes[i].second != std::max(1, sizes[i - 1].second / 2)) {
            return false;
        }
    }
    return sizes.back().first == 1 && sizes.back().second == 1;
}

}  // namespace

bool cookedKey(const std::string& source, const std::string& driver, CookedKey& key) {
    std::error_code error;
    key.sourceSize = fs::file_size(source, error);
    if (error) return false;
    const fs::file_time_type time = fs::last_write_time(source, error);
    if (error) return false;
    key.sourceTime = static_cast<std::int64_t>(time.time_since_epoch().count());
    key.driver = driver;
    return true;
}

CookedKey cookedKey(const std::vector<unsigned char>& pixels, const std::string& driver) {
    std::uint64_t hash = 14695981039346656037u;  // FNV-1a
    for (const unsigned char byte : pixels) hash = (hash ^ byte) * 1099511628211u;
    return {pixels.size(), static_cast<std::int64_t>(hash), driver};
}

std::string cookedPath(const std::string& folder, const std::string& source, int channels) {
    const char* layout = channels == 4 ? ".rgba" : channels == 3 ? ".rgb" : ".r";
    return (fs::path(folder) / (fs::path(source).filename().string() + layout + ".mips")).string();
}

bool readCookedImage(const std::string& path, const CookedKey& key, CookedImage& image) {
    image = CookedImage{};
    const File file(std::fopen(path.c_str(), "rb"));
    if (!file) return false;
    char header[sizeof magic];
    std::uint64_t size = 0;
    std::int64_t time = 0;
    std::uint32_t driverLength = 0;
    if (std::fread(header, sizeof header, 1, file.get()) != 1 || std::memcmp(header, magic, sizeof magic) != 0 ||
        !readValue(file.get(), size) || !readValue(file.get(), time) || !readValue(file.get(), driverLength) ||
        size != key.sourceSize || time != key.sourceTime || driverLength > longestDriverName) {
        return false;
    }
    std::string driver(driverLength, '\0');
    std::uint32_t channels = 0;
    std::uint32_t levelCount = 0;
    if ((driverLength > 0 && std::fread(driver.data(), driverLength, 1, file.get()) != 1) || driver != key.driver ||
        !readValue(file.get(), channels) || !readValue(file.get(), levelCount) || channels < 1 || channels > 4 ||
        levelCount < 1 || levelCount > mostLevels) {
        return false;
    }
    std::vector<std::pair<int, int>> sizes(levelCount);
    for (auto& [width, height] : sizes) {
        std::uint32_t w = 0;
        std::uint32_t h = 0;
        if (!readValue(file.get(), w) || !readValue(file.get(), h) || w > 65536 || h > 65536) return false;
        width = static_cast<int>(w);
        height = static_cast<int>(h);
    }
    if (!fullChain(sizes)) return false;
    // A damaged header must not make us allocate more than the file holds.
    std::size_t total = 0;
    for (const auto& [width, height] : sizes) total += levelBytes(width, height, static_cast<int>(channels));
    std::error_code error;
    const std::uintmax_t fileSize = fs::file_size(path, error);
    const long at = std::ftell(file.get());
    if (error || at < 0 || fileSize != static_cast<std::uintmax_t>(at) + total) return false;
    CookedImage read;
    read.channels = static_cast<int>(channels);
    for (const auto& [width, height] : sizes) {
        CookedImage::Level& level = read.levels.emplace_back();
        level.width = width;
        level.height = height;
        level.pixels.resize(levelBytes(width, height, read.channels));
        if (std::fread(level.pixels.data(), level.pixels.size(), 1, file.get()) != 1) return false;
    }
    // Anything after the last level is damage too.
    if (std::fgetc(file.get()) != EOF) return false;
    image = std::move(read);
    return true;
}

bool writeCookedImage(const std::string& path, const CookedKey& key, const CookedImage& image) {
    std::error_code error;
    fs::create_directories(fs::path(path).parent_path(), error);
    // Two games starting at once each write their own file; the last rename wins.
    const std::string temporary = path + '.' + std::to_string(getpid()) + ".part";
    bool written = false;
    {
        const File file(std::fopen(temporary.c_str(), "wb"));
        if (!file) return false;
        const std::uint64_t size = key.sourceSize;
        const auto driverLength =
            static_cast<std::uint32_t>(std::min<std::size_t>(key.driver.size(), longestDriverName));
        written = std::fwrite(magic, sizeof magic, 1, file.get()) == 1 && writeValue(file.get(), size) &&
                  writeValue(file.get(), key.sourceTime) && writeValue(file.get(), driverLength) &&
                  std::fwrite(key.driver.data(), 1, driverLength, file.get()) == driverLength &&
                  writeValue(file.get(), static_cast<std::uint32_t>(image.channels)) &&
                  writeValue(file.get(), static_cast<std::uint32_t>(image.levels.size()));
        for (const CookedImage::Level& level : image.levels) {
            written = written && writeValue(file.get(), static_cast<std::uint32_t>(level.width)) &&
                      writeValue(file.get(), static_cast<std::uint32_t>(level.height));
        }
        for (const CookedImage::Level& level : image.levels) {
            const std::size_t bytes = level.pixels.size();
            written = written && std::fwrite(level.pixels.data(), 1, bytes, file.get()) == bytes;
        }
        written = written && std::fflush(file.get()) == 0;
    }
    if (written) fs::rename(temporary, path, error);
    if (!written || error) {
        fs::remove(temporary, error);
        return false;
    }
    return true;
}
