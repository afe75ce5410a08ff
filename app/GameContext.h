#pragma once

#include "app/Camera.h"
#include "app/Config.h"
#include "app/FrameSounds.h"
#include "app/KeyLatch.h"
#include "app/Owned.h"
#include "app/Statistics.h"
#include "render/Frustum.h"
#include "render/Projection.h"
#include "render/UniformTable.h"

#include <glm/vec3.hpp>
#include <glm/vec4.hpp>

#include <string>
#include <vector>

// Subsystems the context holds; each is defined in its own folder.
struct World;
class PhysicsWorld;
class SoundManager;
class Light;
class PostProcess;
class GpuTimer;
class Texture;
struct Material;
struct SceneAssets;
namespace murk {
class SceneObject;
class QuadObject;
}  // namespace murk

// One latch per key that acts on release.
struct KeyLatches {
    KeyLatch f1;                // help screen, menu frames
    KeyLatch e;                 // use a pick-up
    DebugKeyLatches debugKeys;  // F2, F3, F4, F5, F8, F9
};

// Everything long-lived in one game: main owns exactly one, a test builds a
// fresh one. Fields keep the names the rest of the game knows them by.
struct GameContext {
    // --- Start-up: CONFIG.txt, then fixed ---
    Settings settings;

    // --- The player ---
    Camera camera;

    // --- Game state (reset by the scene set-up) ---
    bool won = false;        // reached the exit; stays until the next game
    bool helpShown = false;  // help screen replaces title, end or won screen
    bool hasPlayed = false;  // a playing frame has run: end screen, not title
    std::vector<int> collectedPickups;  // pick-up numbers 0..2, collected and not used
    glm::vec3 lampUp {1.0f, 0.0f, 0.0f};  // up vector of the swinging lamp's view
    // Lamp swing for placing collected pick-ups: sin, sin and cos of the clock.
    float swingA = 0.0f, swingB = 0.0f, swingC = 0.0f;
    KeyLatches latches;

    // --- Debug toggles and statistics ---
    bool showFps = false;
    bool wireframe = false;
    bool transparency = false;
    FrameRateCounter frameRate;  // frameCount, frameTime, framesPerSecond
    std::string windowTitle;     // rebuilt every playing frame
    DrawCounts drawCounts;       // what the renderer drew in its last frame

    // --- Scene (made by the scene set-up) ---
    Owned<World> world;             // texture cache, texture qualities, physics
    PhysicsWorld* physicsWorld = nullptr;  // the world's physics; null until set up
    // Scene objects in scene-file mesh order: 0 is never drawn, 1 is held in
    // front of the camera, the last pickupObjectCount are the pick-ups.
    std::vector<murk::SceneObject*> sceneObjects;
    int pickupObjectCount = 3;
    UniformTable uniformTable;  // per-object uniform locations

    // --- Rendering ---
    float fieldOfView = projection::cameraFieldOfView;
    Frustum frustum;
    std::vector<Owned<Light>> lights;  // flashlight, then the lamp
    Light* flashlight = nullptr;       // lights[0]
    Owned<PostProcess> postProcess;    // off-screen scene target and bloom chain
    GpuTimer* gpuTimer = nullptr;      // set during a timedemo: GPU time per pass
    Owned<murk::QuadObject> hudQuad;
    Owned<murk::QuadObject> screenQuad;
    Owned<murk::QuadObject> spareQuad;  // a second screen quad that nothing draws
    Owned<Material> hudMaterial;        // holds "hud.png"
    // Where the HUD image can draw, measured once per image (render/Hud.h).
    struct HudArea {
        unsigned image = 0;  // GL texture name
        glm::vec4 area{0.0f, 0.0f, 1.0f, 1.0f};
    } hudArea;
    Owned<Texture> startScreen, endScreen, helpScreen, wonScreen;

    // --- Sound ---
    Owned<SoundManager> soundManager;
    SoundIds sounds;

    // What the set-up made that the fields above do not hold: the scene
    // objects with their programs, materials and textures, and the quads'
    // programs (scene/SceneSetup.h).
    Owned<SceneAssets> sceneAssets;
};

// Releases the long-lived objects in the game's shutdown order; whatever is
// left goes with the context.
void shutdown(GameContext& context);
