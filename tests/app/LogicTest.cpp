// The game's rules, settings, camera, boxes, title, frame sounds, command line, timedemo figures and debug keys.
#include "app/Camera.h"
#include "app/CommandLine.h"
#include "app/Config.h"
#include "app/DebugToggles.h"
#include "app/DemoSession.h"
#include "app/Folders.h"
#include "app/FrameSounds.h"
#include "app/GameRules.h"
#include "app/SettingsCheck.h"
#include "app/Subtitles.h"
#include "app/RenderScaleControl.h"
#include "app/Timedemo.h"
#include "app/TriggerBoxes.h"
#include "app/WindowTitle.h"
#include "audio/GameSounds.h"
#include "render/Renderer.h"
#include "scene/Material.h"
#include "scene/Texture.h"

#include <glm/geometric.hpp>
#include <glm/vec2.hpp>
#include <glm/vec4.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <numeric>
#include <sys/stat.h>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include <pwd.h>
#include <unistd.h>

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
    // Inverted, the same push on the mouse (0.2) or the stick (0.15) looks the other way.
    for (const auto& [mouse, pad, want] : {std::tuple(false, false, 0.35f), std::tuple(true, false, -0.05f),
                                          std::tuple(false, true, 0.05f), std::tuple(true, true, -0.35f)}) {
        Camera camera = cameraAt(0, 0);
        camera.invertY = mouse;
        camera.invertPadY = pad;
        camera.mouseLook(0, 100);
        camera.gamepadControl(0.1f, GamepadState{0, 0, 0, 0, 0, 0, 0, 32767});
        EXPECT_NEAR(camera.verticalAngle, want, 1e-5f) << mouse << pad;
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

// Box bounds are exclusive; height 2 splits the ground floor from the raised parts.
const std::pair<const char*, const TriggerBox&> allBoxes[] = {
    {"pickup 0", boxes::pickup[0]}, {"pickup 1", boxes::pickup[1]}, {"pickup 2", boxes::pickup[2]},
    {"voice 1", boxes::voice1},     {"voice 2", boxes::voice2},     {"voice 3", boxes::voice3},
    {"voice 4", boxes::voice4},     {"enemy 1", boxes::enemy1},     {"enemy 2", boxes::enemy2},
    {"exit", boxes::exitBox},
};

TEST(TriggerBoxes, WhichBoxHoldsTheEye) {
    struct Case { glm::vec3 eye; std::string holds; };
    const Case cases[] = {
        {{-5.6f, 1.2f, 7.2f}, "pickup 0"},   {{-0.5f, 1.2f, 7.5f}, "pickup 1"},
        {{3.0f, 1.2f, -7.8f}, "pickup 2"},   {{-5.75f, 1.2f, 3.3f}, "voice 1"},
        {{-2.8f, 2.5f, -12.6f}, "voice 2"},  {{-7.5f, 1.2f, -7.9f}, "voice 3"},
        {{0.75f, 2.5f, 6.5f}, "voice 4"},    {{-3.2f, 2.5f, -12.6f}, "enemy 1"},
        {{-7.5f, 1.2f, -13.2f}, "enemy 2"},  {{-3.5f, 2.5f, 6.0f}, "exit"},
        {{-3.5f, 1.2f, 6.0f}, ""},           {{-2.8f, 1.9f, -12.6f}, ""},  // raised boxes, eye below
        {{-5.75f, 2.1f, 3.3f}, ""},          {{-5.75f, 1.99f, 3.3f}, "voice 1"},
        {{-5.75f, 2.0f, 3.3f}, ""},          {{-3.5f, 2.0f, 6.0f}, ""},    // exactly 2: neither floor
        {{-6.0f, 1.2f, 3.3f}, ""},           {{-5.5f, 1.2f, 3.3f}, ""},    // on each edge of voice 1
        {{-5.75f, 1.2f, 3.2f}, ""},          {{-5.75f, 1.2f, 3.4f}, ""},
        {{-2.3f, 2.5f, 6.0f}, ""},           {{1.0f, 1.2f, 1.0f}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "eye (" << c.eye.x << ", " << c.eye.y << ", " << c.eye.z << ")");
        for (const auto& [name, box] : allBoxes) EXPECT_EQ(box.contains(c.eye), c.holds == name) << name;
    }
}

TEST(Title, WholeLineForEachSwitch) {
    struct Case { bool showFps; int fps, sampling, mipmap; bool culling, transparency; DrawCounts counts;
                  const char* want; };
    const Case cases[] = {
        {true, 60, 1, 2, true, false, {1200, 400, 25},
         "Murkhaven @60 fps (16 ms) - TSQ: bilinear; MMQ: linear FC: on TP: off;; #vertices: 1200; #faces: 400; "
         "#objects: 25"},
        {false, 60, 0, 0, false, true, {3, 2, 1},
         "Murkhaven - TSQ: nearest; MMQ: off FC: off TP: on;; #vertices: 3; #faces: 2; #objects: 1"},
        {true, 0, 1, 1, true, false, {0, 0, 0},  // no rate yet in the first second
         "Murkhaven @0 fps (0 ms) - TSQ: bilinear; MMQ: nearest FC: on TP: off;; #vertices: 0; #faces: 0; "
         "#objects: 0"},
    };
    for (const Case& c : cases) {
        FrameRateCounter counter;
        counter.framesPerSecond = c.fps;
        std::string title = titleHead(c.showFps, counter, c.sampling, c.mipmap, c.culling, c.transparency);
        appendDrawCounts(title, c.counts);
        EXPECT_EQ(title, c.want);
    }
}

TEST(Title, PickResultOnlyNamesAHit) {
    for (const auto& [actor, want] : {std::pair{7, "x; hit objects: 7, "}, std::pair{0, "x; hit objects: 0, "},
                                      std::pair{-1, "x; hit objects: "}}) {
        std::string title = "x";
        appendPickResult(title, actor);
        EXPECT_EQ(title, want);
    }
}

TEST(FrameRate, WindowsOfAboutASecond) {
    FrameRateCounter counter;
    for (double dt : {0.5, 0.5, 0.5, 0.3, 0.25}) counter.count(dt);  // a window of exactly 1 s stays open
    EXPECT_EQ(counter.framesPerSecond, 3);
    EXPECT_EQ(counter.frameCount, 2);  // the closing frame opened the next window and counts in it
    EXPECT_DOUBLE_EQ(counter.frameTime, 0.55);
    // At a steady pace every window counts the nine frames its 1.125 s hold, the later ones as the first.
    FrameRateCounter steady;
    std::vector<int> shown{0};
    for (int f = 0; f < 40; ++f) {
        steady.count(0.125);
        if (steady.framesPerSecond != shown.back()) shown.push_back(steady.framesPerSecond);
    }
    EXPECT_EQ(shown, (std::vector<int>{0, 9}));
    for (const auto& [fps, ms] : {std::pair{4, 250}, std::pair{60, 16}, std::pair{1000, 1}, std::pair{1001, 0},
                                  std::pair{0, 0}}) {
        counter.framesPerSecond = fps;
        EXPECT_EQ(counter.frameMilliseconds(), ms) << fps;
    }
}

std::string vec(glm::vec3 v) {
    std::ostringstream out;
    out << " (" << v.x << "," << v.y << "," << v.z << ")";
    return out.str();
}

// One call as text; a placed sound shows where it is and the listener it is heard from.
std::string text(const SoundCall& call, const Listener& listener) {
    std::ostringstream line;
    switch (call.kind) {
    case SoundCall::Kind::Play: line << "play " << call.id << " " << call.volume; break;
    case SoundCall::Kind::Play3D:
        line << "play3D " << call.id << " " << call.minDistance << " " << call.maxDistance << " " << call.volume;
        break;
    case SoundCall::Kind::Pause: line << "pause " << call.id; break;
    case SoundCall::Kind::Place:
        line << "update3D " << call.id << vec(call.position) << vec(listener.position) << vec(glm::vec3(0.0f))
             << vec(listener.direction) << vec(listener.up);
        break;
    }
    return line.str();
}

// Ids away from the defaults: the frame must use the ones the set-up handed out.
const SoundIds ids{20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31};

std::vector<std::string> frameAt(glm::vec3 eye, bool moving = false) {
    // The direction is not unit: behind is still one unit away.
    const Listener listener{eye, {0.0f, 0.0f, 2.0f}, {0.0f, 1.0f, 0.0f}, moving};
    std::vector<std::string> lines;
    for (const SoundCall& call : frameSounds(ids, listener)) lines.push_back(text(call, listener));
    return lines;
}

TEST(FrameSounds, QuietCornerInOrder) {
    const std::string listener = " (1,1.2,1) (0,0,0) (0,0,2) (0,1,0)";
    const std::vector<std::string> want{
        "play 20 0.3", "update3D 22 (2.25,1.2,-1.94)" + listener, "play3D 22 0.1 10000 1", "play 28 1",
        "update3D 29 (1,1.2,0)" + listener, "update3D 30 (1,1.2,0)" + listener,
        "update3D 31 (1,1.2,0)" + listener, "pause 21"};
    EXPECT_EQ(frameAt({1.0f, 1.2f, 1.0f}), want);
    EXPECT_EQ(frameAt({1.0f, 1.2f, 1.0f}, true).back(), "play 21 0.1");  // footsteps while moving
}

TEST(FrameSounds, EachBoxAddsItsLineInItsPlace) {
    struct Case { glm::vec3 eye; std::size_t at; const char* line; };
    const Case cases[] = {
        {{-5.75f, 1.2f, 3.3f}, 3, "play 23 1"},  {{-2.8f, 2.5f, -12.6f}, 3, "play 24 1"},
        {{-7.5f, 1.2f, -7.9f}, 3, "play 26 1"},  {{0.75f, 2.5f, 6.5f}, 3, "play 27 1"},
        {{-3.2f, 2.5f, -12.6f}, 6, "play3D 30 100 10000 1"},
        {{-7.5f, 1.2f, -13.2f}, 7, "play3D 31 100 10000 1"},
    };
    for (const Case& c : cases) {
        const std::vector<std::string> lines = frameAt(c.eye);
        ASSERT_EQ(lines.size(), 9u) << c.line;
        EXPECT_EQ(lines[c.at], c.line);
    }
}

using Args = std::vector<const char*>;

// One object for every row: each parse must start from nothing.
CommandLine options;

bool parse(Args args, std::string& error) {
    args.insert(args.begin(), "murkhaven");
    return parseCommandLine(static_cast<int>(args.size()), args.data(), options, error);
}

// A wrong file named Subtitles.txt costs a few console lines and a bounded read.
TEST(Subtitles, LongLinesAndFloodsAreSkippedAndCountedOnce) {
    std::string flood;
    for (int i = 0; i < 1000; ++i) flood += "rain.wav\tx\n";
    const auto rain = [](int line) { return "line " + std::to_string(line) + ": no sound named \"rain.wav\""; };
    const struct { std::string text; std::vector<std::string> warnings; std::size_t shown; } table[] = {
        {"enemy_rawr.wav\t" + std::string(480, 'a'), {}, 1},
        {"enemy_rawr.wav\t" + std::string(600, 'a'), {"line 1: longer than 500 bytes"}, 0},
        {flood + "enemy_rawr.wav = Roar!\n", {rain(1), rain(2), rain(3), "lines skipped in all: 1000"}, 1},
    };
    for (const auto& t : table) {
        std::vector<std::string> warnings;
        const std::vector<std::string> lines = parseSubtitles(t.text, warnings);
        EXPECT_EQ(warnings, t.warnings);
        EXPECT_EQ(lines.size() - static_cast<std::size_t>(std::count(lines.begin(), lines.end(), "")), t.shown);
    }
    const std::string dir = testing::TempDir();
    std::filesystem::remove(dir + "fifo.txt");
    mkfifo((dir + "fifo.txt").c_str(), 0600);  // opening it would wait for a writer
    std::ofstream(dir + "huge.txt") << "enemy_rawr.wav = Roar!\n" << std::string(2 << 20, 'x') << '\n';
    const struct { std::string file, said; } files[] = {
        {"fifo.txt", " could not be read: no subtitles\n"},
        {"huge.txt", " is larger than 1048576 bytes: only the lines before that are read\n"},
    };
    for (const auto& f : files) {
        testing::internal::CaptureStdout();
        const std::vector<std::string> lines = loadSubtitles(dir + f.file);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), dir + f.file + f.said);
        EXPECT_EQ(lines.size(), std::size(gameSounds));
    }
    std::filesystem::remove(dir + "fifo.txt");
    std::filesystem::remove(dir + "huge.txt");
}

// Sizes, render scale and frame rate given override CONFIG.txt's (1280 x 720,
// shadow maps 1024, scale 1, no target), the others stand.
TEST(CommandLine, GoodLines) {
    using Mode = CommandLine::Mode;
    struct Case { Args args; Mode mode; const char* demo; int frames, width, height, shadow; const char* report;
                  std::vector<float> applied; };
    const Case cases[] = {
        {{"--timedemo", "demos/walk.mdemo", "--frames", "50", "--width", "640", "--height", "360",
          "--shadow-map-size", "512", "--report", "/tmp/x", "--floor", "--render-scale", "0.5", "--target-fps", "30"},
         Mode::Timedemo, "demos/walk.mdemo", 50, 640, 360, 512, "/tmp/x", {640, 360, 512, 0.5f, 30}},
        {{}, Mode::Play, "", 0, 0, 0, 0, "timedemo", {1280, 720, 1024, 1, 0}},
        {{"--record", "a.mdemo", "--frames", "5", "--frames", "7", "--render-scale", "1"}, Mode::Record, "a.mdemo", 7,
         0, 0, 0, "timedemo", {1280, 720, 1024, 1, 0}},
        {{"--height", "16384", "--replay", "b", "--frames", "1073741824", "--render-scale", "0.75"}, Mode::Replay, "b",
         1 << 30, 0, 16384, 0, "timedemo", {1280, 16384, 1024, 0.75f, 0}},
    };
    for (const Case& c : cases) {
        std::string error;
        ASSERT_TRUE(parse(c.args, error)) << error;
        EXPECT_EQ(options.mode, c.mode);
        EXPECT_FALSE(options.help);
        EXPECT_EQ(options.floor, c.mode == Mode::Timedemo);
        EXPECT_EQ(std::tie(options.demoPath, options.frames, options.width, options.height, options.shadowMapSize,
                           options.report),
                  std::tuple(c.demo, c.frames, c.width, c.height, c.shadow, c.report));
        Settings settings;
        applyOverrides(options, settings);
        EXPECT_EQ((std::vector<float>{float(settings.width), float(settings.height), float(settings.shadowMapSize),
                                      settings.renderScale, float(settings.targetFps)}),
                  c.applied);
    }
}

TEST(CommandLine, BadLines) {
    const std::pair<Args, std::string> cases[] = {
        {{"--frames"}, "--frames needs a value"},
        {{"stray"}, "unknown argument stray"},
        {{"--bogus"}, "unknown argument --bogus"},
        {{"--replay", "a", "--floor"}, "--floor needs --timedemo"},
        {{"--frames", "5"}, "--frames needs --record, --replay or --timedemo"},
        {{"--fullscreen", "1"}, "unknown argument --fullscreen"},
        {{"--frames", "0"}, "--frames needs a whole number from 1 to 1073741824, not \"0\""},
        {{"--frames", "1073741825"}, "--frames needs a whole number from 1 to 1073741824, not \"1073741825\""},
        {{"--frames", "12x"}, "--frames needs a whole number from 1 to 1073741824, not \"12x\""},
        {{"--width", "-5"}, "--width needs a whole number from 1 to 16384, not \"-5\""},
        {{"--height", "16385"}, "--height needs a whole number from 1 to 16384, not \"16385\""},
        {{"--shadow-map-size", ""}, "--shadow-map-size needs a whole number from 1 to 16384, not \"\""},
        {{"--record", "a", "--replay", "b"}, "only one of --record, --replay and --timedemo"},
        {{"--timedemo", "a", "--timedemo", "a"}, "only one of --record, --replay and --timedemo"},
        {{"--replay", ""}, "--replay needs a file name"},
        {{"--report", ""}, "--report needs a file name prefix"},
        {{"--render-scale", "0.4"}, "--render-scale needs a number from 0.5 to 1, not \"0.4\""},
        {{"--render-scale", "nan"}, "--render-scale needs a number from 0.5 to 1, not \"nan\""},
        {{"--render-scale", "0.5x"}, "--render-scale needs a number from 0.5 to 1, not \"0.5x\""},
        {{"--target-fps", "241"}, "--target-fps needs a whole number from 1 to 240, not \"241\""},
    };
    for (const auto& [args, message] : cases) {
        std::string error;
        EXPECT_FALSE(parse(args, error)) << message;
        EXPECT_EQ(error, message);
    }
}

TEST(CommandLine, HelpStopsTheReading) {
    for (const Args& args : {Args{"--help"}, Args{"-h"}, Args{"--width", "640", "-h", "--bogus"}}) {
        std::string error;
        EXPECT_TRUE(parse(args, error)) << error;
        EXPECT_TRUE(options.help);
    }
}

// Refused before the game starts, not after a session is played; an older
// demo of that name is kept until the save, and no empty file is left.
TEST(CommandLine, ARecordingAndAReportMustBeWritable) {
    const std::string dir = testing::TempDir();
    const std::string walk = MURK_DATA_DIR "/demos/walk.mdemo";
    std::filesystem::remove(dir + "fresh.mdemo");
    std::ofstream(dir + "old.mdemo") << "old";
    using enum CommandLine::Mode;
    const struct { CommandLine::Mode mode; std::string path, report, error; } table[] = {
        {Record, dir + "fresh.mdemo", "", ""},
        {Record, dir + "old.mdemo", "", ""},
        {Record, dir, "", "demo " + dir + ": cannot be written"},
        {Record, "/nonexistent/a.mdemo", "", "demo /nonexistent/a.mdemo: cannot be written"},
        {Timedemo, walk, dir + "report", ""},
        {Timedemo, walk, "/nonexistent/report", "report /nonexistent/report: cannot be written"},
    };
    for (const auto& t : table) {
        CommandLine asked;
        asked.mode = t.mode;
        asked.demoPath = t.path;
        if (!t.report.empty()) asked.report = t.report;
        std::string error;
        EXPECT_EQ(DemoSession(asked, DemoSession::Clock::now()).load(error), t.error.empty());
        EXPECT_EQ(error, t.error);
    }
    EXPECT_FALSE(std::filesystem::exists(dir + "fresh.mdemo"));
    EXPECT_EQ((std::stringstream() << std::ifstream(dir + "old.mdemo").rdbuf()).str(), "old");
}

// A home folder is HOME when absolute, else the password database's; never a shared one.
TEST(Folders, HomeIsAbsoluteOrNone) {
    const struct { const char* variable; std::string passwords, home; } rows[] = {
        {"/home/a", "/home/b", "/home/a"}, {nullptr, "/home/b", "/home/b"}, {"home/a", "/home/b", "/home/b"},
        {"", "/home/b", "/home/b"}, {nullptr, "", ""}, {"home/a", "relative", ""},
    };
    for (const auto& row : rows) EXPECT_EQ(folders::chooseHome(row.variable, row.passwords), row.home) << row.passwords;
}

// A relative HOME or XDG_*_HOME counts as unset; without HOME the password database's home serves.
TEST(Folders, RelativeVariablesAreIgnored) {
    const std::string scratch = testing::TempDir() + "murk-folders";
    const std::string own = "/murkhaven/CONFIG.txt";
    const passwd* entry = getpwuid(getuid());
    const std::string passwords = entry != nullptr ? entry->pw_dir : "";
    const struct { const char* home; const char* config; const char* data; std::string ownConfig, recordings; } rows[] = {
        {"H", "", "", scratch + "/.config" + own, scratch + "/.local/share/murkhaven"},
        {"H", "C", "D", scratch + "/c" + own, scratch + "/d/murkhaven"},
        {"H", "c", "d", scratch + "/.config" + own, scratch + "/.local/share/murkhaven"},
        {"h", "", "", passwords + "/.config" + own, ""},
        {nullptr, "", "", passwords + "/.config" + own, ""},
    };
    const auto set = [&](const char* name, const char* value) {
        const std::string text = value == nullptr ? "" : value;
        if (value == nullptr) unsetenv(name);
        else setenv(name, text == "H" ? scratch.c_str() : text == "C" ? (scratch + "/c").c_str()
                          : text == "D" ? (scratch + "/d").c_str() : text.c_str(), 1);
    };
    const char* const saved = std::getenv("HOME");
    const std::string home = saved != nullptr ? saved : "";
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.home ? row.home : "unset") + " " + row.config + " " + row.data);
        set("HOME", row.home), set("XDG_CONFIG_HOME", row.config), set("XDG_DATA_HOME", row.data);
        EXPECT_EQ(folders::ownConfigFile(), row.ownConfig);
        if (!row.recordings.empty()) {
            EXPECT_EQ(folders::recordingsFolder(), row.recordings);
        }
    }
    if (saved != nullptr) setenv("HOME", home.c_str(), 1);
    unsetenv("XDG_CONFIG_HOME"), unsetenv("XDG_DATA_HOME");
    std::filesystem::remove_all(scratch);
}

// An own settings copy that is empty or cannot be read never stands in for the shipped file.
TEST(Folders, OnlyAReadableOwnCopyOfTheSettingsIsRead) {
    const std::string config = testing::TempDir() + "murk-config";
    const std::string own = config + "/murkhaven/CONFIG.txt";
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    const struct { const char* copy; std::function<void()> make; std::string read; } rows[] = {
        {"none", [] {}, "CONFIG.txt"},
        {"empty", [&] { std::ofstream(own).flush(); }, "CONFIG.txt"},
        {"a folder", [&] { std::filesystem::create_directories(own); }, "CONFIG.txt"},
        {"a dangling link", [&] { std::filesystem::create_symlink(config + "/gone", own); }, "CONFIG.txt"},
        {"settings", [&] { std::ofstream(own) << "x\n"; }, own},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.copy);
        std::filesystem::remove_all(config);
        std::filesystem::create_directories(config + "/murkhaven");
        row.make();
        std::ostringstream console;
        EXPECT_EQ(folders::configFile("CONFIG.txt", console), row.read);
        const bool passedOver = row.read != own && std::filesystem::exists(own);
        EXPECT_EQ(console.str(), passedOver ? "own settings " + own + " are empty or cannot be read; reading CONFIG.txt\n" : "");
    }
    unsetenv("XDG_CONFIG_HOME");
    std::filesystem::remove_all(config);
}

TEST(Timedemo, NearestRankPercentilesAndMedian) {
    std::vector<double> hundred;
    for (int i = 100; i >= 1; --i) hundred.push_back(i);
    const std::vector<double> three{30, 10, 20};
    struct Case { const std::vector<double>& values; double p, want; };
    const std::vector<double> none;
    for (const Case& c : {Case{hundred, 0, 1}, Case{hundred, 50, 50}, Case{hundred, 95, 95}, Case{hundred, 99, 99},
                          Case{hundred, 100, 100}, Case{three, 33, 10}, Case{three, 34, 20}, Case{three, 67, 30},
                          Case{none, 50, 0}})
        EXPECT_EQ(percentile(c.values, c.p), c.want) << c.values.size() << " values, p" << c.p;
    EXPECT_EQ(median(hundred), 50.5);
    EXPECT_EQ(median(three), 20.0);
    EXPECT_EQ(median(none), 0.0);
}

// 20 frames: five of interest, then fifteen of 10 ms; one frame's GPU queries
// never came back, and its huge times must not count.
std::vector<TimedemoFrame> run() {
    std::vector<TimedemoFrame> frames;
    for (double ms : {20.0, 40.0, 16.7, 100.0, 33.3}) frames.push_back({ms, 0.1, {1, 2, 3, 4, 5, 6}, true});
    for (int i = 0; i < 15; ++i) frames.push_back({10.0, 0.1, {1, 2, 3, 4, 5, 6}, true});
    frames[4].updateMs = 2.1;
    frames[2].gpuMs.fill(1000.0);
    frames[2].gpuKnown = false;
    for (std::size_t i : {0, 1, 3}) frames[i].flashlightOn = true;
    frames[0].renderScale = 0.5f;
    return frames;
}

TEST(Timedemo, SummaryAsReported) {
    std::ostringstream out;
    printReport(out, "timedemo x: 1x1", summarize(run(), 0.25, 1.5, 99.0));
    const std::string report = "\n" + out.str();
    for (const char* line : {"timedemo x: 1x1", "frames                  20", "mean fps                80.00 fps",
                             "frame mean              18.00 ms", "frame median            10.00 ms",
                             "frame p95               40.00 ms", "frame p99               100.00 ms",
                             "frames over 16.7 ms     4", "frames over 33.3 ms     2", "gpu shadow 0            1.00 ms",
                             "gpu present+hud         6.00 ms", "gpu total               21.00 ms",
                             "update cpu mean         0.2000 ms", "update cpu median       0.1000 ms",
                             "start-up                1.500 s", "peak memory             99.0 MiB",
                             "median, flashlight on   40.00 ms (3 frames)",
                             "median, flashlight off  10.00 ms (17 frames)", "render scale mean       0.975"})
        EXPECT_NE(report.find("\n" + std::string(line) + "\n"), std::string::npos) << line << report;
    EXPECT_EQ(summarize({}, 0.0, 1.5, 99.0).meanFps, 0.0);
}

TEST(Timedemo, CsvRows) {
    const std::vector<TimedemoFrame> frames = run();
    std::ostringstream csv;
    writeCsv(csv, {frames[0], frames[2]});
    EXPECT_EQ(csv.str(),
              "frame,frame_ms,update_ms,gpu_shadow_0_ms,gpu_shadow_1_ms,gpu_blurs_ms,gpu_scene_ms,gpu_bloom_ms,"
              "gpu_present_hud_ms,gpu_total_ms,render_scale,flashlight\n"
              "0,20.000,0.1000,1.000,2.000,3.000,4.000,5.000,6.000,21.000,0.500,1\n"
              "1,16.700,0.1000,,,,,,,,1.000,0\n");
}

// The render scale against a frame that costs fixed + perPixel x scale^2 ms,
// with every third frame a fifth slower: it settles where the frame fits
// the target's headroom, or at a limit, and then stays within a small band.
TEST(RenderScaleControl, SettlesWithoutPumping) {
    const struct { int fps; double fixed, perPixel; float start, low, high; } cases[] = {
        {30, 5, 40, 1.0f, 0.60f, 0.70f},   // about 0.65 holds 23 ms
        {30, 5, 10, 0.5f, 1.0f, 1.0f},     // fast enough at full size: climbs to 1
        {30, 30, 40, 1.0f, 0.5f, 0.5f},    // too slow even at half: stays at 0.5
        {60, 2, 30, 0.8f, 0.50f, 0.60f},   // 12 ms of 16.7
        {0, 5, 200, 0.8f, 0.8f, 0.8f},     // no target: the setting stands
    };
    for (const auto& c : cases) {
        RenderScaleControl control(c.start, c.fps);
        float least = 1.0f, most = 0.0f;
        for (int frame = 0; frame < 900; ++frame) {
            const double s = control.scale();
            control.frameTook((c.fixed + c.perPixel * s * s) * (frame % 3 == 0 ? 1.2 : 1.0));
            if (frame >= 600) std::tie(least, most) = std::pair(std::min(least, control.scale()), std::max(most, control.scale()));
        }
        EXPECT_GE(least, c.low) << c.fps << " fps, " << c.perPixel;
        EXPECT_LE(most, c.high) << c.fps << " fps, " << c.perPixel;
        EXPECT_LE(most - least, 0.03f) << "pumps at " << c.fps << " fps, " << c.perPixel;
    }
    // One stalled frame moves the scale by one step at most.
    RenderScaleControl control(0.75f, 30);
    for (int frame = 0; frame < 100; ++frame) control.frameTook(RenderScaleControl::headroom * 1000.0 / 30.0);
    EXPECT_EQ(control.scale(), 0.75f);
    control.frameTook(5000.0);
    EXPECT_GE(control.scale(), 0.75f - RenderScaleControl::maxStep);
}

Controls with(int key, bool pressed, bool held) {
    Controls c;
    c.pressed[static_cast<std::size_t>(key)] = pressed;
    c.held[static_cast<std::size_t>(key)] = held;
    return c;
}

TEST(DebugToggles, ActOnReleaseCycleAndRefilterOnlyForTextures) {
    bool fps = false, wire = false, culling = true, transparency = false;
    int sampling = 1, mipmap = 2, refilters = 0;
    const DebugSwitches switches{fps, wire, sampling, mipmap, culling, transparency};
    DebugKeyLatches latches;
    const auto release = [&](int key) {
        pollDebugToggles(with(key, true, true), latches, switches, [&] { ++refilters; });
        pollDebugToggles(with(key, true, true), latches, switches, [&] { ++refilters; });
        pollDebugToggles(with(key, false, false), latches, switches, [&] { ++refilters; });
    };
    release(Key::F2);
    release(Key::F3);
    release(Key::F8);
    release(Key::F9);
    EXPECT_TRUE(fps && wire && !culling && transparency);
    EXPECT_EQ(refilters, 0);
    const int mipmaps[] = {0, 1, 2, 0};
    for (const int want : mipmaps) {
        release(Key::F5);
        EXPECT_EQ(mipmap, want);
    }
    release(Key::F4);
    EXPECT_EQ(sampling, 0);
    release(Key::F4);
    EXPECT_EQ(sampling, 1);
    EXPECT_EQ(refilters, 6);
}

TEST(DebugToggles, RefilteringTakesEveryTextureWithAnImageOncePerUser) {
    Texture image, normals, none;
    image.id = 7;
    normals.id = 8;
    Material a{{}, {}, {}, 1.0f, &image, &normals};
    Material b{{}, {}, {}, 1.0f, &image, &none};
    const std::vector<const Material*> materials{&a, nullptr, &b};
    EXPECT_EQ(filterableTextures(materials), (std::vector<Texture*>{&image, &normals, &image}));
}

// CONFIG.txt: settings by line number, C conversions, defaults for what the file lacks.
// Every setting the file can reach, in file order.
std::vector<float> fields(const Settings& s, const Camera& c) {
    return {float(s.width), float(s.height), float(s.windowed), float(s.refreshRate), s.ambient,
            float(s.shadowMapSize), c.startPosition.x, c.startPosition.y, c.startPosition.z,
            c.horizontalAngle, c.verticalAngle, c.mouseSpeed, c.walkSpeed, c.padLookSpeed, c.padSpeed,
            float(s.freezeMeters), float(s.subtitles), s.brightness, float(s.invertY), s.renderScale,
            float(s.targetFps)};
}
const std::vector<float> defaults{1280, 720, 1, 60, 0.2f, 1024, 2.92f, 0.8f, 0.262f,
                                  -2.57f, -0.5f, 0.002f, 1, 1.5f, 5, 0, 1, 1, 0, 1, 0};
// Lines without a setting carry values too: a reader that counts wrong picks them up.
const std::vector<std::string> fullFile{
    "settings = 9", "width = 800", "height = 600", "windowed = FALSE", "refresh = 75", "ambient = 0.35",
    "x = 9", "x = 9", "shadow map = 512", "x = 9", "x = 9", "x = 1.5", "y = 2.5", "z = -3.5",
    "h = 0.25", "v = -0.125", "mouse = 0.004", "walk = 2", "pad look = 3", "pad walk = 4",
    "x = 9", "x = 9", "freeze = TRUE", "subtitles = FALSE", "brightness = 1.5", "invert = TRUE",
    "scale = 0.75", "fps = 30"};
const std::vector<float> fullValues{800, 600, 0, 75, 0.35f, 512, 1.5f, 2.5f, -3.5f,
                                    0.25f, -0.125f, 0.004f, 2, 3, 4, 1, 0, 1.5f, 1, 0.75f, 30};

// With a console, the numbers are checked as at start-up.
std::vector<float> read(const std::vector<std::string>& lines, const char* ending = "\n",
                        std::ostream* console = nullptr) {
    std::string text;
    for (const std::string& line : lines) text += line + ending;
    std::istringstream in(text);
    Settings settings;
    Camera camera;
    applyConfigDefaults(settings, camera);
    readConfig(in, settings, camera);
    if (console != nullptr) {
        checkConfigNumbers(settings, camera, *console);
        EXPECT_EQ(camera.position, camera.startPosition);
    }
    // The speeds in force until the first crouch or stand, and what those scale with.
    EXPECT_EQ(glm::vec2(camera.walkSpeed, camera.padSpeed),
              glm::vec2(camera.walkSpeedSetting, camera.padSpeedSetting));
    EXPECT_EQ(glm::bvec2(camera.invertY, camera.invertPadY), glm::bvec2(settings.invertY));  // the look reads the camera's
    return fields(settings, camera);
}

TEST(Config, EveryLineLandsInItsField) {
    EXPECT_EQ(read(fullFile), fullValues);
    EXPECT_EQ(read(fullFile, "\r\n"), fullValues);
}

TEST(Config, OddSeparatorsShortFilesAndLinesPastTheLast) {
    std::vector<std::string> lines = fullFile;
    lines[1] = "a = b = 3";    // the value is "b = 3": no digits
    lines[2] = "height=1024";  // no " = ": keeps its value
    lines[4] = " =  120";      // no label, a leading space
    lines.resize(12);          // ends at start x
    EXPECT_EQ(read(lines), (std::vector<float>{0, 720, 0, 120, 0.35f, 512, 1.5f, 0.8f, 0.262f,
                                               -2.57f, -0.5f, 0.002f, 1, 1.5f, 5, 0, 1, 1, 0, 1, 0}));
    lines = fullFile;
    lines.back() = "fps = 20";
    lines.insert(lines.end(), configLineCount, "fps = 60");
    EXPECT_EQ(read(lines).back(), 20.0f);  // lines past the last setting are not read
}

TEST(Config, NumbersAndSwitchesReadLikeC) {
    const std::pair<const char*, int> ints[] = {
        {"1280px", 1280}, {"px1280", 0}, {"", 0}, {"  \t+42abc", 42}, {"-17", -17}, {"- 5", 0},
        {"2147483647", INT_MAX}, {"-2147483648", INT_MIN}, {"2147483648", INT_MAX},
        {"99999999999999999999999", INT_MAX}, {"-99999999999999999999999", INT_MIN}};
    for (const auto& [text, want] : ints) EXPECT_EQ(configInt(text), want) << '"' << text << '"';
    const std::pair<const char*, float> floats[] = {
        {"0.35", 0.35f}, {"  -2.57rad", -2.57f}, {"1e-3", 0.001f}, {"abc", 0.0f}, {"1e999", INFINITY}};
    for (const auto& [text, want] : floats) EXPECT_FLOAT_EQ(configFloat(text), want) << text;
    EXPECT_TRUE(configBool("TRUE"));
    for (const char* text : {"true", "True", "TRUE ", " TRUE", "1", "YES"}) EXPECT_FALSE(configBool(text)) << text;
}

// nan, inf and numbers beyond a float go back to the default, one line each.
TEST(Config, NumbersThatAreNotFiniteFallBackToTheirDefaults) {
    std::ostringstream console;
    EXPECT_EQ(read(fullFile, "\n", &console), fullValues);
    EXPECT_EQ(console.str(), "");
    std::vector<std::string> lines = fullFile;
    std::vector<float> want = fullValues;
    const char* notFinite[] = {"nan", "inf", "-inf", "1e40", "-nan"};
    int k = 0;
    for (int number : {6, 12, 13, 14, 15, 16, 17, 18, 19, 20})
        lines[static_cast<std::size_t>(number - 1)] = std::string("x = ") + notFinite[k++ % 5];
    for (std::size_t i : {4, 6, 7, 8, 9, 10, 11, 12, 13, 14}) want[i] = defaults[i];
    EXPECT_EQ(read(lines, "\n", &console), want);
    const std::string said = console.str();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 10) << said;
    EXPECT_NE(said.find("\nstart z inf in CONFIG.txt is not a finite number; using 0.262\n"), std::string::npos);
}

// Outside what F6 and F7 reach the picture is black or white, and a render
// scale or target frame rate outside its range draws nothing sensible: back
// to the default, said once.
TEST(Config, RangedSettingsOutsideTheirRangeFallBackToTheDefault) {
    const struct { int line; const char* value; float want; const char* said; } cases[] = {
        {configLine::brightness, "0.5", 0.5f, ""}, {configLine::brightness, "2.5", 2.5f, ""},
        {configLine::brightness, "0.49", 1, "brightness "}, {configLine::brightness, "2.6", 1, "brightness "},
        {configLine::brightness, "nan", 1, "brightness "}, {configLine::brightness, "-inf", 1, "brightness "},
        {configLine::renderScale, "0.5", 0.5f, ""}, {configLine::renderScale, "0.49", 1, "render scale "},
        {configLine::renderScale, "1.01", 1, "render scale "}, {configLine::renderScale, "nan", 1, "render scale "},
        {configLine::targetFps, "240", 240, ""}, {configLine::targetFps, "241", 0, "target fps "},
        {configLine::targetFps, "-1", 0, "target fps "}};
    for (const auto& c : cases) {
        std::vector<std::string> lines = fullFile;
        lines[static_cast<std::size_t>(c.line - 1)] = std::string("x = ") + c.value;
        std::ostringstream console;
        const std::size_t field = c.line == configLine::brightness ? 17 : static_cast<std::size_t>(c.line - 8);
        EXPECT_EQ(read(lines, "\n", &console)[field], c.want) << c.value;
        EXPECT_EQ(console.str().substr(0, std::strlen(c.said)), c.said) << console.str();
        EXPECT_EQ(console.str().empty(), *c.said == '\0') << console.str();
    }
}

// Still read by line number, but a label that is not the line's setting is named.
TEST(Config, ALabelThatIsNotTheLinesSettingIsNamed) {
    std::vector<std::string> shipped;
    std::ifstream file(std::string(MURK_DATA_DIR) + "/CONFIG.txt");
    for (std::string line; std::getline(file, line);) shipped.push_back(line);
    std::vector<std::string> loose = shipped, added = shipped;
    loose[1] = "Window-Width = 800", loose[16] = "MOUSE SPEED = 0.004", loose[3] = "windowed = FALSE";
    added.insert(added.begin(), "# mine");
    const struct { const char* what; std::vector<std::string> lines; std::vector<int> named; } table[] = {
        {"as shipped", shipped, {}},
        {"labels loosely alike", loose, {}},
        {"a line added at the top", added, {3, 4, 5, 6, 7, 10, 13, 14, 15, 16, 17, 18, 19, 20, 21, 24, 25, 26, 27, 28}},
    };
    for (const auto& t : table) {
        std::string text;
        for (const std::string& line : t.lines) text += line + "\n";
        std::istringstream in(text);
        std::ostringstream warnings;
        Settings settings;
        Camera camera;
        readConfig(in, settings, camera, &warnings);
        std::vector<int> named;
        std::vector<std::string> said;
        std::istringstream lines(warnings.str());
        for (std::string line; std::getline(lines, line);) {
            named.push_back(std::atoi(line.c_str() + 16));
            said.push_back(line);
        }
        EXPECT_EQ(named, t.named) << t.what << "\n" << warnings.str();
        if (said.size() < 5) continue;
        EXPECT_EQ(said[0], "CONFIG.txt line 3: \"window width\" stands where \"window height\" belongs; its value is "
                           "read as that (settings go by line number)");
        EXPECT_EQ(said[4], "CONFIG.txt line 7: \"ambient light\" stands where no setting belongs; its value is "
                           "ignored (settings go by line number)");
    }
}

// A folder, binary garbage or text without settings reads as no file at all.
TEST(Config, UnreadableFilesGiveDefaultsAndLeaveTheEyeAlone) {
    const std::string dir = testing::TempDir();
    std::ofstream(dir + "binary.txt") << "window width = 800\n" << std::string("\0\x7f\0", 3) << "height = 600\n";
    std::ofstream(dir + "labels.txt") << "window width 800\nwindow height: 600\n";
    for (const std::string& path : {std::string("/nonexistent/CONFIG.txt"), dir, dir + "binary.txt", dir + "labels.txt"}) {
        Settings settings;
        settings.width = 5;
        Camera camera;
        EXPECT_FALSE(loadConfig(path, settings, camera)) << path;
        EXPECT_EQ(fields(settings, camera), defaults);
        EXPECT_EQ(camera.position, glm::vec3(0.0f));
    }
}

// Before the window is made; 0 x 0 is a screen that did not say.
TEST(Config, TheWindowFitsTheScreen) {
    struct Case { int width, height, screenWidth, screenHeight, wantWidth, wantHeight; const char* console; };
    const Case cases[] = {
        {100000, 720, 1280, 720, 1280, 720, "window width 100000 clamped to 1280 (what the screen allows)\n"},
        {16384, 16384, 1920, 1080, 1920, 1080, "window width 16384 clamped to 1920 (what the screen allows)\n"
                                               "window height 16384 clamped to 1080 (what the screen allows)\n"},
        {1280, 720, 1280, 720, 1280, 720, ""},
        {5000, 4000, 0, 0, 5000, 4000, ""},
        {0, -3, 1280, 720, 0, -3, "window width 0 in CONFIG.txt: no window can be that small\n"
                                  "window height -3 in CONFIG.txt: no window can be that small\n"},
    };
    for (const Case& c : cases) {
        Settings settings;
        settings.width = c.width;
        settings.height = c.height;
        std::ostringstream console;
        fitWindowToScreen(settings, c.screenWidth, c.screenHeight, console);
        EXPECT_EQ(glm::ivec2(settings.width, settings.height), glm::ivec2(c.wantWidth, c.wantHeight));
        EXPECT_EQ(console.str(), c.console);
    }
}

TEST(Config, ShippedFileHoldsTheDefaultsAndPlacesTheEye) {
    Settings settings;
    Camera camera;
    ASSERT_TRUE(loadConfig(std::string(MURK_DATA_DIR) + "/CONFIG.txt", settings, camera));
    EXPECT_EQ(fields(settings, camera), defaults);
    EXPECT_EQ(camera.position, camera.startPosition);
}

}  // namespace
