#include "app/SettingsCheck.h"

#include "app/Config.h"

#include <algorithm>
#include <cmath>
#include <ostream>

namespace {

// A limit the driver did not report counts as no limit.
int orUnlimited(int limit) { return limit > 0 ? limit : 1 << 30; }

void clampSetting(int& value, int low, int high, const char* name, std::ostream& console,
                  const char* why = "what the GL allows") {
    const int clamped = std::clamp(value, low, std::max(low, high));
    if (clamped == value) return;
    console << name << ' ' << value << " clamped to " << clamped << " (" << why << ")" << std::endl;
    value = clamped;
}

}  // namespace

void checkSettings(Settings& settings, const GlLimits& limits, std::ostream& console) {
    const int textureEdge = std::min(orUnlimited(limits.maxTextureSize), orUnlimited(limits.maxRenderbufferSize));
    if (settings.shadowMapSize > maxShadowMapSize && textureEdge > maxShadowMapSize) {
        clampSetting(settings.shadowMapSize, minShadowMapSize, maxShadowMapSize, "shadow map size", console,
                     "the largest the shadow pass uses");
    }
    clampSetting(settings.shadowMapSize, minShadowMapSize, textureEdge, "shadow map size", console);
    // The window is made by now; its off-screen targets are the size of the
    // frame, so the frame must fit a texture and a viewport.
    clampSetting(settings.width, 1, std::min(textureEdge, orUnlimited(limits.maxViewportWidth)), "window width",
                 console);
    clampSetting(settings.height, 1, std::min(textureEdge, orUnlimited(limits.maxViewportHeight)),
                 "window height", console);
    if (!std::isfinite(settings.ambient)) {
        console << "ambient light " << settings.ambient << " is not a finite number; using 0.2" << std::endl;
        settings.ambient = 0.2f;
    }
}
