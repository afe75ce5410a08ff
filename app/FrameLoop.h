#pragma once

#include "app/FrameHooks.h"

#include <ostream>

struct GameContext;
class InputSource;
class Window;

// Runs frames until the window is asked to close or a quit key is seen; the
// frame that sees the quit key is still updated, drawn and shown.
void runFrameLoop(GameContext& context, Window& window, InputSource& input, const FrameHooks& hooks);

// The report line for an OpenGL error code, without the code.
const char* glErrorMessage(unsigned code);

// Reads one pending OpenGL error and reports it as message and code, so two
// errors of one frame show in two frames.
void reportGlError(std::ostream& out);
