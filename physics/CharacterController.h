#pragma once

#include <memory>

#include <btBulletDynamicsCommon.h>

// The player's body: a kinematic capsule moved by sweeps (collide and slide
// with an up step and a down step). A kinematic rigid body of the same size
// keeps dynamic bodies out of it.
class CharacterController {
public:
    static constexpr btScalar radius = 0.2f;
    static constexpr btScalar contactOffset = 0.01f;
    static constexpr btScalar stepOffset = 0.3f;
    static constexpr int slideIterations = 4;

    enum CollisionFlag : unsigned { sides = 1u, up = 2u, down = 4u };

    CharacterController(btDiscreteDynamicsWorld& world, const btVector3& centre, btScalar height);
    ~CharacterController();
    CharacterController(const CharacterController&) = delete;
    CharacterController& operator=(const CharacterController&) = delete;

    // Moves by `displacement`; returns the CollisionFlags that were touched.
    unsigned move(const btVector3& displacement);
    void setPosition(const btVector3& centre);
    // Height between the hemisphere centres; the foot stays in place.
    void resize(btScalar newHeight);

    const btVector3& position() const { return centre; }
    btScalar height() const { return capsuleHeight; }
    // Bottom of the capsule plus its contact offset.
    btVector3 footPosition() const;
    const btCollisionObject& body() const { return *kinematicBody; }

private:
    struct Hit {
        bool found = false;
        btScalar fraction = 1;
        btVector3 normal{0, 0, 0};
        btVector3 point{0, 0, 0};
    };

    unsigned moveOnce(const btVector3& side, btScalar vertical, btScalar step, bool& landedTooHigh);
    Hit sweep(const btVector3& from, const btVector3& to) const;
    // Straight sweep; moves as far as it gets. Returns the hit.
    Hit moveStraight(const btVector3& motion);
    // Horizontal collide and slide; true when something was touched.
    bool slide(const btVector3& motion);
    bool mayOverlap() const;
    void recoverFromPenetration();
    void makeShapes();
    void syncBody();

    btDiscreteDynamicsWorld& world;
    btVector3 centre;
    btScalar capsuleHeight;
    std::unique_ptr<btCapsuleShape> bodyShape;  // the capsule itself
    std::unique_ptr<btCapsuleShape> sweepShape; // grown by the contact offset
    std::unique_ptr<btDefaultMotionState> motionState;
    std::unique_ptr<btRigidBody> kinematicBody;
    btCollisionObject probe; // the grown capsule for penetration checks
    bool placedAnew = true;  // created, teleported or resized since the last move
};
