#pragma once

#include <GL/glew.h>

struct GLFWwindow;

namespace murk::test {

// Makes sure an X display exists: when DISPLAY is unset, starts a private
// Xvfb for the rest of the test process. Returns false if none can be had.
bool ensureDisplay();

// A hidden window with a current OpenGL 3.3 core context and GLEW loaded.
class GlContext {
public:
    explicit GlContext(int width = 256, int height = 256, bool visible = false);
    ~GlContext();
    GlContext(const GlContext&) = delete;
    GlContext& operator=(const GlContext&) = delete;

    bool ok() const { return window != nullptr; }
    GLFWwindow* handle() const { return window; }

private:
    GLFWwindow* window = nullptr;
};

}  // namespace murk::test
