#include "platform/Controls.h"

Controls readControls(InputSource& input) {
    Controls controls;
    for (const int key : gameKeys) {
        const auto bit = static_cast<std::size_t>(key);
        controls.pressed[bit] = input.keyDown(key);
        controls.held[bit] = input.keyDown(key);
    }
    controls.lightButton = input.mouseButtonDown(MouseButton::Left);
    input.cursorPosition(controls.cursorX, controls.cursorY);
    controls.padConnected = input.gamepad(controls.pad);
    controls.focused = input.focused();
    return controls;
}
