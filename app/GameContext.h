#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include <glm/vec3.hpp>

#include "app/Camera.h"
#include "app/Config.h"
#include "app/DebugToggles.h"
#include "app/FrameSounds.h"
#include "app/GameRules.h"
#include "app/MenuInput.h"
#include "app/OptionsMenu.h"
#include "app/PauseMenu.h"
#include "platform/KeyLatch.h"
#include "render/FrameView.h"
#include "render/Frustum.h"
#include "render/Projection.h"
#include "platform/Window.h"

struct World;
class ModelLoader;
class PhysicsWorld;
class Renderer;
class SoundManager;
namespace murk {
class SceneObject;
}

// One latch per key that acts on release.
struct KeyLatches {
    KeyLatch f1;                // help screen, menu frames
    KeyLatch e;                 // use a pick-up
    KeyLatch f12;               // screenshot, every frame
    DebugKeyLatches debugKeys;  // F2, F3, F4, F5, F8, F9
    KeyLatch f6, f7;            // darker, brighter
    KeyLatch minus, equal;      // mouse slower, faster
    KeyLatch f10;               // save the settings now
    KeyLatch o;                 // the options, from the title
    KeyLatch enter;             // with Alt: full screen or a window, every frame
};

// Everything long-lived in one game: main owns exactly one, a test builds a
// fresh one. Fields keep the names the rest of the game knows them by.
struct GameContext {
    GameContext();
    ~GameContext();
    GameContext(const GameContext&) = delete;
    GameContext& operator=(const GameContext&) = delete;

    // --- Start-up: CONFIG.txt, then fixed ---
    Settings settings;

    // --- The player ---
    Camera camera;

    // --- Game state (reset by the scene set-up) ---
    bool won = false;        // reached the exit; stays until the next game
    bool helpShown = false;  // help screen replaces title, end or won screen
    bool hasPlayed = false;  // a playing frame has run: end screen, not title
    std::vector<int> collectedPickups;  // pick-up numbers 0..2, collected and not used
    glm::vec3 lampUp{1.0f, 0.0f, 0.0f};  // up vector of the swinging lamp's view
    rules::LampSwing lampSwing;           // the last swing; carried pick-ups bob with it
    SpotLight flashlight;                 // follows the eye while playing
    SpotLight lamp;                       // swings over the hall
    KeyLatches latches;
    bool lastFramePlayed = false;  // the branch of the last frame, for the latches
    float brightnessShown = 0.0f;  // seconds the brightness bar stays on the HUD
    float pickupFlash = 0.0f;      // seconds the LIGHT bar still flashes after E
    float obstacleSeconds = 0.0f;  // seconds a standing player has pushed into a low overhead or a ledge
    std::string configPath = "CONFIG.txt";  // the file read at start-up
    std::string cookedFolder;  // where textures and meshes are kept as loaded for the next start; empty: not kept

    // --- The player's settings file ---
    std::string settingsPath;  // empty: nothing is kept (demos, tests)
    Settings configSettings;   // what CONFIG.txt gave: the file keeps only what differs
    Camera configCamera;
    std::string savedText;     // the file as last read or written
    std::string notice;        // a changed value or "saved", on screen for a moment
    float noticeSeconds = 0.0f;
    Volumes appliedVolumes{-1, -1, -1, -1};  // what the sounds were last given

    // --- Menus over the game: the pause menu and the options ---
    MenuReader menuReader;
    PauseMenu pauseMenu;
    OptionsMenu options;
    bool optionsOpen = false;
    bool quitAsked = false;    // Quit in the pause menu
    bool quitBlocked = false;  // Escape left the options and is still held
    std::vector<Window::Size> windowSizes;  // the monitor's modes, for the options
    double pointerX = 0.0;  // the cursor as the last frame read it
    double pointerY = 0.0;

    // --- Pause: focus lost, P or the pad's Start ---
    bool paused = false;
    bool pauseInputDown = false;  // a key, button or pad button was down last paused frame
    bool pauseKeyDown = false;    // P or Start was down last playing frame
    double pausedSeconds = 0.0;   // left out of the game's clock

    // --- Debug toggles and the window title ---
    bool showFps = false;
    bool wireframe = false;
    bool transparency = false;
    FrameRateCounter frameRate;
    std::string windowTitle;  // rebuilt every playing frame

    // --- Scene (made by the scene set-up) ---
    std::unique_ptr<World> world;          // texture cache, texture qualities, physics
    PhysicsWorld* physicsWorld = nullptr;  // the world's physics; null until set up
    // Scene objects in scene-file mesh order; objectRole says what each is.
    std::vector<murk::SceneObject*> sceneObjects;
    std::unique_ptr<ModelLoader> modelLoader;  // owns the import's programs, materials, textures
    std::vector<std::unique_ptr<murk::SceneObject>> ownedSceneObjects;
    float fieldOfView = projection::cameraFieldOfView;
    Frustum frustum;  // the player's view volume, rebuilt every frame

    // --- Drawing and sound ---
    std::unique_ptr<Renderer> renderer;
    std::array<int, 3> rendererFor{};  // the width, height and shadow map size it was made for
    std::unique_ptr<SoundManager> soundManager;
    SoundIds sounds;
    std::vector<int> soundIds;           // in gameSounds order
    std::vector<std::string> subtitles;  // by gameSounds order; shown while the settings say so
};

// Releases the long-lived objects in the game's shutdown order; whatever is
// left goes with the context, which must go while the GL context exists.
void shutdown(GameContext& context);
