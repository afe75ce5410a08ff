#pragma once

#include "tests/support/Process.h"

#include <string>
#include <vector>

namespace badfiles {

// Runs the real game in `dir` for one frame: once its window is up, Escape
// is held until it ends (re-pressed now and then, in case the first press
// came before the window had focus). Bounded by timeoutSeconds.
struct GameRun {
    murk::test::ProcessResult result;
    bool sawWindow = false;
};
GameRun runGameOnce(const std::string& dir, int timeoutSeconds = 240,
                    const std::vector<std::string>& extraEnv = {});

}  // namespace badfiles
