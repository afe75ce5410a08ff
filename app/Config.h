#pragma once

#include <istream>
#include <ostream>
#include <string>

#include "app/KeyBindings.h"

class Camera;

// The highest frame rate the render scale can be asked to hold.
inline constexpr int maxTargetFps = 240;

// Loudness in percent of the game's own volumes: everything, then by kind.
struct Volumes {
    int master = 100;
    int music = 100;
    int effects = 100;  // footsteps, the television, the enemy
    int voices = 100;
    bool operator==(const Volumes&) const = default;
};

// Settings from CONFIG.txt, then the player's own settings file; the
// options screen changes them in play.
struct Settings {
    int width = 1280;           // window, framebuffer and viewport size in pixels
    int height = 720;
    bool windowed = true;       // false: full screen on the primary monitor
    int refreshRate = 60;       // refresh-rate hint (full screen)
    float ambient = 0.2f;       // shader uniform "ambient"
    int shadowMapSize = 1024;   // edge of each shadow map in texels
    bool freezeMeters = false;  // energy and fear stand still under the mouse light
    // Lines after the first 23: what players of the genre expect.
    bool subtitles = true;    // voice lines and enemy sounds written at the bottom
    float brightness = 1.0f;  // gamma of the final pass; 1 keeps the picture as made
    bool invertY = false;     // mouse and pad look up when pushed down
    // Only the player's settings file and the options screen set these.
    Volumes volumes;
    int subtitleSize = 100;  // percent of the usual letter height
    int fieldOfView = 60;    // degrees, vertical
    bool headBob = true;
    bool calm = false;  // fear rises at half its rate
    KeyBindings keys;
    float renderScale = 1.0f;  // share of the window's size the 3-D passes draw, 0.5 to 1
    int targetFps = 0;         // frames a second the render scale follows; 0: the scale stays put
};

// CONFIG.txt is read by line number: the text before " = " is a label for
// people, the value follows it. The first 23 lines keep the meaning they
// always had; the game's own settings follow on the lines after them, so an
// older file still reads as it did.
constexpr int configLineCount = 28;
namespace configLine {
inline constexpr int mouseSpeed = 17;
inline constexpr int subtitles = 24;
inline constexpr int brightness = 25;
inline constexpr int invertY = 26;
inline constexpr int renderScale = 27;
inline constexpr int targetFps = 28;
}  // namespace configLine

// Puts the values used when CONFIG.txt is missing into the settings and the
// camera. The camera's position is left alone: the first game moves it.
void applyConfigDefaults(Settings& settings, Camera& camera);

// Reads the lines of a config file over the values already there; a line
// that is absent or has no " = " keeps its value. A line whose label is not
// the setting read on it (an added or lost line above it) gets a warning.
void readConfig(std::istream& in, Settings& settings, Camera& camera, std::ostream* warnings = nullptr);

// Defaults, then the file at `path`. Returns false when the file cannot be
// read, or its first lines are no settings text (no line with " = ", or NUL
// bytes): the defaults stand and the caller reports it.
bool loadConfig(const std::string& path, Settings& settings, Camera& camera, std::ostream* warnings = nullptr);

// The value conversions of the file: C atoi and atof, except that integers
// beyond int's range stop at its limits. Only exactly "TRUE" is true.
int configInt(const std::string& value);
float configFloat(const std::string& value);
bool configBool(const std::string& value);
