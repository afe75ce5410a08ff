// The level holds the player: walked into walls, furniture and the low
// slab from set places, the player stops short of them and never leaves the
// level; through a doorway, along a wall across the seam of two pieces and
// crouched under the slab the player gets on.
#include <string>

#include <glm/geometric.hpp>
#include <glm/trigonometric.hpp>
#include <gtest/gtest.h>

#include "tests/support/TestGame.h"

namespace {

using murk::test::holding;
using murk::test::TestGame;

// Inner faces of the outer walls.
constexpr float innerMinX = -7.9f, innerMaxX = 4.2f, innerMinZ = -14.7f, innerMaxZ = 8.6f;
constexpr float reach = 0.2f;  // the capsule's radius: the eye comes no closer to a face

struct Walk {
    const char* what;
    glm::vec2 start;  // x, z on the ground floor
    float yawDegrees;  // 0 looks along +z, 90 along +x
    bool crouch;
    glm::vec2 along;  // the eye's position along this axis stays below mark the
    float mark;       // whole walk and ends close to it, or ends beyond it when through
    bool through;
};

constexpr Walk walks[] = {
    {"east outer wall", {3.0f, 0.0f}, 90, false, {1, 0}, innerMaxX - reach, false},
    {"west outer wall", {-6.5f, -3.0f}, -90, false, {-1, 0}, -innerMinX - reach, false},
    {"north outer wall", {2.0f, 7.5f}, 0, false, {0, 1}, innerMaxZ - reach, false},
    {"south outer wall", {0.5f, -13.5f}, 180, false, {0, -1}, -innerMinZ - reach, false},
    {"into the living room's corner", {3.5f, 2.7f}, 45, false, {1, 0}, innerMaxX - reach, false},
    {"kitchen wall from the kitchen", {1.5f, -9.5f}, -90, false, {-1, 0}, -0.6f - reach, false},
    {"boiler from the side", {1.0f, -13.75f}, 90, false, {1, 0}, 2.2f - reach, false},
    {"crate too high to climb", {-7.55f, -7.0f}, 0, false, {0, 1}, -5.3f - reach, false},
    {"standing into the low slab", {-1.2f, -3.9f}, -90, false, {-1, 0}, 1.8f - reach, false},
    {"crouched under the low slab", {-1.2f, -3.9f}, -90, true, {-1, 0}, 3.0f, true},
    {"through the kitchen's doorway", {1.3f, -10.0f}, 180, false, {0, -1}, 11.6f, true},
    {"along the corridor's east wall, over a seam", {-7.36f, -13.0f}, 15, false, {0, 1}, -10.0f, true},
    {"along the corridor's west wall", {-7.64f, -13.0f}, -15, false, {0, 1}, -10.0f, true},
};

TEST(Game, WallsStopThePlayerAndDoorwaysLetThrough) {
    TestGame test;
    ASSERT_TRUE(test.ok());
    GameContext& game = test.game();
    game.settings.freezeMeters = true;  // long enough in the dark to lose otherwise
    test.startPlaying();
    // At a smooth frame rate and at the few frames a second these machines give.
    for (const double dt : {1.0 / 60.0, 0.1}) {
        for (const Walk& walk : walks) {
            SCOPED_TRACE(std::string(walk.what) + " at " + std::to_string(1.0 / dt) + " frames a second");
            test.place(walk.start.x, 0.0f, walk.start.y, glm::radians(walk.yawDegrees));
            for (int i = 0; i < 10; ++i) test.frame(holding({}, game), dt, false);  // stand up and settle
            const Controls keys = walk.crouch ? holding({Key::W, Key::LeftControl}, game) : holding({Key::W}, game);
            float furthest = 0.0f;
            for (int i = 0; i < static_cast<int>(2.5 / dt); ++i) {
                test.frame(keys, dt, false);
                const glm::vec3 eye = game.camera.position;
                ASSERT_TRUE(eye.x > innerMinX && eye.x < innerMaxX && eye.z > innerMinZ && eye.z < innerMaxZ)
                    << "left the level at (" << eye.x << ", " << eye.z << ")";
                furthest = glm::dot(glm::vec2(eye.x, eye.z), walk.along);
                if (!walk.through) {
                    ASSERT_LT(furthest, walk.mark) << "frame " << i;
                }
            }
            // Stopped by the face itself, not short of it.
            EXPECT_GT(furthest, walk.through ? walk.mark : walk.mark - 0.1f);
        }
    }
}

}  // namespace
