#pragma once

#include <string>
#include <vector>

#include "app/Camera.h"
#include "app/Config.h"
#include "app/MenuInput.h"
#include "platform/Window.h"
#include "render/FrameView.h"
#include "render/MenuLayout.h"

// The options screen as plain logic: its rows, what each key, click, drag
// and pad button does to the settings, and the key bindings' capture. The
// drawing reads rows(); nothing here needs a window.

// What the options change.
struct OptionTargets {
    Settings& settings;
    Camera& camera;
    std::vector<Window::Size> windowSizes;  // the monitor's modes; empty: a few common ones
};

class OptionsMenu {
public:
    static constexpr int rowsPerColumn = 14;
    static int rowCount();

    // Back to the first row, nothing said.
    void open();
    // One frame. False once the player leaves the screen.
    bool update(const MenuInput& in, const MenuLayout& layout, OptionTargets& targets);
    std::vector<MenuRow> rows(const OptionTargets& targets) const;
    // The line under the rows: the last thing said, or how to go on.
    std::string hint() const;

    int selected = 0;
    bool capturing = false;    // the next key or button goes to the selected action
    bool usedPointer = false;  // the mouse moved last: the screen shows the pointer
    bool dragging = false;     // a slider follows the pointer
    std::string message;       // swapped, refused, defaults

private:
    void activate(OptionTargets& targets);
    void capture(int code, OptionTargets& targets);
};
