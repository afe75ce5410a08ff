// Murkhaven: start-up, the frame loop, shutdown. Runs in the data folder.
#include "app/Config.h"
#include "app/FrameHooks.h"
#include "app/FrameLoop.h"
#include "app/GameContext.h"
#include "platform/GlfwInput.h"
#include "platform/Window.h"

#include <GL/glew.h>

#include <cstdlib>
#include <iostream>
#include <memory>
#include <unistd.h>

namespace {

// Start-up cannot go on. Waits for the player only when someone is at the
// console, so scripts and tests see the exit at once.
[[noreturn]] void fatalError(const char* message) {
    std::cout << message << std::endl;
    if (isatty(STDIN_FILENO) != 0) {
        std::cout << "Press Enter to continue . . ." << std::endl;
        std::cin.get();
    }
    std::exit(-1);
}

}  // namespace

int main() {
    auto context = std::make_unique<GameContext>();
    Camera& camera = context->camera;
    Settings& settings = context->settings;

    if (!loadConfig("CONFIG.txt", settings, camera)) std::cout << "Config-File kann nicht gelesen werden." << std::endl;
    camera.updateVectors();

    Window window;
    switch (window.open(settings.width, settings.height, settings.windowed, settings.refreshRate)) {
    case Window::OpenResult::GlfwFailed: fatalError("GLFW failed");
    case Window::OpenResult::NoWindow: fatalError("No window");
    case Window::OpenResult::Ok: break;
    }

    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK) fatalError("GLEW failed");
    glGetError();  // some drivers leave GL_INVALID_ENUM behind the loader

    GlfwInput input(window.handle());
    const FrameHooks hooks = gameHooks();
    if (hooks.initScene) hooks.initScene(*context, window);

    runFrameLoop(*context, window, input, hooks);

    shutdown(*context);
    context.reset();  // the rest too, while the GL context still exists
    window.terminate();
    return 0;
}
