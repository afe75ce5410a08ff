#include "app/MenuInput.h"

#include "app/Camera.h"

namespace {

int stickDirection(std::int16_t axis) {
    const float value = Camera::stickValue(axis);
    return value > 0.5f ? 1 : value < -0.5f ? -1 : 0;
}

}  // namespace

void MenuReader::prime(const Controls& controls) {
    for (int code = Key::First; code < inputCodeCount; ++code)
        down[static_cast<std::size_t>(code)] = controls.keyDown(code);
    padButtons = controls.padConnected ? controls.pad.wButtons : 0;
    stickX = stickDirection(controls.pad.sThumbLX);
    stickY = stickDirection(controls.pad.sThumbLY);
    lastX = controls.cursorX;
    lastY = controls.cursorY;
}

MenuInput MenuReader::read(const Controls& controls) {
    MenuInput in;
    const auto pressed = [&](int code) { return controls.keyDown(code) && !down[static_cast<std::size_t>(code)]; };
    for (int code = Key::First; code < inputCodeCount && in.pressed < 0; ++code)
        if (pressed(code)) in.pressed = code;
    in.anyPress = in.pressed >= 0;
    const bool alt = controls.keyHeld(Key::LeftAlt) || controls.keyHeld(Key::RightAlt);
    const bool enter = pressed(Key::Enter) || pressed(Key::KeypadEnter);
    in.altEnter = alt && enter;
    in.choose = !alt && enter;
    in.back = pressed(Key::Escape) || pressed(Key::Backspace);
    in.move = (pressed(Key::Down) ? 1 : 0) - (pressed(Key::Up) ? 1 : 0);
    in.step = (pressed(Key::Right) ? 1 : 0) - (pressed(Key::Left) ? 1 : 0);
    in.click = pressed(MouseButton::code(MouseButton::Left));
    in.dragging = controls.lightButton;

    const std::uint16_t buttons = controls.padConnected ? controls.pad.wButtons : 0;
    const std::uint16_t padPressed = buttons & static_cast<std::uint16_t>(~padButtons);
    const int sx = controls.padConnected ? stickDirection(controls.pad.sThumbLX) : 0;
    const int sy = controls.padConnected ? stickDirection(controls.pad.sThumbLY) : 0;
    if ((padPressed & Pad::DpadDown) || (sy < 0 && stickY >= 0)) in.move = 1;
    if ((padPressed & Pad::DpadUp) || (sy > 0 && stickY <= 0)) in.move = -1;
    if ((padPressed & Pad::DpadRight) || (sx > 0 && stickX <= 0)) in.step = 1;
    if ((padPressed & Pad::DpadLeft) || (sx < 0 && stickX >= 0)) in.step = -1;
    in.choose = in.choose || (padPressed & Pad::A) != 0;
    in.back = in.back || (padPressed & Pad::B) != 0;
    in.padStart = (padPressed & Pad::Start) != 0;
    in.padY = (padPressed & Pad::Y) != 0;
    in.anyPress = in.anyPress || padPressed != 0;

    in.x = controls.cursorX;
    in.y = controls.cursorY;
    in.pointerMoved = controls.cursorX != lastX || controls.cursorY != lastY;

    for (int code = Key::First; code < inputCodeCount; ++code)
        down[static_cast<std::size_t>(code)] = controls.keyHeld(code);
    padButtons = buttons;
    stickX = sx;
    stickY = sy;
    lastX = controls.cursorX;
    lastY = controls.cursorY;
    return in;
}
