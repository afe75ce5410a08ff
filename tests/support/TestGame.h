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

// The real game, run in the data folder: its CONFIG.txt with a small window
// and shadow maps, the level as at start-up, the sounds on a silent device.
class TestGame {
public:
    explicit TestGame(const TestGameOptions& options = {});
    ~TestGame();
    TestGame(const TestGame&) = delete;
    TestGame& operator=(const TestGame&) = delete;

    bool ok() const { return context != nullptr; }
    GameContext& game() { return *context; }
    Window& window() { return gameWindow; }

    void startPlaying();
    // Puts the player's feet on `floor` at (x, z), still, looking level along
    // yaw (radians; the view runs along (sin yaw, cos yaw) on the ground).
    void place(float x, float floor, float z, float yaw);
    // One frame as the loop runs it; true for a playing frame.
    bool frame(const Controls& controls, double dt = 0.1, bool draw = true);
    std::vector<unsigned char> pixels() const;

    double now = 0.0;  // the clock of the last frame

private:
    Window gameWindow;
    std::unique_ptr<GameContext> context;
};

// These keys pressed and held, the cursor at the centre so the view stays.
Controls holding(std::initializer_list<int> keys, const GameContext& game, bool light = false);

}  // namespace murk::test
