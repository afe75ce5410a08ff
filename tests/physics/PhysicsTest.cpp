// The player's capsule, the stand-up probe, the pick ray and the bodies of
// scene objects, all against real Bullet.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include <glm/geometric.hpp>
#include <BulletCollision/NarrowPhaseCollision/btGjkEpaPenetrationDepthSolver.h>
#include <BulletCollision/NarrowPhaseCollision/btGjkPairDetector.h>
#include <BulletCollision/NarrowPhaseCollision/btPointCollector.h>

#include "physics/PhysicsActor.h"
#include "physics/PhysicsScene.h"
#include "physics/PhysicsWorld.h"

namespace {

constexpr double frame60 = 1.0 / 60.0;
constexpr double gap = 0.21; // radius + contact offset: centre line to a wall it touches
const double unchecked = std::nan("");

enum class Kind { Static, Dynamic, Hull };
struct Body {
    glm::dvec3 centre, half;
    Kind kind = Kind::Static;
};

std::vector<glm::vec3> corners(glm::dvec3 c, glm::dvec3 h) {
    std::vector<glm::vec3> v;
    for (int i = 0; i < 8; ++i)
        v.emplace_back(c + glm::dvec3((i & 1) ? h.x : -h.x, (i & 2) ? h.y : -h.y, (i & 4) ? h.z : -h.z));
    return v;
}

// The capsule rests with its foot at `foot`: the eye is 1.21 above it.
void build(PhysicsWorld& world, glm::dvec3 foot, const std::vector<Body>& bodies = {}) {
    world.init(static_cast<float>(foot.x), static_cast<float>(foot.y + 1.21), static_cast<float>(foot.z));
    for (const Body& b : bodies) {
        if (b.kind == Kind::Hull)
            world.addConvexMesh(corners(b.centre, b.half), {}, false, b.centre, b.half, 100.0f);
        else
            world.addBox(b.kind == Kind::Dynamic, b.centre, b.half, 100.0f);
    }
}

void walk(PhysicsWorld& world, glm::dvec3 velocity, double seconds, double dt = frame60) {
    for (int i = 0; i < static_cast<int>(seconds / dt + 0.5); ++i) {
        world.moveCharacter(velocity.x * dt, 0.0, velocity.z * dt, dt);
        world.step(dt);
    }
}

struct WalkCase {
    std::string what;
    std::vector<Body> bodies;
    glm::dvec3 foot, velocity;
    double seconds;
    glm::dvec3 expected; // centre x, foot y, centre z
    bool blocked = false; // pushing on moves it no more
};

TEST(Character, WalksSlidesStepsAndStopsWhereTheBodiesSay) {
    const Body wallZ{{0, 2, 1.2}, {12, 2, 0.2}}; // face z = 1
    const double d = std::sqrt(2.0);
    std::vector<WalkCase> cases = {
        {"along a wall across the seam of two boxes", {{{-2, 1, 1.2}, {2, 1, 0.2}}, {{2, 1, 1.2}, {2, 1, 0.2}}},
         {-1.5, 0, 0}, {d, 0, d}, 2.0, {-1.5 + 2 * d, 0, 1 - gap}},
        {"into a corner", {wallZ, {{1.2, 1, 0}, {0.2, 1, 2}}}, {0, 0, 0}, {1, 0, 1}, 2.0, {1 - gap, 0, 1 - gap}, true},
        {"up a step below the step offset", {{{0, 0.125, 3.5}, {2, 0.125, 2}}}, {0, 0, 0}, {0, 0, 1.5}, 2.0,
         {0, 0.25, 3.0}},
        {"against a step above the step offset", {{{0, 0.175, 3.5}, {2, 0.175, 2}}}, {0, 0, 0}, {0, 0, 1.5}, 2.0,
         {0, 0, 1.5 - gap}, true},
        {"out of a start inside the ground", {}, {0, -0.41, 0}, {1, 0, 0}, 1.0, {1, 0, 0}},
        {"over a flat model", {{{0, 0.5, 0}, {2, 0, 2}}}, {0, 0.5, 0}, {1, 0, 0}, 1.0, {1, 0.5, 0}},
        {"down along a wall it touches", {wallZ}, {0, 2.4, 1 - gap}, {0.3, 0, 1}, 1.5, {0.45, 0, 1 - gap}},
        {"into a hull, kept off by its inflation", {{{2, 0.5, 0}, {0.5, 0.5, 0.5}, Kind::Hull}}, {0, 0, 0},
         {1, 0, 0}, 2.0, {1.5 - 0.025 - gap, 0, 0}, true},
    };
    // The round bottom meets these edges on its curve: still no step.
    for (double height : {0.31, 0.32, 0.34, 0.4})
        for (double angle : {0.0, 0.4, 0.8})
            cases.push_back({"against an edge " + std::to_string(height) + " high at " + std::to_string(angle),
                             {{{0, height / 2, 3.5}, {4, height / 2, 2}}}, {0, 0, 0},
                             {1.5 * std::sin(angle), 0, 1.5 * std::cos(angle)}, 1.5,
                             {unchecked, 0, 1.5 - gap}});
    for (const WalkCase& c : cases) {
        SCOPED_TRACE(c.what);
        PhysicsWorld world;
        build(world, c.foot, c.bodies);
        walk(world, c.velocity, c.seconds);
        const glm::dvec3 centre = world.controllerPosition();
        const glm::dvec3 got(centre.x, world.footPosition.y, centre.z);
        for (int axis = 0; axis < 3; ++axis)
            EXPECT_TRUE(std::isnan(c.expected[axis]) || std::fabs(got[axis] - c.expected[axis]) < 3e-3)
                << "axis " << axis << ": " << got[axis];
        EXPECT_EQ(world.fallVelocity, 0.0) << "landing ends the fall";
        // Walking on neither bobs nor sinks; where it is blocked, nothing jitters.
        walk(world, c.velocity, 0.5);
        EXPECT_NEAR(world.footPosition.y, got.y, 1e-4);
        EXPECT_LT(c.blocked ? glm::distance(world.controllerPosition(), centre) : 0.0, 1e-4);
    }
}

TEST(Character, FallsOffALedgeUnderGravityAtAnyFrameRate) {
    for (double dt : {1.0 / 30.0, 1.0 / 240.0}) {
        SCOPED_TRACE(dt);
        PhysicsWorld world;
        build(world, {0, 1, 0}, {{{0, 0.5, 0}, {1, 0.5, 1}}}); // 1 m platform, edge at x = 1
        int airborne = 0;
        for (int i = 0; i < static_cast<int>(2.5 / dt + 0.5); ++i) {
            walk(world, {1.5, 0, 0}, dt, dt);
            airborne += world.footPosition.y > 1e-3 && world.footPosition.y < 1 - 1e-3;
        }
        // 1 m of free fall at 9.81 takes 0.45 s.
        EXPECT_NEAR(airborne * dt, 0.45, 0.04);
        EXPECT_NEAR(world.footPosition.y, 0.0, 1e-3);
        EXPECT_NEAR(world.controllerPosition().x, 3.75, 3e-3);
        EXPECT_EQ(world.fallVelocity, 0.0);
        world.setControllerPosition(0, 1.61, 0); // a restart puts the player back on the platform
        walk(world, {}, 0.2, dt);
        EXPECT_NEAR(world.footPosition.y, 1.0, 1e-3);
    }
}

TEST(Character, CrouchesUnderACeilingAndStandsOnlyWhereTheProbeFindsRoom) {
    // Crouched, the probe reaches 1.41 above the foot: a little over a standing capsule (1.21).
    const struct { double bottom; bool room; } ceilings[] = {{0.7, false}, {1.0, false}, {1.38, false}, {1.44, true}};
    for (const auto& ceiling : ceilings) {
        SCOPED_TRACE(ceiling.bottom);
        PhysicsWorld world;
        build(world, {-3, 0, 0}, {{{0, ceiling.bottom + 0.1, 0}, {1, 0.1, 1}}});
        walk(world, {}, 0.1);
        EXPECT_TRUE(world.canStandUp()) << "the probe must not see the player";
        world.resizeController(PhysicsWorld::crouchHeight);
        EXPECT_TRUE(world.canStandUp());
        EXPECT_NEAR(world.controllerFootPosition().y, 0.0, 1e-3) << "resize keeps the foot";
        walk(world, {1.5, 0, 0}, 2.0);
        ASSERT_NEAR(world.controllerPosition().x, 0.0, 3e-3) << "the crouched capsule fits under";
        EXPECT_EQ(world.canStandUp(), ceiling.room);
        walk(world, {1.5, 0, 0}, 2.0);
        EXPECT_TRUE(world.canStandUp());
        world.resizeController(PhysicsWorld::standHeight);
        EXPECT_NEAR(world.controllerFootPosition().y, 0.0, 1e-3);
        EXPECT_NEAR(world.controllerPosition().y, 0.61, 1e-3);
    }
}

TEST(Character, WhatBlocksTheWayAheadIsALowOverheadALedgeOrNeither) {
    using Obstacle = PhysicsWorld::Obstacle;
    // Each box's near face at x = 1; the player walks into it along +x.
    const struct { const char* what; double bottom, top; Obstacle ahead; } boxes[] = {
        {"a deck's edge", 0.85, 1.0, Obstacle::LowOverhead}, {"a table top", 0.72, 0.78, Obstacle::LowOverhead},
        {"a stage's edge", 0.0, 1.0, Obstacle::Ledge},        {"a beam too low to crawl under", 0.5, 0.6, Obstacle::Ledge},
        {"a wall", 0.0, 3.0, Obstacle::None},                 {"a crate over the head", 0.0, 1.7, Obstacle::None},   
        {"a step", 0.0, 0.25, Obstacle::None},                {"a lintel over the head", 1.3, 1.5, Obstacle::None},
    };
    for (const auto& box : boxes) {
        SCOPED_TRACE(box.what);
        PhysicsWorld world;
        const double half = (box.top - box.bottom) / 2;
        build(world, {0, 0, 0}, {{{2, box.bottom + half, 0}, {1, half, 2}}});
        walk(world, {1.5, 0, 0}, 1.0);
        EXPECT_EQ(world.obstacleAhead(1, 0), box.ahead);
        EXPECT_EQ(world.obstacleAhead(0.2, 1), box.ahead) << "at a slant";
        EXPECT_EQ(world.obstacleAhead(0, 1), Obstacle::None) << "along the face";
        EXPECT_EQ(world.obstacleAhead(-1, 0), Obstacle::None) << "away from it";
        EXPECT_EQ(world.obstacleAhead(0, 0), Obstacle::None) << "standing still";
        world.resizeController(PhysicsWorld::crouchHeight);
        world.crouched = true;
        EXPECT_EQ(world.obstacleAhead(1, 0), Obstacle::None) << "already crouched";
    }
    PhysicsWorld open;
    build(open, {0, 0, 0}, {{{2, 0.925, 0}, {1, 0.075, 2}}});
    EXPECT_EQ(open.obstacleAhead(1, 0), Obstacle::None) << "a deck's edge 0.8 m ahead is not met yet";
}

TEST(PickRay, AnswersTheCreationIndexOfTheFirstBodyWithinReach) {
    PhysicsWorld world;
    build(world, {0, 0.1, 0},
          {{{0, 0.05, 0}, {1, 0.05, 1}}, // the floor under the player
           {{5, 1, 0}, {0.5, 1, 0.5}},
           {{-20.9, 1, 0}, {0.5, 1, 0.5}}, // near face 20.4 from the eye: out of reach
           {{0, 1, 5}, {0.5, 0.5, 0.5}, Kind::Hull},
           {{0, 1, -20.7}, {0.5, 1, 0.5}}}); // near face 20.2 from the eye
    walk(world, {}, 0.1);
    const glm::vec3 eye(0, 1.31f, 0);
    const struct { glm::vec3 origin, direction; int actor; } rays[] = {
        {eye, {1, 0, 0}, 1}, {eye, {-1, 0, 0}, -1}, {eye, {0, 0, 1}, 3}, {eye, {0, 0, -1}, 4},
        {eye, {0, 1, 0}, -1}, {eye, {0, -1, 0}, -1}, // from inside the player: the player first
        {{-2, 1, 0}, {1, 0, 0}, -1}, {{3, 1, 3}, {0, -1, 0}, -1}, // the player and the ground are no actors
    };
    for (const auto& ray : rays)
        EXPECT_EQ(world.pick(ray.origin, ray.direction), ray.actor) << "ray " << &ray - rays;
}

TEST(CollisionBodies, NoHullFallsBackToTheBoxWithTheMessage) {
    const std::vector<std::vector<glm::vec3>> degenerate = {
        {{0, 0, 0}, {1, 0, 0}, {0, 0, 1}, {1, 0, 1}, {0.5f, 0, 0.5f}}, // one plane
        {{0, 0, 0}, {1, 1, 1}, {2, 2, 2}, {3, 3, 3}},                  // one line
        {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}},                             // too few
        {},
    };
    for (std::size_t i = 0; i < degenerate.size(); ++i) {
        SCOPED_TRACE(i);
        PhysicsWorld world;
        build(world, {0, 0, 0});
        const bool dynamic = i % 2 == 1;
        testing::internal::CaptureStdout();
        world.addConvexMesh(degenerate[i], {}, dynamic, {3, 1, 0}, {1, 1, 1}, 100.0f);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "physX: fehler beim mesh generieren. fallback auf box\n");
        ASSERT_EQ(world.actors.size(), 1u);
        EXPECT_FALSE(world.actors[0]->hull);
        EXPECT_EQ(world.actors[0]->body->isStaticObject(), !dynamic);
    }
}

TEST(CollisionBodies, ADenseHullKeepsItsShapeInAtMost256Corners) {
    PhysicsWorld world;
    build(world, {0, 0, 0});
    std::vector<glm::vec3> sphere;
    for (int i = 0; i < 2000; ++i) {
        const float y = 1.0f - 2.0f * (static_cast<float>(i) + 0.5f) / 2000.0f;
        const float ring = std::sqrt(1.0f - y * y);
        const float a = 2.4f * static_cast<float>(i);
        sphere.emplace_back(5.0f + ring * std::cos(a), 1.0f + y, ring * std::sin(a));
    }
    testing::internal::CaptureStdout();
    world.addConvexMesh(sphere, {}, true, {5, 1, 0}, {1, 1, 1}, 100.0f);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    const auto* hull = dynamic_cast<const btConvexHullShape*>(world.actors.at(0)->shape.get());
    ASSERT_NE(hull, nullptr);
    EXPECT_LE(hull->getNumPoints(), 256);
    // Mass from density and volume: 100 * 4/3 pi, less what the corners cut off.
    EXPECT_NEAR(1.0f / world.actors[0]->body->getInvMass(), 418.879f, 418.879f * 0.05f);
}

// Signed distance between the player's capsule and an actor; negative is overlap.
double distanceToPlayer(const PhysicsWorld& world, const PhysicsActor& actor) {
    btCapsuleShape capsule(0.2f, static_cast<btScalar>(PhysicsWorld::standHeight));
    btVoronoiSimplexSolver simplex;
    btGjkEpaPenetrationDepthSolver depth;
    btGjkPairDetector detector(&capsule, static_cast<const btConvexShape*>(actor.shape.get()), &simplex, &depth);
    btGjkPairDetector::ClosestPointInput input;
    const glm::dvec3 c = world.controllerPosition();
    input.m_transformA.setIdentity();
    input.m_transformA.setOrigin(btVector3(btScalar(c.x), btScalar(c.y), btScalar(c.z)));
    input.m_transformB = actor.body->getWorldTransform();
    btPointCollector result;
    detector.getClosestPoints(input, result, nullptr);
    return result.m_hasResult ? result.m_distance : 1e9;
}

TEST(DynamicBodies, NeitherAWalkIntoOneNorOneDroppedOnThePlayerEntersTheCapsule) {
    PhysicsWorld world;
    build(world, {0, 0, 0},
          {{{0, 2.5, 0}, {0.2, 0.2, 0.2}, Kind::Dynamic},
           {{3, 2, 0}, {0.25, 0.25, 0.25}, Kind::Dynamic},
           {{-3, 2, 0}, {0.25, 0, 0.25}, Kind::Dynamic}}); // a flat model is dynamic too
    for (int i = 0; i < 240; ++i) {
        walk(world, {}, frame60);
        // The impact frame may sink by what the continuous sweep leaves (a
        // fifth of the box's half size); once resting, only solver slop.
        ASSERT_GT(distanceToPlayer(world, *world.actors[0]), i < 120 ? -0.04 : -3e-3) << "frame " << i;
        ASSERT_NEAR(world.footPosition.y, 0.0, 1e-3) << "the box pressed the player into the ground";
    }
    // The others lie on the ground where they fell; mass from density and volume.
    EXPECT_NEAR(1.0f / world.actors[1]->body->getInvMass(), 100 * 0.5 * 0.5 * 0.5, 0.01);
    for (const auto& [actor, rest] : {std::pair{1, btVector3(3, 0.25f, 0)}, {2, btVector3(-3, 0, 0)}})
        EXPECT_LT((world.actors[actor]->body->getWorldTransform().getOrigin() - rest).length(), 0.05) << actor;

    PhysicsWorld walking;
    build(walking, {0, 0, 0}, {{{0, 0.25, 1}, {0.25, 0.25, 0.25}, Kind::Dynamic}});
    double closest = 1e9;
    for (int i = 0; i < 180; ++i) {
        walk(walking, {0, 0, 1.5}, frame60);
        closest = std::min(closest, distanceToPlayer(walking, *walking.actors[0]));
        ASSERT_GT(closest, -2e-3) << "frame " << i;
    }
    EXPECT_LT(closest, 0.02) << "the walk must reach the box";
    EXPECT_NEAR(walking.footPosition.y, 0.0, 1e-3) << "the box is no step to climb";
}

TEST(DynamicBodies, ContactsUseTheSharedMaterialNotBulletsProduct) {
    PhysicsScene scene;
    scene.init();
    auto crate = scene.addBody(std::make_unique<btBoxShape>(btVector3(0.25f, 0.25f, 0.25f)), true,
                               btVector3(0, 0.26f, 0), 10.0f, 0);
    for (int i = 0; i < 10; ++i) scene.simulate(frame60);
    int points = 0;
    btDispatcher& dispatcher = *scene.world->getDispatcher();
    for (int m = 0; m < dispatcher.getNumManifolds(); ++m) {
        const btPersistentManifold& manifold = *dispatcher.getManifoldByIndexInternal(m);
        for (int p = 0; p < manifold.getNumContacts(); ++p, ++points) {
            EXPECT_FLOAT_EQ(manifold.getContactPoint(p).m_combinedFriction, PhysicsScene::friction);
            EXPECT_FLOAT_EQ(manifold.getContactPoint(p).m_combinedRestitution, PhysicsScene::restitution);
        }
    }
    EXPECT_GT(points, 0);
    scene.removeBody(*crate);
}

} // namespace
