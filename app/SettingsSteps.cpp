#include "app/SettingsSteps.h"

#include <algorithm>
#include <iostream>

#include "app/GameContext.h"
#include "app/PlayerSettings.h"
#include "audio/SoundManager.h"

namespace {

constexpr float noticeShownSeconds = 2.0f;

}  // namespace

float volumeScale(const Volumes& volumes, SoundKind kind) {
    const int own = kind == SoundKind::Music ? volumes.music : kind == SoundKind::Voice ? volumes.voices : volumes.effects;
    // Whole percentages, so 100 and 100 give exactly 1.
    return static_cast<float>(volumes.master * own) / 10000.0f;
}

void applySettings(GameContext& context) {
    const Settings& settings = context.settings;
    if (context.soundManager && settings.volumes != context.appliedVolumes) {
        for (std::size_t i = 0; i < context.soundIds.size() && i < std::size(gameSounds); ++i)
            context.soundManager->setVolumeScale(context.soundIds[i], volumeScale(settings.volumes, gameSounds[i].kind));
        context.appliedVolumes = settings.volumes;
    }
    const float fieldOfView = rules::fieldOfViewRadians(settings.fieldOfView);
    if (fieldOfView != context.fieldOfView) {
        context.fieldOfView = fieldOfView;
        context.frustum.setProjection(fieldOfView, projection::aspectRatio(settings.width, settings.height),
                                      projection::nearDistance, projection::farDistance);
    }
    context.camera.bob = settings.headBob;
}

void showNotice(GameContext& context, const std::string& text) {
    context.notice = text;
    context.noticeSeconds = noticeShownSeconds;
}

void fadeNotice(GameContext& context, float dt) {
    context.noticeSeconds = std::max(0.0f, context.noticeSeconds - dt);
}

void saveSettingsNow(GameContext& context) {
    if (context.settingsPath.empty()) {
        showNotice(context, "Settings are not kept during a demo");
        return;
    }
    const std::string text =
        playerSettings::text(context.settings, context.camera, context.configSettings, context.configCamera);
    const std::string error = playerSettings::save(context.settingsPath, text);
    if (error.empty()) {
        context.savedText = text;
        showNotice(context, "Settings saved");
        std::cout << "settings saved to " << context.settingsPath << std::endl;
    } else {
        // What is set stays set; the next save tries again.
        showNotice(context, "Settings could not be saved");
        std::cout << "settings could not be saved to " << context.settingsPath << ": " << error << std::endl;
    }
}

void keepChangedSettings(GameContext& context) {
    if (context.settingsPath.empty()) return;
    const std::string text =
        playerSettings::text(context.settings, context.camera, context.configSettings, context.configCamera);
    if (text != context.savedText) saveSettingsNow(context);
}
