#include "scene/CookedImage.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "scene/CookedFile.h"
#include "scene/MeshMessage.h"

namespace fs = std::filesystem;

namespace {

constexpr std::uint32_t mostLevels = 32;
constexpr std::uint32_t largestSide = 65536;

std::size_t levelBytes(int width, int height, int channels) {
    return static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * static_cast<std::size_t>(channels);
}

// Each level halves the one before, down to 1x1, as GL makes them.
bool fullChain(const std::vector<std::pair<int, int>>& sizes) {
    if (sizes.empty() || sizes[0].first < 1 || sizes[0].second < 1) return false;
    for (std::size_t i = 1; i < sizes.size(); ++i) {
        if (sizes[i].first != std::max(1, sizes[i - 1].first / 2) ||
            sizes[i].second != std::max(1, sizes[i - 1].second / 2)) {
            return false;
        }
    }
    return sizes.back().first == 1 && sizes.back().second == 1;
}

// The levels from an entry's bytes, or what is wrong with them.
std::string decodeLevels(const std::string& bytes, int largest, CookedImage& image) {
    MessageReader in{bytes.data(), bytes.data() + bytes.size()};
    std::uint32_t channels = 0;
    std::uint32_t levelCount = 0;
    in.get(channels);
    in.get(levelCount);
    if (!in.ok || channels < 1 || channels > 4 || levelCount < 1 || levelCount > mostLevels) {
        return "not a chain of mipmap levels";
    }
    std::vector<std::pair<int, int>> sizes(levelCount);
    std::size_t total = 0;
    for (auto& [width, height] : sizes) {
        std::uint32_t w = 0;
        std::uint32_t h = 0;
        in.get(w);
        in.get(h);
        if (!in.ok || w > largestSide || h > largestSide) return "not a chain of mipmap levels";
        width = static_cast<int>(w);
        height = static_cast<int>(h);
        total += levelBytes(width, height, static_cast<int>(channels));
    }
    if (!fullChain(sizes)) return "not a chain of mipmap levels";
    if (largest > 0 && std::max(sizes[0].first, sizes[0].second) > largest) {
        return std::to_string(sizes[0].first) + "x" + std::to_string(sizes[0].second) + ", where this GL takes at most " +
               std::to_string(largest);
    }
    if (total != in.left()) return "its levels do not fill it";
    image.channels = static_cast<int>(channels);
    for (const auto& [width, height] : sizes) {
        CookedImage::Level& level = image.levels.emplace_back();
        level.width = width;
        level.height = height;
        level.pixels.assign(in.at, in.at + levelBytes(width, height, image.channels));
        in.at += level.pixels.size();
    }
    return "";
}

}  // namespace

bool cookedKey(const std::string& source, const std::string& driver, CookedKey& key) {
    if (!hashFile(source, key.sourceSize, key.sourceHash)) return false;
    key.driver = driver;
    return true;
}

CookedKey cookedKey(const std::vector<unsigned char>& pixels, const std::string& driver) {
    return {pixels.size(), hashBytes(pixels.data(), pixels.size()), driver};
}

std::string cookedPath(const std::string& folder, const std::string& source, int channels) {
    const char* layout = channels == 4 ? ".rgba" : channels == 3 ? ".rgb" : ".r";
    return (fs::path(folder) / (fs::path(source).filename().string() + layout + ".mips")).string();
}

bool readCookedImage(const std::string& path, const CookedKey& key, CookedImage& image, int largest,
                     std::string* damage) {
    image = CookedImage{};
    std::string bytes;
    if (!readCookedFile(path, key, bytes, damage)) return false;
    CookedImage read;
    const std::string problem = decodeLevels(bytes, largest, read);
    if (!problem.empty()) {
        if (damage != nullptr) *damage = problem;
        return false;
    }
    image = std::move(read);
    return true;
}

bool writeCookedImage(const std::string& path, const CookedKey& key, const CookedImage& image) {
    std::string bytes;
    put(bytes, static_cast<std::uint32_t>(image.channels));
    put(bytes, static_cast<std::uint32_t>(image.levels.size()));
    for (const CookedImage::Level& level : image.levels) {
        put(bytes, static_cast<std::uint32_t>(level.width));
        put(bytes, static_cast<std::uint32_t>(level.height));
    }
    for (const CookedImage::Level& level : image.levels) {
        bytes.append(reinterpret_cast<const char*>(level.pixels.data()), level.pixels.size());
    }
    return writeCookedFile(path, key, bytes);
}
