#include "tests/robustness/BadFiles.h"

#include <fstream>
#include <iterator>
#include <random>
#include <sstream>

namespace badfiles {

const std::vector<Damage>& allDamages() {
    static const std::vector<Damage> all{Damage::Missing, Damage::Empty, Damage::Truncated, Damage::Random,
                                         Damage::WrongType, Damage::Huge, Damage::OddName};
    return all;
}

const char* damageName(Damage damage) {
    switch (damage) {
    case Damage::Missing: return "missing";
    case Damage::Empty: return "empty";
    case Damage::Truncated: return "truncated";
    case Damage::Random: return "random";
    case Damage::WrongType: return "wrong type";
    case Damage::Huge: return "huge";
    case Damage::OddName: return "odd name";
    }
    return "?";
}

std::string readText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeText(const fs::path& path, const std::string& text) {
    if (!path.parent_path().empty()) fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

namespace {

std::string randomBytes(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random() & 0xff);
    return bytes;
}

}  // namespace

fs::path damage(Damage damage, const fs::path& good, const fs::path& other, const fs::path& target) {
    std::error_code ignored;
    fs::remove(target, ignored);
    switch (damage) {
    case Damage::Missing: return target;
    case Damage::Empty: writeText(target, ""); return target;
    case Damage::Truncated: {
        const std::string text = readText(good);
        writeText(target, text.substr(0, text.size() / 3));
        return target;
    }
    case Damage::Random: writeText(target, randomBytes(64 * 1024, 11)); return target;
    case Damage::WrongType: writeText(target, readText(other)); return target;
    case Damage::Huge: writeText(target, randomBytes(40u << 20, 12)); return target;
    case Damage::OddName: {
        const fs::path odd = target.parent_path() /
                             ("Mein Ding \xc3\xa4\xc3\xb6\xc3\xbc " + target.filename().string());
        writeText(odd, readText(good));
        return odd;
    }
    }
    return target;
}

Scratch::Scratch(bool copyData) {
    std::random_device random;
    path = fs::temp_directory_path() / ("murk-robust-" + std::to_string(random()));
    fs::create_directories(path);
    if (copyData) fs::copy(MURK_DATA_DIR, path, fs::copy_options::recursive);
}

Scratch::~Scratch() {
    std::error_code ignored;
    fs::remove_all(path, ignored);
}

std::string smallConfig(const std::vector<std::pair<int, std::string>>& values) {
    std::istringstream in(readText(fs::path(MURK_DATA_DIR) / "CONFIG.txt"));
    std::vector<std::pair<int, std::string>> all{{2, "320"}, {3, "180"}, {9, "128"}};
    all.insert(all.end(), values.begin(), values.end());
    std::ostringstream out;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        for (const auto& [at, value] : all) {
            if (at == number) line = line.substr(0, line.find(" = ")) + " = " + value;
        }
        out << line << '\n';
    }
    return out.str();
}

}  // namespace badfiles
