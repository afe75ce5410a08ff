#pragma once

#include <bitset>
#include <cstdint>

#include "platform/Controls.h"

// What one frame's input asks of a menu: presses only, so a key held as a
// menu opens, or held from one menu into the next, does nothing.
struct MenuInput {
    int move = 0;          // -1 up, +1 down: arrows, the d-pad, the left stick
    int step = 0;          // -1 left, +1 right
    bool choose = false;   // Enter, the pad's A
    bool back = false;     // Escape, Backspace, the pad's B
    bool padStart = false;
    bool padY = false;
    bool pointerMoved = false;
    double x = 0.0;        // the cursor, window pixels
    double y = 0.0;
    bool click = false;    // the left button went down
    bool dragging = false; // the left button is down
    int pressed = -1;      // the first key or mouse button that went down; -1 none
    bool anyPress = false; // any key, mouse button or pad button went down
    bool altEnter = false; // Alt with Enter: full screen or a window
};

class MenuReader {
public:
    // Everything down now counts as already down.
    void prime(const Controls& controls);
    MenuInput read(const Controls& controls);

private:
    std::bitset<inputCodeCount> down;
    std::uint16_t padButtons = 0;
    int stickX = 0;
    int stickY = 0;
    double lastX = 0.0;
    double lastY = 0.0;
};
