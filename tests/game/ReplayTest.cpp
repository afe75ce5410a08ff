// Record a run through the real loop, replay it in a fresh game of another
// window size and get the very same game back, frame by frame; and the
// shipped demo, replayed by the real program, ends as it was recorded.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/DemoSession.h"
#include "platform/RecordingInput.h"
#include "platform/ReplayInput.h"
#include "platform/ScriptedInput.h"
#include "tests/support/GlContext.h"
#include "tests/support/Process.h"
#include "tests/support/TestGame.h"

namespace {

using murk::test::TestGame;

constexpr int frameCount = 100;

// A player with uneven frame times: starts the game, walks and turns,
// moves the mouse by whole and fractional pixels, taps F2 and E, holds the
// light, crouches, plugs a pad in for a while, and switches to another
// window and back, resuming with P. Drives `device` before
// each frame when there is one; keeps every frame's end state.
class Script : public FrameObserver {
public:
    Script(const GameContext& context, ScriptedInput* input) : game(context), device(input) {}

    void frameBegins() override {
        if (device == nullptr) return;
        ScriptedInput& in = *device;
        in.now += 0.011 + 0.0037 * (frame % 7) + 1e-9 * frame;
        in.cursorX += frame % 9 == 3 ? 7.0 : 0.0;
        in.cursorY -= frame % 13 == 5 ? 2.25 : 0.0;
        const std::pair<int, int> holds[] = {{Key::W, 5}, {Key::A, 40}, {Key::LeftControl, 45}};
        for (const auto& [key, from] : holds) {
            if (frame == from) in.press(key);
            if (frame == from + 15) in.release(key);
        }
        if (frame == 2) in.tap(Key::Space);
        if (frame == 20) in.tap(Key::F2);
        if (frame == 65) in.tap(Key::E);
        if (frame == 30) in.pressButton(MouseButton::Left);
        if (frame == 70) in.releaseButton(MouseButton::Left);
        in.padConnected = frame >= 75 && frame < 90;
        in.hasFocus = frame < 72 || frame > 74;
        if (frame == 77) in.tap(Key::P);
        in.pad = GamepadState{1, 0, 0, 200, 0, 30000, -20000, 0};
    }
    bool frameEnds() override {
        // The end state and where the player looks, which it leaves out.
        std::ostringstream look;
        look << std::hexfloat << "look " << game.camera.horizontalAngle << ' ' << game.camera.verticalAngle
             << " paused " << game.paused << '\n';
        trace.push_back(describeEndState(game) + look.str());
        return ++frame < frameCount;
    }

    const GameContext& game;
    ScriptedInput* device;
    int frame = 0;
    std::vector<std::string> trace;
};

TEST(Game, ReplayGivesBackTheRecordedGameFrameByFrame) {
    demo::Demo demo;
    std::vector<std::string> recorded;
    {
        TestGame test({160, 90, 64});
        ASSERT_TRUE(test.ok());
        ScriptedInput device;
        RecordingInput recorder(device);
        Script script(test.game(), &device);
        runFrameLoop(test.game(), test.window(), recorder, script);
        recorded = script.trace;
        std::string error;
        ASSERT_TRUE(demo::decode(demo::encode(recorder.demo()), demo, error)) << error;
    }
    ASSERT_EQ(recorded.size(), std::size_t{frameCount});
    // The script reached what it means to test: a game, the frame rate in the title.
    EXPECT_NE(recorded.back().find("playing 1"), std::string::npos) << recorded.back();
    EXPECT_NE(recorded.back().find(" fps"), std::string::npos) << recorded.back();
    EXPECT_NE(recorded[76].find("paused 1"), std::string::npos) << recorded[76];

    // The cursor is kept as offsets from where the game put it, so another
    // window of the same shape sees the same movements.
    TestGame test({128, 72, 64});
    ASSERT_TRUE(test.ok());
    ReplayInput replayer(demo);
    Script script(test.game(), nullptr);
    runFrameLoop(test.game(), test.window(), replayer, script);
    ASSERT_EQ(script.trace.size(), recorded.size());
    for (std::size_t f = 0; f < recorded.size(); ++f)
        ASSERT_EQ(endStateDifferences(recorded[f], script.trace[f]), "") << "frame " << f;
    EXPECT_TRUE(replayer.finished());
    EXPECT_EQ(replayer.divergedAt(), -1);

    // The end state tells apart every value a replay could get wrong.
    GameContext& game = test.game();
    const auto next = [](float& value) { value = std::nextafter(value, 1e9f); };
    const std::function<void()> changes[] = {
        [&] { next(game.camera.position.x); }, [&] { next(game.camera.position.y); },
        [&] { next(game.camera.position.z); }, [&] { next(game.camera.energy); },
        [&] { next(game.camera.fear); },       [&] { next(game.camera.pickups); },
        [&] { game.collectedPickups.push_back(1); }, [&] { game.won = !game.won; },
        [&] { game.camera.playing = !game.camera.playing; }, [&] { game.helpShown = !game.helpShown; },
        [&] { game.hasPlayed = !game.hasPlayed; }, [&] { game.windowTitle += '.'; }};
    for (const auto& change : changes) {
        const std::string before = describeEndState(game);
        change();
        EXPECT_NE(describeEndState(game), before) << "change " << &change - changes;
    }
}

// The value on the report's line "name   value unit"; -1 when there is none.
double figure(const std::string& output, const std::string& name) {
    const std::size_t at = output.find("\n" + name + "  ");
    return at == std::string::npos ? -1.0 : std::atof(output.c_str() + at + name.size() + 1);
}

std::string fileText(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The real program, as the benchmark runs it, on the shipped demo in a small
// window of the recorded shape: it must end exactly where the demo was made
// to end (when the level, the rules or the physics change on purpose, remake
// the demo with tools/autopilot), report its figures and write its files.
TEST(Game, ShippedDemoEndsAsRecordedInTheTimedemo) {
    ASSERT_TRUE(murk::test::ensureDisplay());
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "murk-game-tests";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const std::string prefix = (folder / "walk").string();
    const auto run = murk::test::runProcess({MURK_BINARY_DIR "/app/murkhaven", "--timedemo", "demos/walk.mdemo",
                                             "--width", "128", "--height", "72", "--shadow-map-size", "64",
                                             "--report", prefix},
                                            MURK_DATA_DIR, 120);
    ASSERT_FALSE(run.timedOut);
    ASSERT_EQ(run.exitStatus, 0) << run.output;
    EXPECT_NE(run.output.find("replay ends as recorded"), std::string::npos) << run.output;
    demo::Demo demo;
    std::string error;
    ASSERT_TRUE(demo::loadDemo(MURK_DATA_DIR "/demos/walk.mdemo", demo, error)) << error;
    // Every pass was timed, and the passes make up the GPU's whole frame.
    EXPECT_EQ(figure(run.output, "frames"), static_cast<double>(demo.frames.size())) << run.output;
    double passes = 0.0;
    for (const char* pass : {"shadow 0", "shadow 1", "blurs", "scene", "bloom", "present+hud"}) {
        EXPECT_GT(figure(run.output, std::string("gpu ") + pass), 0.0) << pass << "\n" << run.output;
        passes += figure(run.output, std::string("gpu ") + pass);
    }
    EXPECT_NEAR(passes, figure(run.output, "gpu total"), 0.05);
    EXPECT_GT(figure(run.output, "peak memory"), 0.0);

    // A header and one row a frame; a chart with the frame times drawn.
    const std::string csv = fileText(prefix + ".csv");
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), static_cast<long>(demo.frames.size()) + 1);
    EXPECT_NE(fileText(prefix + ".svg").find("<polyline"), std::string::npos);
    std::filesystem::remove_all(folder);
}

}  // namespace
