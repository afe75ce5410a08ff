#include "app/MenuFrames.h"

#include "app/GameContext.h"
#include "app/SettingsSteps.h"
#include "render/MenuLayout.h"

namespace {

OptionTargets targetsOf(GameContext& context) {
    return {context.settings, context.camera, context.windowSizes};
}

bool pausedInGame(const GameContext& context) {
    return context.camera.playing && !context.won && context.paused;
}

}  // namespace

void openPauseMenu(GameContext& context, const Controls& controls) {
    context.pauseMenu.open();
    // What is down as the pause starts must be let go before it acts.
    context.menuReader.prime(controls);
}

PauseChoice pauseMenuStep(GameContext& context, const Controls& controls) {
    if (!controls.focused) {
        context.menuReader.prime(controls);
        return PauseChoice::Stay;
    }
    const MenuInput in = context.menuReader.read(controls);
    if (context.helpShown) {
        if (in.anyPress) context.helpShown = false;
        return PauseChoice::Stay;
    }
    const Settings& s = context.settings;
    return context.pauseMenu.update(in, pauseLayout(s.width, s.height, PauseMenu::rowCount));
}

void openOptions(GameContext& context, const Controls& controls) {
    context.optionsOpen = true;
    context.options.open();
    context.menuReader.prime(controls);
}

void optionsFrame(GameContext& context, const Controls& controls) {
    const MenuInput in = context.menuReader.read(controls);
    OptionTargets targets = targetsOf(context);
    const Settings& s = context.settings;
    const MenuLayout layout = optionsLayout(s.width, s.height, OptionsMenu::rowsPerColumn);
    if (context.options.update(in, layout, targets)) return;
    context.optionsOpen = false;
    context.pauseMenu.usedPointer = context.options.usedPointer;
    keepChangedSettings(context);
}

bool menuTakesPointer(const GameContext& context) { return context.optionsOpen || pausedInGame(context); }

MenuView menuView(const GameContext& context) {
    MenuView view;
    if (context.optionsOpen) {
        const OptionsMenu& menu = context.options;
        view.kind = MenuView::Kind::Options;
        view.title = "Options";
        view.rows = menu.rows(OptionTargets{const_cast<Settings&>(context.settings),
                                            const_cast<Camera&>(context.camera), context.windowSizes});
        view.rowsPerColumn = OptionsMenu::rowsPerColumn;
        view.selected = menu.selected;
        view.hint = menu.hint();
        view.pointer = menu.usedPointer;
    } else if (pausedInGame(context) && !context.helpShown) {
        view.kind = MenuView::Kind::Pause;
        view.title = "Paused";
        for (int row = 0; row < PauseMenu::rowCount; ++row) view.rows.push_back({PauseMenu::rowName(row), {}});
        view.rowsPerColumn = PauseMenu::rowCount;
        view.selected = context.pauseMenu.selected;
        view.hint = PauseMenu::hint();
        view.pointer = context.pauseMenu.usedPointer;
    }
    view.pointerX = static_cast<float>(context.pointerX);
    view.pointerY = static_cast<float>(context.pointerY);
    return view;
}
