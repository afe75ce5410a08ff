#pragma once

#include <iosfwd>

#include "render/GlState.h"

struct Settings;


// Settings a player can set to something no driver draws: a shadow map or
// a frame larger than the GL's limits (or none at all), an ambient level
// that is not a number. Each is brought into range with one console line
// saying so, before anything is made from it.
// Beyond 4096 the six float targets of the two lights need gigabytes, which
// a software driver takes minutes to clear each frame or fails to get.
constexpr int minShadowMapSize = 16;
constexpr int maxShadowMapSize = 4096;
void checkSettings(Settings& settings, const GlLimits& limits, std::ostream& console);
