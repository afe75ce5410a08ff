#pragma once

#include "app/MenuInput.h"
#include "render/MenuLayout.h"

// The pause overlay's menu: Resume, Options, Help, Quit. Arrows, the d-pad
// and the pointer choose, Enter, A or a click on a row takes it; any other
// key, button or click resumes, as the pause always did. Escape quits.
enum class PauseChoice { Stay, Resume, Options, Help, Quit };

struct PauseMenu {
    static constexpr int rowCount = 4;
    static const char* rowName(int row);
    // The line under the rows, naming the keys.
    static const char* hint();

    // Back to Resume, the pointer not yet used.
    void open();
    PauseChoice update(const MenuInput& in, const MenuLayout& layout);

    int selected = 0;
    bool usedPointer = false;  // the mouse moved over the menu: the screen shows the pointer
};
