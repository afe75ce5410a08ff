#pragma once

#include <ostream>

// The few GL questions and state changes the game asks for outside drawing.

// What the GL driver can make, read once the context exists.
struct GlLimits {
    int maxTextureSize = 0;       // edge of a 2-D texture
    int maxRenderbufferSize = 0;  // edge of a render target
    int maxViewportWidth = 0;
    int maxViewportHeight = 0;
};
GlLimits queryGlLimits();

// The report line for an OpenGL error code, without the code.
const char* glErrorMessage(unsigned code);

// Reads one pending OpenGL error and reports it as message and code, so two
// errors of one frame show in two frames.
void reportGlError(std::ostream& out);
