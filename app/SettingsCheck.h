#pragma once

#include <iosfwd>

#include "render/GlState.h"

class Camera;
struct Settings;

// Numbers CONFIG.txt can hold that nothing can use: an ambient level, start
// position, angle or speed that is not finite (nan, inf, or beyond a float,
// like 1e40) gives a black view or a falling player. Each goes back to its
// default with one console line, before anything is made from it, and so
// do a brightness outside what F6 and F7 reach, a render scale outside 0.5
// to 1 and a target frame rate below 0 or above maxTargetFps.
void checkConfigNumbers(Settings& settings, Camera& camera, std::ostream& console);

// The window against the screen, before it is made: no larger than the
// desktop (windowed) or the monitor's largest mode (full screen). A screen
// of 0 x 0 did not say. A size below 1, which only CONFIG.txt can give, is
// left for the window to refuse, with a line naming the setting.
void fitWindowToScreen(Settings& settings, int screenWidth, int screenHeight, std::ostream& console);

// Settings a player can set to something no driver draws: a shadow map or
// a frame larger than the GL's limits (or none at all). Each is brought into
// range with one console line saying so, before anything is made from it.
// Beyond 4096 the six float targets of the two lights need gigabytes, which
// a software driver takes minutes to clear each frame or fails to get.
constexpr int minShadowMapSize = 16;
constexpr int maxShadowMapSize = 4096;
void checkSettings(Settings& settings, const GlLimits& limits, std::ostream& console);
