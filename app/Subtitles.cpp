#include "app/Subtitles.h"

#include <iostream>
#include <iterator>
#include <sstream>

#include "audio/GameSounds.h"
#include "audio/SoundManager.h"
#include "platform/AtomicFile.h"

namespace {

// The shipped file is a few hundred bytes and its longest line under a
// hundred: far more than either is a wrong file, not subtitles.
constexpr std::size_t maxFileBytes = 1 << 20;
constexpr std::size_t maxLineBytes = 500;
constexpr std::size_t linesNamed = 3;  // skipped lines said one by one, the rest counted

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
    std::size_t skipped = 0;
    const auto skip = [&](const std::string& why) {
        if (++skipped <= linesNamed) warnings.push_back(why);
    };
    for (int number = 1; std::getline(in, line); ++number) {
        if (trimmed(line).empty()) continue;
        const std::string at = "line " + std::to_string(number) + ": ";
        if (line.size() > maxLineBytes) {
            skip(at + "longer than " + std::to_string(maxLineBytes) + " bytes");
            continue;
        }
        std::size_t split = line.find('\t');
        std::size_t separator = 1;
        if (split == std::string::npos) {
            split = line.find(" = ");
            separator = 3;
        }
        const std::string name = split == std::string::npos ? "" : fileName(trimmed(line.substr(0, split)));
        bool found = false;
        for (std::size_t i = 0; i < table.size() && !name.empty(); ++i) {
            if (fileName(gameSounds[i].path) != name) continue;
            table[i] = trimmed(line.substr(split + separator));
            found = true;
        }
        if (!found) skip(at + "no sound named \"" + name + "\"");
    }
    if (skipped > linesNamed) warnings.push_back("lines skipped in all: " + std::to_string(skipped));
    return table;
}

std::vector<std::string> loadSubtitles(const std::string& path) {
    std::string text;
    const TextHead read = readTextHead(path, maxFileBytes, text);
    if (read == TextHead::Unreadable) {
        std::cout << path << " could not be read: no subtitles" << std::endl;
        return std::vector<std::string>(std::size(gameSounds));
    }
    if (read == TextHead::Cut) {
        std::cout << path << " is larger than " << maxFileBytes << " bytes: only the lines before that are read"
                  << std::endl;
    }
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
