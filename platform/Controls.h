#pragma once

#include <bitset>

#include "platform/Input.h"

// One frame's input, read once at the start of the frame. The camera, the
// rules, the menus and the function keys all read this snapshot, never the
// input source, so a frame sees one consistent state of every key.
struct Controls {
    // First read of each game key: down, or tapped and released since the
    // last read (sticky keys).
    std::bitset<Key::Last + 1> pressed;
    // Second read, straight after: down now. A tap that fell inside one frame
    // reads pressed but not held, so a key that acts on release still acts.
    std::bitset<Key::Last + 1> held;
    bool lightButton = false;  // left mouse button
    double cursorX = 0.0;      // window pixels, origin top left
    double cursorY = 0.0;
    bool padConnected = false;
    GamepadState pad;  // zero when no pad answers
    bool focused = true;  // the window has the keyboard focus

    bool keyDown(int key) const { return key >= 0 && key <= Key::Last && pressed[static_cast<std::size_t>(key)]; }
    bool keyHeld(int key) const { return key >= 0 && key <= Key::Last && held[static_cast<std::size_t>(key)]; }
};

// The keys the game knows, in the order they are read.
inline constexpr int gameKeys[] = {Key::W,  Key::A,  Key::S,  Key::D,  Key::LeftControl, Key::Space,
                                   Key::E,  Key::P, Key::Escape, Key::F1, Key::F2, Key::F3, Key::F4,
                                   Key::F5, Key::F8, Key::F9, Key::F12,
                                   // Picture and mouse settings in play.
                                   Key::F6, Key::F7, Key::Minus, Key::Equal, Key::F10};

// Reads every game key twice, the left mouse button, the cursor, pad 0 and
// the focus.
Controls readControls(InputSource& input);

// The clock of one frame: read once, so every step of the frame (and a
// replay of it) sees the same time.
struct FrameTime {
    double now = 0.0;  // seconds since the platform started
    double dt = 0.0;   // since the previous frame; the first covers start-up
};

class FrameClock {
public:
    FrameTime tick(InputSource& input) {
        const double now = input.time();
        const FrameTime time{now, now - previous};
        previous = now;
        return time;
    }

private:
    double previous = 0.0;
};
