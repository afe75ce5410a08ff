#pragma once

#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>

#include "render/ScreenBounds.h"

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

// The pixels of a width x height view (view and projection matrices) in
// which the part of the cone at least `from` along its axis from the apex
// can light anything: a fragment outside gets none of that light. The whole
// view where the cone opens sideways or back past the camera's near plane,
// or is 80 degrees or wider.
PixelRect coneOnScreen(const LightCone& cone, const glm::mat4& view, const glm::mat4& projection, int width,
                       int height, float from = 0.0f);

// How far the point is from the nearest point of the box; 0 inside it.
float distanceTo(const glm::vec3& point, const WorldBox& box);

// A box holding the part of `box` the cone passes through; empty when the
// cone surely misses it. Cones of 80 degrees or wider give the whole box.
WorldBox litPart(const LightCone& cone, const WorldBox& box);
