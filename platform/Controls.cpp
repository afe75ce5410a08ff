#include "platform/Controls.h"

Controls readControls(InputSource& input) {
    Controls controls;
    for (int key = Key::First; key <= Key::Last; ++key) {
        const auto bit = static_cast<std::size_t>(key);
        controls.pressed[bit] = input.keyDown(key);
        controls.held[bit] = input.keyDown(key);
    }
    for (int button = 0; button < MouseButton::Count; ++button)
        controls.buttons[static_cast<std::size_t>(button)] = input.mouseButtonDown(button);
    controls.lightButton = controls.buttons[MouseButton::Left];
    input.cursorPosition(controls.cursorX, controls.cursorY);
    controls.padConnected = input.gamepad(controls.pad);
    controls.focused = input.focused();
    return controls;
}
