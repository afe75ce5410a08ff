#include <cmath>

#include <gtest/gtest.h>

#include <glm/gtc/matrix_transform.hpp>

#include "render/LightReach.h"

namespace {

WorldBox box(glm::vec3 min, glm::vec3 max) {
    WorldBox b;
    b.min = min;
    b.max = max;
    return b;
}

// A room 16 x 4 x 16 with a lamp 3 m up shining straight down, 31.8 degrees
// to the side (1.86 m on the floor).
const WorldBox room = box({-8, 0, -8}, {8, 4, 8});
const LightCone lamp{{0, 3, 0}, {0, -1, 0}, 0.85f};

}  // namespace

TEST(LightReach, LampReachesWhatIsUnderItAndNothingAcrossTheRoom) {
    EXPECT_TRUE(coneReaches(lamp, room, box({-0.5f, 0, -0.5f}, {0.5f, 0.8f, 0.5f})));  // table under it
    EXPECT_TRUE(coneReaches(lamp, room, box({1.7f, 0, 0}, {1.9f, 0.1f, 0.1f})));       // just inside the rim
    EXPECT_TRUE(coneReaches(lamp, room, room));                                        // the floor of the room
    EXPECT_FALSE(coneReaches(lamp, room, box({3, 0, 3}, {4, 2, 4})));                  // a cupboard away from it
    EXPECT_FALSE(coneReaches(lamp, room, box({2.2f, 0, -0.1f}, {2.4f, 0.1f, 0.1f})));  // just outside the rim
    EXPECT_FALSE(coneReaches(lamp, room, box({-8, 3.5f, -8}, {8, 4, 8})));             // the ceiling above it
    // A wall the cone meets in its middle, with no corner inside the cone.
    EXPECT_TRUE(coneReaches(lamp, room, box({-8, 0, -0.1f}, {8, 4, 0.1f})));
}

TEST(LightReach, TorchAlongAHallReachesTheFarEndButNotBehind) {
    const LightCone torch{{0, 1.2f, 6}, {0, 0, -1}, 0.95f};
    EXPECT_TRUE(coneReaches(torch, room, box({-1, 0, -8}, {1, 2, -7.8f})));   // the far wall
    EXPECT_FALSE(coneReaches(torch, room, box({-1, 0, 7}, {1, 2, 8})));       // behind the player
    EXPECT_FALSE(coneReaches(torch, room, box({6, 0, 3}, {7, 1, 4})));        // off to the side, near
    // Tilted axes are normalised first.
    const LightCone tilted{{0, 1.2f, 6}, {0, 0, -5}, 0.95f};
    EXPECT_FALSE(coneReaches(tilted, room, box({-1, 0, 7}, {1, 2, 8})));
}

TEST(LightReach, WideOrBrokenConesReachEverythingEmptyBoxesNothing) {
    const WorldBox behind = box({-1, 3.5f, -1}, {1, 4, 1});
    for (const float cutOff : {0.0f, -0.5f, std::nanf("")}) {
        EXPECT_TRUE(coneReaches({{0, 3, 0}, {0, -1, 0}, cutOff}, room, behind)) << cutOff;
    }
    EXPECT_TRUE(coneReaches({{0, 3, 0}, {0, 0, 0}, 0.85f}, room, behind));  // no axis
    EXPECT_TRUE(coneReaches(lamp, WorldBox{}, behind));                     // no level bounds
    EXPECT_FALSE(coneReaches(lamp, room, WorldBox{}));
}

TEST(LightReach, WorldBoxFollowsTheModelMatrix) {
    const glm::mat4 model = glm::rotate(glm::translate(glm::mat4(1.0f), glm::vec3(10, 0, 0)), 1.5707963f, glm::vec3(0, 1, 0));
    const WorldBox moved = worldBox({-1, 0, -2}, {1, 1, 2}, model);
    EXPECT_NEAR(moved.min.x, 8.0f, 1e-4f);
    EXPECT_NEAR(moved.max.x, 12.0f, 1e-4f);
    EXPECT_NEAR(moved.min.z, -1.0f, 1e-4f);
    EXPECT_NEAR(moved.max.z, 1.0f, 1e-4f);
    // A mesh without vertices keeps its inverted bounds: nothing to reach.
    EXPECT_TRUE(worldBox({1000, 1000, 1000}, {-1000, -1000, -1000}, model).empty());
}
