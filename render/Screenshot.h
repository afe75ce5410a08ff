#pragma once

#include <string>

#include "app/KeyLatch.h"

// F12 saves what the player sees as "screenshot-<n>.png" in the working
// directory. The game itself never uses F12.
namespace screenshot {

constexpr int key = 301;  // GLFW's F12

// Reads the back buffer (call after the frame is drawn, before the swap) and
// writes it as a 24-bit PNG at `path`. False when the image cannot be written.
bool saveBackBuffer(const std::string& path, int width, int height);

// "screenshot-<n>.png" in `directory` (empty: the working directory) with the
// smallest n >= 1 not taken yet, so earlier shots are never overwritten.
std::string nextFileName(const std::string& directory);

}  // namespace screenshot

// Acts on release like the game's other function keys: one save per press.
class ScreenshotKey {
public:
    // Polls F12; on its release saves the back buffer in the working
    // directory and prints the file name. Returns the name, or "" when no
    // shot was taken this frame.
    std::string poll(InputSource& input, int width, int height);

private:
    KeyLatch latch;
};
