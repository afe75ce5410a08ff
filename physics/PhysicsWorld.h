#pragma once

#include <memory>
#include <vector>

#include <glm/vec3.hpp>

// The game's whole use of physics: a world with a ground plane, the rigid
// bodies of scene objects and the player's capsule. Bullet stays behind the
// classes declared here; nothing outside physics/ sees it.
class PhysicsScene;        // Bullet world, ground plane, material (physics/PhysicsScene.h)
class PhysicsActor;        // one rigid body of a scene object (physics/PhysicsActor.h)
class CharacterController; // the player's kinematic capsule (physics/CharacterController.h)

class PhysicsWorld {
public:
    PhysicsWorld();
    ~PhysicsWorld();
    PhysicsWorld(const PhysicsWorld&) = delete;
    PhysicsWorld& operator=(const PhysicsWorld&) = delete;

    // Builds the world and puts the capsule centre 0.6 below the camera's
    // start position. Call once, before any body is added.
    void init(float startX, float startY, float startZ);

    // Once per running frame, after moveCharacter and the crouch handling:
    // applies the player's gravity, simulates, updates footPosition.
    void step(double elapsed);

    // Collision bodies of scene objects; each is appended to `actors`.
    // centre and halfExtents are the object's bounding box. density only
    // matters for dynamic bodies.
    void addBox(bool dynamic, glm::dvec3 centre, glm::dvec3 halfExtents, float density);
    // vertices are the raw model positions; they are centred on `centre`
    // before the hull is built. indices are accepted and not used. Falls back
    // to addBox (with a console message) when no hull can be built.
    void addConvexMesh(std::vector<glm::vec3> vertices, std::vector<unsigned> indices,
                       bool dynamic, glm::dvec3 centre, glm::dvec3 halfExtents, float density);

    // Walks the capsule by the frame's displacement with collide-and-slide.
    void moveCharacter(double dx, double dy, double dz, double elapsed);
    // True when a standing capsule would fit above the player.
    bool canStandUp();
    // What a standing player walking along (dx, dz) meets within a short
    // step: something a crouched capsule passes under (the edge of a deck, a
    // table top), or a ledge too high to step onto that a body lifted 1.3
    // clears (a stage, a bench). None while crouched, and for walls and steps.
    enum class Obstacle { None, LowOverhead, Ledge };
    Obstacle obstacleAhead(double dx, double dz);
    // Index into `actors` of the first body hit by a ray from
    // origin + 0.3 * direction, 20 long; -1 for nothing, the ground or the player.
    int pick(glm::vec3 origin, glm::vec3 direction);

    // Controller operations the frame loop needs.
    // Capsule height (hemisphere centre distance): 0.2 crouched, 0.8 standing;
    // the foot stays where it is.
    void resizeController(double height);
    // Teleports the capsule centre (restart: start position lowered by 0.6).
    void setControllerPosition(double x, double y, double z);
    glm::dvec3 controllerPosition() const;     // capsule centre
    glm::dvec3 controllerFootPosition() const; // centre - (height/2 + radius + 0.01), now

    static constexpr double standHeight = 0.8;
    static constexpr double crouchHeight = 0.2;

    // Bodies of scene objects in creation order, owned by the world; the
    // index is the pick result. The ground plane is not in it.
    std::vector<PhysicsActor*> actors;
    bool crouched = false;
    double fallVelocity = 0.0;    // player's vertical speed in units per second, negative down; 0 on the ground
    glm::dvec3 footPosition{0.0}; // foot position after the last gravity move

private:
    std::unique_ptr<PhysicsScene> scene;
    std::unique_ptr<CharacterController> controller;
};
