#include <gtest/gtest.h>

#include "render/Screens.h"

namespace {

ScreenState state(bool playing, bool won, bool helpShown, bool hasPlayed, bool wireframe = false) {
    ScreenState s;
    s.playing = playing;
    s.won = won;
    s.helpShown = helpShown;
    s.hasPlayed = hasPlayed;
    s.wireframe = wireframe;
    return s;
}

}  // namespace

TEST(ScreenChoice, EveryStateOfTheTable) {
    struct Row {
        bool playing, won, helpShown, hasPlayed;
        ScreenImage expected;
        bool hud;
    };
    const Row rows[] = {
        {false, false, false, false, ScreenImage::Start, false},
        {false, false, true, false, ScreenImage::Help, false},
        {false, false, false, true, ScreenImage::End, false},
        {false, false, true, true, ScreenImage::Help, false},
        {true, false, false, false, ScreenImage::Composed, true},
        {true, false, true, true, ScreenImage::Composed, true},  // F1 does nothing in play
        {true, true, false, true, ScreenImage::Won, false},      // playing stays set after a win
        {true, true, true, true, ScreenImage::Help, false},
        {false, true, false, false, ScreenImage::Won, false},
        {false, true, true, true, ScreenImage::Help, false},
    };
    for (const Row& row : rows) {
        const ScreenState s = state(row.playing, row.won, row.helpShown, row.hasPlayed);
        EXPECT_EQ(chooseScreen(s), row.expected)
            << row.playing << row.won << row.helpShown << row.hasPlayed;
        EXPECT_EQ(hudShown(s), row.hud) << row.playing << row.won << row.helpShown << row.hasPlayed;
    }
}

TEST(ScreenChoice, WireframeShowsTheSceneWithoutBloomOnlyInPlay) {
    EXPECT_EQ(chooseScreen(state(true, false, false, true, true)), ScreenImage::Scene);
    EXPECT_EQ(chooseScreen(state(false, false, false, false, true)), ScreenImage::Start);
    EXPECT_EQ(chooseScreen(state(true, true, false, true, true)), ScreenImage::Won);
}
