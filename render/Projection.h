#pragma once

#include <glm/ext/matrix_clip_space.hpp>
#include <glm/mat4x4.hpp>

// The two projections the game uses: the player's view (scene pass and
// frustum culling) and the spot lights (shadow pass and shadow look-up).
namespace projection {

// A little under 60 degrees; the game was tuned with exactly this value.
constexpr float cameraFieldOfView = 1.0466667f;
constexpr float spotLightFieldOfView = 1.57f;
constexpr float spotLightAspect = 1.0f;
constexpr float nearDistance = 0.01f;
constexpr float farDistance = 20.0f;

inline float aspectRatio(int width, int height) { return static_cast<float>(width) / static_cast<float>(height); }

inline glm::mat4 camera(float fieldOfView, int width, int height) {
    return glm::perspective(fieldOfView, aspectRatio(width, height), nearDistance, farDistance);
}

inline glm::mat4 spotLight() {
    return glm::perspective(spotLightFieldOfView, spotLightAspect, nearDistance, farDistance);
}

}  // namespace projection
