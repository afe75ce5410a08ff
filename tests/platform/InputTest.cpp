// The platform layer: the pad's translation to the XInput layout, the
// scripted input's sticky behaviour, and GLFW's input switched to sticky.
#include "platform/GamepadMapping.h"
#include "platform/GlfwInput.h"
#include "platform/ScriptedInput.h"
#include "tests/support/GlContext.h"
#include "tests/support/Process.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

namespace {

struct RawPad {
    unsigned char buttons[glfwPadButtonCount] = {};
    float axes[glfwPadAxisCount] = {0.0f, 0.0f, 0.0f, 0.0f, -1.0f, -1.0f};  // triggers rest at -1
};

TEST(GamepadMapping, RestingPadIsAllZero) {
    const RawPad raw;
    const GamepadState state = gamepadFromGlfw(raw.buttons, raw.axes);
    EXPECT_EQ(state.wButtons, 0);
    EXPECT_EQ(state.bLeftTrigger, 0);
    EXPECT_EQ(state.bRightTrigger, 0);
    EXPECT_EQ(state.sThumbLX, 0);
    EXPECT_EQ(state.sThumbLY, 0);
    EXPECT_EQ(state.sThumbRX, 0);
    EXPECT_EQ(state.sThumbRY, 0);
}

TEST(GamepadMapping, ButtonsUseXInputMasks) {
    RawPad raw;
    raw.buttons[0] = 1;  // A
    raw.buttons[6] = 1;  // Back
    raw.buttons[11] = 1; // d-pad up
    raw.buttons[14] = 1; // d-pad left
    EXPECT_EQ(gamepadFromGlfw(raw.buttons, raw.axes).wButtons, Pad::A | Pad::Back | Pad::DpadUp | Pad::DpadLeft);

    RawPad all;
    for (unsigned char& b : all.buttons) b = 1;
    // Every XInput button once; the guide button has no XInput mask.
    EXPECT_EQ(gamepadFromGlfw(all.buttons, all.axes).wButtons, 0xF3FF);
}

TEST(GamepadMapping, StickYPointsUpAndRangesAreFull) {
    RawPad raw;
    raw.axes[0] = 1.0f;   // left stick right
    raw.axes[1] = -1.0f;  // left stick pushed up: GLFW says -1
    raw.axes[2] = -1.0f;  // right stick left
    raw.axes[3] = 0.5f;   // right stick half down
    raw.axes[4] = 1.0f;   // left trigger full
    raw.axes[5] = 0.0f;   // right trigger half
    const GamepadState state = gamepadFromGlfw(raw.buttons, raw.axes);
    EXPECT_EQ(state.sThumbLX, 32767);
    EXPECT_EQ(state.sThumbLY, 32767);
    EXPECT_EQ(state.sThumbRX, -32768);
    EXPECT_EQ(state.sThumbRY, -16384);
    EXPECT_EQ(state.bLeftTrigger, 255);
    EXPECT_EQ(state.bRightTrigger, 128);
}

TEST(GamepadMapping, OutOfRangeValuesSaturate) {
    EXPECT_EQ(stickFromUnit(1.5f), 32767);
    EXPECT_EQ(stickFromUnit(-7.0f), -32768);
    EXPECT_EQ(triggerFromUnit(-2.0f), 0);
    EXPECT_EQ(triggerFromUnit(3.0f), 255);
}

TEST(ScriptedInput, PadQueryZeroesStateWhenNoPadAnswers) {
    ScriptedInput input;
    GamepadState state;
    state.wButtons = Pad::Back;
    state.sThumbLX = 123;
    EXPECT_FALSE(input.gamepad(state));
    EXPECT_EQ(state.wButtons, 0);
    EXPECT_EQ(state.sThumbLX, 0);
}

TEST(GlfwInput, SwitchesStickyKeysAndButtonsOn) {
    murk::test::GlContext gl(64, 64);
    ASSERT_TRUE(gl.ok());
    GlfwInput input(gl.handle());
    EXPECT_EQ(glfwGetInputMode(gl.handle(), GLFW_STICKY_KEYS), GLFW_TRUE);
    EXPECT_EQ(glfwGetInputMode(gl.handle(), GLFW_STICKY_MOUSE_BUTTONS), GLFW_TRUE);
    // No pad under a virtual display: not connected, and the buffer is zeroed.
    GamepadState state;
    state.wButtons = Pad::Back;
    EXPECT_FALSE(input.gamepad(state));
    EXPECT_EQ(state.wButtons, 0);
    EXPECT_FALSE(input.keyDown(Key::Escape));
    EXPECT_FALSE(input.keyDown(0));  // not a key: no GLFW error, just up
}

// A key pressed and released between two polls must still read as down once:
// that is what makes a quick tap act. Without sticky keys GLFW reports it up.
TEST(GlfwInput, TapBetweenTwoPollsReadsDownOnce) {
    murk::test::GlContext gl(64, 64, true);
    ASSERT_TRUE(gl.ok());
    GlfwInput input(gl.handle());
    const auto settle = [] {
        for (int i = 0; i < 10; ++i) {
            glfwPollEvents();
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    };
    settle();
    const auto found = murk::test::runProcess({"xdotool", "search", "--name", "^murk-test$"}, "", 10);
    ASSERT_EQ(found.exitStatus, 0) << "xdotool cannot see the window";
    const std::string window = found.output.substr(0, found.output.find('\n'));
    murk::test::runProcess({"xdotool", "windowfocus", "--sync", window}, "", 10);
    settle();
    ASSERT_FALSE(input.keyDown(Key::F5));

    murk::test::runProcess({"xdotool", "key", "F5"}, "", 10);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    glfwPollEvents();  // press and release arrive together
    EXPECT_TRUE(input.keyDown(Key::F5));
    EXPECT_FALSE(input.keyDown(Key::F5));

    // A tap nobody read during its frame is gone after the frame.
    murk::test::runProcess({"xdotool", "key", "F5"}, "", 10);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    glfwPollEvents();
    input.endFrame();
    EXPECT_FALSE(input.keyDown(Key::F5));
}

// The window shows the latest title, but a change reaches the window system
// at most four times a second.
TEST(GlfwInput, TitleChangesAreSentAtMostFourTimesASecond) {
    murk::test::GlContext gl(64, 64, true);
    ASSERT_TRUE(gl.ok());
    GlfwInput input(gl.handle());
    const auto shown = [](const char* title) {
        glfwPollEvents();
        return murk::test::runProcess({"xdotool", "search", "--name", std::string("^") + title + "$"}, "", 10)
                   .exitStatus == 0;
    };
    glfwSetTime(0.0);
    input.setWindowTitle("murk-first");
    EXPECT_TRUE(shown("murk-first"));
    glfwSetTime(0.05);
    input.setWindowTitle("murk-first");
    input.setWindowTitle("murk-second");  // too soon after the first
    EXPECT_FALSE(shown("murk-second"));
    EXPECT_TRUE(shown("murk-first"));
    glfwSetTime(0.05);
    input.setWindowTitle("murk-second");
    glfwSetTime(0.3);
    input.setWindowTitle("murk-second");
    EXPECT_TRUE(shown("murk-second"));
}

}  // namespace
