#include "physics/CharacterController.h"

#include <algorithm>

namespace {

// A hit whose normal is this close to square with the move only grazes it.
constexpr btScalar facingTolerance = 1e-3f;
// Shallower overlaps are resting contact, not penetration.
constexpr btScalar penetrationTolerance = 1e-4f;
constexpr int recoveryIterations = 4;
constexpr btScalar tinyMove = 1e-7f;

// Closest sweep hit that blocks the move: the player's own body never does,
// and neither does a surface the capsule already touches but moves along or
// away from (Bullet reports those at fraction 0 and the capsule would climb).
class BlockingSweep : public btCollisionWorld::ClosestConvexResultCallback {
public:
    BlockingSweep(const btVector3& from, const btVector3& to, const btCollisionObject& player)
        : ClosestConvexResultCallback(from, to), self(player), direction((to - from).normalized())
    {
    }

    bool needsCollision(btBroadphaseProxy* proxy) const override
    {
        return proxy->m_clientObject != &self && ClosestConvexResultCallback::needsCollision(proxy);
    }

    btScalar addSingleResult(btCollisionWorld::LocalConvexResult& result, bool normalInWorldSpace) override
    {
        const btVector3 normal = normalInWorldSpace
                                     ? result.m_hitNormalLocal
                                     : result.m_hitCollisionObject->getWorldTransform().getBasis() *
                                           result.m_hitNormalLocal;
        if (normal.dot(direction) > -facingTolerance)
            return m_closestHitFraction;
        return ClosestConvexResultCallback::addSingleResult(result, normalInWorldSpace);
    }

private:
    const btCollisionObject& self;
    btVector3 direction;
};

// The deepest overlap of the grown capsule with anything but the player.
class DeepestContact : public btCollisionWorld::ContactResultCallback {
public:
    DeepestContact(const btCollisionObject& grown, const btCollisionObject& player) : probe(grown), self(player) {}

    bool needsCollision(btBroadphaseProxy* proxy) const override
    {
        return proxy->m_clientObject != &self && ContactResultCallback::needsCollision(proxy);
    }

    btScalar addSingleResult(btManifoldPoint& point, const btCollisionObjectWrapper* a, int, int,
                             const btCollisionObjectWrapper*, int, int) override
    {
        if (point.getDistance() < depth) {
            depth = point.getDistance();
            // The normal points from the second object to the first.
            pushOut = a->getCollisionObject() == &probe ? point.m_normalWorldOnB : -point.m_normalWorldOnB;
        }
        return 0;
    }

    btScalar depth = 0;
    btVector3 pushOut{0, 0, 0};

private:
    const btCollisionObject& probe;
    const btCollisionObject& self;
};

btTransform at(const btVector3& centre)
{
    return btTransform(btQuaternion::getIdentity(), centre);
}

} // namespace

CharacterController::CharacterController(btDiscreteDynamicsWorld& dynamicsWorld, const btVector3& start,
                                         btScalar height)
    : world(dynamicsWorld), centre(start), capsuleHeight(height)
{
    makeShapes();
    motionState = std::make_unique<btDefaultMotionState>(at(centre));
    btRigidBody::btRigidBodyConstructionInfo info(0, motionState.get(), bodyShape.get());
    info.m_friction = 0.5f;
    info.m_restitution = 0.5f;
    kinematicBody = std::make_unique<btRigidBody>(info);
    kinematicBody->setCollisionFlags(kinematicBody->getCollisionFlags() | btCollisionObject::CF_KINEMATIC_OBJECT);
    kinematicBody->setActivationState(DISABLE_DEACTIVATION);
    kinematicBody->setUserIndex(-2);
    world.addRigidBody(kinematicBody.get());
    probe.setCollisionShape(sweepShape.get());
    probe.setWorldTransform(at(centre));
}

CharacterController::~CharacterController()
{
    world.removeRigidBody(kinematicBody.get());
}

void CharacterController::makeShapes()
{
    bodyShape = std::make_unique<btCapsuleShape>(radius, capsuleHeight);
    sweepShape = std::make_unique<btCapsuleShape>(radius + contactOffset, capsuleHeight);
}

btVector3 CharacterController::footPosition() const
{
    return centre - btVector3(0, capsuleHeight * 0.5f + radius + contactOffset, 0);
}

void CharacterController::syncBody()
{
    const btTransform pose = at(centre);
    motionState->setWorldTransform(pose);
    kinematicBody->setWorldTransform(pose);
    probe.setWorldTransform(pose);
    // Bounds of bodies moved between steps are not refreshed by the world.
    world.updateSingleAabb(kinematicBody.get());
}

void CharacterController::setPosition(const btVector3& newCentre)
{
    centre = newCentre;
    placedAnew = true;
    syncBody();
    // A teleport is no motion: dynamic bodies must not be hit by it.
    kinematicBody->setInterpolationWorldTransform(at(centre));
}

void CharacterController::resize(btScalar newHeight)
{
    if (newHeight == capsuleHeight)
        return;
    const btVector3 foot = footPosition();
    auto oldBody = std::move(bodyShape);
    auto oldSweep = std::move(sweepShape);
    capsuleHeight = newHeight;
    makeShapes();
    kinematicBody->setCollisionShape(bodyShape.get());
    probe.setCollisionShape(sweepShape.get());
    // Contacts cached for the old shape would outlive it.
    world.getBroadphase()->getOverlappingPairCache()->cleanProxyFromPairs(kinematicBody->getBroadphaseHandle(),
                                                                          world.getDispatcher());
    centre = foot + btVector3(0, capsuleHeight * 0.5f + radius + contactOffset, 0);
    placedAnew = true;
    syncBody();
}

CharacterController::Hit CharacterController::sweep(const btVector3& from, const btVector3& to) const
{
    Hit hit;
    BlockingSweep callback(from, to, *kinematicBody);
    // No allowed penetration: a hit stops the capsule at the surface, not in it.
    world.convexSweepTest(sweepShape.get(), at(from), at(to), callback, 0);
    if (callback.hasHit()) {
        hit.found = true;
        hit.fraction = std::clamp(callback.m_closestHitFraction, btScalar(0), btScalar(1));
        hit.normal = callback.m_hitNormalWorld;
        hit.point = callback.m_hitPointWorld;
    }
    return hit;
}

CharacterController::Hit CharacterController::moveStraight(const btVector3& motion)
{
    const Hit hit = sweep(centre, centre + motion);
    centre += motion * hit.fraction;
    return hit;
}

bool CharacterController::slide(const btVector3& motion)
{
    btVector3 target = centre + motion;
    btVector3 walls[slideIterations];
    int wallCount = 0;
    bool touched = false;
    for (int i = 0; i < slideIterations; ++i) {
        btVector3 rest = target - centre;
        rest.setY(0);
        if (rest.length2() < tinyMove * tinyMove)
            break;
        const Hit hit = sweep(centre, centre + rest);
        if (!hit.found) {
            centre += rest;
            break;
        }
        touched = true;
        centre += rest * hit.fraction;
        // Slide level: a sloped or edge contact blocks like a wall.
        btVector3 wall(hit.normal.x(), 0, hit.normal.z());
        if (wall.length2() < 1e-8f)
            break;
        wall.normalize();
        rest = target - centre;
        rest.setY(0);
        rest -= wall * rest.dot(wall);
        // Sliding along this wall back into an earlier one: a corner, stop
        // rather than bounce between the two.
        for (int w = 0; w < wallCount; ++w) {
            if (rest.dot(walls[w]) < 0)
                rest.setZero();
        }
        walls[wallCount++] = wall;
        target = centre + rest;
    }
    return touched;
}

// Sweeps stop the grown capsule at surfaces, so after a move nothing static
// overlaps it; only a teleport, a new height or a dynamic body pushed by the
// world can. The broadphase pairs the kinematic body with dynamic bodies
// only, so a pair of its own means one is within reach.
bool CharacterController::mayOverlap() const
{
    if (placedAnew)
        return true;
    const btBroadphaseProxy* own = kinematicBody->getBroadphaseHandle();
    const btBroadphasePairArray& pairs = world.getPairCache()->getOverlappingPairArray();
    for (int i = 0; i < pairs.size(); ++i) {
        if (pairs[i].m_pProxy0 == own || pairs[i].m_pProxy1 == own)
            return true;
    }
    return false;
}

void CharacterController::recoverFromPenetration()
{
    for (int i = 0; i < recoveryIterations; ++i) {
        probe.setWorldTransform(at(centre));
        DeepestContact contact(probe, *kinematicBody);
        world.contactTest(&probe, contact);
        if (contact.depth > -penetrationTolerance)
            break;
        centre += contact.pushOut * -contact.depth;
    }
}

unsigned CharacterController::moveOnce(const btVector3& side, btScalar vertical, btScalar step, bool& landedTooHigh)
{
    const btScalar footY = footPosition().y();
    unsigned flags = 0;
    landedTooHigh = false;

    btScalar lifted = step;
    const btScalar upAmount = std::max(vertical, btScalar(0)) + step;
    if (upAmount > 0) {
        const btScalar before = centre.y();
        if (moveStraight(btVector3(0, upAmount, 0)).found) {
            flags |= up;
            lifted = std::min(step, centre.y() - before);
        }
    }

    if (side.length2() > 0 && slide(side))
        flags |= sides;

    const btScalar downAmount = std::max(-vertical, btScalar(0)) + lifted;
    if (downAmount > 0) {
        const Hit hit = moveStraight(btVector3(0, -downAmount, 0));
        if (hit.found) {
            flags |= down;
            // The round bottom can come to rest on an edge above the step
            // offset; that is no step.
            if (step > 0 && hit.point.y() - footY > step + 1e-3f)
                landedTooHigh = true;
        }
    }
    return flags;
}

unsigned CharacterController::move(const btVector3& displacement)
{
    if (mayOverlap())
        recoverFromPenetration();
    placedAnew = false;
    const btVector3 side(displacement.x(), 0, displacement.z());
    const btScalar step = side.length2() > 0 ? stepOffset : 0;
    const btVector3 start = centre;
    bool landedTooHigh = false;
    unsigned flags = moveOnce(side, displacement.y(), step, landedTooHigh);
    if (landedTooHigh) {
        centre = start;
        flags = moveOnce(side, displacement.y(), 0, landedTooHigh);
    } else if (step > 0 && (flags & sides)) {
        // Lifted by the step, a crouched body can catch on a low ceiling edge
        // it would pass under; keep whichever move gets further.
        const btVector3 stepped = centre;
        const unsigned steppedFlags = flags;
        centre = start;
        bool flatTooHigh = false;
        const unsigned flatFlags = moveOnce(side, displacement.y(), 0, flatTooHigh);
        btVector3 steppedTravel = stepped - start;
        btVector3 flatTravel = centre - start;
        steppedTravel.setY(0);
        flatTravel.setY(0);
        if (steppedTravel.length2() >= flatTravel.length2()) {
            centre = stepped;
            flags = steppedFlags;
        } else {
            flags = flatFlags;
        }
    }
    syncBody();
    return flags;
}
