#pragma once

#include <cstdint>
#include <string>

// What the game reads from the player and the clock. The rest of the game
// sees only this interface, so tests and replays can feed input and time;
// the GLFW implementation lives in platform/GlfwInput.h.

// GLFW's key and mouse-button codes, spelt out so that callers need no GLFW header.
namespace Key {
constexpr int Space = 32;
constexpr int Minus = 45;
constexpr int Equal = 61;
constexpr int A = 65;
constexpr int D = 68;
constexpr int E = 69;
constexpr int H = 72;
constexpr int O = 79;
constexpr int P = 80;
constexpr int Q = 81;
constexpr int S = 83;
constexpr int W = 87;
constexpr int X = 88;
constexpr int Escape = 256;
constexpr int Enter = 257;
constexpr int Tab = 258;
constexpr int Backspace = 259;
constexpr int Right = 262;
constexpr int Left = 263;
constexpr int Down = 264;
constexpr int Up = 265;
constexpr int F1 = 290;
constexpr int F2 = 291;
constexpr int F3 = 292;
constexpr int F4 = 293;
constexpr int F5 = 294;
constexpr int F6 = 295;
constexpr int F7 = 296;
constexpr int F8 = 297;
constexpr int F9 = 298;
constexpr int F10 = 299;
constexpr int F12 = 301;
constexpr int F25 = 314;
constexpr int KeypadEnter = 335;
constexpr int LeftShift = 340;
constexpr int LeftControl = 341;
constexpr int LeftAlt = 342;
constexpr int RightShift = 344;
constexpr int RightAlt = 346;
constexpr int First = 32;  // lowest valid code
constexpr int Last = 348;  // highest valid code
}  // namespace Key

namespace MouseButton {
constexpr int Left = 0;
constexpr int Right = 1;
constexpr int Middle = 2;
constexpr int Count = 8;
// Mouse buttons as codes after the keys', so a binding or a latch can name
// either one.
constexpr int firstCode = Key::Last + 1;
constexpr int code(int button) { return firstCode + button; }
}  // namespace MouseButton

// Every key code and every mouse button's code.
constexpr int inputCodeCount = MouseButton::firstCode + MouseButton::Count;

// Game-pad state in the XInput layout, so the rules read the same numbers a
// Windows pad would give.
struct GamepadState {
    std::uint32_t dwPacketNumber = 0;  // changes whenever the state changes
    std::uint16_t wButtons = 0;        // Pad::* masks
    std::uint8_t bLeftTrigger = 0;     // 0..255
    std::uint8_t bRightTrigger = 0;    // 0..255
    std::int16_t sThumbLX = 0;         // sticks: -32768..32767, right and up positive
    std::int16_t sThumbLY = 0;
    std::int16_t sThumbRX = 0;
    std::int16_t sThumbRY = 0;
};

namespace Pad {
constexpr std::uint16_t DpadUp = 0x0001;
constexpr std::uint16_t DpadDown = 0x0002;
constexpr std::uint16_t DpadLeft = 0x0004;
constexpr std::uint16_t DpadRight = 0x0008;
constexpr std::uint16_t Start = 0x0010;
constexpr std::uint16_t Back = 0x0020;
constexpr std::uint16_t LeftThumb = 0x0040;
constexpr std::uint16_t RightThumb = 0x0080;
constexpr std::uint16_t LeftShoulder = 0x0100;
constexpr std::uint16_t RightShoulder = 0x0200;
constexpr std::uint16_t A = 0x1000;
constexpr std::uint16_t B = 0x2000;
constexpr std::uint16_t X = 0x4000;
constexpr std::uint16_t Y = 0x8000;
}  // namespace Pad

class InputSource {
public:
    virtual ~InputSource() = default;

    // Keyboard key (Key::*) and mouse button (MouseButton::*) held, or pressed
    // and released since the last read.
    virtual bool keyDown(int key) = 0;
    virtual bool mouseButtonDown(int button) = 0;

    // Cursor in window pixels, origin top left.
    virtual void cursorPosition(double& x, double& y) = 0;
    virtual void setCursorPosition(double x, double y) = 0;

    // Seconds since the platform started.
    virtual double time() = 0;

    // Zeroes `state`, then fills it from game pad 0. False when no pad answers
    // (state stays zero).
    virtual bool gamepad(GamepadState& state) = 0;

    // Whether the window has the keyboard focus; the game pauses without it.
    virtual bool focused() { return true; }

    // The window title is the game's status line.
    virtual void setWindowTitle(const std::string& title) = 0;

    // Called once after each frame's update. A key that was pressed and
    // released during a frame in which nothing asked for it is forgotten here,
    // so it cannot act in a later frame.
    virtual void endFrame() {}
};
