#pragma once

#include "platform/Input.h"

#include <array>
#include <string>
#include <vector>

// Input and time fed by a test or a replay. Keys behave like GLFW's sticky
// keys: a tap (pressed and released within one frame) reads as down once.
class ScriptedInput : public InputSource {
public:
    void press(int key);    // held from now on
    void release(int key);  // up from now on
    void tap(int key);      // down for the next read only
    void pressButton(int button);
    void releaseButton(int button);

    bool keyDown(int key) override;
    bool mouseButtonDown(int button) override;
    void cursorPosition(double& x, double& y) override;
    void setCursorPosition(double x, double y) override;
    double time() override;
    bool gamepad(GamepadState& state) override;
    bool focused() override { return hasFocus; }
    void setWindowTitle(const std::string& title) override;
    void endFrame() override;

    double cursorX = 0.0;
    double cursorY = 0.0;
    double now = 0.0;
    bool padConnected = false;
    bool hasFocus = true;
    GamepadState pad;
    std::string windowTitle;

private:
    enum class State : unsigned char { Up, Held, Tapped };
    static bool read(State& state);
    State& keyState(int key);

    std::array<State, Key::Last + 1> keys {};
    std::array<State, MouseButton::Count> buttons {};
    State invalid = State::Up;
};
