#pragma once

#include "app/PauseMenu.h"
#include "platform/Controls.h"
#include "render/FrameView.h"

struct GameContext;

// The frames in which a menu over the game has the input: the pause menu
// and the options screen, opened from the pause menu or the title.

// The pause menu's step of a paused frame; help opened from it closes on any press.
PauseChoice pauseMenuStep(GameContext& context, const Controls& controls);
void openPauseMenu(GameContext& context, const Controls& controls);

void openOptions(GameContext& context, const Controls& controls);
// One frame of the options; leaving them keeps what changed in the settings file.
void optionsFrame(GameContext& context, const Controls& controls);

// Whether a menu follows the mouse, so the loop leaves the cursor where it is.
bool menuTakesPointer(const GameContext& context);

// The menu the renderer draws over this frame.
MenuView menuView(const GameContext& context);
