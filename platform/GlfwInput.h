#pragma once

#include <string>

#include "platform/Input.h"

struct GLFWwindow;

// Keyboard, mouse, clock, title and game pad of one GLFW window. Sticky keys
// and sticky mouse buttons are switched on, so a tap shorter than a frame is
// still seen by the next read.
class GlfwInput : public InputSource {
public:
    explicit GlfwInput(GLFWwindow* window);

    bool keyDown(int key) override;
    bool mouseButtonDown(int button) override;
    void cursorPosition(double& x, double& y) override;
    void setCursorPosition(double x, double y) override;
    double time() override;
    bool gamepad(GamepadState& state) override;
    bool focused() override;
    void setWindowTitle(const std::string& title) override;
    void endFrame() override;

private:
    GLFWwindow* window;
    GamepadState lastPad;  // packet number bumps when the state differs from this
    int padJoystick = -1;  // GLFW slot of the pad read, -1 for none (see padSlot)
    // The title the window shows. A change reaches the window system at most
    // four times a second (each costs a round of X requests and a redraw of
    // the title bar, and the frame rate in it changes once a second); the
    // latest text waits for the next call after that.
    std::string shownTitle;
    double titleShownAt = -1.0;
};
