// The frame's state machine driven by scripted input with no window: menu
// and playing branches, Space as a level, latches acting on release, the
// quit keys, the order of a playing frame, and the player's body.
#include "app/Config.h"
#include "app/FrameUpdate.h"
#include "app/GameContext.h"
#include "physics/PhysicsWorld.h"
#include "platform/ScriptedInput.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class Game : public ::testing::Test {
protected:
    Game() {
        applyConfigDefaults(context.settings, context.camera);
        context.settings.width = 801;  // odd sizes: the centre uses integer halves
        context.settings.height = 601;
        context.camera.updateVectors();
        context.frustum.setProjection(projection::cameraFieldOfView, 801.0f / 601.0f, projection::nearDistance,
                                      projection::farDistance);
        const auto record = [this](const char* name) {
            return [this, name](GameContext&, InputSource&, double) { calls.push_back(name); };
        };
        hooks.padLightControls = record("padLightControls");
        hooks.pickRay = record("pickRay");
        hooks.debugToggles = record("debugToggles");
        hooks.lightLogic = record("lightLogic");
        hooks.frameSounds = record("frameSounds");
        hooks.placeFlashlight = record("placeFlashlight");
        hooks.updateObjects = record("updateObjects");
        hooks.finishTitle = record("finishTitle");
        hooks.endOfFrameRules = [this](GameContext& game, InputSource&, double) {
            calls.push_back("endOfFrameRules");
            if (loseNow) game.camera.playing = false;
            if (winNow) game.won = true;
        };
    }

    // One pass of the loop's update part; returns the quit request.
    bool frame(double dt = 0.02) {
        calls.clear();
        const bool quit = quitRequested(context, input);
        updateFrame(context, input, hooks, dt);
        input.endFrame();
        return quit;
    }

    void startPlaying() {
        input.press(Key::Space);
        frame();
        input.release(Key::Space);
        ASSERT_TRUE(context.camera.playing);
    }

    GameContext context;
    ScriptedInput input;
    FrameHooks hooks;
    std::vector<std::string> calls;
    bool loseNow = false;
    bool winNow = false;
};

const std::vector<std::string> keyboardFrame = {"debugToggles", "lightLogic", "frameSounds", "placeFlashlight",
                                                "updateObjects", "finishTitle", "endOfFrameRules"};

TEST_F(Game, TitleFrameHoldsTheCursorAndMovesNothing) {
    input.cursorX = 10.0;
    input.cursorY = 20.0;
    input.press(Key::W);
    EXPECT_FALSE(frame());
    EXPECT_TRUE(calls.empty());
    EXPECT_DOUBLE_EQ(input.cursorX, 400.0);
    EXPECT_DOUBLE_EQ(input.cursorY, 300.0);
    EXPECT_FALSE(context.camera.playing);
    EXPECT_FALSE(context.hasPlayed);
    EXPECT_EQ(context.camera.position, glm::vec3(0.0f));
}

TEST_F(Game, SpaceStartsAGameAtTheStartAndKeepsWhatCarriesOver) {
    context.camera.fear = 80.0f;
    context.camera.energy = 3.0f;
    context.camera.pickups = 2.0f;
    context.collectedPickups = {2, 0};
    context.helpShown = true;
    context.showFps = true;
    input.press(Key::Space);
    frame();
    EXPECT_TRUE(context.camera.playing);
    EXPECT_FALSE(context.won);
    EXPECT_EQ(context.camera.fear, 0.0f);
    EXPECT_EQ(context.camera.energy, 100.0f);
    EXPECT_EQ(context.camera.position, context.camera.startPosition);
    EXPECT_EQ(context.camera.pickups, 2.0f);
    EXPECT_EQ(context.collectedPickups, (std::vector<int> {2, 0}));
    EXPECT_TRUE(context.helpShown);
    EXPECT_TRUE(context.showFps);
    EXPECT_TRUE(calls.empty());  // the starting frame is still a menu frame
}

TEST_F(Game, PlayingFrameRunsItsStepsInOrder) {
    startPlaying();
    frame();
    EXPECT_EQ(calls, keyboardFrame);
    EXPECT_TRUE(context.hasPlayed);

    // A pad takes over; the pick ray only while the right trigger is held.
    input.padConnected = true;
    frame();
    std::vector<std::string> padFrame = keyboardFrame;
    padFrame.insert(padFrame.begin(), "padLightControls");
    EXPECT_EQ(calls, padFrame);
    input.pad.bRightTrigger = 1;
    frame();
    padFrame.insert(padFrame.begin() + 1, "pickRay");
    EXPECT_EQ(calls, padFrame);
}

TEST_F(Game, MissingStepsAreSkipped) {
    hooks = FrameHooks {};
    startPlaying();
    frame();
    EXPECT_TRUE(context.hasPlayed);
}

TEST_F(Game, HelpTogglesOnceWhenF1IsReleased) {
    input.press(Key::F1);
    frame();
    EXPECT_FALSE(context.helpShown);
    frame();
    EXPECT_FALSE(context.helpShown);
    input.release(Key::F1);
    frame();
    EXPECT_TRUE(context.helpShown);
    frame();
    EXPECT_TRUE(context.helpShown);

    // A tap inside one frame still acts in that frame.
    input.tap(Key::F1);
    frame();
    EXPECT_FALSE(context.helpShown);
}

TEST_F(Game, F1DuringPlayDoesNothingAndAPressAcrossBranchesIsLost) {
    context.helpShown = true;
    startPlaying();
    input.tap(Key::F1);
    frame();
    EXPECT_TRUE(context.helpShown);

    // Pressed while playing, released in the menu after losing: never seen down.
    input.press(Key::F1);
    loseNow = true;
    frame();
    loseNow = false;
    input.release(Key::F1);
    frame();
    EXPECT_TRUE(context.helpShown);
}

TEST_F(Game, EscapeOnTheHelpScreenQuitsWithoutClosingIt) {
    context.helpShown = true;
    input.tap(Key::Escape);
    EXPECT_TRUE(frame());
    EXPECT_TRUE(context.helpShown);
}

TEST_F(Game, PadBackQuitsOnlyWhenHeldAlone) {
    input.padConnected = true;
    input.pad.wButtons = Pad::Back;
    EXPECT_TRUE(frame());
    input.pad.wButtons = Pad::Back | Pad::A;
    EXPECT_FALSE(frame());
    input.pad.wButtons = Pad::Start;
    EXPECT_FALSE(frame());
    input.padConnected = false;
    input.pad.wButtons = Pad::Back;
    EXPECT_FALSE(frame());
}

TEST_F(Game, SpaceHeldWhileLosingStartsTheNextGameAtOnce) {
    startPlaying();
    input.press(Key::Space);
    context.camera.fear = 100.0f;
    loseNow = true;
    frame();
    EXPECT_FALSE(context.camera.playing);
    EXPECT_TRUE(context.hasPlayed);
    loseNow = false;
    frame();
    EXPECT_TRUE(context.camera.playing);
    EXPECT_EQ(context.camera.fear, 0.0f);
}

TEST_F(Game, AfterWinningTheGameWaitsInTheMenuUntilSpace) {
    startPlaying();
    context.collectedPickups = {1};
    winNow = true;
    frame();
    winNow = false;
    EXPECT_TRUE(context.won);
    EXPECT_TRUE(context.camera.playing);  // won keeps playing set
    frame();
    EXPECT_TRUE(calls.empty());           // a menu frame
    context.camera.position = glm::vec3(-3.0f, 3.5f, 6.0f);
    input.press(Key::Space);
    frame();
    EXPECT_FALSE(context.won);
    EXPECT_EQ(context.camera.position, context.camera.startPosition);
    EXPECT_EQ(context.collectedPickups, std::vector<int> {1});
}

TEST_F(Game, MouseLooksFromTheCentreAndTheCursorGoesBack) {
    startPlaying();
    const float yaw = context.camera.horizontalAngle;
    const float pitch = context.camera.verticalAngle;
    input.cursorX = 410.0;  // right of and above the centre (400, 300)
    input.cursorY = 295.0;
    frame();
    EXPECT_NEAR(context.camera.horizontalAngle, yaw - 10.0f * 0.002f, 1e-6f);
    EXPECT_NEAR(context.camera.verticalAngle, pitch + 5.0f * 0.002f, 1e-6f);
    EXPECT_DOUBLE_EQ(input.cursorX, 400.0);
    EXPECT_DOUBLE_EQ(input.cursorY, 300.0);
}

TEST_F(Game, APadTakesOverFromKeysAndMouse) {
    startPlaying();
    input.padConnected = true;
    input.press(Key::W);
    input.cursorX = 0.0;
    const glm::vec3 before = context.camera.position;
    const float yaw = context.camera.horizontalAngle;
    frame();
    EXPECT_EQ(context.camera.position.x, before.x);
    EXPECT_EQ(context.camera.position.z, before.z);
    EXPECT_EQ(context.camera.horizontalAngle, yaw);
    EXPECT_FALSE(context.camera.moving);

    input.padConnected = false;
    frame();
    EXPECT_TRUE(context.camera.moving);
    EXPECT_NE(context.camera.position.z, before.z);
}

TEST_F(Game, FrustumFollowsTheEyeInEveryBranch) {
    frame();  // title: the eye is still at the origin
    const glm::vec3 ahead = context.camera.direction * 5.0f;
    EXPECT_TRUE(context.frustum.isVisible(ahead.x - 0.1f, ahead.x + 0.1f, ahead.y - 0.1f, ahead.y + 0.1f,
                                          ahead.z - 0.1f, ahead.z + 0.1f));
    EXPECT_FALSE(context.frustum.isVisible(-ahead.x - 0.1f, -ahead.x + 0.1f, -ahead.y - 0.1f, -ahead.y + 0.1f,
                                           -ahead.z - 0.1f, -ahead.z + 0.1f));
    startPlaying();
    frame();
    const glm::vec3 eye = context.camera.position;
    EXPECT_NEAR(glm::dot(context.frustum.nearTopLeft - eye, context.camera.direction), 0.01f, 1e-4f);
}

// The player's body: the eye follows the capsule, crouching keeps it low
// under a ceiling, and a new game teleports it.
class GameWithBody : public Game {
protected:
    GameWithBody() {
        context.camera.startPosition = glm::vec3(0.0f, 1.2f, 0.0f);
        physics.init(0.0f, 1.2f, 0.0f);
        context.physicsWorld = &physics;
    }
    PhysicsWorld physics;
};

TEST_F(GameWithBody, EyeStandsOnTheFeet) {
    startPlaying();
    for (int i = 0; i < 10; ++i) frame();
    EXPECT_FALSE(physics.crouched);
    EXPECT_NEAR(context.camera.position.x, physics.footPosition.x, 1e-5);
    EXPECT_NEAR(context.camera.position.z, physics.footPosition.z, 1e-5);
    EXPECT_NEAR(context.camera.position.y, physics.footPosition.y + 1.2, 1e-5);
    EXPECT_NEAR(physics.footPosition.y, 0.0, 0.05);
}

TEST_F(GameWithBody, CrouchStaysLowUnderACeilingAndStandsInTheOpen) {
    startPlaying();
    input.press(Key::LeftControl);
    frame();
    EXPECT_TRUE(physics.crouched);
    EXPECT_TRUE(context.camera.crouching);
    EXPECT_NEAR(context.camera.position.y, physics.footPosition.y + 0.6, 1e-5);

    // A ceiling that a crouched player fits under and a standing one does not.
    physics.addBox(false, glm::dvec3(0.0, 1.0, 0.0), glm::dvec3(2.0, 0.1, 2.0), 0.0f);
    input.release(Key::LeftControl);
    for (int i = 0; i < 3; ++i) frame();
    EXPECT_TRUE(physics.crouched);
    EXPECT_TRUE(context.camera.crouching);
    EXPECT_FLOAT_EQ(context.camera.walkSpeed, 1.0f);
    EXPECT_NEAR(context.camera.position.y, physics.footPosition.y + 0.6, 1e-5);

    // Out from under it, the body stands up again.
    physics.setControllerPosition(5.0, 0.6, 0.0);
    frame();
    EXPECT_FALSE(physics.crouched);
    EXPECT_FALSE(context.camera.crouching);
    EXPECT_FLOAT_EQ(context.camera.walkSpeed, 1.5f);
}

TEST_F(GameWithBody, NewGameTeleportsTheBodyToTheStart) {
    startPlaying();
    physics.setControllerPosition(3.0, 0.6, -4.0);
    frame();
    EXPECT_NEAR(context.camera.position.x, 3.0f, 1e-3f);
    loseNow = true;
    frame();
    loseNow = false;
    input.press(Key::Space);
    frame();
    input.release(Key::Space);
    frame();
    EXPECT_NEAR(context.camera.position.x, 0.0f, 1e-3f);
    EXPECT_NEAR(context.camera.position.z, 0.0f, 1e-3f);
    EXPECT_NEAR(physics.controllerPosition().y, 0.6, 0.05);
}

}  // namespace
