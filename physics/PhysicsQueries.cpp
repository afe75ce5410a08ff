// The scene queries of the player: the stand-up probe, the probe for what
// blocks the way ahead and the pick ray.
#include "physics/PhysicsWorld.h"

#include "physics/CharacterController.h"
#include "physics/PhysicsScene.h"

namespace {

constexpr btScalar probeTop = 0.6f;      // the probe sits this far plus a radius above the centre
constexpr btScalar pickSkip = 0.3f;      // the ray starts this far along the direction
constexpr btScalar aheadReach = 0.15f;   // how far ahead an obstacle counts as met
constexpr btScalar aheadLift = 0.05f;    // the probes float this far over the floor's seams
constexpr btScalar overLedgeLift = 1.3f; // a body this high clears a ledge, not a wall
constexpr btScalar pickLength = 20.0f;

// Anything but the player that truly overlaps the probe.
class AnyOverlap : public btCollisionWorld::ContactResultCallback {
public:
    explicit AnyOverlap(const btCollisionObject& player) : self(player) {}

    bool needsCollision(btBroadphaseProxy* proxy) const override
    {
        return proxy->m_clientObject != &self && ContactResultCallback::needsCollision(proxy);
    }

    btScalar addSingleResult(btManifoldPoint& point, const btCollisionObjectWrapper*, int, int,
                             const btCollisionObjectWrapper*, int, int) override
    {
        if (point.getDistance() < 0)
            found = true;
        return 0;
    }

    bool found = false;

private:
    const btCollisionObject& self;
};

// Any hit of a sweep but the player's own body.
class HitButPlayer : public btCollisionWorld::ClosestConvexResultCallback {
public:
    HitButPlayer(const btVector3& from, const btVector3& to, const btCollisionObject& player)
        : ClosestConvexResultCallback(from, to), self(player)
    {
    }

    bool needsCollision(btBroadphaseProxy* proxy) const override
    {
        return proxy->m_clientObject != &self && ClosestConvexResultCallback::needsCollision(proxy);
    }

private:
    const btCollisionObject& self;
};

// Whether `p` lies inside the capsule of `body` (a standing btCapsuleShape).
bool insideCapsule(const btCollisionObject& body, const btVector3& p)
{
    const auto* capsule = static_cast<const btCapsuleShape*>(body.getCollisionShape());
    const btVector3& centre = body.getWorldTransform().getOrigin();
    const btScalar half = capsule->getHalfHeight();
    btVector3 onAxis = centre;
    onAxis.setY(btClamped(p.y(), centre.y() - half, centre.y() + half));
    return (p - onAxis).length2() < capsule->getRadius() * capsule->getRadius();
}

btVector3 toBullet(glm::vec3 v)
{
    return btVector3(v.x, v.y, v.z);
}

} // namespace

bool PhysicsWorld::canStandUp()
{
    if (!controller)
        return true;
    const btScalar r = CharacterController::radius;
    btCapsuleShape shape(r, (probeTop - 2 * r)); // half height (0.6 - 2r) / 2
    btCollisionObject probe;
    probe.setCollisionShape(&shape);
    btVector3 centre = controller->position();
    centre.setY(centre.y() + probeTop + r);
    probe.setWorldTransform(btTransform(btQuaternion::getIdentity(), centre));
    AnyOverlap overlap(controller->body());
    scene->world->contactTest(&probe, overlap);
    return !overlap.found;
}

PhysicsWorld::Obstacle PhysicsWorld::obstacleAhead(double dx, double dz)
{
    if (!controller || crouched)
        return Obstacle::None;
    btVector3 way(static_cast<btScalar>(dx), 0, static_cast<btScalar>(dz));
    if (way.length2() < 1e-12f)
        return Obstacle::None;
    way.normalize();
    const btScalar r = CharacterController::radius;
    const btVector3 foot = controller->footPosition();
    // A capsule of the given height with its bottom `lift` over the foot,
    // swept a short step ahead: does it get there?
    const auto clear = [&](double height, btScalar lift) {
        btCapsuleShape shape(r, static_cast<btScalar>(height));
        const btVector3 from = foot + btVector3(0, lift + r + static_cast<btScalar>(height) / 2, 0);
        const btVector3 to = from + way * aheadReach;
        HitButPlayer hit(from, to, controller->body());
        scene->world->convexSweepTest(&shape, btTransform(btQuaternion::getIdentity(), from),
                                      btTransform(btQuaternion::getIdentity(), to), hit);
        return !hit.hasHit();
    };
    if (clear(standHeight, aheadLift))
        return Obstacle::None;
    if (clear(crouchHeight, aheadLift))
        return Obstacle::LowOverhead;
    // Higher than the controller steps up, low enough to see over.
    const btScalar overStep = CharacterController::stepOffset + aheadLift;
    if (!clear(standHeight, overStep) && clear(standHeight, overLedgeLift))
        return Obstacle::Ledge;
    return Obstacle::None;
}

int PhysicsWorld::pick(glm::vec3 origin, glm::vec3 direction)
{
    if (!scene->ready())
        return -1;
    const btVector3 dir = toBullet(direction);
    const btVector3 from = toBullet(origin) + dir * pickSkip;
    const btVector3 to = from + dir * pickLength;
    // A ray that starts inside the player hits the player first.
    if (controller && insideCapsule(controller->body(), from))
        return -1;
    btCollisionWorld::ClosestRayResultCallback ray(from, to);
    scene->world->rayTest(from, to, ray);
    if (!ray.hasHit())
        return -1;
    // Actors carry their index; the ground (-1) and the player (-2) do not.
    const int index = ray.m_collisionObject->getUserIndex();
    return index >= 0 && index < static_cast<int>(actors.size()) ? index : -1;
}
