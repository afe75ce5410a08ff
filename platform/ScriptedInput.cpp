#include "platform/ScriptedInput.h"

ScriptedInput::State& ScriptedInput::keyState(int key) {
    if (key < 0 || key > Key::Last) {
        invalid = State::Up;
        return invalid;
    }
    return keys[static_cast<std::size_t>(key)];
}

bool ScriptedInput::read(State& state) {
    if (state == State::Tapped) {
        state = State::Up;
        return true;
    }
    return state == State::Held;
}

void ScriptedInput::press(int key) { keyState(key) = State::Held; }
void ScriptedInput::release(int key) { keyState(key) = State::Up; }
void ScriptedInput::tap(int key) { keyState(key) = State::Tapped; }

void ScriptedInput::pressButton(int button) {
    if (button >= 0 && button < MouseButton::Count) buttons[static_cast<std::size_t>(button)] = State::Held;
}

void ScriptedInput::releaseButton(int button) {
    if (button >= 0 && button < MouseButton::Count) buttons[static_cast<std::size_t>(button)] = State::Up;
}

bool ScriptedInput::keyDown(int key) { return read(keyState(key)); }

bool ScriptedInput::mouseButtonDown(int button) {
    if (button < 0 || button >= MouseButton::Count) return false;
    return read(buttons[static_cast<std::size_t>(button)]);
}

void ScriptedInput::cursorPosition(double& x, double& y) {
    x = cursorX;
    y = cursorY;
}

void ScriptedInput::setCursorPosition(double x, double y) {
    cursorX = x;
    cursorY = y;
}

double ScriptedInput::time() { return now; }

bool ScriptedInput::gamepad(GamepadState& state) {
    state = GamepadState {};
    if (!padConnected) return false;
    state = pad;
    return true;
}

void ScriptedInput::setWindowTitle(const std::string& title) {
    windowTitle = title;
}

void ScriptedInput::endFrame() {
    for (State& key : keys)
        if (key == State::Tapped) key = State::Up;
    for (State& button : buttons)
        if (button == State::Tapped) button = State::Up;
}
