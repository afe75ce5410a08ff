#pragma once

#include "platform/Input.h"

// A key that acts once, on release. The key is read twice per call: a tap
// that fell inside one frame reads down and then up (sticky keys), so it
// still acts in that frame.
struct KeyLatch {
    bool pressed = false;

    // Call once per frame in the branch that uses the key. True when the
    // action should run.
    bool poll(InputSource& input, int key) {
        if (input.keyDown(key)) pressed = true;
        if (pressed && !input.keyDown(key)) {
            pressed = false;
            return true;
        }
        return false;
    }
};
