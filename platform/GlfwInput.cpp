#include "platform/GlfwInput.h"

#include "platform/GamepadMapping.h"

#include <GLFW/glfw3.h>

namespace {

bool sameInput(const GamepadState& a, const GamepadState& b) {
    return a.wButtons == b.wButtons && a.bLeftTrigger == b.bLeftTrigger && a.bRightTrigger == b.bRightTrigger &&
           a.sThumbLX == b.sThumbLX && a.sThumbLY == b.sThumbLY && a.sThumbRX == b.sThumbRX &&
           a.sThumbRY == b.sThumbRY;
}

}  // namespace

GlfwInput::GlfwInput(GLFWwindow* glfwWindow) : window(glfwWindow) {
    glfwSetInputMode(window, GLFW_STICKY_KEYS, GLFW_TRUE);
    glfwSetInputMode(window, GLFW_STICKY_MOUSE_BUTTONS, GLFW_TRUE);
}

bool GlfwInput::keyDown(int key) {
    if (key < GLFW_KEY_SPACE || key > GLFW_KEY_LAST) return false;
    return glfwGetKey(window, key) == GLFW_PRESS;
}

bool GlfwInput::mouseButtonDown(int button) {
    if (button < 0 || button > GLFW_MOUSE_BUTTON_LAST) return false;
    return glfwGetMouseButton(window, button) == GLFW_PRESS;
}

void GlfwInput::cursorPosition(double& x, double& y) { glfwGetCursorPos(window, &x, &y); }

void GlfwInput::setCursorPosition(double x, double y) { glfwSetCursorPos(window, x, y); }

double GlfwInput::time() { return glfwGetTime(); }

bool GlfwInput::gamepad(GamepadState& state) {
    state = GamepadState {};
    std::vector<JoystickSlot> slots(GLFW_JOYSTICK_LAST + 1);
    for (int jid = GLFW_JOYSTICK_1; jid <= GLFW_JOYSTICK_LAST; ++jid) {
        const bool present = glfwJoystickPresent(jid) == GLFW_TRUE;
        slots[static_cast<std::size_t>(jid)] = {present, present && glfwJoystickIsGamepad(jid) == GLFW_TRUE};
    }
    padJoystick = padSlot(slots, padJoystick);
    GLFWgamepadstate raw;
    if (padJoystick < 0 || glfwGetGamepadState(padJoystick, &raw) != GLFW_TRUE) return false;
    state = gamepadFromGlfw(raw.buttons, raw.axes);
    state.dwPacketNumber = lastPad.dwPacketNumber;
    if (!sameInput(state, lastPad)) ++state.dwPacketNumber;
    lastPad = state;
    return true;
}

bool GlfwInput::focused() { return glfwGetWindowAttrib(window, GLFW_FOCUSED) == GLFW_TRUE; }

void GlfwInput::setWindowTitle(const std::string& title) {
    if (titleShownAt >= 0.0 && title == shownTitle) return;
    const double now = glfwGetTime();
    if (titleShownAt >= 0.0 && now - titleShownAt < 0.25 && now >= titleShownAt) return;
    glfwSetWindowTitle(window, title.c_str());
    shownTitle = title;
    titleShownAt = now;
}

void GlfwInput::endFrame() {
    // Reading a sticky key clears a press that has already been released;
    // a key still held keeps reading as down.
    for (int key = GLFW_KEY_SPACE; key <= GLFW_KEY_LAST; ++key) glfwGetKey(window, key);
    for (int button = 0; button <= GLFW_MOUSE_BUTTON_LAST; ++button) glfwGetMouseButton(window, button);
}
