// Record a scripted run, replay it, and get the very same game back.
#include "HeadlessGame.h"

#include "app/DemoSession.h"
#include "platform/DemoFile.h"
#include "platform/RecordingInput.h"
#include "platform/ReplayInput.h"

#include <gtest/gtest.h>

namespace {

using murk::test::HeadlessGame;

constexpr int frameCount = 110;

struct GameRun {
    std::vector<std::string> trace;  // one snapshot per frame
    std::string endState;
    demo::Demo demo;
};

GameRun record(int width, int height) {
    HeadlessGame game(width, height);
    ScriptedInput device;
    RecordingInput recorder(device);
    GameRun run;
    for (int f = 0; f < frameCount; ++f) {
        murk::test::scriptFrame(device, f, width, height);
        game.frame(recorder);
        run.trace.push_back(game.snapshot());
    }
    run.endState = describeEndState(game.context);
    run.demo = recorder.demo();
    run.demo.endState = run.endState;
    return run;
}

GameRun replay(const demo::Demo& demo, int width, int height, int* divergedAt = nullptr) {
    HeadlessGame game(width, height);
    ReplayInput replayer(demo);
    GameRun run;
    while (!replayer.finished()) {
        game.frame(replayer);
        run.trace.push_back(game.snapshot());
    }
    run.endState = describeEndState(game.context);
    if (divergedAt != nullptr) *divergedAt = replayer.divergedAt();
    return run;
}

TEST(Replay, EndsInExactlyTheRecordedStateFrameByFrame) {
    const GameRun recorded = record(801, 601);
    // The script reaches everything it means to test.
    EXPECT_NE(recorded.trace.front(), recorded.trace.back());
    EXPECT_NE(recorded.endState.find("playing 1"), std::string::npos);
    EXPECT_NE(recorded.endState.find("@"), std::string::npos);  // F2 put the frame rate in the title

    demo::Demo decoded;
    std::string error;
    ASSERT_TRUE(demo::decode(demo::encode(recorded.demo), decoded, error)) << error;
    int divergedAt = 0;
    const GameRun replayed = replay(decoded, 801, 601, &divergedAt);
    EXPECT_EQ(divergedAt, -1);
    ASSERT_EQ(replayed.trace.size(), recorded.trace.size());
    for (std::size_t f = 0; f < recorded.trace.size(); ++f) ASSERT_EQ(replayed.trace[f], recorded.trace[f]) << "frame " << f;
    EXPECT_EQ(endStateDifferences(decoded.endState, replayed.endState), "");
}

TEST(Replay, LooksTheSameInAnotherWindowSize) {
    const GameRun recorded = record(801, 601);
    const GameRun replayed = replay(recorded.demo, 640, 360);
    ASSERT_EQ(replayed.trace.size(), recorded.trace.size());
    EXPECT_EQ(replayed.trace.back(), recorded.trace.back());
}

TEST(Replay, AnotherGameIsCaughtAsDifferent) {
    const GameRun recorded = record(801, 601);
    HeadlessGame game;
    game.context.camera.startPosition.x += 0.5f;  // as if the level had changed
    ReplayInput replayer(recorded.demo);
    while (!replayer.finished()) game.frame(replayer);
    const std::string differences = endStateDifferences(recorded.endState, describeEndState(game.context));
    EXPECT_NE(differences.find("recorded: eye x"), std::string::npos) << differences;
}

TEST(Replay, StoresOnlyChanges) {
    const GameRun recorded = record(801, 601);
    std::size_t changes = 0;
    for (const demo::Frame& frame : recorded.demo.frames) changes += frame.changes.size();
    // Keys are read every frame; only presses, releases, moves and the pad are kept.
    EXPECT_LT(changes, 120u);
    EXPECT_LT(demo::encode(recorded.demo).size(), 2000u);
}

TEST(Replay, ClockIsTheRecordedOneForTheWholeFrame) {
    ScriptedInput device;
    RecordingInput recorder(device);
    device.now = 1.2345678912;
    const double first = recorder.time();
    device.now = 1.5;
    EXPECT_EQ(recorder.time(), first);  // same frame, same clock
    EXPECT_EQ(first, 1.234568);
    recorder.endFrame();
    device.now = 1.0;  // a clock that jumps back is held
    EXPECT_EQ(recorder.time(), first);
    recorder.endFrame();

    ReplayInput replayer(recorder.demo());
    EXPECT_EQ(replayer.time(), first);
    replayer.endFrame();
    EXPECT_EQ(replayer.time(), first);
    replayer.endFrame();
    EXPECT_TRUE(replayer.finished());
}

TEST(Replay, ATapReadTwiceInAFrameReadsDownThenUp) {
    ScriptedInput device;
    RecordingInput recorder(device);
    device.tap(Key::F3);
    const bool first = recorder.keyDown(Key::F3);
    const bool second = recorder.keyDown(Key::F3);
    recorder.endFrame();
    EXPECT_TRUE(first);
    EXPECT_FALSE(second);

    ReplayInput replayer(recorder.demo());
    EXPECT_TRUE(replayer.keyDown(Key::F3));
    EXPECT_FALSE(replayer.keyDown(Key::F3));
}

}  // namespace
