// The player's capsule against real Bullet bodies: walls, steps, ledges,
// resting, the overlapping start and the frame-rate independence.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tests/physics/PhysicsTestScene.h"

namespace {

using murk::test::box;
using murk::test::frame;
using murk::test::initStanding;
using murk::test::walk;

constexpr double kGap = 0.21; // radius + contact offset between the centre line and a wall

TEST(CharacterWalls, SlidesAlongAWallAndAcrossTheSeamOfTwoBoxes)
{
    PhysicsWorld world;
    initStanding(world, -1.5, 0.0, 0.0);
    // Two wall boxes meeting at x = 0, their faces at z = 1.
    box(world, {-2.0, 1.0, 1.2}, {2.0, 1.0, 0.2});
    box(world, {2.0, 1.0, 1.2}, {2.0, 1.0, 0.2});
    const double speed = 2.0;
    const glm::dvec3 diagonal(speed / std::sqrt(2.0), 0.0, speed / std::sqrt(2.0));
    walk(world, diagonal, 2.0);

    const glm::dvec3 centre = world.controllerPosition();
    EXPECT_NEAR(centre.z, 1.0 - kGap, 2e-3) << "kept off the wall by radius and contact offset";
    // Every frame's x share of the walk survives the slide: 2 s * 1.414 m/s.
    EXPECT_NEAR(centre.x, -1.5 + 2.0 * diagonal.x, 0.02) << "stuck at the seam";
    EXPECT_NEAR(world.footPosition.y, 0.0, 1e-3) << "the capsule climbed the wall";
}

TEST(CharacterWalls, StopsInACornerWithoutJitter)
{
    PhysicsWorld world;
    initStanding(world, 0.0, 0.0, 0.0);
    box(world, {0.0, 1.0, 1.2}, {2.0, 1.0, 0.2}); // face z = 1
    box(world, {1.2, 1.0, 0.0}, {0.2, 1.0, 2.0}); // face x = 1
    walk(world, {1.0, 0.0, 1.0}, 2.0);
    const glm::dvec3 settled = world.controllerPosition();
    EXPECT_NEAR(settled.x, 1.0 - kGap, 2e-3);
    EXPECT_NEAR(settled.z, 1.0 - kGap, 2e-3);
    for (int i = 0; i < 60; ++i) {
        frame(world, {1.0, 0.0, 1.0}, 1.0 / 60.0);
        const glm::dvec3 now = world.controllerPosition();
        ASSERT_NEAR(now.x, settled.x, 1e-4) << "frame " << i;
        ASSERT_NEAR(now.z, settled.z, 1e-4) << "frame " << i;
        ASSERT_NEAR(now.y, settled.y, 1e-4) << "frame " << i;
    }
}

TEST(CharacterSteps, ClimbsAStepBelowTheStepOffset)
{
    PhysicsWorld world;
    initStanding(world, 0.0, 0.0, 0.0);
    box(world, {0.0, 0.125, 3.5}, {2.0, 0.125, 2.0}); // top 0.25, front face z = 1.5
    walk(world, {0.0, 0.0, 1.5}, 2.0);
    EXPECT_NEAR(world.controllerPosition().z, 3.0, 0.02);
    EXPECT_NEAR(world.footPosition.y, 0.25, 1e-3);
}

TEST(CharacterSteps, IsBlockedByAStepAboveTheStepOffset)
{
    PhysicsWorld world;
    initStanding(world, 0.0, 0.0, 0.0);
    box(world, {0.0, 0.175, 3.5}, {2.0, 0.175, 2.0}); // top 0.35
    walk(world, {0.0, 0.0, 1.5}, 2.0);
    EXPECT_NEAR(world.controllerPosition().z, 1.5 - kGap, 2e-3);
    EXPECT_NEAR(world.footPosition.y, 0.0, 1e-3) << "hung on the edge or climbed it";
}

TEST(CharacterSteps, EdgesJustAboveTheStepOffsetBlockAtEveryApproach)
{
    // The round bottom meets these edges on its curve; the down pass must not
    // leave the capsule hanging on them.
    for (double height : {0.31, 0.32, 0.34, 0.4}) {
        for (double angle : {0.0, 0.4, 0.8}) {
            PhysicsWorld world;
            initStanding(world, 0.0, 0.0, 0.0);
            box(world, {0.0, height / 2, 3.5}, {4.0, height / 2, 2.0});
            walk(world, {1.5 * std::sin(angle), 0.0, 1.5 * std::cos(angle)}, 1.5);
            EXPECT_NEAR(world.footPosition.y, 0.0, 1e-3) << "height " << height << " angle " << angle;
            EXPECT_LT(world.controllerPosition().z, 1.5 - kGap + 2e-3) << "height " << height;
        }
    }
}

TEST(CharacterFalling, WalksOffALedgeFallsAndLandsAtItsFoot)
{
    PhysicsWorld world;
    initStanding(world, 0.0, 1.0, 0.0);
    box(world, {0.0, 0.5, 0.0}, {1.0, 0.5, 1.0}); // 1 m platform, edge at x = 1
    walk(world, {}, 0.1);
    ASSERT_NEAR(world.footPosition.y, 1.0, 1e-3);

    const double dt = 1.0 / 60.0;
    int airborne = 0;
    for (int i = 0; i < 150; ++i) {
        frame(world, {1.5, 0.0, 0.0}, dt);
        if (world.footPosition.y > 1e-3 && world.footPosition.y < 1.0 - 1e-3)
            ++airborne;
    }
    EXPECT_NEAR(world.footPosition.y, 0.0, 1e-3);
    EXPECT_DOUBLE_EQ(world.fallVelocity, 0.0) << "landing ends the fall";
    // 1 m of free fall at 9.81 takes 0.45 s; neither an instant drop nor a float.
    EXPECT_GE(airborne * dt, 0.35);
    EXPECT_LE(airborne * dt, 0.55);
}

TEST(CharacterFalling, StandingStillKeepsTheFootAndTheFallSpeed)
{
    for (double floorY : {0.0, 0.5}) {
        PhysicsWorld world;
        initStanding(world, 0.0, floorY, 0.0);
        if (floorY > 0)
            box(world, {0.0, floorY / 2, 0.0}, {2.0, floorY / 2, 2.0});
        walk(world, {}, 0.2);
        const double foot = world.footPosition.y;
        EXPECT_NEAR(foot, floorY, 1e-3);
        for (int i = 0; i < 600; ++i) {
            frame(world, {}, 1.0 / 60.0);
            ASSERT_NEAR(world.footPosition.y, foot, 1e-4) << "frame " << i << " floor " << floorY;
            ASSERT_GE(world.fallVelocity, -9.81 / 60.0 - 1e-9) << "the fall speed grows while standing";
        }
    }
}

TEST(CharacterFalling, AStartOverlappingTheGroundEndsStandingOnIt)
{
    PhysicsWorld world;
    world.init(0.0f, 0.8f, 0.0f); // capsule bottom 0.4 below the ground
    ASSERT_NEAR(world.controllerPosition().y, 0.2, 1e-6);
    walk(world, {}, 0.1);
    EXPECT_NEAR(world.footPosition.y, 0.0, 1e-3);
    EXPECT_NEAR(world.controllerPosition().y, 0.61, 1e-3);
    walk(world, {1.0, 0.0, 0.0}, 1.0);
    EXPECT_NEAR(world.footPosition.y, 0.0, 1e-3);
    EXPECT_NEAR(world.controllerPosition().x, 1.0, 0.02);
}

TEST(CharacterFalling, FallsDownAlongAWallItTouches)
{
    PhysicsWorld world;
    initStanding(world, 0.0, 0.0, 0.0);
    box(world, {0.0, 2.0, 1.2}, {4.0, 2.0, 0.2}); // wall face z = 1, 4 m high
    walk(world, {0.0, 0.0, 1.0}, 1.0);            // lean on it
    // Teleport up beside the wall, as a restart does, and keep pushing into it.
    world.setControllerPosition(0.0, 3.0, world.controllerPosition().z);
    walk(world, {0.3, 0.0, 1.0}, 1.5);
    EXPECT_NEAR(world.footPosition.y, 0.0, 1e-3) << "hung on the wall";
    EXPECT_NEAR(world.controllerPosition().z, 1.0 - kGap, 2e-3);
}

// The same walk at two frame rates: along a wall, up a step, off a ledge.
std::vector<glm::dvec3> route(double dt, std::vector<double>& fallSpeeds)
{
    PhysicsWorld world;
    initStanding(world, 0.0, 0.0, 0.0);
    box(world, {0.0, 1.0, 1.2}, {12.0, 1.0, 0.2});     // wall face z = 1
    box(world, {4.0, 0.125, 0.0}, {1.0, 0.125, 1.0});  // step 0.25, x 3..5
    std::vector<glm::dvec3> samples;
    const int perSample = static_cast<int>(0.2 / dt + 0.5);
    for (int s = 0; s < 30; ++s) {
        for (int i = 0; i < perSample; ++i)
            frame(world, {1.5, 0.0, 0.5}, dt);
        samples.push_back(world.footPosition);
        fallSpeeds.push_back(world.fallVelocity);
    }
    return samples;
}

TEST(CharacterFrameRate, ThirtyAndTwoHundredFortyFramesPerSecondWalkTheSamePath)
{
    std::vector<double> fallSlow;
    std::vector<double> fallFast;
    const std::vector<glm::dvec3> slow = route(1.0 / 30.0, fallSlow);
    const std::vector<glm::dvec3> fast = route(1.0 / 240.0, fallFast);
    ASSERT_EQ(slow.size(), fast.size());
    for (std::size_t i = 0; i < slow.size(); ++i) {
        EXPECT_NEAR(slow[i].x, fast[i].x, 5e-3) << "sample " << i;
        EXPECT_NEAR(slow[i].z, fast[i].z, 5e-3) << "sample " << i;
        // Heights agree wherever both stand; a fall in progress differs by
        // the integration step.
        if (fallSlow[i] == 0.0 && fallFast[i] == 0.0 && std::fabs(slow[i].x - 3.0) > 0.3 &&
            std::fabs(slow[i].x - 5.0) > 0.3) {
            EXPECT_NEAR(slow[i].y, fast[i].y, 5e-3) << "sample " << i;
        }
    }
    EXPECT_NEAR(slow.back().y, 0.0, 1e-3);
    EXPECT_GT(slow.back().x, 6.0) << "the route must reach past the step";
}

} // namespace
