#pragma once

#include "platform/Controls.h"
#include "render/FrameView.h"

struct GameContext;
class InputSource;
class Window;

// Watches the loop for a recording, a replay or a timedemo; the plain game
// runs with this do-nothing one.
class FrameObserver {
public:
    virtual ~FrameObserver() = default;
    virtual void frameBegins() {}
    virtual void updateBegins() {}
    virtual void updateEnds() {}
    // After the swap. False ends the loop after this frame.
    virtual bool frameEnds() { return true; }
};

// Runs frames until the window is asked to close or a quit key is seen; the
// frame that sees the quit key is still updated, drawn and shown.
void runFrameLoop(GameContext& context, Window& window, InputSource& input, FrameObserver& observer);

// Escape, or the pad's Back button with no other button: quit after this frame.
bool quitRequested(const Controls& controls);

// The frame's one place where game state changes: a playing frame while a
// game runs and is not won, otherwise a menu frame (title, lost, won,
// help). Returns whether it was a playing frame.
bool updateFrame(GameContext& context, const Controls& controls, const FrameTime& time);

// Space in a menu: meters full, back to the start, not won. Pick-ups held,
// help, toggles and sounds already heard carry over.
void startNewGame(GameContext& context);

// What the renderer needs of the game for this frame.
FrameView frameView(const GameContext& context);
