// Murkhaven: start-up, the frame loop, shutdown. Runs in the data folder.
// The frame itself reads top to bottom in app/Frame.cpp.
#include "app/CommandLine.h"
#include "app/Config.h"
#include "app/DemoSession.h"
#include "app/Frame.h"
#include "app/GameContext.h"
#include "app/GameSetup.h"
#include "app/SettingsCheck.h"
#include "platform/FatalError.h"
#include "platform/GlfwInput.h"
#include "platform/Window.h"
#include "render/GlState.h"

#include <GL/glew.h>

#include <chrono>
#include <cstdio>
#include <iostream>
#include <memory>

int main(int argc, char** argv) {
    const auto processStart = std::chrono::steady_clock::now();
    // Each console line goes out as it is written, into a pipe or file too
    // (std::cout writes through stdout): a log cut short by a crash still
    // has everything up to it.
    std::setvbuf(stdout, nullptr, _IOLBF, BUFSIZ);
    CommandLine options;
    std::string error;
    if (!parseCommandLine(argc, argv, options, error)) {
        std::cout << error << '\n' << commandLineUsage() << std::flush;
        return 1;
    }
    if (options.help) {
        std::cout << commandLineUsage() << std::flush;
        return 0;
    }
    // A demo that cannot be replayed, or a recording that cannot be saved,
    // is refused before anything opens.
    DemoSession session(options, processStart);
    if (!session.load(error)) {
        std::cout << error << std::endl;
        return 1;
    }

    auto context = std::make_unique<GameContext>();
    Camera& camera = context->camera;
    Settings& settings = context->settings;

    if (!loadConfig("CONFIG.txt", settings, camera)) std::cout << "Config-File kann nicht gelesen werden." << std::endl;
    checkConfigNumbers(settings, camera, std::cout);
    applyOverrides(options, settings);
    camera.updateVectors();

    Window window;
    if (!window.start()) murk::fatalError("GLFW failed");
    const Window::Size screen = window.largestSize(settings.windowed);
    fitWindowToScreen(settings, screen.width, screen.height, std::cout);
    switch (window.open(settings.width, settings.height, settings.windowed, settings.refreshRate)) {
    case Window::OpenResult::GlfwFailed: murk::fatalError("GLFW failed");
    case Window::OpenResult::NoWindow: murk::fatalError("No window");
    case Window::OpenResult::Ok: break;
    }

    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK) murk::fatalError("GLEW failed");
    glGetError();  // some drivers leave GL_INVALID_ENUM behind the loader
    checkSettings(settings, queryGlLimits(), std::cout);

    GlfwInput input(window.handle());
    initScene(*context, &window, std::cout);
    session.start(*context);

    runFrameLoop(*context, window, session.input(input), session.observer());
    const int status = session.finish(*context);

    shutdown(*context);
    context.reset();  // the rest too, while the GL context still exists
    window.terminate();
    return status;
}
