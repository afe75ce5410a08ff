#include <gtest/gtest.h>

#include "app/FrameSounds.h"
#include "RecordingSounds.h"

namespace {

using Lines = std::vector<std::string>;

Listener standingAt(glm::vec3 eye, bool moving = false) {
    Listener listener;
    listener.position = eye;
    listener.direction = glm::vec3(0.0f, 0.0f, 2.0f);  // not unit: behind is still 1 away
    listener.up = glm::vec3(0.0f, 1.0f, 0.0f);
    listener.moving = moving;
    return listener;
}

TEST(FrameSounds, QuietCornerCallsInOrderWithTheirValues) {
    RecordingSounds sounds;
    playFrameSounds(sounds, SoundIds{}, standingAt({1.0f, 1.2f, 1.0f}));
    const std::string listener = " (1,1.2,1) (0,0,0) (0,0,2) (0,1,0)";
    const Lines expected{
        "play 0 0.3",
        "update3D 2 (2.25,1.2,-1.94)" + listener,
        "play3D 2 0.1 10000 1",
        "play 8 1",
        "update3D 9 (1,1.2,0)" + listener,
        "update3D 10 (1,1.2,0)" + listener,
        "update3D 11 (1,1.2,0)" + listener,
        "pause 1",
    };
    EXPECT_EQ(sounds.lines(), expected);
}

TEST(FrameSounds, FootstepsRunExactlyWhileMoving) {
    RecordingSounds sounds;
    playFrameSounds(sounds, SoundIds{}, standingAt({1.0f, 1.2f, 1.0f}, true));
    EXPECT_EQ(sounds.lines().back(), "play 1 0.1");
}

TEST(FrameSounds, VoiceBoxPlaysItsLineBeforeTheOpeningLine) {
    RecordingSounds sounds;
    playFrameSounds(sounds, SoundIds{}, standingAt({-5.75f, 1.2f, 3.3f}));  // voice 1
    const Lines lines = sounds.lines();
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(lines[3], "play 3 1");
    EXPECT_EQ(lines[4], "play 8 1");
}

TEST(FrameSounds, RaisedVoiceAndEnemyBoxes) {
    RecordingSounds sounds;
    playFrameSounds(sounds, SoundIds{}, standingAt({-2.8f, 2.5f, -12.6f}));  // voice 2
    EXPECT_EQ(sounds.lines()[3], "play 4 1");

    sounds.clear();
    playFrameSounds(sounds, SoundIds{}, standingAt({-3.2f, 2.5f, -12.6f}));  // enemy 1
    const Lines lines = sounds.lines();
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[5].rfind("update3D 10 (-3.2,2.5,-13.6)", 0), 0u);
    EXPECT_EQ(lines[6], "play3D 10 100 10000 1");
    EXPECT_EQ(lines[7].rfind("update3D 11 ", 0), 0u);

    sounds.clear();
    playFrameSounds(sounds, SoundIds{}, standingAt({-7.5f, 1.2f, -13.2f}));  // enemy 2
    EXPECT_EQ(sounds.lines()[7], "play3D 11 100 10000 1");
}

TEST(FrameSounds, IdsComeFromTheSetUp) {
    SoundIds ids;
    ids.ambienceMusic = 40;
    ids.footstepsSound = 41;
    RecordingSounds sounds;
    playFrameSounds(sounds, ids, standingAt({1.0f, 1.2f, 1.0f}));
    EXPECT_EQ(sounds.lines().front(), "play 40 0.3");
    EXPECT_EQ(sounds.lines().back(), "pause 41");
}

}  // namespace
