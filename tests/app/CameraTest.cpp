// Camera maths: view vectors, look limits, walking, dead zone, crouch, bob and sway.
#include "app/Camera.h"

#include <gtest/gtest.h>

#include <glm/geometric.hpp>
#include <glm/vec4.hpp>

#include <cmath>

namespace {

Camera cameraAt(float horizontal, float vertical) {
    Camera camera;
    camera.horizontalAngle = horizontal;
    camera.verticalAngle = vertical;
    camera.mouseSpeed = 0.002f;
    camera.walkSpeed = 1.5f;
    camera.padLookSpeed = 1.5f;
    camera.updateVectors();
    return camera;
}

TEST(Camera, VectorsFromTheAngles) {
    struct Case { float h, v; glm::vec3 direction, right, up; };
    const Case cases[] = {
        {1.5707963f, 0, {1, 0, 0}, {0, 0, 1}, {0, 1, 0}},
        {0, 0.5f, {0, 0.4794f, 0.8776f}, {-1, 0, 0}, {0, 0.8776f, -0.4794f}},
        {3.1415927f, -0.5f, {0, -0.4794f, -0.8776f}, {1, 0, 0}, {0, 0.8776f, -0.4794f}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "h " << c.h << " v " << c.v);
        const Camera camera = cameraAt(c.h, c.v);
        EXPECT_LT(glm::distance(camera.direction, c.direction), 1e-3f);
        EXPECT_LT(glm::distance(camera.right, c.right), 1e-3f);
        EXPECT_LT(glm::distance(camera.up, c.up), 1e-3f);
    }
    // right turns by 1.57, not pi/2: recorded demos depend on the trace it leaves.
    EXPECT_NEAR(cameraAt(0, 0).right.z, 0.00079633f, 1e-7f);
}

TEST(Camera, MouseTurnsByPixelsAndStopsShortOfThePoles) {
    struct Case { float v, dx, dy, wantH, wantV; };
    for (const Case& c : {Case{0, 10, 100, 0.02f, 0.2f}, Case{1.5f, 0, 100, 0, 1.57f},
                          Case{0, -3, -5000, -0.006f, -1.57f}}) {
        Camera camera = cameraAt(0, c.v);
        camera.mouseLook(c.dx, c.dy);
        EXPECT_NEAR(camera.horizontalAngle, c.wantH, 1e-6f);
        EXPECT_FLOAT_EQ(camera.verticalAngle, c.wantV);
        EXPECT_NEAR(camera.direction.y, std::sin(c.wantV), 1e-5f);
        EXPECT_EQ(camera.lookDeltaX, c.dx);
        EXPECT_EQ(camera.lookDeltaY, c.dy);
    }
    // Inverted, the same push on the mouse (0.2) and the stick (0.15) looks the other way.
    for (const bool invert : {false, true}) {
        Camera camera = cameraAt(0, 0);
        camera.invertY = invert;
        camera.mouseLook(0, 100);
        camera.gamepadControl(0.1f, GamepadState{0, 0, 0, 0, 0, 0, 0, 32767});
        EXPECT_NEAR(camera.verticalAngle, invert ? -0.35f : 0.35f, 1e-5f) << invert;
    }
}

TEST(Camera, KeysWalkAlongTheViewUnnormalised) {
    struct Case { float v; bool f, b, l, r; double wantX, wantZ; bool moving; };
    const Case cases[] = {
        {0, true, false, false, false, 0, 0.15, true},   {0, false, true, false, false, 0, -0.15, true},
        {0, false, false, true, false, 0.15, 0, true},   {0, false, false, false, true, -0.15, 0, true},
        {0, true, false, false, true, -0.15, 0.15, true}, {0, true, true, false, false, 0, 0, true},
        {0, false, false, false, false, 0, 0, false},
        {-1.57f, true, false, false, false, 0, 0.00012, true},  // looking down barely moves
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "v " << c.v << " keys " << c.f << c.b << c.l << c.r);
        Camera camera = cameraAt(0, c.v);
        const glm::dvec3 step = camera.keyboardMove(c.f, c.b, c.l, c.r, 0.1f);
        EXPECT_NEAR(step.x, c.wantX, 2e-4);  // right keeps a trace of z
        EXPECT_EQ(step.y, 0.0);
        EXPECT_NEAR(step.z, c.wantZ, 2e-4);
        EXPECT_EQ(camera.moving, c.moving);
    }
}

TEST(Camera, StickDeadZoneAndFullDeflection) {
    const std::pair<std::int16_t, float> cases[] = {
        {0, 0.0f}, {6554, 0.0f}, {8191, 0.0f}, {-8191, 0.0f}, {20479, 0.5f}, {-20479, -0.5f},
        {32767, 1.0f}, {-32767, -1.0f}, {-32768, -1.0f}};
    for (const auto& [axis, want] : cases) EXPECT_NEAR(Camera::stickValue(axis), want, 1e-4f) << axis;
    EXPECT_NEAR(Camera::stickValue(-32768), -1.0f, 1e-6f);  // not a hair beyond
}

// Eye height, both walking speeds, crouching; the speeds scale with CONFIG.txt's (defaults 1 and 5).
TEST(Camera, CrouchAndStandValues) {
    struct Case { float walk, pad; bool crouched; glm::vec4 want; };
    for (const Case& c : {Case{1, 5, true, {0.6f, 1, 1, 1}}, Case{1, 5, false, {1.2f, 1.5f, 1.5f, 0}},
                          Case{2, 2.5f, true, {0.6f, 2, 0.5f, 1}}, Case{0.5f, 10, false, {1.2f, 0.75f, 3, 0}}}) {
        Camera camera;
        camera.walkSpeedSetting = c.walk;
        camera.padSpeedSetting = c.pad;
        camera.setCrouch(c.crouched);
        EXPECT_EQ(glm::vec4(camera.position.y, camera.walkSpeed, camera.padSpeed, camera.crouching), c.want);
    }
}

// Bob: sin(6 t) / 2 walking, sin(2 t) / 4 crouched, settling by 0.05 a frame.
// Sway: pushed by look input, clamped, and shrinking by (2 sway)^2 a frame.
TEST(Camera, HeadBobAndSway) {
    struct Case { bool moving, crouching; float bob, t, wantBob, sway, look, wantSway; };
    const Case cases[] = {
        {true, false, 0, 0.25f, 0.498747f, 0, 5, 0.005f},
        {true, true, 0, 0.25f, 0.119856f, 0.005f, 20, 0.01f},
        {false, false, 0.3f, 9, 0.25f, 0.01f, 0, 0.0096f},
        {false, true, -0.3f, 9, -0.25f, 0.001f, 0, 0.000996f},
        {false, false, 0.03f, 9, 0.03f, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.moving << c.crouching << " bob " << c.bob << " sway " << c.sway);
        Camera camera;
        camera.moving = c.moving;
        camera.crouching = c.crouching;
        camera.bobOffset = c.bob;
        camera.swayX = c.sway;
        camera.swayY = -c.sway;  // y mirrors x: catches the two mixed up
        camera.lookDeltaX = c.look;
        camera.lookDeltaY = -c.look;
        camera.headBob(c.t);
        EXPECT_NEAR(camera.bobOffset, c.wantBob, 1e-5f);
        EXPECT_NEAR(camera.swayX, c.wantSway, 1e-8f);
        EXPECT_NEAR(camera.swayY, -c.wantSway, 1e-8f);
    }
}

TEST(Camera, PadLooksWalksAndCrouches) {
    GamepadState pad{0, Pad::A, 0, 0, 0, 32767, 32767, 32767};  // left stick up, right stick up-right
    Camera camera = cameraAt(0, 0);
    for (int i = 0; i < 20; ++i) camera.gamepadControl(0.1f, pad);
    EXPECT_TRUE(camera.moving);
    EXPECT_NEAR(camera.horizontalAngle, -3.0f, 1e-5f);  // stick right turns clockwise
    EXPECT_FLOAT_EQ(camera.verticalAngle, 1.57f);
    EXPECT_TRUE(camera.crouching);
    pad.wButtons = Pad::A | Pad::B;  // A with anything else stands
    camera.gamepadControl(0.1f, pad);
    EXPECT_FALSE(camera.crouching);
}

}  // namespace
