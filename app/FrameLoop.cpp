#include "app/FrameLoop.h"

#include "app/FrameUpdate.h"
#include "platform/Input.h"
#include "platform/Window.h"

#include <GL/glew.h>

#include <iostream>

const char* glErrorMessage(unsigned code) {
    switch (code) {
    case GL_INVALID_ENUM: return "GL: enum argument out of range.";
    case GL_INVALID_VALUE: return "GL: Numeric argument out of range.";
    case GL_INVALID_OPERATION: return "GL: Operation illegal in current state.";
    case GL_OUT_OF_MEMORY: return "GL: Not enough memory left to execute command.";
    case GL_INVALID_FRAMEBUFFER_OPERATION: return "GL: Framebuffer object is not complete.";
    default: return "GL: Unknown error.";
    }
}

void reportGlError(std::ostream& out) {
    const GLenum code = glGetError();
    if (code != GL_NO_ERROR) out << glErrorMessage(code) << code << '\n';
}

void runFrameLoop(GameContext& context, Window& window, InputSource& input, const FrameHooks& hooks,
                  FrameObserver* observer) {
    FrameObserver plain;
    FrameObserver& watch = observer != nullptr ? *observer : plain;
    // Zero, so the first frame's step covers everything since start-up.
    double previous = 0.0;
    while (!window.shouldClose()) {
        watch.frameBegins();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        const double now = input.time();
        const double dt = now - previous;
        previous = now;
        window.pollEvents();
        watch.updateBegins();
        const bool quit = quitRequested(context, input);
        updateFrame(context, input, hooks, dt);
        watch.updateEnds();
        if (hooks.renderFrame) hooks.renderFrame(context);
        if (hooks.beforeSwap) hooks.beforeSwap(context, input);
        // Last, so a key tapped within this frame still reads as down in beforeSwap.
        input.endFrame();
        window.swapBuffers();
        reportGlError(std::cerr);
        const bool goOn = watch.frameEnds();
        if (quit || !goOn) break;
    }
}
