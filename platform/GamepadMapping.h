#pragma once

#include <vector>

#include "platform/Input.h"

// Turns GLFW's gamepad layout (15 buttons, six axes in -1..1 with the stick Y
// axes pointing down and the triggers resting at -1) into the XInput layout.
// Kept apart from the GLFW calls so it can be tested without a pad.
constexpr int glfwPadButtonCount = 15;
constexpr int glfwPadAxisCount = 6;

GamepadState gamepadFromGlfw(const unsigned char (&buttons)[glfwPadButtonCount],
                             const float (&axes)[glfwPadAxisCount]);

// Stick value in -1..1 to -32768..32767.
std::int16_t stickFromUnit(float value);
// Trigger value in -1 (rest)..1 (full) to 0..255.
std::uint8_t triggerFromUnit(float value);

// One joystick slot as GLFW reports it.
struct JoystickSlot {
    bool present = false;
    bool isGamepad = false;  // has a gamepad mapping
};
// The slot the pad is read from: the current one while it is still a mapped
// pad, else the first one that is; -1 when there is none. Called every frame,
// so a pad that is unplugged is replaced and a new one is found.
int padSlot(const std::vector<JoystickSlot>& slots, int current);
