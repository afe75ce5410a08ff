#include "app/Subtitles.h"

#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

#include "audio/GameSounds.h"
#include "audio/SoundManager.h"

namespace {

std::string fileName(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

std::string trimmed(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace

std::vector<std::string> parseSubtitles(const std::string& text, std::vector<std::string>& warnings) {
    std::vector<std::string> table(std::size(gameSounds));
    std::istringstream in(text);
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (trimmed(line).empty()) continue;
        std::size_t split = line.find('\t');
        std::size_t skip = 1;
        if (split == std::string::npos) {
            split = line.find(" = ");
            skip = 3;
        }
        const std::string name = split == std::string::npos ? "" : fileName(trimmed(line.substr(0, split)));
        bool found = false;
        for (std::size_t i = 0; i < table.size() && !name.empty(); ++i) {
            if (fileName(gameSounds[i].path) != name) continue;
            table[i] = trimmed(line.substr(split + skip));
            found = true;
        }
        if (!found) warnings.push_back("line " + std::to_string(number) + ": no sound named \"" + name + "\"");
    }
    return table;
}

std::vector<std::string> loadSubtitles(const std::string& path) {
    std::ifstream file(path);
    if (!file) {
        std::cout << path << " could not be read: no subtitles" << std::endl;
        return std::vector<std::string>(std::size(gameSounds));
    }
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::vector<std::string> warnings;
    std::vector<std::string> table = parseSubtitles(text, warnings);
    for (const std::string& warning : warnings) std::cout << path << " " << warning << std::endl;
    return table;
}

std::vector<std::string> playingSubtitles(const SoundManager& sounds, const std::vector<std::string>& table,
                                          const std::vector<int>& ids) {
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < table.size() && i < ids.size(); ++i)
        if (!table[i].empty() && sounds.isPlaying(ids[i])) lines.push_back(table[i]);
    return lines;
}
