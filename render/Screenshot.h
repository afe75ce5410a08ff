#pragma once

#include <string>

// F12 saves what the player sees as "screenshot-<n>.png" in the working
// directory. The game itself never uses F12.
namespace screenshot {

// Reads the back buffer (call after the frame is drawn, before the swap) and
// writes it as a 24-bit PNG at `path`, replacing the file there only once
// the whole image is down. False when the image cannot be written.
bool saveBackBuffer(const std::string& path, int width, int height);

// Claims "screenshot-<n>.png" in `directory` (empty: the working directory)
// with the smallest n >= 1 not taken by anything, made as an empty file, so
// earlier shots are never overwritten. Empty when no name can be made there.
std::string nextFileName(const std::string& directory);

}  // namespace screenshot
