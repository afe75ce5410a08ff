// The pad's translation to the XInput layout, and GLFW's input as the game
// reads it: sticky keys, no pad, and titles sent at most four times a second.
#include "platform/GamepadMapping.h"
#include "platform/GlfwInput.h"
#include "tests/support/GlContext.h"
#include "tests/support/Process.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

namespace {

struct RawPad {
    unsigned char buttons[glfwPadButtonCount] = {};
    float axes[glfwPadAxisCount] = {0.0f, 0.0f, 0.0f, 0.0f, -1.0f, -1.0f}; // triggers rest at -1
};

// Sticks, then triggers, in the order of GLFW's axes.
int axisField(const GamepadState& s, int axis) {
    const int fields[] = {s.sThumbLX, s.sThumbLY, s.sThumbRX, s.sThumbRY, s.bLeftTrigger, s.bRightTrigger};
    return fields[axis];
}

TEST(GamepadMapping, EachGlfwButtonSetsItsXInputMaskAlone) {
    const struct { int button; unsigned mask; } table[] = {
        {GLFW_GAMEPAD_BUTTON_A, 0x1000}, {GLFW_GAMEPAD_BUTTON_B, 0x2000}, {GLFW_GAMEPAD_BUTTON_X, 0x4000},
        {GLFW_GAMEPAD_BUTTON_Y, 0x8000}, {GLFW_GAMEPAD_BUTTON_LEFT_BUMPER, 0x0100},
        {GLFW_GAMEPAD_BUTTON_RIGHT_BUMPER, 0x0200}, {GLFW_GAMEPAD_BUTTON_BACK, 0x0020},
        {GLFW_GAMEPAD_BUTTON_START, 0x0010}, {GLFW_GAMEPAD_BUTTON_GUIDE, 0}, // XInput has no guide button
        {GLFW_GAMEPAD_BUTTON_LEFT_THUMB, 0x0040}, {GLFW_GAMEPAD_BUTTON_RIGHT_THUMB, 0x0080},
        {GLFW_GAMEPAD_BUTTON_DPAD_UP, 0x0001}, {GLFW_GAMEPAD_BUTTON_DPAD_RIGHT, 0x0008},
        {GLFW_GAMEPAD_BUTTON_DPAD_DOWN, 0x0002}, {GLFW_GAMEPAD_BUTTON_DPAD_LEFT, 0x0004},
    };
    RawPad all;
    for (const auto& t : table) {
        RawPad raw;
        raw.buttons[t.button] = all.buttons[t.button] = GLFW_PRESS;
        const GamepadState state = gamepadFromGlfw(raw.buttons, raw.axes);
        EXPECT_EQ(state.wButtons, t.mask) << "button " << t.button;
        for (int axis = 0; axis < glfwPadAxisCount; ++axis)
            EXPECT_EQ(axisField(state, axis), 0) << "a resting pad reads zero";
    }
    EXPECT_EQ(gamepadFromGlfw(all.buttons, all.axes).wButtons, 0xF3FF);
}

TEST(GamepadMapping, AxesBecomeFullRangeSticksUpPositiveAndTriggersFromRest) {
    const struct { int axis; float value; int expected; } table[] = {
        {0, 1.0f, 32767}, {0, -1.0f, -32768}, {0, 1.5f, 32767}, {0, 0.25f, 8192},
        {1, -1.0f, 32767}, {1, 1.0f, -32768}, {1, 0.75f, -24576}, // GLFW's stick y points down; down reaches -32768
        {2, -7.0f, -32768}, {2, 0.5f, 16384},
        {3, 0.5f, -16384}, {3, -0.25f, 8192},
        {4, 1.0f, 255}, {4, 0.0f, 128}, {4, 3.0f, 255},
        {5, -1.0f, 0}, {5, -2.0f, 0}, {5, std::nanf(""), 0}, {5, 0.5f, 191},
    };
    for (const auto& t : table) {
        RawPad raw;
        raw.axes[t.axis] = t.value;
        const GamepadState state = gamepadFromGlfw(raw.buttons, raw.axes);
        for (int axis = 0; axis < glfwPadAxisCount; ++axis)
            EXPECT_EQ(axisField(state, axis), axis == t.axis ? t.expected : 0) << t.axis << " at " << t.value;
        EXPECT_EQ(state.wButtons, 0);
    }
}

TEST(GlfwInput, SwitchesStickyKeysOnAndAnswersNoPadWithZeroes) {
    murk::test::GlContext gl(64, 64);
    ASSERT_TRUE(gl.ok());
    GlfwInput input(gl.handle());
    EXPECT_EQ(glfwGetInputMode(gl.handle(), GLFW_STICKY_KEYS), GLFW_TRUE);
    EXPECT_EQ(glfwGetInputMode(gl.handle(), GLFW_STICKY_MOUSE_BUTTONS), GLFW_TRUE);
    GamepadState state;
    state.wButtons = Pad::Back;
    EXPECT_FALSE(input.gamepad(state)); // no pad under a virtual display
    EXPECT_EQ(state.wButtons, 0);
    EXPECT_FALSE(input.keyDown(0)); // not a key: up, and no GLFW error
    EXPECT_FALSE(input.mouseButtonDown(MouseButton::Count));
    EXPECT_EQ(glfwGetError(nullptr), GLFW_NO_ERROR);
}

// A key pressed and released between two polls must still read as down once:
// that is what makes a quick tap act. Without sticky keys GLFW reports it up.
TEST(GlfwInput, TapBetweenTwoPollsReadsDownOnceAndNotAfterItsFrame) {
    murk::test::GlContext gl(64, 64, true);
    ASSERT_TRUE(gl.ok());
    GlfwInput input(gl.handle());
    const auto poll = [](int times, int ms) {
        for (int i = 0; i < times; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
            glfwPollEvents();
        }
    };
    poll(10, 20);
    const auto found = murk::test::runProcess({"xdotool", "search", "--name", "^murk-test$"}, "", 10);
    ASSERT_EQ(found.exitStatus, 0) << "xdotool cannot see the window";
    const std::string window = found.output.substr(0, found.output.find('\n'));
    murk::test::runProcess({"xdotool", "windowfocus", "--sync", window}, "", 10);
    poll(10, 20);
    ASSERT_FALSE(input.keyDown(Key::F5));
    for (bool readInItsFrame : {true, false}) {
        murk::test::runProcess({"xdotool", "key", "F5"}, "", 10);
        poll(1, 300); // press and release arrive together
        if (readInItsFrame) {
            EXPECT_TRUE(input.keyDown(Key::F5));
            EXPECT_FALSE(input.keyDown(Key::F5));
        } else {
            input.endFrame();
            EXPECT_FALSE(input.keyDown(Key::F5)) << "a tap nobody read is gone after its frame";
        }
    }
}

TEST(GlfwInput, TitleChangesReachTheWindowAtMostFourTimesASecond) {
    murk::test::GlContext gl(64, 64, true);
    ASSERT_TRUE(gl.ok());
    GlfwInput input(gl.handle());
    const auto shown = [](const std::string& title) {
        glfwPollEvents();
        return murk::test::runProcess({"xdotool", "search", "--name", "^" + title + "$"}, "", 10).exitStatus == 0;
    };
    const struct { double at; const char* title; const char* shown; } steps[] = {
        {0.0, "murk-first", "murk-first"}, {0.05, "murk-second", "murk-first"}, // too soon after the first
        {0.2, "murk-second", "murk-first"}, {0.3, "murk-second", "murk-second"},
        {0.1, "murk-third", "murk-third"}, // the clock was set back
        {0.36, "murk-third", "murk-third"}, {0.5, "murk-fourth", "murk-fourth"}, // the same title again sends nothing
    };
    for (const auto& step : steps) {
        glfwSetTime(step.at);
        input.setWindowTitle(step.title);
        EXPECT_TRUE(shown(step.shown)) << step.at;
    }
}

// The pad is the first connected joystick with a gamepad mapping, in any
// slot, and the game stays with it until it goes.
TEST(PadSlot, FirstMappedPadIsKeptWhileItIsThere) {
    const JoystickSlot none, pad{true, true}, stick{true, false};
    const std::tuple<std::vector<JoystickSlot>, int, int> rows[] = { // slots, the one in use, the one to use
        {{}, -1, -1},
        {{none, stick, none}, -1, -1}, // a joystick without a mapping is no pad
        {{none, stick, pad, pad}, -1, 2},
        {{pad, none, pad}, 2, 2}, // a pad plugged in lower down does not take over
        {{none, none, pad}, 0, 2}, // the one in use was unplugged
        {{pad, stick}, 1, 0}, // the one in use lost its mapping
        {{pad}, 16, 0},
    };
    for (std::size_t row = 0; row < std::size(rows); ++row)
        EXPECT_EQ(padSlot(std::get<0>(rows[row]), std::get<1>(rows[row])), std::get<2>(rows[row])) << "row " << row;
}

} // namespace
