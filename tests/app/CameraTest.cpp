// Camera maths: view vectors, look limits, the pad's dead zone and crouch
// button, walking displacements, head bob and sway.
#include "app/Camera.h"
#include "platform/ScriptedInput.h"

#include <gtest/gtest.h>
#include <glm/geometric.hpp>

#include <cmath>

namespace {

constexpr float eps = 1e-5f;

Camera cameraAt(float horizontal, float vertical) {
    Camera camera;
    camera.horizontalAngle = horizontal;
    camera.verticalAngle = vertical;
    camera.mouseSpeed = 0.002f;
    camera.walkSpeed = 1.5f;
    camera.padSpeed = 1.5f;
    camera.padLookSpeed = 1.5f;
    camera.updateVectors();
    return camera;
}

TEST(CameraVectors, MatchHandValues) {
    const Camera ahead = cameraAt(0.0f, 0.0f);
    EXPECT_NEAR(ahead.direction.x, 0.0f, eps);
    EXPECT_NEAR(ahead.direction.y, 0.0f, eps);
    EXPECT_NEAR(ahead.direction.z, 1.0f, eps);
    // right uses 1.57, so it keeps a trace of z: (sin -1.57, 0, cos -1.57).
    EXPECT_NEAR(ahead.right.x, -0.99999968f, eps);
    EXPECT_NEAR(ahead.right.z, 0.00079633f, 1e-7f);
    EXPECT_EQ(ahead.right.y, 0.0f);
    EXPECT_NEAR(ahead.up.x, 0.0f, eps);
    EXPECT_NEAR(ahead.up.y, 0.99999968f, eps);  // right x direction
    EXPECT_NEAR(ahead.up.z, 0.0f, eps);

    const Camera turned = cameraAt(1.0f, 0.5f);
    EXPECT_NEAR(turned.direction.x, std::sin(1.0) * std::cos(0.5), eps);
    EXPECT_NEAR(turned.direction.y, std::sin(0.5), eps);
    EXPECT_NEAR(turned.direction.z, std::cos(1.0) * std::cos(0.5), eps);
    const glm::vec3 up = glm::cross(turned.right, turned.direction);
    EXPECT_NEAR(glm::distance(turned.up, up), 0.0f, eps);
    EXPECT_GT(turned.up.y, 0.0f);
}

TEST(CameraLook, MouseTurnsByPixelsAndStopsAtThePoles) {
    Camera camera = cameraAt(0.0f, 1.5f);
    camera.mouseLook(10.0f, 100.0f);  // cursor left of and above the centre
    EXPECT_NEAR(camera.horizontalAngle, 0.02f, eps);
    EXPECT_FLOAT_EQ(camera.verticalAngle, 1.57f);
    EXPECT_FLOAT_EQ(camera.lookDeltaX, 10.0f);
    EXPECT_FLOAT_EQ(camera.lookDeltaY, 100.0f);
    EXPECT_NEAR(camera.direction.y, std::sin(1.57), eps);  // vectors follow the angles

    camera.mouseLook(0.0f, -5000.0f);
    EXPECT_FLOAT_EQ(camera.verticalAngle, -1.57f);
}

TEST(CameraLook, PadPitchIsClampedAndForwardStaysForward) {
    ScriptedInput input;
    input.padConnected = true;
    input.pad.sThumbRY = 32767;  // look up, full deflection
    Camera camera = cameraAt(0.0f, 0.0f);
    for (int frame = 0; frame < 100; ++frame) camera.gamepadControl(0.1f, input);
    EXPECT_FLOAT_EQ(camera.verticalAngle, 1.57f);

    // Stick forward while looking (almost) straight up must not walk backwards.
    input.pad.sThumbRY = 0;
    input.pad.sThumbLY = 32767;
    const glm::dvec3 step = camera.gamepadControl(1.0f, input);
    EXPECT_GE(step.z, 0.0);

    input.pad.sThumbLY = 0;
    input.pad.sThumbRY = -32768;
    for (int frame = 0; frame < 100; ++frame) camera.gamepadControl(0.1f, input);
    EXPECT_FLOAT_EQ(camera.verticalAngle, -1.57f);
}

TEST(CameraPad, DeadZoneAndFullDeflection) {
    EXPECT_EQ(Camera::stickValue(0), 0.0f);
    EXPECT_EQ(Camera::stickValue(static_cast<std::int16_t>(0.24 * 32767)), 0.0f);
    EXPECT_EQ(Camera::stickValue(32767), 1.0f);
    EXPECT_EQ(Camera::stickValue(-32768), -1.0f);  // not slightly beyond -1
    EXPECT_EQ(Camera::stickValue(-32767), -1.0f);
    EXPECT_NEAR(Camera::stickValue(static_cast<std::int16_t>(0.625 * 32767)), 0.5f, 1e-4f);
    EXPECT_NEAR(Camera::stickValue(static_cast<std::int16_t>(-0.625 * 32767)), -0.5f, 1e-4f);
}

TEST(CameraPad, StickInsideDeadZoneNeitherMovesNorCountsAsMoving) {
    ScriptedInput input;
    input.padConnected = true;
    input.pad.sThumbLX = static_cast<std::int16_t>(0.24 * 32767);
    input.pad.sThumbLY = static_cast<std::int16_t>(-0.24 * 32767);
    Camera camera = cameraAt(0.3f, 0.0f);
    const glm::vec3 before = camera.position;
    const glm::dvec3 step = camera.gamepadControl(0.5f, input);
    EXPECT_FALSE(camera.moving);
    EXPECT_EQ(step, glm::dvec3(0.0));
    EXPECT_EQ(camera.position.x, before.x);
    EXPECT_EQ(camera.position.z, before.z);
}

TEST(CameraPad, FullStickWalksAtPadSpeedAndTurnsAtLookSpeed) {
    ScriptedInput input;
    input.padConnected = true;
    input.pad.sThumbLY = 32767;
    input.pad.sThumbRX = 32767;
    Camera camera = cameraAt(0.0f, 0.0f);
    camera.padSpeed = 5.0f;
    const glm::dvec3 step = camera.gamepadControl(0.1f, input);
    EXPECT_TRUE(camera.moving);
    EXPECT_NEAR(step.z, 0.5, 1e-5);  // along last frame's direction (0, 0, 1)
    EXPECT_NEAR(step.x, 0.0, 1e-5);
    EXPECT_EQ(step.y, 0.0);
    EXPECT_NEAR(camera.horizontalAngle, -0.15f, eps);  // stick right turns clockwise
    EXPECT_FLOAT_EQ(camera.lookDeltaX, 1.0f);
    // The pad path sets the stand speed, which the next frame walks with.
    EXPECT_FLOAT_EQ(camera.padSpeed, 1.5f);
}

TEST(CameraPad, OnlyTheAButtonAloneCrouches) {
    ScriptedInput input;
    input.padConnected = true;
    Camera camera = cameraAt(0.0f, 0.0f);
    input.pad.wButtons = Pad::A;
    camera.gamepadControl(0.016f, input);
    EXPECT_TRUE(camera.crouching);
    EXPECT_FLOAT_EQ(camera.position.y, 0.6f);
    EXPECT_FLOAT_EQ(camera.walkSpeed, 1.0f);
    EXPECT_FLOAT_EQ(camera.padSpeed, 1.0f);

    input.pad.wButtons = Pad::A | Pad::B;
    camera.gamepadControl(0.016f, input);
    EXPECT_FALSE(camera.crouching);
    EXPECT_FLOAT_EQ(camera.position.y, 1.2f);
    EXPECT_FLOAT_EQ(camera.walkSpeed, 1.5f);
}

TEST(CameraWalk, KeysMoveAlongTheViewWithoutNormalising) {
    Camera camera = cameraAt(0.0f, 0.0f);
    glm::dvec3 step = camera.keyboardMove(true, false, false, false, 0.1f);
    EXPECT_TRUE(camera.moving);
    EXPECT_NEAR(step.z, 0.15, 1e-6);
    EXPECT_NEAR(camera.position.z, 0.15f, 1e-6f);

    // Forward and strafe together go further than one alone.
    step = camera.keyboardMove(true, false, false, true, 0.1f);
    EXPECT_NEAR(std::hypot(step.x, step.z), 0.15 * std::sqrt(2.0), 1e-4);

    // Forward and back cancel; the player still asked to move.
    step = camera.keyboardMove(true, true, false, false, 0.1f);
    EXPECT_TRUE(camera.moving);
    EXPECT_NEAR(step.z, 0.0, 1e-6);

    camera.keyboardMove(false, false, false, false, 0.1f);
    EXPECT_FALSE(camera.moving);
}

TEST(CameraWalk, LookingStraightDownBarelyMoves) {
    Camera camera = cameraAt(0.0f, -1.57f);
    const glm::dvec3 step = camera.keyboardMove(true, false, false, false, 1.0f);
    EXPECT_LT(std::hypot(step.x, step.z), 1.5 * 0.001);
    EXPECT_EQ(step.y, 0.0);
}

TEST(CameraBob, FollowsTheClockWhileMovingAndSettlesWithinTenFrames) {
    Camera camera = cameraAt(0.0f, 0.0f);
    camera.moving = true;
    camera.headBob(0.25f);
    EXPECT_NEAR(camera.bobOffset, std::sin(1.5f) * 0.5f, eps);
    camera.crouching = true;
    camera.headBob(0.25f);
    EXPECT_NEAR(camera.bobOffset, std::sin(0.5f) * 0.25f, eps);

    camera.crouching = false;
    camera.headBob(std::asin(1.0f) / 6.0f);  // the top of the bob, 0.5
    ASSERT_NEAR(camera.bobOffset, 0.5f, eps);
    camera.moving = false;
    int frames = 0;
    while (std::fabs(camera.bobOffset) >= 0.05f && frames < 100) {
        camera.headBob(0.0f);
        ++frames;
    }
    EXPECT_LE(frames, 10);
    EXPECT_GE(frames, 9);
}

TEST(CameraSway, LookPushesItClampsAndDecaysEverSlower) {
    Camera camera = cameraAt(0.0f, 0.0f);
    camera.lookDeltaX = 5.0f;
    camera.lookDeltaY = -50.0f;
    camera.headBob(0.0f);
    EXPECT_NEAR(camera.swayX, 0.005f, 1e-7f);
    EXPECT_FLOAT_EQ(camera.swayY, -0.01f);  // clamped

    camera.swayX = 0.01f;
    camera.lookDeltaX = 0.0f;
    camera.lookDeltaY = 0.0f;
    int frames = 0;
    while (camera.swayX >= 0.001f && frames < 1000) {
        camera.headBob(0.0f);
        ++frames;
    }
    // Roughly s / (1 + 4 s n): about 220 frames from 0.01 to 0.001.
    EXPECT_GT(frames, 200);
    EXPECT_LT(frames, 240);
    EXPECT_GT(camera.swayY, -0.01f);  // the negative side decays too
    EXPECT_LT(camera.swayY, 0.0f);
}

}  // namespace
