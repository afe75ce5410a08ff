#pragma once

#include <array>
#include <string>

// The keyboard actions of play and the key or mouse button each is bound
// to. F-keys, Escape and the hot keys '-' and '=' keep their own jobs.
enum class Action { Forward, Back, Left, Right, Crouch, Use, Light, Pause };
inline constexpr int actionCount = 8;

struct KeyBindings {
    using Codes = std::array<int, actionCount>;
    // Key codes, or MouseButton::code for a button; by Action.
    Codes codes = defaults();

    int operator[](Action action) const { return codes[static_cast<std::size_t>(action)]; }
    bool operator==(const KeyBindings&) const = default;
    static Codes defaults();
};

// What an action is called on screen and in the settings file.
const char* actionName(Action action);

// A key's or button's name ("W", "Left Ctrl", "Mouse Right"); empty for a
// code without one. codeFromName reads it back, -1 when it names nothing.
std::string inputName(int code);
int codeFromName(const std::string& name);

// Whether a key or button can take an action: one with a name that is not
// Escape, an F-key, '-' or '='.
bool bindable(int code);

// Binding `code` to `action`. An action already on that code gets the
// action's old one in exchange.
struct BindResult {
    enum class Kind { Bound, Unchanged, Swapped, Refused } kind = Kind::Bound;
    Action other = Action::Forward;  // Swapped: the action that took the old code
};
BindResult bind(KeyBindings& bindings, Action action, int code);
