#pragma once

#include <string>

#include "app/Camera.h"
#include "app/Config.h"

// The player's settings file: one "name = value" line per setting, read
// after CONFIG.txt and applied over it. Only what differs from CONFIG.txt
// is written, so an edit there still counts for everything else.
namespace playerSettings {

constexpr int version = 1;
// Larger than any file the game writes; the rest of a bigger one is left unread.
constexpr std::size_t maxFileBytes = 64 * 1024;

// The file's text for `settings` and `camera`, over `base` (what CONFIG.txt gave).
std::string text(const Settings& settings, const Camera& camera, const Settings& base, const Camera& baseCamera);

// Applies every line it understands. A line it does not (unknown name, bad
// or out-of-range value) costs that one setting; the one-line report says
// what was left out, empty when nothing was.
std::string apply(const std::string& text, Settings& settings, Camera& camera);

// Reads the file at `path` over the settings. Returns the one-line report:
// empty when the file was read whole or is not there.
std::string load(const std::string& path, Settings& settings, Camera& camera);

// Writes `text` to `path` (its folder made) by a temporary renamed into
// place: a failed write leaves the old file whole. Empty on success, else why.
std::string save(const std::string& path, const std::string& text);

}  // namespace playerSettings
