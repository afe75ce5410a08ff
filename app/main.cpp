// Murkhaven: start-up, the frame loop, shutdown. Runs in the data folder.
// The frame itself reads top to bottom in app/Frame.cpp.
#include "app/CommandLine.h"
#include "app/Config.h"
#include "app/DemoSession.h"
#include "app/Folders.h"
#include "app/Frame.h"
#include "app/GameContext.h"
#include "app/GameSetup.h"
#include "app/PlayerSettings.h"
#include "app/SettingsCheck.h"
#include "platform/FatalError.h"
#include "platform/GlfwInput.h"
#include "platform/Window.h"
#include "render/GlState.h"

#include <GL/glew.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>

namespace {

// The game runs in its data folder. Files named on the command line with a
// folder are the player's, from where the game was started; a demo to play
// that is not there is looked for in the data folder; a recording or report
// named without a folder is written beside the data, or in the player's
// recordings folder when the data cannot be written to (an installed game).
void enterDataFolder(CommandLine& options, const char* executable) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path started = fs::current_path(error);
    const auto fromStart = [&](std::string& path, bool reading) {
        const fs::path given(path);
        if (path.empty() || given.is_absolute() || error) return;
        if (reading ? fs::exists(started / given, error) : given.has_parent_path()) path = (started / given).string();
    };
    const bool reading = options.mode == CommandLine::Mode::Replay || options.mode == CommandLine::Mode::Timedemo;
    fromStart(options.demoPath, reading);
    fromStart(options.report, false);
    const std::string data = folders::findDataFolder(executable);
    if (!data.empty()) fs::current_path(data, error);
    if (options.mode == CommandLine::Mode::Record) options.demoPath = folders::recordingPath(options.demoPath);
    if (options.mode == CommandLine::Mode::Timedemo) options.report = folders::recordingPath(options.report);
}

// The player's settings file goes over CONFIG.txt. A demo plays, and
// records, with CONFIG.txt alone, so its replay starts from the same place.
void keepPlayerSettings(GameContext& context, bool play) {
    context.configSettings = context.settings;
    context.configCamera = context.camera;
    if (!play) return;
    context.settingsPath = folders::settingsFile();
    const std::string report = playerSettings::load(context.settingsPath, context.settings, context.camera);
    if (!report.empty()) std::cout << report << std::endl;
    context.savedText = playerSettings::text(context.settings, context.camera, context.configSettings,
                                             context.configCamera);
}

}  // namespace

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
    enterDataFolder(options, argv[0]);
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

    // The player's own settings, if there are any, stand in for the shipped ones.
    context->configPath = folders::configFile("CONFIG.txt", std::cout);
    context->cookedFolder = folders::cookedFolder();
    if (!loadConfig(context->configPath, settings, camera, &std::cout)) std::cout << "Config-File kann nicht gelesen werden." << std::endl;
    checkConfigNumbers(settings, camera, std::cout);
    // The command line counts as CONFIG.txt for this run.
    applyOverrides(options, settings);
    keepPlayerSettings(*context, options.mode == CommandLine::Mode::Play);
    camera.updateVectors();

    Window window;
    if (!window.start()) murk::fatalError("GLFW failed");
    const Window::Size screen = window.largestSize(settings.windowed);
    context->windowSizes = window.modes();
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
    const int status = session.finish(*context, window);

    shutdown(*context);
    context.reset();  // the rest too, while the GL context still exists
    window.terminate();
    return status;
}
