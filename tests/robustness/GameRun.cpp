#include "tests/robustness/GameRun.h"

#include "tests/support/GlContext.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <thread>

namespace badfiles {

namespace {

std::string run(const std::string& command) {
    return murk::test::runProcess({"sh", "-c", command}, "", 20).output;
}

}  // namespace

GameRun runGameOnce(const std::string& dir, int timeoutSeconds, const std::vector<std::string>& extraEnv) {
    GameRun game;
    if (!murk::test::ensureDisplay()) return game;
    const std::string binary = std::string(MURK_BINARY_DIR) + "/app/murkhaven";
    const std::string pidFile = dir + "/.game.pid";
    std::atomic<bool> done{false};
    // Through sh, so the game's process id is known and only its window is used.
    std::thread runner([&] {
        game.result = murk::test::runProcess({"sh", "-c", "echo $$ > .game.pid; exec \"$0\"", binary}, dir,
                                             timeoutSeconds, extraEnv);
        done = true;
    });
    std::string window;
    auto nextPress = std::chrono::steady_clock::now();
    while (!done) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        if (window.empty()) {
            std::string pid;
            std::ifstream(pidFile) >> pid;
            if (pid.empty()) continue;
            const std::string found = run("xdotool search --pid " + pid + " --name '^Murkhaven' 2>/dev/null");
            window = found.substr(0, found.find('\n'));
            if (window.empty()) continue;
            game.sawWindow = true;
        }
        if (std::chrono::steady_clock::now() >= nextPress) {
            run("xdotool windowfocus --sync " + window + " 2>/dev/null; xdotool keyup Escape; xdotool keydown Escape");
            nextPress = std::chrono::steady_clock::now() + std::chrono::seconds(3);
        }
    }
    runner.join();
    run("xdotool keyup Escape");
    return game;
}

}  // namespace badfiles
