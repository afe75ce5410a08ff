#pragma once

#include <memory>

#include <btBulletDynamicsCommon.h>

// One rigid body of a scene object. The body's user index is its place in
// PhysicsWorld::actors, so a query can answer it without a search.
class PhysicsActor {
public:
    std::unique_ptr<btCollisionShape> shape;
    std::unique_ptr<btDefaultMotionState> motionState;
    std::unique_ptr<btRigidBody> body;
    bool dynamic = false;
    bool hull = false; // false: a box (also the fallback of a failed hull)
};
