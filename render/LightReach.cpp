#include "render/LightReach.h"

#include <algorithm>
#include <cmath>

#include <glm/geometric.hpp>

void WorldBox::add(const WorldBox& other) {
    if (other.empty()) return;
    min = glm::min(min, other.min);
    max = glm::max(max, other.max);
}

WorldBox worldBox(const glm::vec3& modelMin, const glm::vec3& modelMax, const glm::mat4& model) {
    WorldBox box;
    if (modelMin.x > modelMax.x || modelMin.y > modelMax.y || modelMin.z > modelMax.z) return box;
    for (int corner = 0; corner < 8; ++corner) {
        const glm::vec3 p((corner & 1) ? modelMax.x : modelMin.x, (corner & 2) ? modelMax.y : modelMin.y,
                          (corner & 4) ? modelMax.z : modelMin.z);
        const glm::vec3 moved(model * glm::vec4(p, 1.0f));
        box.min = glm::min(box.min, moved);
        box.max = glm::max(box.max, moved);
    }
    return box;
}

namespace {

bool overlap(const WorldBox& a, const WorldBox& b) {
    return a.min.x <= b.max.x && b.min.x <= a.max.x && a.min.y <= b.max.y && b.min.y <= a.max.y &&
           a.min.z <= b.max.z && b.min.z <= a.max.z;
}

}  // namespace

bool coneReaches(const LightCone& cone, const WorldBox& level, const WorldBox& box) {
    if (box.empty()) return false;
    const float length = glm::length(cone.axis);
    if (!(cone.cutOff > 0.0f) || !(length > 0.0f) || level.empty()) return true;
    const glm::vec3 a = cone.axis / length;
    const float cosHalf = std::min(cone.cutOff, 1.0f);
    const float sinHalf = std::sqrt(std::max(0.0f, 1.0f - cosHalf * cosHalf));
    const float tanHalf = sinHalf / cosHalf;

    // The box's bounding sphere against the cone's side: e cos - d sin is
    // the centre's distance from the side (a lower bound behind the apex).
    const glm::vec3 centre = (box.min + box.max) * 0.5f;
    const float radius = glm::length(box.max - centre);
    const glm::vec3 v = centre - cone.apex;
    const float along = glm::dot(v, a);
    const float across = glm::length(v - along * a);
    if (across * cosHalf - along * sinHalf > radius * 1.001f + 1e-4f) return false;

    // The cone as far as the level reaches along its axis, boxed.
    float reach = 0.0f;
    for (int corner = 0; corner < 8; ++corner) {
        const glm::vec3 p((corner & 1) ? level.max.x : level.min.x, (corner & 2) ? level.max.y : level.min.y,
                          (corner & 4) ? level.max.z : level.min.z);
        reach = std::max(reach, glm::dot(p - cone.apex, a));
    }
    WorldBox coneBox;
    coneBox.min = coneBox.max = cone.apex;
    const glm::vec3 end = cone.apex + reach * a;
    for (int i = 0; i < 3; ++i) {
        const float spread = reach * tanHalf * std::sqrt(std::max(0.0f, 1.0f - a[i] * a[i]));
        coneBox.min[i] = std::min(coneBox.min[i], end[i] - spread);
        coneBox.max[i] = std::max(coneBox.max[i], end[i] + spread);
    }
    // A little slack for rounding at the edges.
    coneBox.min -= glm::vec3(1e-3f);
    coneBox.max += glm::vec3(1e-3f);
    return overlap(coneBox, box);
}
