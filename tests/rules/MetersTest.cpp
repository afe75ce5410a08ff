#include <gtest/gtest.h>

#include "app/GameRules.h"

namespace {

constexpr float frameDt = 1.0f / 60.0f;

// Frames of mouse light logic until fear is full; -1 if it never gets there.
int framesUntilLost(float& energy, float& fear, bool lit, bool freeze, int maxFrames) {
    for (int frame = 1; frame <= maxFrames; ++frame) {
        rules::lightLogic(energy, fear, lit, freeze, false, frameDt);
        if (rules::fearLoses(fear)) return frame;
    }
    return -1;
}

TEST(MouseLight, StandingInTheDarkLosesAfterAboutThirteenSeconds) {
    float energy = 100.0f;
    float fear = 0.0f;
    const int frames = framesUntilLost(energy, fear, false, false, 60 * 30);
    ASSERT_GT(frames, 0);
    EXPECT_NEAR(static_cast<float>(frames) * frameDt, 100.0f / 7.5f, 0.1f);
    EXPECT_EQ(fear, 100.0f);  // exactly, so the lose check can compare
    EXPECT_EQ(energy, 100.0f);
}

TEST(MouseLight, LightDrainsEnergyInTenSecondsAndHoldsFearDown) {
    float energy = 100.0f;
    float fear = 50.0f;
    rules::LightOutput out;
    for (int i = 0; i < 5 * 60; ++i) out = rules::lightLogic(energy, fear, true, false, false, frameDt);
    EXPECT_NEAR(energy, 50.0f, 0.05f);
    EXPECT_EQ(fear, 0.0f);
    EXPECT_EQ(out.flashlightIntensity, 1.0f);
    EXPECT_NEAR(out.lightIntensity, 0.5f, 0.001f);
    for (int i = 0; i < 6 * 60; ++i) rules::lightLogic(energy, fear, true, false, false, frameDt);
    EXPECT_EQ(energy, 0.0f);
}

TEST(MouseLight, EnergyRefillsInTwentySecondsWhileOff) {
    float energy = 0.0f;
    float fear = 0.0f;
    rules::LightOutput out;
    for (int i = 0; i < 10 * 60; ++i) out = rules::lightLogic(energy, fear, false, false, false, frameDt);
    EXPECT_NEAR(energy, 50.0f, 0.05f);
    EXPECT_EQ(out.flashlightIntensity, 0.0f);
    EXPECT_FLOAT_EQ(out.lightIntensity, 0.2f);  // capped while off
    energy = 10.0f;
    out = rules::lightLogic(energy, fear, false, false, false, 0.0f);
    EXPECT_FLOAT_EQ(out.lightIntensity, 0.1f);
}

TEST(MouseLight, EmptyLightStillLoses) {
    float energy = 0.0f;
    float fear = 0.0f;
    const int frames = framesUntilLost(energy, fear, true, false, 60 * 30);
    ASSERT_GT(frames, 0);
    EXPECT_NEAR(static_cast<float>(frames) * frameDt, 13.3f, 0.1f);
    const rules::LightOutput out = rules::lightLogic(energy, fear, true, false, false, frameDt);
    EXPECT_EQ(out.flashlightIntensity, 1.0f);
    EXPECT_EQ(out.lightIntensity, 0.0f);
}

TEST(MouseLight, FrozenMetersNeverLoseAndLightIsFull) {
    float energy = 30.0f;
    float fear = 40.0f;
    EXPECT_EQ(framesUntilLost(energy, fear, false, true, 60 * 60), -1);
    EXPECT_EQ(energy, 30.0f);
    EXPECT_EQ(fear, 40.0f);
    EXPECT_EQ(rules::lightLogic(energy, fear, true, true, false, frameDt).lightIntensity, 1.0f);
    EXPECT_FLOAT_EQ(rules::lightLogic(energy, fear, false, true, false, frameDt).lightIntensity, 0.2f);
}

TEST(MouseLight, PadOwnsTheMetersWhileItAnswers) {
    float energy = 60.0f;
    float fear = 20.0f;
    const rules::LightOutput out = rules::lightLogic(energy, fear, true, false, true, 1.0f);
    EXPECT_EQ(energy, 60.0f);
    EXPECT_EQ(fear, 20.0f);
    EXPECT_EQ(out.flashlightIntensity, 1.0f);
    EXPECT_FLOAT_EQ(out.lightIntensity, 0.6f);
}

TEST(PadLight, LeftTriggerWidensTheCone) {
    EXPECT_FLOAT_EQ(rules::padCutOff(0), 0.99f);
    EXPECT_FLOAT_EQ(rules::padCutOff(255), 0.94f);
    EXPECT_GT(rules::padCutOff(100), rules::padCutOff(200));
}

TEST(PadLight, RightTriggerMovesMetersEvenWhenFrozen) {
    float energy = 100.0f;
    float fear = 50.0f;
    rules::padMeters(energy, fear, true, 1.0f);
    EXPECT_FLOAT_EQ(energy, 90.0f);
    EXPECT_FLOAT_EQ(fear, 40.0f);
    rules::padMeters(energy, fear, false, 2.0f);
    EXPECT_FLOAT_EQ(energy, 100.0f);  // clamped
    EXPECT_FLOAT_EQ(fear, 55.0f);
}

TEST(PadLight, FearRisesOnceTheHeldLightRunsDry) {
    float energy = 5.0f;
    float fear = 50.0f;
    rules::padMeters(energy, fear, true, 1.0f);  // energy hits 0 in this step
    EXPECT_EQ(energy, 0.0f);
    EXPECT_FLOAT_EQ(fear, 57.5f);
}

TEST(Flashlight, SitsBesideTheEyeAndPointsBackFromItsAim) {
    const glm::vec3 eye(1.0f, 2.0f, 3.0f);
    const glm::vec3 dir(0.0f, 0.0f, -1.0f);
    const glm::vec3 right(1.0f, 0.0f, 0.0f);
    const glm::vec3 up(0.0f, 1.0f, 0.0f);
    const rules::FlashlightPose pose = rules::placeFlashlight(eye, dir, right, up);
    EXPECT_FLOAT_EQ(pose.position.x, 1.15f);
    EXPECT_FLOAT_EQ(pose.position.y, 1.95f);
    EXPECT_FLOAT_EQ(pose.position.z, 3.0f);
    // Aim point (1, 2, -2); the vector runs from it to the light, unnormalised.
    EXPECT_NEAR(pose.direction.x, 0.15f, 1e-6f);
    EXPECT_NEAR(pose.direction.y, -0.05f, 1e-6f);
    EXPECT_NEAR(pose.direction.z, 5.0f, 1e-6f);
}

TEST(Lamp, SwingsFromThreeClockReadings) {
    const rules::LampSwing swing = rules::swingLamp(1.5707963, -1.5707963, 0.0);
    EXPECT_FLOAT_EQ(swing.sin1, 1.0f);
    EXPECT_FLOAT_EQ(swing.sin2, -1.0f);
    EXPECT_FLOAT_EQ(swing.cos3, 1.0f);
    EXPECT_FLOAT_EQ(swing.lampDirection.x, 0.25f);
    EXPECT_FLOAT_EQ(swing.lampDirection.y, 1.0f);
    EXPECT_FLOAT_EQ(swing.lampUp.x, 1.0f);
    EXPECT_FLOAT_EQ(swing.lampUp.y, -0.25f);
}

}  // namespace
