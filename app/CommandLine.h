#pragma once

#include <string>

struct Settings;

// The game's optional arguments. With none the game runs as it always has.
struct CommandLine {
    enum class Mode { Play, Record, Replay, Timedemo };
    Mode mode = Mode::Play;
    std::string demoPath;         // --record, --replay or --timedemo FILE
    int frames = 0;               // --frames N: stop after N frames; 0 runs to the end
    int width = 0;                // --width W; 0 keeps CONFIG.txt's value
    int height = 0;               // --height H
    int shadowMapSize = 0;        // --shadow-map-size S
    float renderScale = 0.0f;     // --render-scale S, 0.5 to 1; 0 keeps CONFIG.txt's value
    int targetFps = 0;            // --target-fps N; 0 keeps CONFIG.txt's value
    std::string report = "timedemo";  // --report PREFIX: PREFIX.csv and PREFIX.svg
    bool help = false;            // --help or -h: the usage, and nothing else
    bool floor = false;           // --floor: after a timedemo, the same frames of bare full-screen passes
};

// False with a one-line message for an unknown or malformed argument, for
// two of --record, --replay and --timedemo, or for --frames without one of
// them. A repeated number takes the last. --help stops the reading.
bool parseCommandLine(int argc, const char* const* argv, CommandLine& options, std::string& error);

// Window and shadow-map sizes, render scale and target frame rate given on
// the command line, over CONFIG.txt's.
void applyOverrides(const CommandLine& options, Settings& settings);

const char* commandLineUsage();
