// The stand-up probe, the pick ray and the collision bodies of scene objects.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <BulletCollision/CollisionShapes/btBoxShape.h>

#include "physics/PhysicsActor.h"
#include "tests/physics/PhysicsTestScene.h"

namespace {

using murk::test::box;
using murk::test::frame;
using murk::test::initStanding;
using murk::test::walk;

// The eight corners of a cube of half size `h` around `c`, as a model holds them.
std::vector<glm::vec3> cubeVertices(glm::vec3 c, float h)
{
    std::vector<glm::vec3> v;
    for (int i = 0; i < 8; ++i)
        v.emplace_back(c.x + ((i & 1) ? h : -h), c.y + ((i & 2) ? h : -h), c.z + ((i & 4) ? h : -h));
    return v;
}

std::string addMeshCapturingOutput(PhysicsWorld& world, std::vector<glm::vec3> vertices, bool dynamic,
                                   glm::dvec3 centre, glm::dvec3 half)
{
    testing::internal::CaptureStdout();
    world.addConvexMesh(std::move(vertices), {0, 1, 2}, dynamic, centre, half, 100.0f);
    return testing::internal::GetCapturedStdout();
}

TEST(StandUpProbe, CrouchingUnderALowCeilingKeepsThePlayerDown)
{
    PhysicsWorld world;
    initStanding(world, -3.0, 0.0, 0.0);
    box(world, {0.0, 1.1, 0.0}, {1.0, 0.1, 1.0}); // ceiling from 1.0 to 1.2, x -1..1
    walk(world, {}, 0.1);
    EXPECT_TRUE(world.canStandUp());

    world.resizeController(PhysicsWorld::crouchHeight);
    EXPECT_NEAR(world.controllerFootPosition().y, 0.0, 1e-3) << "resize keeps the foot";
    walk(world, {1.5, 0.0, 0.0}, 2.0); // to x = 0, under the ceiling
    ASSERT_NEAR(world.controllerPosition().x, 0.0, 0.02) << "the crouched capsule fits under";
    EXPECT_FALSE(world.canStandUp());

    walk(world, {1.5, 0.0, 0.0}, 2.0); // out at x = 3
    EXPECT_TRUE(world.canStandUp());
    world.resizeController(PhysicsWorld::standHeight);
    EXPECT_NEAR(world.controllerFootPosition().y, 0.0, 1e-3);
    EXPECT_NEAR(world.controllerPosition().y, 0.61, 1e-3);
}

TEST(StandUpProbe, DoesNotSeeThePlayersOwnBody)
{
    PhysicsWorld world;
    initStanding(world, 0.0, 0.0, 0.0);
    walk(world, {}, 0.1);
    EXPECT_TRUE(world.canStandUp());
    world.resizeController(PhysicsWorld::crouchHeight);
    EXPECT_TRUE(world.canStandUp());
}

TEST(PickRay, AnswersTheCreationIndexOfTheFirstBodyHit)
{
    PhysicsWorld world;
    initStanding(world, 0.0, 0.0, 0.0);
    box(world, {5.0, 1.0, 0.0}, {0.5, 1.0, 0.5});  // 0
    box(world, {-5.0, 1.0, 0.0}, {0.5, 1.0, 0.5}); // 1
    // a "none" object makes no body: nothing to add
    const glm::vec3 meshCentre(0.0f, 1.0f, 5.0f);
    world.addConvexMesh(cubeVertices(meshCentre, 0.5f), {}, false, meshCentre, {0.5, 0.5, 0.5}, 100.0f); // 2
    ASSERT_EQ(world.actors.size(), 3u);
    walk(world, {}, 0.1);

    const glm::vec3 eye(0.0f, 1.2f, 0.0f);
    EXPECT_EQ(world.pick(eye, {1, 0, 0}), 0);
    EXPECT_EQ(world.pick(eye, {-1, 0, 0}), 1);
    EXPECT_EQ(world.pick(eye, {0, 0, 1}), 2) << "the hull must lie where the model is drawn";
    EXPECT_EQ(world.pick(eye, {0, -1, 0}), -1) << "the floor and the player are no actors";
    EXPECT_EQ(world.pick(eye, {0, 1, 0}), -1) << "nothing above";
    EXPECT_EQ(world.pick(eye, {0, 0, -1}), -1) << "nothing behind";
}

TEST(PickRay, ReachesTwentyPointThreeFromTheEye)
{
    PhysicsWorld world;
    initStanding(world, 0.0, 0.0, 0.0);
    box(world, {20.7, 1.0, 0.0}, {0.5, 1.0, 0.5});  // 0: near face 20.2 from the eye
    box(world, {-20.9, 1.0, 0.0}, {0.5, 1.0, 0.5}); // 1: near face 20.4 from the eye
    const glm::vec3 eye(0.0f, 1.2f, 0.0f);
    EXPECT_EQ(world.pick(eye, {1, 0, 0}), 0);
    EXPECT_EQ(world.pick(eye, {-1, 0, 0}), -1);
}

TEST(CollisionBodies, AFlatModelGetsAPaddedBox)
{
    PhysicsWorld world;
    initStanding(world, 0.0, 0.5, 0.0);
    box(world, {0.0, 0.5, 0.0}, {2.0, 0.0, 2.0}); // a floor quad at y = 0.5
    ASSERT_EQ(world.actors.size(), 1u);
    const auto* shape = dynamic_cast<const btBoxShape*>(world.actors[0]->shape.get());
    ASSERT_NE(shape, nullptr);
    const btVector3 half = shape->getHalfExtentsWithMargin();
    EXPECT_NEAR(half.y(), 0.00001f, 1e-8f);
    EXPECT_FLOAT_EQ(half.x(), 2.00001f);
    // And it carries the player like any floor.
    walk(world, {1.0, 0.0, 0.0}, 1.0);
    EXPECT_NEAR(world.footPosition.y, 0.5, 1e-3);
}

TEST(CollisionBodies, NoHullFallsBackToTheBoxWithTheMessage)
{
    const std::string message = "physX: fehler beim mesh generieren. fallback auf box\n";
    const std::vector<std::vector<glm::vec3>> degenerate = {
        {{0, 0, 0}, {1, 0, 0}, {0, 0, 1}, {1, 0, 1}, {0.5f, 0, 0.5f}}, // coplanar
        {{0, 0, 0}, {1, 1, 1}, {2, 2, 2}, {3, 3, 3}},                  // collinear
        {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}},                             // too few
        {},
    };
    for (std::size_t i = 0; i < degenerate.size(); ++i) {
        PhysicsWorld world;
        initStanding(world, 0.0, 0.0, 0.0);
        const bool dynamic = i % 2 == 1;
        EXPECT_EQ(addMeshCapturingOutput(world, degenerate[i], dynamic, {3, 1, 0}, {1, 1, 1}), message)
            << "case " << i;
        ASSERT_EQ(world.actors.size(), 1u) << "case " << i;
        EXPECT_FALSE(world.actors[0]->hull);
        EXPECT_EQ(world.actors[0]->dynamic, dynamic);
        EXPECT_EQ(world.actors[0]->body->isStaticObject(), !dynamic);
    }
}

TEST(CollisionBodies, ASolidMeshGetsAnInflatedHullAndNoMessage)
{
    PhysicsWorld world;
    initStanding(world, 0.0, 0.0, 0.0);
    const glm::vec3 centre(2.0f, 0.5f, 0.0f);
    EXPECT_EQ(addMeshCapturingOutput(world, cubeVertices(centre, 0.5f), false, centre, {0.5, 0.5, 0.5}), "");
    ASSERT_EQ(world.actors.size(), 1u);
    EXPECT_TRUE(world.actors[0]->hull);
    // Walking into it stops the capsule at its face plus the 0.025 inflation.
    walk(world, {1.0, 0.0, 0.0}, 2.0);
    EXPECT_NEAR(world.controllerPosition().x, 1.5 - 0.025 - 0.21, 3e-3);
}

TEST(CollisionBodies, ADenseHullIsLimitedTo256Corners)
{
    PhysicsWorld world;
    initStanding(world, 0.0, 0.0, 0.0);
    std::vector<glm::vec3> sphere;
    for (int i = 0; i < 2000; ++i) {
        const float y = 1.0f - 2.0f * (static_cast<float>(i) + 0.5f) / 2000.0f;
        const float ring = std::sqrt(1.0f - y * y);
        const float a = 2.39996f * static_cast<float>(i);
        sphere.emplace_back(5.0f + ring * std::cos(a), 1.0f + y, ring * std::sin(a));
    }
    world.addConvexMesh(sphere, {}, true, {5.0, 1.0, 0.0}, {1.0, 1.0, 1.0}, 100.0f);
    ASSERT_EQ(world.actors.size(), 1u);
    const auto* hull = dynamic_cast<const btConvexHullShape*>(world.actors[0]->shape.get());
    ASSERT_NE(hull, nullptr);
    EXPECT_LE(hull->getNumPoints(), 256);
    EXPECT_GE(hull->getNumPoints(), 100);
    // Mass from density and volume: 100 * 4/3 pi, less what the corners cut off.
    const float mass = 1.0f / world.actors[0]->body->getInvMass();
    EXPECT_NEAR(mass, 100.0f * 4.18879f, 100.0f * 4.18879f * 0.05f);
}

} // namespace
