#include "app/SettingsCheck.h"

#include "app/Camera.h"
#include "app/Config.h"
#include "app/GameRules.h"
#include "render/ScreenBounds.h"

#include <algorithm>
#include <cmath>
#include <ostream>
#include <tuple>

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

void checkConfigNumbers(Settings& settings, Camera& camera, std::ostream& console) {
    Settings defaults;
    Camera start;
    applyConfigDefaults(defaults, start);
    // `alsoIn` holds a copy the file sets together with the setting.
    const struct {
        const char* name;
        float* value;
        float fallback;
        float* alsoIn;
    } numbers[] = {
        {"ambient light", &settings.ambient, defaults.ambient, nullptr},
        {"start x", &camera.startPosition.x, start.startPosition.x, &camera.position.x},
        {"start y", &camera.startPosition.y, start.startPosition.y, &camera.position.y},
        {"start z", &camera.startPosition.z, start.startPosition.z, &camera.position.z},
        {"horizontal angle", &camera.horizontalAngle, start.horizontalAngle, nullptr},
        {"vertical angle", &camera.verticalAngle, start.verticalAngle, nullptr},
        {"mouse speed", &camera.mouseSpeed, start.mouseSpeed, nullptr},
        {"walk speed", &camera.walkSpeedSetting, start.walkSpeedSetting, &camera.walkSpeed},
        {"game pad look speed", &camera.padLookSpeed, start.padLookSpeed, nullptr},
        {"game pad walk speed", &camera.padSpeedSetting, start.padSpeedSetting, &camera.padSpeed},
    };
    for (const auto& number : numbers) {
        if (std::isfinite(*number.value)) continue;
        console << number.name << ' ' << *number.value << " in CONFIG.txt is not a finite number; using "
                << number.fallback << std::endl;
        *number.value = number.fallback;
        if (number.alsoIn != nullptr) *number.alsoIn = number.fallback;
    }
    // Beyond the range F6 and F7 reach the picture is black or white; nan fails both tests.
    if (!(settings.brightness >= rules::minBrightness && settings.brightness <= rules::maxBrightness)) {
        console << "brightness " << settings.brightness << " in CONFIG.txt is not between " << rules::minBrightness
                << " and " << rules::maxBrightness << "; using " << defaults.brightness << std::endl;
        settings.brightness = defaults.brightness;
    }
    if (!(settings.renderScale >= minRenderScale && settings.renderScale <= maxRenderScale)) {
        console << "render scale " << settings.renderScale << " in CONFIG.txt is not between " << minRenderScale
                << " and " << maxRenderScale << "; using " << defaults.renderScale << std::endl;
        settings.renderScale = defaults.renderScale;
    }
    if (settings.targetFps < 0 || settings.targetFps > maxTargetFps) {
        console << "target fps " << settings.targetFps << " in CONFIG.txt is not between 0 (off) and "
                << maxTargetFps << "; using 0" << std::endl;
        settings.targetFps = 0;
    }
}

void fitWindowToScreen(Settings& settings, int screenWidth, int screenHeight, std::ostream& console) {
    for (auto [value, screen, name] : {std::tuple(&settings.width, screenWidth, "window width"),
                                       std::tuple(&settings.height, screenHeight, "window height")}) {
        if (*value < 1) {
            console << name << ' ' << *value << " in CONFIG.txt: no window can be that small" << std::endl;
        } else if (screen > 0) {
            clampSetting(*value, 1, screen, name, console, "what the screen allows");
        }
    }
}

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
}
