#include "app/KeyBindings.h"

#include "platform/Input.h"

#include <algorithm>

namespace {

struct Named {
    int code;
    const char* name;
};

// Keys whose name is not their character.
constexpr Named specialKeys[] = {
    {Key::Space, "Space"}, {Key::Enter, "Enter"}, {Key::Tab, "Tab"}, {Key::Backspace, "Backspace"},
    {260, "Insert"}, {261, "Delete"}, {Key::Right, "Right"}, {Key::Left, "Left"}, {Key::Down, "Down"},
    {Key::Up, "Up"}, {266, "Page Up"}, {267, "Page Down"}, {268, "Home"}, {269, "End"},
    {280, "Caps Lock"}, {Key::KeypadEnter, "Keypad Enter"}, {Key::LeftShift, "Left Shift"},
    {Key::LeftControl, "Left Ctrl"}, {Key::LeftAlt, "Left Alt"}, {Key::RightShift, "Right Shift"},
    {345, "Right Ctrl"}, {Key::RightAlt, "Right Alt"}, {Key::Escape, "Escape"},
    {MouseButton::code(MouseButton::Left), "Mouse Left"}, {MouseButton::code(MouseButton::Right), "Mouse Right"},
    {MouseButton::code(MouseButton::Middle), "Mouse Middle"}, {MouseButton::code(3), "Mouse 4"},
    {MouseButton::code(4), "Mouse 5"}};

constexpr const char* actionNames[actionCount] = {"forward", "back", "left", "right",
                                                  "crouch",  "use",  "flashlight", "pause"};

}  // namespace

KeyBindings::Codes KeyBindings::defaults() {
    return {Key::W, Key::S, Key::A, Key::D, Key::LeftControl, Key::E, MouseButton::code(MouseButton::Left), Key::P};
}

const char* actionName(Action action) { return actionNames[static_cast<std::size_t>(action)]; }

std::string inputName(int code) {
    for (const Named& key : specialKeys)
        if (key.code == code) return key.name;
    // Letters, digits and punctuation are their own character.
    const bool printable = code == 39 || (code >= 44 && code <= 57) || code == 59 || code == 61 ||
                           (code >= Key::A && code <= 93) || code == 96;
    if (printable) return std::string(1, static_cast<char>(code));
    if (code >= Key::F1 && code <= Key::F25) return "F" + std::to_string(code - Key::F1 + 1);
    if (code >= 320 && code <= 329) return "Keypad " + std::to_string(code - 320);
    return {};
}

int codeFromName(const std::string& name) {
    if (name.empty() || name.size() > 16) return -1;
    for (int code = 0; code < inputCodeCount; ++code)
        if (inputName(code) == name) return code;
    return -1;
}

bool bindable(int code) {
    if (inputName(code).empty() || code == Key::Escape || code == Key::Minus || code == Key::Equal) return false;
    return code < Key::F1 || code > Key::F25;
}

BindResult bind(KeyBindings& bindings, Action action, int code) {
    if (!bindable(code)) return {BindResult::Kind::Refused};
    int& own = bindings.codes[static_cast<std::size_t>(action)];
    if (own == code) return {BindResult::Kind::Unchanged};
    const auto taken = std::find(bindings.codes.begin(), bindings.codes.end(), code);
    BindResult result;
    if (taken != bindings.codes.end()) {
        *taken = own;
        result = {BindResult::Kind::Swapped, static_cast<Action>(taken - bindings.codes.begin())};
    }
    own = code;
    return result;
}
