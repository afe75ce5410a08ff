#pragma once

#include <array>

#include <glm/vec3.hpp>

// The level's fixed trigger boxes. A box holds while the eye lies strictly
// inside its x and z ranges and on its side of the height 2.0, which splits
// the ground floor (eye at 1.2 above the feet) from the raised parts.
struct TriggerBox {
    float minX;
    float maxX;
    float minZ;
    float maxZ;
    bool above;  // eye y > 2 when true, eye y < 2 otherwise

    bool contains(const glm::vec3& eye) const;
};

namespace boxes {

constexpr float floorSplit = 2.0f;

// Around the three pick-up objects, in pick-up number order.
inline constexpr std::array<TriggerBox, 3> pickup{{
    {-6.0f, -5.2f, 6.8f, 7.6f, false},
    {-0.9f, -0.1f, 7.1f, 7.9f, false},
    {2.6f, 3.4f, -8.2f, -7.4f, false},
}};

inline constexpr TriggerBox voice1{-6.0f, -5.5f, 3.2f, 3.4f, false};
inline constexpr TriggerBox voice2{-3.0f, -2.6f, -12.8f, -12.4f, true};
inline constexpr TriggerBox voice3{-7.8f, -7.2f, -8.0f, -7.8f, false};
inline constexpr TriggerBox voice4{0.5f, 1.0f, 6.2f, 6.8f, true};
inline constexpr TriggerBox enemy1{-3.4f, -3.0f, -12.8f, -12.4f, true};
inline constexpr TriggerBox enemy2{-7.8f, -7.2f, -13.5f, -13.0f, false};
inline constexpr TriggerBox exitBox{-4.7f, -2.3f, 4.2f, 7.8f, true};

}  // namespace boxes
