#pragma once

#include "app/FrameHooks.h"

#include <ostream>

struct GameContext;
class InputSource;
class Window;

// Watches the loop for a recording, a replay or a timedemo; the plain game
// runs without one.
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
void runFrameLoop(GameContext& context, Window& window, InputSource& input, const FrameHooks& hooks,
                  FrameObserver* observer = nullptr);

// The report line for an OpenGL error code, without the code.
const char* glErrorMessage(unsigned code);

// Reads one pending OpenGL error and reports it as message and code, so two
// errors of one frame show in two frames.
void reportGlError(std::ostream& out);
