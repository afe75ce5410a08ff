#pragma once

#include <glm/vec3.hpp>

#include "physics/PhysicsWorld.h"

namespace murk::test {

// The eye stands 1.2 above the foot and the capsule centre 0.6 below the eye:
// a world made with the foot at `footY` starts with the capsule resting there.
inline void initStanding(PhysicsWorld& world, double x, double footY, double z)
{
    world.init(static_cast<float>(x), static_cast<float>(footY + 0.61 + 0.6), static_cast<float>(z));
}

// One playing frame as the game runs it: walk, then step.
inline void frame(PhysicsWorld& world, glm::dvec3 velocity, double dt)
{
    world.moveCharacter(velocity.x * dt, 0.0, velocity.z * dt, dt);
    world.step(dt);
}

inline void walk(PhysicsWorld& world, glm::dvec3 velocity, double seconds, double dt = 1.0 / 60.0)
{
    const int frames = static_cast<int>(seconds / dt + 0.5);
    for (int i = 0; i < frames; ++i)
        frame(world, velocity, dt);
}

inline void box(PhysicsWorld& world, glm::dvec3 centre, glm::dvec3 half, bool dynamic = false,
                float density = 100.0f)
{
    world.addBox(dynamic, centre, half, density);
}

} // namespace murk::test
