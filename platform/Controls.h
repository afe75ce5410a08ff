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
    std::bitset<MouseButton::Count> buttons;  // every button; the left one reads as lightButton
    double cursorX = 0.0;      // window pixels, origin top left
    double cursorY = 0.0;
    bool padConnected = false;
    GamepadState pad;  // zero when no pad answers
    bool focused = true;  // the window has the keyboard focus

    // A key code or a mouse button's code (MouseButton::code); a button is
    // read once, so it reads the same both ways.
    bool keyDown(int code) const { return code <= Key::Last ? key(pressed, code) : button(code); }
    bool keyHeld(int code) const { return code <= Key::Last ? key(held, code) : button(code); }

private:
    static bool key(const std::bitset<Key::Last + 1>& keys, int code) {
        return code >= 0 && keys[static_cast<std::size_t>(code)];
    }
    bool button(int code) const {
        const int b = code - MouseButton::firstCode;
        if (b == MouseButton::Left) return lightButton;
        return b > 0 && b < MouseButton::Count && buttons[static_cast<std::size_t>(b)];
    }
};

// Reads every key twice (any key can be bound, and any resumes a pause),
// every mouse button once, the cursor, pad 0 and the focus.
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
