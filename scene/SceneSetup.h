#pragma once

#include "audio/GameSounds.h"

#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include <GL/glew.h>
#include <glm/vec3.hpp>

#include "render/FrameRenderer.h"
#include "render/Screenshot.h"

struct GameContext;
class ModelLoader;
class ShaderProgram;
class Texture;
class Window;
struct Material;
namespace murk {
class SceneObject;
}

// What the set-up makes that the game context holds only by raw pointer or
// not at all: the scene objects themselves, the model import with the
// programs, materials and textures it made, the programs and materials of
// the fixed quads, and the renderer's stand-in texture. Destroy it while the
// GL context exists.
struct SceneAssets {
    SceneAssets();
    ~SceneAssets();
    SceneAssets(const SceneAssets&) = delete;
    SceneAssets& operator=(const SceneAssets&) = delete;

    std::unique_ptr<ModelLoader> modelLoader;
    std::vector<std::unique_ptr<murk::SceneObject>> sceneObjects;
    std::vector<std::unique_ptr<ShaderProgram>> quadPrograms;
    std::vector<std::unique_ptr<Material>> quadMaterials;
    std::unique_ptr<Texture> hudTexture;
    // Bound for objects whose material has no diffuse texture, so they show
    // as plain grey rather than whatever image the last pass left on unit 3.
    GLuint plainTexture = 0;
    // Lays down the scene's depth before it is lit.
    std::unique_ptr<ShaderProgram> depthProgram;
    // "default" without the flashlight, without the lamp, without both.
    std::unique_ptr<ShaderProgram> withoutFlashlight, withoutLamp, withoutLights;

    // F12, read between drawing and presenting.
    ScreenshotKey screenshotKey;
};

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
// Objects 0 and 1 and the three pick-ups: fewer than this is not a level.
inline constexpr std::size_t minimumObjects = 5;
}  // namespace level


struct SceneSetupOptions {
    std::string sceneFile = "SCENE.txt";
    bool silent = false;  // sounds into memory only (tests)
};

// The one-time set-up of the whole game, before the first frame: GL state,
// the level's models, HUD, lights with shadow maps, bloom chain, screen
// quad, cursor, sounds, game state, uniform table, frustum, screens and
// pick-ups. window may be null (tests): the cursor is then left alone.
// Needs the camera's start pose and the settings filled in.
void initScene(GameContext& context, Window* window, SceneAssets& assets,
               const SceneSetupOptions& options, std::ostream& console);

// Everything the renderer may leave out with these assets (the game's frame).
FrameShortcuts frameShortcuts(const SceneAssets& assets);

// The flashlight's direction at the start: along the camera's view angles.
glm::vec3 viewDirection(float horizontalAngle, float verticalAngle);
