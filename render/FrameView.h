#pragma once

#include <string>
#include <vector>

#include <glm/vec3.hpp>

#include "render/Frustum.h"
#include "render/Screens.h"

namespace murk {
class SceneObject;
}

// A spot light as the game leaves it for this frame. The shadow maps belong
// to the renderer; this is only where the light is and how it shines.
struct SpotLight {
    glm::vec3 position{0.0f};
    glm::vec3 direction{0.0f, 1.0f, 0.0f};  // the light shines along -direction
    float cutOff = 1.0f;                     // cosine of the cone's half angle
    float intensity = 1.0f;
    glm::vec3 up{1.0f, 0.0f, 0.0f};  // up of the light's view
};

// One row of a menu as it reads on screen.
struct MenuRow {
    std::string label;
    std::string value;
    float fill = -1.0f;        // a slider's place, 0..1; negative: no slider
    bool calibration = false;  // the brightness: a symbol that should be only just visible
};

// A menu over the frame: the pause menu or the options.
struct MenuView {
    enum class Kind { None, Pause, Options };
    Kind kind = Kind::None;
    std::string title;
    std::vector<MenuRow> rows;
    int rowsPerColumn = 1;
    int selected = 0;
    std::string hint;     // under the rows: the keys, or the last thing said
    bool pointer = false; // the mouse was used last: draw it at the cursor
    float pointerX = 0.0f;
    float pointerY = 0.0f;
};

// Everything the renderer needs to draw one frame, built by the game after
// its update. The renderer only reads it.
struct FrameView {
    // The eye.
    glm::vec3 eye{0.0f};
    glm::vec3 direction{0.0f, 0.0f, 1.0f};
    glm::vec3 up{0.0f, 1.0f, 0.0f};
    float fieldOfView = 1.0f;
    int width = 1;
    int height = 1;
    // Share of the window's width and height the 3-D passes (scene, bloom)
    // draw, 0.5 to 1; the picture is scaled up to the window, and the HUD,
    // the words and the screens are drawn at the window's own size.
    float renderScale = 1.0f;

    // The scene: objects in scene-file order with their model matrices as
    // the game placed them, culled against the frustum when it is enabled.
    const std::vector<murk::SceneObject*>* objects = nullptr;
    const Frustum* frustum = nullptr;
    SpotLight flashlight;
    SpotLight lamp;
    float lightIntensity = 0.0f;  // "I" of the rim program
    float ambient = 0.0f;

    // The screen, the HUD meters (0..100) and the debug switches.
    ScreenState screen;
    float fear = 0.0f;
    float energy = 0.0f;
    bool wireframe = false;
    bool transparency = false;

    // Gamma of the final pass (1 leaves the picture alone), and the seconds
    // its bar is still shown. Pick-ups held (0..3) and the flash of using
    // one, 1 as it starts, fading to 0.
    float brightness = 1.0f;
    float brightnessShown = 0.0f;
    int pickupsHeld = 0;
    float pickupFlash = 0.0f;
    // The HUD names the key that uses a pick-up (one held, the light low):
    // its own "E" cap, or the name of the key the player bound instead.
    bool useKeyShown = false;
    std::string useKeyName = "E";
    // Written over the frame: the lines of the sounds playing now, and the
    // pause.
    std::vector<std::string> subtitles;
    bool paused = false;
    std::string notice;  // a changed setting or "saved", at the top; empty: none
    MenuView menu;
    float subtitleScale = 1.0f;  // of the usual letter height
    std::string screenNote;      // over the title and end screens: calm mode, the options key
};
