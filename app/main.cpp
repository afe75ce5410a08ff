// Murkhaven: start-up, the frame loop, shutdown. Runs in the data folder.
#include "app/CommandLine.h"
#include "app/Config.h"
#include "app/DemoSession.h"
#include "app/FrameHooks.h"
#include "app/FrameLoop.h"
#include "app/GameContext.h"
#include "app/SettingsCheck.h"
#include "platform/GlfwInput.h"
#include "platform/Window.h"

#include <GL/glew.h>

#include <chrono>
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

int main(int argc, char** argv) {
    const auto processStart = std::chrono::steady_clock::now();
    CommandLine options;
    std::string error;
    if (!parseCommandLine(argc, argv, options, error)) {
        std::cout << error << '\n' << commandLineUsage() << std::flush;
        return 1;
    }
    // A demo that cannot be replayed is refused before anything opens.
    DemoSession session(options, processStart);
    if (!session.load(error)) {
        std::cout << error << std::endl;
        return 1;
    }

    auto context = std::make_unique<GameContext>();
    Camera& camera = context->camera;
    Settings& settings = context->settings;

    if (!loadConfig("CONFIG.txt", settings, camera)) std::cout << "Config-File kann nicht gelesen werden." << std::endl;
    applyOverrides(options, settings);
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
    checkSettings(settings, queryGlLimits(), std::cout);

    GlfwInput input(window.handle());
    const FrameHooks hooks = gameHooks();
    if (hooks.initScene) hooks.initScene(*context, window);

    session.start(*context);

    runFrameLoop(*context, window, session.input(input), hooks, session.observer());
    const int status = session.finish(*context);

    shutdown(*context);
    context.reset();  // the rest too, while the GL context still exists
    window.terminate();
    return status;
}
