#include "platform/GamepadMapping.h"

#include <cmath>

namespace {

// XInput mask of each GLFW gamepad button, in GLFW's order: A, B, X, Y, left
// bumper, right bumper, back, start, guide, left thumb, right thumb, d-pad up,
// right, down, left. XInput has no guide button.
constexpr std::uint16_t buttonMasks[glfwPadButtonCount] = {
    Pad::A,         Pad::B,          Pad::X,          Pad::Y,         Pad::LeftShoulder,
    Pad::RightShoulder, Pad::Back,   Pad::Start,      0,              Pad::LeftThumb,
    Pad::RightThumb, Pad::DpadUp,    Pad::DpadRight,  Pad::DpadDown,  Pad::DpadLeft,
};

}  // namespace

std::int16_t stickFromUnit(float value) {
    if (!(value > -1.0f)) return -32768;  // also catches NaN
    if (value >= 1.0f) return 32767;
    const float scaled = value < 0.0f ? value * 32768.0f : value * 32767.0f;
    return static_cast<std::int16_t>(std::lround(scaled));
}

std::uint8_t triggerFromUnit(float value) {
    if (!(value > -1.0f)) return 0;
    if (value >= 1.0f) return 255;
    return static_cast<std::uint8_t>(std::lround((value + 1.0f) * 0.5f * 255.0f));
}

GamepadState gamepadFromGlfw(const unsigned char (&buttons)[glfwPadButtonCount],
                             const float (&axes)[glfwPadAxisCount]) {
    GamepadState state;
    for (int i = 0; i < glfwPadButtonCount; ++i)
        if (buttons[i] != 0) state.wButtons = static_cast<std::uint16_t>(state.wButtons | buttonMasks[i]);
    state.sThumbLX = stickFromUnit(axes[0]);
    state.sThumbLY = stickFromUnit(-axes[1]);
    state.sThumbRX = stickFromUnit(axes[2]);
    state.sThumbRY = stickFromUnit(-axes[3]);
    state.bLeftTrigger = triggerFromUnit(axes[4]);
    state.bRightTrigger = triggerFromUnit(axes[5]);
    return state;
}

int padSlot(const std::vector<JoystickSlot>& slots, int current) {
    const auto usable = [&](std::size_t slot) { return slots[slot].present && slots[slot].isGamepad; };
    if (current >= 0 && static_cast<std::size_t>(current) < slots.size() && usable(static_cast<std::size_t>(current)))
        return current;
    for (std::size_t slot = 0; slot < slots.size(); ++slot)
        if (usable(slot)) return static_cast<int>(slot);
    return -1;
}
