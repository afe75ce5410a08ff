// Draws nothing: which boxes a spot light's cone can reach, and its lit part.
#include "render/LightReach.h"

#include <algorithm>
#include <cmath>

#include <glm/common.hpp>
#include <glm/exponential.hpp>
#include <glm/geometric.hpp>
#include <glm/mat3x3.hpp>
#include <glm/vec2.hpp>
#include <glm/vec4.hpp>

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

bool boxesOverlap(const WorldBox& a, const WorldBox& b) {
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
    return boxesOverlap(coneBox, box);
}

PixelRect coneOnScreen(const LightCone& cone, const glm::mat4& view, const glm::mat4& projection, int width,
                       int height, float from) {
    const PixelRect whole{0, 0, width, height};
    const float length = glm::length(cone.axis);
    if (!(cone.cutOff > 0.18f) || !(cone.cutOff <= 1.0f) || !(length > 0.0f)) return whole;

    // An eight-sided pyramid round the cone, in the camera's space (looking
    // along -z): its side faces touch the cone, so it holds the whole cone.
    // Cut off at `from` along the axis and by the camera's near plane, its
    // picture is bounded by its corners and the points its edges run towards.
    const glm::vec3 apex(view * glm::vec4(cone.apex, 1.0f));
    const glm::vec3 axis = glm::normalize(glm::mat3(view) * (cone.axis / length));
    constexpr int sides = 8;
    const float pi = 3.14159265f;
    const float tanHalf = std::sqrt(std::max(0.0f, 1.0f - cone.cutOff * cone.cutOff)) / cone.cutOff;
    const float spread = tanHalf / std::cos(pi / sides) * 1.01f + 1e-3f;  // slack for rounding
    const glm::vec3 helper = std::abs(axis.x) < 0.9f ? glm::vec3(1.0f, 0.0f, 0.0f) : glm::vec3(0.0f, 1.0f, 0.0f);
    const glm::vec3 side = glm::normalize(glm::cross(axis, helper));
    const glm::vec3 up = glm::cross(axis, side);
    // glm's perspective: the near distance from the depth row.
    const float nearDistance = projection[3][2] / (projection[2][2] - 1.0f);
    if (!(nearDistance > 0.0f)) return whole;
    from = std::max(from, 0.0f);

    glm::vec2 low(1e30f);
    glm::vec2 high(-1e30f);
    const auto add = [&](const glm::vec4& clip) {
        const glm::vec2 ndc = glm::vec2(clip) / clip.w;
        low = glm::min(low, ndc);
        high = glm::max(high, ndc);
    };
    const auto inFront = [&](const glm::vec3& p) { return p.z <= -nearDistance; };
    glm::vec3 edges[sides];
    glm::vec3 corners[sides];  // of the cut at `from`
    for (int k = 0; k < sides; ++k) {
        const float angle = 2.0f * pi * static_cast<float>(k) / sides;
        edges[k] = axis + spread * (std::cos(angle) * side + std::sin(angle) * up);
        if (!(edges[k].z < -1e-3f * glm::length(edges[k]))) return whole;  // opens sideways or backwards
        corners[k] = apex + from * edges[k];
    }
    for (int k = 0; k < sides; ++k) {
        const glm::vec3& a = corners[k];
        const glm::vec3& b = corners[(k + 1) % sides];
        if (inFront(a)) {
            add(projection * glm::vec4(a, 1.0f));
        } else {
            // Where the edge comes out in front of the near plane.
            const float t = (-nearDistance - a.z) / edges[k].z;
            add(projection * glm::vec4(a + t * edges[k], 1.0f));
        }
        if (inFront(a) != inFront(b)) {  // the cut's side crosses the near plane
            const float t = (-nearDistance - a.z) / (b.z - a.z);
            add(projection * glm::vec4(a + t * (b - a), 1.0f));
        }
        add(projection * glm::vec4(edges[k], 0.0f));
    }
    return pixelsOf(low, high, width, height);
}

float distanceTo(const glm::vec3& point, const WorldBox& box) {
    if (box.empty()) return 0.0f;
    return glm::length(glm::max(glm::max(box.min - point, point - box.max), glm::vec3(0.0f)));
}

WorldBox litPart(const LightCone& cone, const WorldBox& box) {
    const float length = glm::length(cone.axis);
    if (box.empty() || !(cone.cutOff > 0.18f) || !(cone.cutOff <= 1.0f) || !(length > 0.0f)) return box;
    const glm::vec3 axis = cone.axis / length;
    // How far along the axis the box reaches, from its corners.
    float near = 1e30f;
    float far = -1e30f;
    for (int corner = 0; corner < 8; ++corner) {
        const glm::vec3 p((corner & 1) ? box.max.x : box.min.x, (corner & 2) ? box.max.y : box.min.y,
                          (corner & 4) ? box.max.z : box.min.z);
        const float along = glm::dot(p - cone.apex, axis);
        near = std::min(near, along);
        far = std::max(far, along);
    }
    if (far < 0.0f) return WorldBox{};  // wholly behind the light
    near = std::max(near, 0.0f);
    // The cone between those depths is the hull of two discs: box both.
    const float tanHalf = std::sqrt(std::max(0.0f, 1.0f - cone.cutOff * cone.cutOff)) / cone.cutOff;
    const glm::vec3 across = glm::sqrt(glm::max(glm::vec3(1.0f) - axis * axis, glm::vec3(0.0f)));
    WorldBox segment;
    for (const float t : {near, far}) {
        const glm::vec3 centre = cone.apex + t * axis;
        const glm::vec3 reach = across * (t * tanHalf * 1.01f) + glm::vec3(1e-3f);
        segment.add(WorldBox{centre - reach, centre + reach});
    }
    if (!boxesOverlap(segment, box)) return WorldBox{};
    return WorldBox{glm::max(segment.min, box.min), glm::min(segment.max, box.max)};
}
