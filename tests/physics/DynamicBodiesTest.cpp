// Dynamic bodies against the player: pushed or blocking, never inside.
#include <gtest/gtest.h>

#include <BulletCollision/CollisionShapes/btCapsuleShape.h>
#include <BulletCollision/NarrowPhaseCollision/btGjkEpaPenetrationDepthSolver.h>
#include <BulletCollision/NarrowPhaseCollision/btGjkPairDetector.h>
#include <BulletCollision/NarrowPhaseCollision/btPointCollector.h>
#include <BulletCollision/NarrowPhaseCollision/btVoronoiSimplexSolver.h>

#include "physics/PhysicsActor.h"
#include "physics/PhysicsScene.h"
#include "tests/physics/PhysicsTestScene.h"

namespace {

using murk::test::box;
using murk::test::frame;
using murk::test::initStanding;

// Signed distance between the player's capsule and an actor; negative is overlap.
double distanceToPlayer(const PhysicsWorld& world, const PhysicsActor& actor, double height)
{
    btCapsuleShape capsule(0.2f, static_cast<btScalar>(height));
    btVoronoiSimplexSolver simplex;
    btGjkEpaPenetrationDepthSolver depth;
    btGjkPairDetector detector(&capsule, static_cast<const btConvexShape*>(actor.shape.get()), &simplex, &depth);
    btGjkPairDetector::ClosestPointInput input;
    const glm::dvec3 c = world.controllerPosition();
    input.m_transformA = btTransform(btQuaternion::getIdentity(),
                                     btVector3(static_cast<btScalar>(c.x), static_cast<btScalar>(c.y),
                                               static_cast<btScalar>(c.z)));
    input.m_transformB = actor.body->getWorldTransform();
    btPointCollector result;
    detector.getClosestPoints(input, result, nullptr);
    return result.m_hasResult ? result.m_distance : 1e9;
}

TEST(DynamicBodies, AWalkIntoADynamicBoxNeverEntersIt)
{
    PhysicsWorld world;
    initStanding(world, 0.0, 0.0, 0.0);
    box(world, {0.0, 0.25, 1.0}, {0.25, 0.25, 0.25}, true, 100.0f);
    const PhysicsActor& crate = *world.actors[0];
    double closest = 1e9;
    for (int i = 0; i < 180; ++i) {
        frame(world, {0.0, 0.0, 1.5}, 1.0 / 60.0);
        const double d = distanceToPlayer(world, crate, PhysicsWorld::standHeight);
        closest = std::min(closest, d);
        ASSERT_GT(d, -2e-3) << "frame " << i;
    }
    EXPECT_LT(closest, 0.02) << "the walk must reach the box";
    EXPECT_NEAR(world.footPosition.y, 0.0, 1e-3) << "the box is no step to climb";
}

TEST(DynamicBodies, ABoxDroppedOnThePlayerRestsOnTheCapsule)
{
    PhysicsWorld world;
    initStanding(world, 0.0, 0.0, 0.0);
    box(world, {0.0, 2.5, 0.0}, {0.2, 0.2, 0.2}, true, 100.0f);
    const PhysicsActor& crate = *world.actors[0];
    for (int i = 0; i < 240; ++i) {
        frame(world, {}, 1.0 / 60.0);
        const double d = distanceToPlayer(world, crate, PhysicsWorld::standHeight);
        // The impact frame may sink by what the continuous sweep leaves (a
        // fifth of the box's half size); once resting, only solver slop.
        ASSERT_GT(d, i < 120 ? -0.04 : -3e-3) << "frame " << i;
        ASSERT_NEAR(world.footPosition.y, 0.0, 1e-3) << "the box pressed the player into the ground";
    }
}

TEST(DynamicBodies, ADynamicBoxFallsToTheGround)
{
    PhysicsWorld world;
    initStanding(world, 0.0, 0.0, 0.0);
    box(world, {3.0, 2.0, 0.0}, {0.25, 0.25, 0.25}, true, 100.0f);
    for (int i = 0; i < 180; ++i)
        frame(world, {}, 1.0 / 60.0);
    const btVector3 at = world.actors[0]->body->getWorldTransform().getOrigin();
    EXPECT_NEAR(at.y(), 0.25, 0.02);
    EXPECT_NEAR(at.x(), 3.0, 0.05);
}

TEST(DynamicBodies, ContactsWithTheGroundUseTheSharedMaterial)
{
    PhysicsScene scene;
    scene.init();
    auto crate = scene.addBody(std::make_unique<btBoxShape>(btVector3(0.25f, 0.25f, 0.25f)), true,
                               btVector3(0, 0.26f, 0), 10.0f, 0);
    for (int i = 0; i < 10; ++i)
        scene.simulate(1.0 / 60.0);
    btDispatcher& dispatcher = *scene.world->getDispatcher();
    int points = 0;
    for (int m = 0; m < dispatcher.getNumManifolds(); ++m) {
        const btPersistentManifold& manifold = *dispatcher.getManifoldByIndexInternal(m);
        for (int p = 0; p < manifold.getNumContacts(); ++p) {
            // Bullet alone would multiply the two 0.5s.
            EXPECT_FLOAT_EQ(manifold.getContactPoint(p).m_combinedFriction, 0.5f);
            EXPECT_FLOAT_EQ(manifold.getContactPoint(p).m_combinedRestitution, 0.5f);
            ++points;
        }
    }
    EXPECT_GT(points, 0);
    scene.removeBody(*crate);
}

} // namespace
