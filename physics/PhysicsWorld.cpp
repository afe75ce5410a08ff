#include "physics/PhysicsWorld.h"

#include <algorithm>
#include <cstdio>

#include "physics/CharacterController.h"
#include "physics/ConvexHull.h"
#include "physics/PhysicsActor.h"
#include "physics/PhysicsScene.h"

namespace {

// Keeps a flat model (zero extent on an axis) a valid box.
constexpr double flatBoxPadding = 0.00001;
// A hull is grown by this much all round.
constexpr btScalar hullInflation = 0.025f;
// Bullet rounds a box's corners by its margin; keep that small and never
// larger than the box.
constexpr btScalar boxMargin = 0.01f;

btVector3 toBullet(glm::dvec3 v)
{
    return btVector3(static_cast<btScalar>(v.x), static_cast<btScalar>(v.y), static_cast<btScalar>(v.z));
}

glm::dvec3 toGlm(const btVector3& v)
{
    return glm::dvec3(v.x(), v.y(), v.z());
}

} // namespace

PhysicsWorld::PhysicsWorld() : scene(std::make_unique<PhysicsScene>()) {}

PhysicsWorld::~PhysicsWorld()
{
    controller.reset();
    for (PhysicsActor* actor : actors) {
        scene->removeBody(*actor);
        delete actor;
    }
}

void PhysicsWorld::init(float startX, float startY, float startZ)
{
    scene->init();
    crouched = false;
    if (!scene->ready())
        return;
    const btVector3 centre(startX, static_cast<btScalar>(static_cast<double>(startY) - 0.6), startZ);
    controller = std::make_unique<CharacterController>(*scene->world, centre, static_cast<btScalar>(standHeight));
    footPosition = toGlm(controller->footPosition());
}

void PhysicsWorld::step(double elapsed)
{
    // Gravity per second of frame time; landing ends the fall.
    fallVelocity -= 9.81 * elapsed;
    if (controller) {
        const double footY = controller->footPosition().y();
        if (footY - fallVelocity * elapsed > 0) {
            const unsigned flags =
                controller->move(btVector3(0, static_cast<btScalar>(fallVelocity * elapsed), 0));
            if (flags & CharacterController::down)
                fallVelocity = 0.0;
        }
        footPosition = toGlm(controller->footPosition());
    }
    scene->simulate(elapsed);
}

void PhysicsWorld::addBox(bool dynamic, glm::dvec3 centre, glm::dvec3 halfExtents, float density)
{
    const glm::dvec3 padded = halfExtents + flatBoxPadding;
    const btVector3 half = toBullet(padded);
    auto shape = std::make_unique<btBoxShape>(half);
    shape->setMargin(std::min(boxMargin, half[half.minAxis()]));
    const double volume = 8.0 * padded.x * padded.y * padded.z;
    const float mass = static_cast<float>(static_cast<double>(density) * volume);
    const int index = static_cast<int>(actors.size());
    actors.push_back(scene->addBody(std::move(shape), dynamic, toBullet(centre), mass, index).release());
}

void PhysicsWorld::addConvexMesh(std::vector<glm::vec3> vertices, std::vector<unsigned> indices, bool dynamic,
                                 glm::dvec3 centre, glm::dvec3 halfExtents, float density)
{
    (void)indices; // a hull needs only the points
    ConvexHull hull;
    if (!buildConvexHull(vertices, toBullet(centre), hull)) {
        std::printf("physX: fehler beim mesh generieren. fallback auf box\n");
        std::fflush(stdout);
        addBox(dynamic, centre, halfExtents, density);
        return;
    }
    auto shape = std::make_unique<btConvexHullShape>(hull.points[0].m_floats, static_cast<int>(hull.points.size()),
                                                     static_cast<int>(sizeof(btVector3)));
    shape->setMargin(hullInflation);
    shape->recalcLocalAabb();
    const float mass = density * hull.volume;
    const int index = static_cast<int>(actors.size());
    std::unique_ptr<PhysicsActor> actor = scene->addBody(std::move(shape), dynamic, toBullet(centre), mass, index);
    actor->hull = true;
    actors.push_back(actor.release());
}

void PhysicsWorld::moveCharacter(double dx, double dy, double dz, double elapsed)
{
    (void)elapsed; // the sweeps need no time
    if (controller)
        controller->move(btVector3(static_cast<btScalar>(dx), static_cast<btScalar>(dy), static_cast<btScalar>(dz)));
}

void PhysicsWorld::resizeController(double height)
{
    if (controller)
        controller->resize(static_cast<btScalar>(height));
}

void PhysicsWorld::setControllerPosition(double x, double y, double z)
{
    if (controller)
        controller->setPosition(toBullet(glm::dvec3(x, y, z)));
}

glm::dvec3 PhysicsWorld::controllerPosition() const
{
    return controller ? toGlm(controller->position()) : glm::dvec3(0.0);
}

glm::dvec3 PhysicsWorld::controllerFootPosition() const
{
    return controller ? toGlm(controller->footPosition()) : glm::dvec3(0.0);
}
