#include "app/GameRules.h"

#include "render/Projection.h"

#include <algorithm>
#include <cmath>

#include <glm/geometric.hpp>

#include "app/TriggerBoxes.h"

namespace rules {
namespace {

float clampMeter(float value) {
    return std::clamp(value, 0.0f, meterMax);
}

}  // namespace

float padCutOff(std::uint8_t leftTrigger) {
    return 0.99f - (static_cast<float>(leftTrigger) / 255.0f) / 20.0f;
}

void padMeters(float& energy, float& fear, bool held, float dt) {
    energy = clampMeter(energy + dt * (held ? -energyDrainPerSecond : energyRefillPerSecond));
    const bool inLight = held && energy != 0.0f;
    fear = clampMeter(fear + dt * (inLight ? -fearFallPerSecond : fearRisePerSecond));
}

LightOutput lightLogic(float& energy, float& fear, bool lit, bool freezeMeters, bool metersByPad,
                       float dt) {
    const bool moveMeters = !freezeMeters && !metersByPad;
    if (moveMeters) {
        if (lit) {
            energy = clampMeter(energy - energyDrainPerSecond * dt);
            // An empty light is as good as darkness.
            fear = clampMeter(energy == 0.0f ? fear + fearRisePerSecond * dt
                                             : fear - fearFallPerSecond * dt);
        } else {
            energy = clampMeter(energy + energyRefillPerSecond * dt);
            fear = clampMeter(fear + fearRisePerSecond * dt);
        }
    }
    const float level = freezeMeters ? 1.0f : energy / meterMax;

    LightOutput out;
    if (lit) {
        out.flashlightIntensity = 1.0f;
        out.lightIntensity = level;
    } else {
        out.flashlightIntensity = 0.0f;
        out.lightIntensity = std::min(level, darkLightIntensityCap);
    }
    return out;
}

FlashlightPose placeFlashlight(const glm::vec3& eye, const glm::vec3& direction,
                               const glm::vec3& right, const glm::vec3& up) {
    FlashlightPose pose;
    pose.position = eye + 0.15f * right - 0.05f * up;
    const glm::vec3 aim = eye + 5.0f * direction;
    pose.direction = pose.position - aim;
    return pose;
}

int collectPickups(const glm::vec3& eye, float& pickups, std::vector<int>& collectedPickups) {
    int collected = 0;
    for (int k = 0; k < static_cast<int>(boxes::pickup.size()); ++k) {
        const bool held = std::find(collectedPickups.begin(), collectedPickups.end(), k) !=
                          collectedPickups.end();
        if (!held && boxes::pickup[static_cast<std::size_t>(k)].contains(eye)) {
            pickups += 1.0f;
            collectedPickups.push_back(k);
            ++collected;
        }
    }
    return collected;
}

void usePickup(float& pickups, float& energy, std::vector<int>& collectedPickups) {
    if (pickups >= 1.0f) {
        pickups -= 1.0f;
        energy = meterMax;
    }
    if (!collectedPickups.empty()) {
        collectedPickups.pop_back();
    }
}

LampSwing swingLamp(double t) {
    LampSwing swing;
    swing.sine = static_cast<float>(std::sin(t));
    swing.cosine = static_cast<float>(std::cos(t));
    swing.lampUp = glm::vec3(1.0f, 0.25f * swing.sine, 0.0f);
    swing.lampDirection = glm::vec3(0.25f * swing.sine, 1.0f, 0.0f);
    return swing;
}

bool fearLoses(float fear) {
    return fear == meterMax;
}

bool insideExit(const glm::vec3& eye) {
    return boxes::exitBox.contains(eye);
}

float stepBrightness(float brightness, int steps) {
    // Rounded to the step, so ten presses up and ten down come back to 1.0 exactly.
    const float stepped = std::round((brightness + brightnessStep * static_cast<float>(steps)) * 10.0f) / 10.0f;
    return std::clamp(stepped, minBrightness, maxBrightness);
}

float stepMouseSpeed(float mouseSpeed, int steps) {
    const float factor = steps > 0 ? 1.25f : 0.8f;
    return std::clamp(mouseSpeed * factor, minMouseSpeed, maxMouseSpeed);
}

float fieldOfViewRadians(int degrees) {
    if (degrees == 60) return projection::cameraFieldOfView;
    return static_cast<float>(degrees) * 3.14159265f / 180.0f;
}

float calmFear(float before, float after, float dt) {
    return after > before ? std::min(meterMax, before + 0.5f * fearRisePerSecond * dt) : after;
}

}  // namespace rules
