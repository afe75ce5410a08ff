#pragma once

#include <string>

// F12 saves what the player sees as "screenshot-<n>.png" in the working
// directory. The game itself never uses F12.
namespace screenshot {

// Reads the back buffer (call after the frame is drawn, before the swap) and
// writes it as a 24-bit PNG at `path`. False when the image cannot be written.
bool saveBackBuffer(const std::string& path, int width, int height);

// "screenshot-<n>.png" in `directory` (empty: the working directory) with the
// smallest n >= 1 not taken yet, so earlier shots are never overwritten.
std::string nextFileName(const std::string& directory);

}  // namespace screenshot
