#pragma once

#include <string>
#include <vector>

class SoundManager;

// Subtitles.txt: one line per sound, its file name as in audio/GameSounds.h,
// then a tab or " = ", then the words shown while it plays.
// The text for each game sound in gameSounds order, empty for sounds
// without a line. A missing file gives no subtitles; a line that names no
// sound, or is over 500 bytes long, is left out: the first three are said in
// `warnings`, and more than that are counted in one more. Only the first MiB of a file is read.
std::vector<std::string> parseSubtitles(const std::string& text, std::vector<std::string>& warnings);
std::vector<std::string> loadSubtitles(const std::string& path);

// The lines of the sounds playing now, by sound id (ids[i] is the id of
// gameSounds[i]).
std::vector<std::string> playingSubtitles(const SoundManager& sounds, const std::vector<std::string>& table,
                                          const std::vector<int>& ids);
