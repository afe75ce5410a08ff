// Rules of a playing frame: meters, light, flashlight, pick-ups, lamp, lose and win.
#include "app/GameRules.h"

#include <gtest/gtest.h>
#include <glm/geometric.hpp>
#include <glm/vec2.hpp>

#include <vector>

namespace {

struct LightCase {
    float energy, fear;
    bool lit, freeze, byPad;
    float dt, wantEnergy, wantFear, wantFlashlight, wantLight;
};

// Whole seconds and simple meters, so every expected value is exact.
const LightCase lightCases[] = {
    {100, 50, true, false, false, 0.5f, 95, 45, 1, 0.95f},  // drain 10/s, fear falls 10/s
    {50, 50, false, false, false, 2, 60, 65, 0, 0.2f},      // refill 5/s, fear rises 7.5/s, capped light
    {10, 0, false, false, false, 0, 10, 0, 0, 0.1f},        // below the dark cap
    {5, 50, true, false, false, 1, 0, 57.5f, 1, 0},         // an empty light is darkness
    {100, 5, true, false, false, 1, 90, 0, 1, 0.9f},        // fear stops at 0
    {98, 99, false, false, false, 1, 100, 100, 0, 0.2f},    // both stop at 100, exactly
    {30, 40, true, true, false, 1, 30, 40, 1, 1},           // frozen: still, and full light
    {30, 40, false, true, false, 1, 30, 40, 0, 0.2f},
    {60, 20, true, false, true, 1, 60, 20, 1, 0.6f},        // the pad already charged this frame
    {60, 20, false, false, true, 1, 60, 20, 0, 0.2f},
};

TEST(Rules, LightLogic) {
    for (const LightCase& c : lightCases) {
        SCOPED_TRACE(testing::Message() << "row " << &c - lightCases);
        float energy = c.energy;
        float fear = c.fear;
        const rules::LightOutput out = rules::lightLogic(energy, fear, c.lit, c.freeze, c.byPad, c.dt);
        EXPECT_FLOAT_EQ(energy, c.wantEnergy);
        EXPECT_FLOAT_EQ(fear, c.wantFear);
        EXPECT_EQ(out.flashlightIntensity, c.wantFlashlight);
        EXPECT_FLOAT_EQ(out.lightIntensity, c.wantLight);
    }
}

TEST(Rules, PadMetersUnderTheRightTrigger) {
    struct Case { float energy, fear; bool held; float dt, wantEnergy, wantFear; };
    for (const Case& c : {Case{100, 50, true, 1, 90, 40}, Case{100, 50, false, 2, 100, 65},
                          Case{5, 50, true, 1, 0, 57.5f},  // fear reads the energy after this step
                          Case{20, 3, true, 0.5f, 15, 0}}) {
        float energy = c.energy;
        float fear = c.fear;
        rules::padMeters(energy, fear, c.held, c.dt);
        EXPECT_FLOAT_EQ(energy, c.wantEnergy) << c.energy << " " << c.fear << " " << c.held;
        EXPECT_FLOAT_EQ(fear, c.wantFear) << c.energy << " " << c.fear << " " << c.held;
    }
}

TEST(Rules, LeftTriggerWidensTheCone) {
    EXPECT_FLOAT_EQ(rules::padCutOff(0), 0.99f);
    EXPECT_FLOAT_EQ(rules::padCutOff(51), 0.98f);
    EXPECT_FLOAT_EQ(rules::padCutOff(255), 0.94f);
}

TEST(Rules, FlashlightBesideTheEyePointsBackFromItsAim) {
    const rules::FlashlightPose pose = rules::placeFlashlight({1, 2, 3}, {0, 0, -1}, {1, 0, 0}, {0, 1, 0});
    EXPECT_LT(glm::distance(pose.position, glm::vec3(1.15f, 1.95f, 3.0f)), 1e-6f);
    // Aim (1, 2, -2); from there to the light, not normalised.
    EXPECT_LT(glm::distance(pose.direction, glm::vec3(0.15f, -0.05f, 5.0f)), 1e-6f);
}

TEST(Rules, PickupsCollectedOnceUsedLatestFirstAndCollectedAgain) {
    const glm::vec3 atPickup0(-5.6f, 1.2f, 7.2f);
    const glm::vec3 atPickup1(-0.5f, 1.2f, 7.5f);
    float pickups = 0.0f;
    float energy = 12.0f;
    std::vector<int> held;
    rules::usePickup(pickups, energy, held);  // nothing held: nothing happens
    EXPECT_EQ(glm::vec2(pickups, energy), glm::vec2(0, 12));

    EXPECT_EQ(rules::collectPickups(atPickup0, pickups, held), 1);
    EXPECT_EQ(rules::collectPickups(atPickup1, pickups, held), 1);
    EXPECT_EQ(rules::collectPickups(atPickup1, pickups, held), 0);
    EXPECT_EQ(pickups, 2.0f);
    EXPECT_EQ(held, (std::vector<int>{0, 1}));

    rules::usePickup(pickups, energy, held);
    EXPECT_EQ(glm::vec2(pickups, energy), glm::vec2(1, 100));
    EXPECT_EQ(held, std::vector<int>{0});
    EXPECT_EQ(rules::collectPickups(atPickup1, pickups, held), 1);  // back in its place
}

TEST(Rules, BrightnessAndMouseSpeedStepWithinTheirBounds) {
    struct Case { float (*step)(float, int); float value; int steps; float want; };
    for (const Case& c : {Case{rules::stepBrightness, 1.0f, 1, 1.1f}, Case{rules::stepBrightness, 1.0f, -1, 0.9f},
                          Case{rules::stepBrightness, 2.45f, 1, 2.5f}, Case{rules::stepBrightness, 0.5f, -1, 0.5f},
                          Case{rules::stepMouseSpeed, 0.002f, 1, 0.0025f}, Case{rules::stepMouseSpeed, 0.002f, -1, 0.0016f},
                          Case{rules::stepMouseSpeed, 0.019f, 1, 0.02f}, Case{rules::stepMouseSpeed, 0.00021f, -1, 0.0002f}})
        EXPECT_FLOAT_EQ(c.step(c.value, c.steps), c.want) << c.value << ' ' << c.steps;
    float brightness = 1.0f;
    for (int i = 0; i < 20; ++i) brightness = rules::stepBrightness(brightness, i < 10 ? 1 : -1);
    EXPECT_EQ(brightness, 1.0f);  // back exactly as made
}

TEST(Rules, LampSwingsWithTheClock) {
    const rules::LampSwing swing = rules::swingLamp(-1.5707963);
    EXPECT_NEAR(swing.sine, -1.0f, 1e-6);
    EXPECT_NEAR(swing.cosine, 0.0f, 1e-6);
    EXPECT_EQ(swing.lampDirection, glm::vec3(-0.25f, 1.0f, 0.0f));
    EXPECT_EQ(swing.lampUp, glm::vec3(1.0f, -0.25f, 0.0f));
    EXPECT_NEAR(rules::swingLamp(0.0).cosine, 1.0f, 1e-6);
}

TEST(Rules, LoseAtFullFearWinAboveTheSplitInTheExit) {
    EXPECT_TRUE(rules::fearLoses(100.0f));
    EXPECT_FALSE(rules::fearLoses(99.99f));
    EXPECT_TRUE(rules::insideExit({-3.5f, 2.5f, 6.0f}));
    EXPECT_FALSE(rules::insideExit({-3.5f, 1.2f, 6.0f}));
}

}  // namespace
