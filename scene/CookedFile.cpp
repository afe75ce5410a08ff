#include "scene/CookedFile.h"

#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {

constexpr char magic[8] = {'m', 'u', 'r', 'k', 'b', 'l', 'b', '1'};

void put(std::string& out, std::uint64_t value) { out.append(reinterpret_cast<const char*>(&value), sizeof value); }

std::string header(const CookedKey& key) {
    std::string out(magic, sizeof magic);
    put(out, key.sourceSize);
    put(out, static_cast<std::uint64_t>(key.sourceTime));
    put(out, key.driver.size());
    out += key.driver;
    return out;
}

std::uint64_t mix(std::uint64_t hash, std::uint64_t value) {
    for (int byte = 0; byte < 8; ++byte, value >>= 8) hash = (hash ^ (value & 0xFF)) * 1099511628211u;
    return hash;
}

}  // namespace

bool readCookedFile(const std::string& path, const CookedKey& key, std::string& bytes) {
    bytes.clear();
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    const std::string expected = header(key);
    std::string read(expected.size() + sizeof(std::uint64_t), '\0');
    if (!file.read(read.data(), static_cast<std::streamsize>(read.size())) ||
        read.compare(0, expected.size(), expected) != 0) {
        return false;
    }
    std::uint64_t length = 0;
    std::memcpy(&length, read.data() + expected.size(), sizeof length);
    std::string payload((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (payload.size() != length) return false;  // cut short, or more than was written
    bytes = std::move(payload);
    return true;
}

bool writeCookedFile(const std::string& path, const CookedKey& key, const std::string& bytes) {
    std::error_code error;
    fs::create_directories(fs::path(path).parent_path(), error);
    const std::string temporary = path + '.' + std::to_string(getpid()) + ".part";
    std::string out = header(key);
    put(out, bytes.size());
    bool written = false;
    {
        std::ofstream file(temporary, std::ios::binary);
        written = file && file.write(out.data(), static_cast<std::streamsize>(out.size())) &&
                  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size())) && file.flush();
    }
    if (written) fs::rename(temporary, path, error);
    if (!written || error) {
        fs::remove(temporary, error);
        return false;
    }
    return true;
}

bool modelKey(const std::string& modelFile, const std::string& maker, CookedKey& key) {
    if (!cookedKey(modelFile, maker, key)) return false;
    std::error_code error;
    const fs::path folder = fs::absolute(modelFile, error).parent_path();
    if (error) return false;
    // Folder order is not sorted, so each file adds its own hash.
    std::uint64_t stamp = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
        std::error_code noFile;
        if (!entry.is_regular_file(noFile)) continue;
        std::uint64_t hash = 14695981039346656037u;
        for (const char c : entry.path().filename().string()) hash = mix(hash, static_cast<unsigned char>(c));
        hash = mix(hash, entry.file_size(noFile));
        hash = mix(hash, static_cast<std::uint64_t>(entry.last_write_time(noFile).time_since_epoch().count()));
        stamp += hash;
    }
    if (error) return false;
    key.sourceTime = static_cast<std::int64_t>(stamp);
    return true;
}

std::string buildName() {
    CookedKey own;
    if (!cookedKey("/proc/self/exe", "", own)) return "";
    return "build " + std::to_string(own.sourceSize) + " " + std::to_string(own.sourceTime);
}
