#pragma once

#include <cstdint>
#include <vector>

#include <glm/vec3.hpp>

// The meters, the flashlight and the end-of-frame rules of a playing frame,
// as plain functions on plain values so they can be checked without a window.

namespace rules {

constexpr float meterMax = 100.0f;
constexpr float energyDrainPerSecond = 10.0f;  // full light lasts 10 s
constexpr float energyRefillPerSecond = 5.0f;  // refills in 20 s
constexpr float fearFallPerSecond = 10.0f;     // in the light
constexpr float fearRisePerSecond = 7.5f;      // in the dark: 0 to 100 in 13.3 s
constexpr float darkLightIntensityCap = 0.2f;  // scene light with the flashlight off

// What the light logic hands to the flashlight and the shaders.
struct LightOutput {
    float flashlightIntensity = 0.0f;  // "I_0"
    float lightIntensity = 0.0f;       // "I"
};

// Game pad, left trigger (0..255): the cone widens from cosine 0.99 at rest
// to 0.94 fully down.
float padCutOff(std::uint8_t leftTrigger);

// Game pad, the meters under the right trigger. Energy first, then fear from
// the new energy; freezeMeters does not apply here.
void padMeters(float& energy, float& fear, bool held, float dt);

// The light of a playing frame. lit is the left mouse button, or the right
// trigger while a pad answers. metersByPad: the pad's meter step already ran
// this frame, so the meters are left alone here (a pad player must not be
// charged twice). freezeMeters keeps the meters still and the light full.
LightOutput lightLogic(float& energy, float& fear, bool lit, bool freezeMeters, bool metersByPad,
                       float dt);

// Flashlight beside the eye, aimed 5 units ahead. direction points from the
// aim point back to the light (not normalised), as the shadow pass expects.
struct FlashlightPose {
    glm::vec3 position{0.0f};
    glm::vec3 direction{0.0f};
};
FlashlightPose placeFlashlight(const glm::vec3& eye, const glm::vec3& direction,
                               const glm::vec3& right, const glm::vec3& up);

// Collects every pick-up whose box holds the eye and that is not already held.
// Returns how many were collected.
int collectPickups(const glm::vec3& eye, float& pickups, std::vector<int>& collectedPickups);

// The E key: a held pick-up refills the light. Either way the latest
// collected pick-up goes back to its place, so it can be collected again.
void usePickup(float& pickups, float& energy, std::vector<int>& collectedPickups);

// The lamp sways with the clock t (seconds): a quarter unit either way with
// a period of 2 pi seconds. The carried pick-ups bob with the same clock.
struct LampSwing {
    float sine = 0.0f;    // sin t
    float cosine = 0.0f;  // cos t
    glm::vec3 lampUp{1.0f, 0.0f, 0.0f};
    glm::vec3 lampDirection{0.0f, 1.0f, 0.0f};
};
LampSwing swingLamp(double t);

// Full fear loses; the clamp makes it exactly the maximum.
bool fearLoses(float fear);
bool insideExit(const glm::vec3& eye);

// F6 and F7: the picture's gamma one step darker (-1) or brighter (+1),
// kept where a screen still shows something.
constexpr float brightnessStep = 0.1f;
constexpr float minBrightness = 0.5f;
constexpr float maxBrightness = 2.5f;
float stepBrightness(float brightness, int steps);

// '-' and '=': mouse look slower (-1) or faster (+1) by a quarter, kept
// between a crawl and a spin of the whole view within a few pixels.
constexpr float minMouseSpeed = 0.0002f;  // radians per pixel
constexpr float maxMouseSpeed = 0.02f;
float stepMouseSpeed(float mouseSpeed, int steps);

// The pad's look at full deflection, radians per second.
constexpr float minPadLookSpeed = 0.25f;
constexpr float maxPadLookSpeed = 6.0f;

// The field of view in whole degrees as the options set it. 60 is the
// game's own, a little under 60 degrees, as the view was tuned with it.
constexpr int minFieldOfView = 50;
constexpr int maxFieldOfView = 100;
float fieldOfViewRadians(int degrees);

// Calm mode: fear that rose this frame (always at the full rate) rises at
// half of it instead; a fall stays whole.
float calmFear(float before, float after, float dt);
}  // namespace rules
