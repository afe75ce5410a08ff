#include <gtest/gtest.h>

#include <vector>

#include "app/GameRules.h"
#include "app/TriggerBoxes.h"

namespace {

const glm::vec3 insidePickup1(-0.5f, 1.2f, 7.5f);

TEST(TriggerBoxes, BoundsAreExclusive) {
    const TriggerBox& box = boxes::voice1;  // x -6..-5.5, z 3.2..3.4, below
    EXPECT_TRUE(box.contains({-5.75f, 1.2f, 3.3f}));
    EXPECT_FALSE(box.contains({-6.0f, 1.2f, 3.3f}));
    EXPECT_FALSE(box.contains({-5.5f, 1.2f, 3.3f}));
    EXPECT_FALSE(box.contains({-5.75f, 1.2f, 3.2f}));
    EXPECT_FALSE(box.contains({-5.75f, 1.2f, 3.4f}));
}

TEST(TriggerBoxes, EyeHeightPicksTheFloor) {
    EXPECT_TRUE(boxes::voice1.contains({-5.75f, 1.9f, 3.3f}));
    EXPECT_FALSE(boxes::voice1.contains({-5.75f, 2.1f, 3.3f}));
    EXPECT_FALSE(boxes::voice2.contains({-2.8f, 1.9f, -12.6f}));
    EXPECT_TRUE(boxes::voice2.contains({-2.8f, 2.1f, -12.6f}));
    // Exactly 2 is on neither floor.
    EXPECT_FALSE(boxes::voice1.contains({-5.75f, 2.0f, 3.3f}));
    EXPECT_FALSE(boxes::voice2.contains({-2.8f, 2.0f, -12.6f}));
}

TEST(TriggerBoxes, PickupBoxesSurroundThePickups) {
    EXPECT_TRUE(boxes::pickup[0].contains({-5.6f, 1.2f, 7.19f}));
    EXPECT_TRUE(boxes::pickup[1].contains({-0.5f, 1.2f, 7.5f}));
    EXPECT_TRUE(boxes::pickup[2].contains({3.0f, 1.2f, -7.8f}));
}

TEST(Exit, WinsOnlyAboveTheSplit) {
    EXPECT_TRUE(rules::insideExit({-3.5f, 2.5f, 6.0f}));
    EXPECT_FALSE(rules::insideExit({-3.5f, 1.2f, 6.0f}));
    EXPECT_FALSE(rules::insideExit({-2.3f, 2.5f, 6.0f}));
}

TEST(Pickups, CollectedOnceWhileHeld) {
    float pickups = 0.0f;
    std::vector<int> collected;
    EXPECT_EQ(rules::collectPickups(insidePickup1, pickups, collected), 1);
    EXPECT_EQ(rules::collectPickups(insidePickup1, pickups, collected), 0);
    EXPECT_EQ(pickups, 1.0f);
    EXPECT_EQ(collected, std::vector<int>{1});
    EXPECT_EQ(rules::collectPickups({3.0f, 1.2f, -7.8f}, pickups, collected), 1);
    EXPECT_EQ(collected, (std::vector<int>{1, 2}));
}

TEST(Pickups, UseRefillsAndReturnsTheLatestForRecollection) {
    float pickups = 0.0f;
    float energy = 12.0f;
    std::vector<int> collected;
    rules::collectPickups({-5.6f, 1.2f, 7.19f}, pickups, collected);
    rules::collectPickups(insidePickup1, pickups, collected);
    rules::usePickup(pickups, energy, collected);
    EXPECT_EQ(energy, 100.0f);
    EXPECT_EQ(pickups, 1.0f);
    EXPECT_EQ(collected, std::vector<int>{0});
    // Back in its box: collected again, without limit.
    EXPECT_EQ(rules::collectPickups(insidePickup1, pickups, collected), 1);
    EXPECT_EQ(pickups, 2.0f);
    EXPECT_EQ(collected, (std::vector<int>{0, 1}));
}

TEST(Pickups, UseWithNothingHeldChangesNothing) {
    float pickups = 0.0f;
    float energy = 12.0f;
    std::vector<int> collected;
    rules::usePickup(pickups, energy, collected);
    EXPECT_EQ(pickups, 0.0f);
    EXPECT_EQ(energy, 12.0f);
    EXPECT_TRUE(collected.empty());
}

}  // namespace
