#pragma once

// A small driver for scripted walks: reads the level tool's route and turns
// a player towards points the way a mouse would.

#include <string>
#include <vector>

#include <glm/vec2.hpp>

class Camera;

// One corner of the route: where the capsule centre passes, the floor under
// it, whether the player crouches on the way there, and the trigger box the
// leg ends in ("pick-up 2", "voice 1", "exit"; empty between goals).
struct Waypoint {
    glm::vec2 xz{0.0f};
    float floor = 0.0f;
    bool crouched = false;
    std::string goal;
};

// Lines "x z floor crouched [goal]"; '#' starts a comment. Empty when the
// file cannot be read.
std::vector<Waypoint> readRoute(const std::string& path);

// The turn that faces `target` from the eye, clipped to what a hand does in
// one frame, and whether the player is facing it closely enough to walk.
struct Steering {
    float yaw = 0.0f;    // radians, left positive (mouse to the left)
    float pitch = 0.0f;  // radians, up positive
    bool walk = false;
};
Steering steerTowards(const Camera& camera, glm::vec2 target, float wantedPitch);

// Angle a - b wrapped into -pi..pi.
float angleBetween(float a, float b);
