#pragma once

#include <iosfwd>

struct Settings;

// What the GL driver can make, read once the context exists.
struct GlLimits {
    int maxTextureSize = 0;       // edge of a 2-D texture
    int maxRenderbufferSize = 0;  // edge of a render target
    int maxViewportWidth = 0;
    int maxViewportHeight = 0;
};
GlLimits queryGlLimits();

// Settings a player can set to something no driver draws: a shadow map or
// a frame larger than the GL's limits (or none at all), an ambient level
// that is not a number. Each is brought into range with one console line
// saying so, before anything is made from it.
// Beyond 4096 the six float targets of the two lights need gigabytes, which
// a software driver takes minutes to clear each frame or fails to get.
constexpr int minShadowMapSize = 16;
constexpr int maxShadowMapSize = 4096;
void checkSettings(Settings& settings, const GlLimits& limits, std::ostream& console);
