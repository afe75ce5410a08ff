#pragma once

#include <iosfwd>
#include <string>

#include <cstddef>

#include <glm/gtc/matrix_transform.hpp>
#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>

struct GameContext;
class Window;

// Where the fixed things of the level stand.
namespace level {
inline constexpr glm::vec3 lampPosition{-3.8f, 3.0f, -7.5f};
inline constexpr glm::vec3 lampDirection{0.0f, 1.0f, 0.0f};
inline constexpr float flashlightCutOff = 0.95f;
inline constexpr float lampCutOff = 0.85f;
// The three pick-ups, in pick-up number order (third from last mesh first).
inline constexpr glm::vec3 pickupPositions[3] = {
    {-5.6f, 0.4f, 7.19f},
    {-0.5f, 0.9f, 7.5f},
    {3.0f, 0.9f, -7.8f},
};
// Pick-up k's model matrix while it lies at its place, not carried.
inline glm::mat4 pickupAtItsPlace(std::size_t k) { return glm::translate(glm::mat4(1.0f), pickupPositions[k]); }
}  // namespace level

// The one-time set-up of the whole game, before the first frame: the
// level's models, the renderer (lights, shadow maps, bloom chain, quads,
// screens, HUD), the cursor, the sounds, the game state and the frustum.
// Needs the camera's start pose and the settings filled in, and a current GL
// context. window may be null (tests): the cursor is then left alone.
void initScene(GameContext& context, Window* window, std::ostream& console,
               const std::string& sceneFile = "SCENE.txt");

// The flashlight's direction at the start: along the camera's view angles.
glm::vec3 viewDirection(float horizontalAngle, float verticalAngle);

// The renderer for the settings' window size and shadow maps, made anew.
void buildRenderer(GameContext& context);

// Full screen, the window's size and the shadow maps as the settings say
// now: the window changes mode or size and the renderer is made again for
// it. Nothing happens while they stay as they are.
void applyWindowSettings(GameContext& context, Window& window);
