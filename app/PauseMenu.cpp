#include "app/PauseMenu.h"

#include "platform/Input.h"

namespace {

constexpr const char* names[PauseMenu::rowCount] = {"Resume", "Options", "Help", "Quit"};
constexpr PauseChoice choices[PauseMenu::rowCount] = {PauseChoice::Resume, PauseChoice::Options, PauseChoice::Help,
                                                      PauseChoice::Quit};

// Keys that work the menu, or have a job of their own in it, rather than resume.
bool menuKey(int code) {
    return code == Key::Up || code == Key::Down || code == Key::Left || code == Key::Right || code == Key::Enter ||
           code == Key::KeypadEnter || code == Key::O || code == Key::Escape || code == Key::LeftAlt ||
           code == Key::RightAlt || (code >= Key::F1 && code <= Key::F25);
}

}  // namespace

const char* PauseMenu::rowName(int row) { return names[row]; }

const char* PauseMenu::hint() { return "Arrows and Enter choose, any other key or a click resumes, Esc quits"; }

void PauseMenu::open() {
    selected = 0;
    usedPointer = false;
}

PauseChoice PauseMenu::update(const MenuInput& in, const MenuLayout& layout) {
    selected = (selected + in.move + rowCount) % rowCount;
    if (in.move != 0) usedPointer = false;
    const int under = layout.rowAt(in.x, in.y, rowCount);
    if (in.pointerMoved) {
        usedPointer = true;
        if (under >= 0) selected = under;
    }
    if (in.pressed == Key::O) return PauseChoice::Options;
    if (in.pressed == Key::F1) return PauseChoice::Help;
    if (in.pressed == Key::Escape) return PauseChoice::Quit;
    // A click where the pointer has not been shown resumes, as before the menu.
    if (in.click) return usedPointer && under >= 0 ? choices[under] : PauseChoice::Resume;
    if (in.choose) return choices[selected];
    if (in.back || in.padStart) return PauseChoice::Resume;
    if (in.anyPress && in.move == 0 && in.step == 0 && (in.pressed < 0 || !menuKey(in.pressed)))
        return PauseChoice::Resume;
    return PauseChoice::Stay;
}
