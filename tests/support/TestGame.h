#pragma once

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "app/GameContext.h"
#include "platform/Controls.h"
#include "platform/Window.h"

namespace murk::test {

struct TestGameOptions {
    int width = 320;
    int height = 180;
    int shadowMapSize = 256;
    std::string sceneFile = "SCENE.txt";
};

// The real game inside a test, run in the data folder: CONFIG.txt read as
// the game reads it, then a small window and small shadow maps; the level
// set up as at start-up; the sounds on a silent device. The one way the
// tests build a game.
class TestGame {
public:
    explicit TestGame(const TestGameOptions& options = {});
    ~TestGame();
    TestGame(const TestGame&) = delete;
    TestGame& operator=(const TestGame&) = delete;

    // False when there is no display or GL context; the test should skip.
    bool ok() const { return context != nullptr; }
    GameContext& game() { return *context; }
    Window& window() { return gameWindow; }

    // Space in the title screen: a game starts.
    void startPlaying();
    // Puts the player's feet on `floor` at (x, z), still, looking level along
    // yaw (radians; the view runs along (sin yaw, cos yaw) on the ground).
    void place(float x, float floor, float z, float yaw);
    // One frame as the loop runs it, dt after the previous one: the update,
    // then the picture unless draw is false. True for a playing frame.
    bool frame(const Controls& controls, double dt = 0.1, bool draw = true);
    // The window's back buffer as RGB, rows from the bottom.
    std::vector<unsigned char> pixels() const;

    double now = 0.0;  // the clock of the last frame

private:
    Window gameWindow;
    std::unique_ptr<GameContext> context;
};

// A snapshot with these keys held (pressed and still down) and the cursor
// at the window's centre, so the mouse does not look anywhere.
Controls holding(std::initializer_list<int> keys, const GameContext& game, bool light = false);

}  // namespace murk::test
