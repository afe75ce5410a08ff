#pragma once

#include <cstddef>

#include <glm/mat4x4.hpp>

#include "app/GameRules.h"

class Camera;
struct GameContext;

// The flashlight model held 0.2 in front of the eye, below and to the right,
// turned with the camera and following the head bob and sway.
glm::mat4 heldLightMatrix(const Camera& camera);

// A collected pick-up carried beside the held light, bobbing with the
// lamp's swing; listPosition is its place in the collected list (0..2).
glm::mat4 collectedPickupMatrix(const Camera& camera, std::size_t listPosition, const rules::LampSwing& swing);

// Puts the held light and every collected pick-up where the player carries
// them; the others (a used one too) stand at their places in the level.
void holdCarriedObjects(GameContext& context);
