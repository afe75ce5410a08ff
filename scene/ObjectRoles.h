#pragma once

#include <cstddef>

// What a scene object is follows from its place in SCENE.txt's mesh order.
// These are the only places that say so; everything else asks here.
namespace objectRole {

inline constexpr std::size_t unused = 0;       // loaded but never drawn
inline constexpr std::size_t heldLight = 1;    // the flashlight model before the eye
inline constexpr std::size_t firstCaster = 2;  // shadow casters start after the held light
// Objects up to this one are never culled: meant for floors and ceilings
// that every view holds. The level now cuts those per room, so here they
// are only its first rooms' floors.
inline constexpr std::size_t lastNeverCulled = 4;
inline constexpr std::size_t pickupCount = 3;  // the last meshes are the pick-ups
// The unused object, the held light and the pick-ups: fewer is not a level.
inline constexpr std::size_t minimumObjects = 5;

// Index of the first pick-up, or count when the level has none.
inline std::size_t firstPickup(std::size_t count) {
    return count >= minimumObjects ? count - pickupCount : count;
}

// Shadow casters are [firstCaster, castersEnd): not the pick-ups.
inline std::size_t castersEnd(std::size_t count) {
    return count > pickupCount ? count - pickupCount : 0;
}

// The last object before the pick-ups is drawn from both sides.
inline bool twoSided(std::size_t index, std::size_t count) {
    return index + 1 == firstPickup(count);
}

}  // namespace objectRole
