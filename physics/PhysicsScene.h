#pragma once

#include <memory>

#include <btBulletDynamicsCommon.h>

class PhysicsActor;

// The Bullet objects behind PhysicsWorld: the dynamics world, its one
// material and the ground plane y = 0.
class PhysicsScene {
public:
    PhysicsScene() = default;
    ~PhysicsScene();
    PhysicsScene(const PhysicsScene&) = delete;
    PhysicsScene& operator=(const PhysicsScene&) = delete;

    static constexpr float gravity = -9.81f;
    static constexpr float friction = 0.5f;
    static constexpr float restitution = 0.5f;

    void init();
    bool ready() const { return world != nullptr; }

    // Makes the body at `centre` (mass 0: static), adds it to the world and
    // gives it the user index `index`. Takes the shape.
    std::unique_ptr<PhysicsActor> addBody(std::unique_ptr<btCollisionShape> shape, bool dynamic,
                                          const btVector3& centre, float mass, int index);
    void removeBody(PhysicsActor& actor);

    void simulate(double elapsed);

    std::unique_ptr<btDefaultCollisionConfiguration> configuration;
    std::unique_ptr<btCollisionDispatcher> dispatcher;
    std::unique_ptr<btBroadphaseInterface> broadphase;
    std::unique_ptr<btSequentialImpulseConstraintSolver> solver;
    std::unique_ptr<btDiscreteDynamicsWorld> world;
    std::unique_ptr<btStaticPlaneShape> groundShape;
    std::unique_ptr<btRigidBody> ground;
    int movingBodies = 0; // dynamic bodies with mass
};
