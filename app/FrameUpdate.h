#pragma once

#include "app/FrameHooks.h"

struct GameContext;
class InputSource;

// The frame's one place where game state changes. Playing while a game runs
// and is not won; otherwise a menu frame (title, lost, won, help). Both end
// with the frustum rebuilt for this frame.
void updateFrame(GameContext& context, InputSource& input, const FrameHooks& hooks, double dt);

// Space in a menu: meters full, back to the start, not won. Pick-ups held,
// help, toggles and sounds already heard carry over.
void startNewGame(GameContext& context);

// Escape, or the pad's Back button with no other button: quit after this frame.
bool quitRequested(GameContext& context, InputSource& input);
