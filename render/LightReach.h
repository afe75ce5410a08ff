#pragma once

#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>

// An axis-aligned box in world space. Empty until something is added.
struct WorldBox {
    glm::vec3 min{1e30f};
    glm::vec3 max{-1e30f};

    bool empty() const { return min.x > max.x || min.y > max.y || min.z > max.z; }
    void add(const WorldBox& other);
};

// The world box of a model-space box moved by a model matrix.
WorldBox worldBox(const glm::vec3& modelMin, const glm::vec3& modelMax, const glm::mat4& model);

// A spot light's cone: apex, unit axis it shines along, cosine of the half
// angle.
struct LightCone {
    glm::vec3 apex{0.0f};
    glm::vec3 axis{0.0f, 0.0f, -1.0f};
    float cutOff = 0.0f;
};

// Whether the cone may light part of `box`; false only where it surely
// cannot. `level` bounds everything drawn: the cone is cut off where it
// leaves it, which keeps a lamp shining at the floor from reaching every
// box under the ceiling. Cones of 90 degrees or more reach everything.
bool coneReaches(const LightCone& cone, const WorldBox& level, const WorldBox& box);
