#include "physics/PhysicsScene.h"

#include "physics/PhysicsActor.h"

namespace {

// Bullet multiplies the two bodies' values; the game wants the shared
// material's value in every contact, so take the mean (0.5 with 0.5).
btScalar meanFriction(const btCollisionObject* a, const btCollisionObject* b)
{
    return (a->getFriction() + b->getFriction()) * 0.5f;
}

btScalar meanRestitution(const btCollisionObject* a, const btCollisionObject* b)
{
    return (a->getRestitution() + b->getRestitution()) * 0.5f;
}

void applyMaterial(btCollisionObject& object)
{
    object.setFriction(PhysicsScene::friction);
    object.setRestitution(PhysicsScene::restitution);
}

} // namespace

PhysicsScene::~PhysicsScene()
{
    if (world && ground)
        world->removeRigidBody(ground.get());
}

void PhysicsScene::init()
{
    gCalculateCombinedFrictionCallback = meanFriction;
    gCalculateCombinedRestitutionCallback = meanRestitution;

    // Bullet's constructors report no failure (its allocator hands back what
    // malloc gives), so there is no failed creation to check and print here.
    configuration = std::make_unique<btDefaultCollisionConfiguration>();
    dispatcher = std::make_unique<btCollisionDispatcher>(configuration.get());
    broadphase = std::make_unique<btDbvtBroadphase>();
    solver = std::make_unique<btSequentialImpulseConstraintSolver>();
    world = std::make_unique<btDiscreteDynamicsWorld>(dispatcher.get(), broadphase.get(), solver.get(),
                                                      configuration.get());
    world->setGravity(btVector3(0, gravity, 0));
    // Static bodies never move on their own; bodies we move by hand get
    // their bounds refreshed (updateSingleAabb).
    world->setForceUpdateAllAabbs(false);

    groundShape = std::make_unique<btStaticPlaneShape>(btVector3(0, 1, 0), 0);
    ground = std::make_unique<btRigidBody>(0, nullptr, groundShape.get());
    applyMaterial(*ground);
    ground->setUserIndex(-1);
    world->addRigidBody(ground.get());
}

std::unique_ptr<PhysicsActor> PhysicsScene::addBody(std::unique_ptr<btCollisionShape> shape, bool dynamic,
                                                    const btVector3& centre, float mass, int index)
{
    auto actor = std::make_unique<PhysicsActor>();
    actor->dynamic = dynamic;
    btTransform pose(btQuaternion::getIdentity(), centre);
    btVector3 inertia(0, 0, 0);
    if (!dynamic || !(mass > 0.0f))
        mass = 0.0f; // Bullet's static body; a massless dynamic one cannot move anyway
    else
        shape->calculateLocalInertia(mass, inertia);
    actor->motionState = std::make_unique<btDefaultMotionState>(pose);
    btRigidBody::btRigidBodyConstructionInfo info(mass, actor->motionState.get(), shape.get(), inertia);
    info.m_friction = friction;
    info.m_restitution = restitution;
    actor->body = std::make_unique<btRigidBody>(info);
    actor->body->setUserIndex(index);
    if (mass > 0.0f) {
        // A falling body may move farther in one frame than it is thick;
        // sweep it so that it does not sink into the floor or the player.
        btVector3 low, high;
        actor->body->getCollisionShape()->getAabb(btTransform::getIdentity(), low, high);
        const btVector3 size = high - low;
        const btScalar thinnest = size[size.minAxis()] * 0.5f;
        actor->body->setCcdMotionThreshold(thinnest * 0.1f);
        actor->body->setCcdSweptSphereRadius(thinnest * 0.95f);
    }
    actor->shape = std::move(shape);
    if (mass > 0.0f)
        ++movingBodies;
    if (world) {
        world->addRigidBody(actor->body.get());
        // Statics stay out of the per-step island and bound updates.
        if (!dynamic)
            actor->body->setActivationState(ISLAND_SLEEPING);
    }
    return actor;
}

void PhysicsScene::removeBody(PhysicsActor& actor)
{
    if (world && actor.body) {
        world->removeRigidBody(actor.body.get());
        if (!actor.body->isStaticObject())
            --movingBodies;
    }
}

void PhysicsScene::simulate(double elapsed)
{
    // Without a body that can move there is nothing to simulate: the player
    // is moved by sweeps, and statics never move.
    if (!world || elapsed <= 0.0 || movingBodies == 0)
        return;
    // No fixed time step: one sub-step of the frame's length, as the frame
    // loop has no cap.
    world->stepSimulation(static_cast<btScalar>(elapsed), 0);
}
