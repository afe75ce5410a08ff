#pragma once

#include <filesystem>
#include <string>
#include <vector>

// Broken stand-ins for the files the game reads, and a scratch copy of the
// game's data folder to put them in.
namespace badfiles {

namespace fs = std::filesystem;

// What a player or a modder might leave behind a file name.
enum class Damage {
    Missing,    // no file at all
    Empty,      // zero bytes
    Truncated,  // the first third of a good file
    Random,     // 64 KiB of random bytes
    WrongType,  // a good file of another kind behind this name
    Huge,       // 40 MiB of random bytes
    OddName,    // a good file, read under a name with spaces and umlauts
};
const std::vector<Damage>& allDamages();
const char* damageName(Damage damage);

// Puts the damaged version of `good` at `target` (for OddName, at the odd
// name beside it). `other` is a good file of another type. Returns the path
// the reader must be given.
fs::path damage(Damage damage, const fs::path& good, const fs::path& other, const fs::path& target);

// A fresh folder under /tmp, removed at the end. copyData: with a copy of
// the game's data folder (CONFIG.txt, SCENE.txt, Shader/, Assets/).
struct Scratch {
    explicit Scratch(bool copyData);
    ~Scratch();
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
    fs::path path;
};

std::string readText(const fs::path& path);
void writeText(const fs::path& path, const std::string& text);

// CONFIG.txt of the game with some lines replaced (line number -> value).
// The window is small and the shadow maps too, so llvmpipe keeps up.
std::string smallConfig(const std::vector<std::pair<int, std::string>>& values = {});

}  // namespace badfiles
