#pragma once

#include "platform/Controls.h"

// A key that acts once, on release. A tap that fell inside one frame reads
// pressed and then not held, so it still acts in that frame.
struct KeyLatch {
    bool pressed = false;
    bool waitForRelease = false;  // the key was down when the latch restarted

    // Once per frame in the branch that uses the key. True when the action
    // should run.
    bool poll(const Controls& controls, int key) {
        if (waitForRelease) {
            waitForRelease = controls.keyHeld(key);
            return false;
        }
        if (controls.keyDown(key)) pressed = true;
        if (pressed && !controls.keyHeld(key)) {
            pressed = false;
            return true;
        }
        return false;
    }

    // Forgets a press so far; a key down now must be let go and pressed
    // again before it acts.
    void restart(const Controls& controls, int key) {
        pressed = false;
        waitForRelease = controls.keyDown(key);
    }
};
