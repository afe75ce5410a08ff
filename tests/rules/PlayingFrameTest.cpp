#include <gtest/gtest.h>

#include "app/FrameUpdate.h"
#include "app/GameContext.h"
#include "app/RulesHooks.h"
#include "physics/PhysicsWorld.h"
#include "platform/ScriptedInput.h"
#include "render/Light.h"
#include "RecordingSounds.h"

namespace {

constexpr double frameDt = 1.0 / 60.0;
const glm::vec3 quietCorner(1.0f, 1.2f, 1.0f);
const glm::vec3 insideExitHigh(-3.5f, 2.5f, 6.0f);

// A game without scene or physics: the eye stays where the test puts it.
class PlayingFrame : public ::testing::Test {
protected:
    void SetUp() override {
        RulesHookOptions options;
        options.sounds = &sounds;
        options.polygonMode = false;
        addRulesHooks(hooks, options);
        context.camera.horizontalAngle = 0.0f;
        context.camera.verticalAngle = 0.0f;
        context.camera.updateVectors();
        context.camera.startPosition = quietCorner;
        input.cursorX = context.settings.width / 2;
        input.cursorY = context.settings.height / 2;
        context.lights.push_back(makeOwned<Light>(glm::vec3(0.0f), glm::vec3(1.0f),
                                                  glm::vec3(0.0f, 0.0f, 1.0f), 0.95f, nullptr, 1.0f));
        context.lights.push_back(makeOwned<Light>(glm::vec3(-3.8f, 3.0f, -7.5f), glm::vec3(1.0f),
                                                  glm::vec3(0.0f, 1.0f, 0.0f), 0.95f, nullptr, 1.0f));
        context.flashlight = context.lights[0].get();
        startNewGame(context);
    }

    void frame() {
        updateFrame(context, input, hooks, frameDt);
        input.endFrame();
        input.now += frameDt;
    }

    GameContext context;
    ScriptedInput input;
    FrameHooks hooks;
    RecordingSounds sounds;
};

TEST_F(PlayingFrame, DarkLosesAfterAboutThirteenSecondsAndThatFrameIsStillPlay) {
    int frames = 0;
    while (context.camera.playing && frames < 60 * 30) {
        sounds.clear();
        frame();
        ++frames;
    }
    EXPECT_NEAR(frames * frameDt, 13.33, 0.1);
    EXPECT_FALSE(context.won);
    EXPECT_TRUE(context.hasPlayed);
    // The losing frame ran its sounds and set its title.
    EXPECT_FALSE(sounds.lines().empty());
    EXPECT_EQ(input.titleChanges, frames);

    sounds.clear();
    frame();  // a menu frame now: nothing sounds, the title stays
    EXPECT_TRUE(sounds.lines().empty());
    EXPECT_EQ(input.titleChanges, frames);
}

// The eye only gets above 2 on a raised floor, so these stand the real
// capsule on a block inside the exit's x and z ranges.
void standOnBlock(GameContext& context, PhysicsWorld& physics, float blockTop) {
    physics.init(-3.5f, blockTop + 1.3f, 6.0f);
    physics.addBox(false, glm::dvec3(-3.5, blockTop / 2.0, 6.0), glm::dvec3(1.0, blockTop / 2.0, 1.5),
                   0.0f);
    context.physicsWorld = &physics;
    context.camera.startPosition = glm::vec3(-3.5f, blockTop + 1.3f, 6.0f);
    startNewGame(context);
}

TEST_F(PlayingFrame, ExitBoxWinsAtTheEndOfTheFrame) {
    PhysicsWorld physics;
    standOnBlock(context, physics, 1.0f);
    int frames = 0;
    while (!context.won && frames < 120) {
        sounds.clear();
        frame();
        ++frames;
    }
    ASSERT_TRUE(context.won);
    EXPECT_GT(context.camera.position.y, 2.0f);
    EXPECT_TRUE(context.camera.playing);
    // The winning frame was played to its end; the next one is the won screen.
    EXPECT_FALSE(sounds.lines().empty());
    EXPECT_EQ(input.titleChanges, frames);
    sounds.clear();
    frame();
    EXPECT_TRUE(sounds.lines().empty());
    EXPECT_EQ(input.titleChanges, frames);
}

TEST_F(PlayingFrame, ExitBoxWithALowEyeWinsNothing) {
    PhysicsWorld physics;
    standOnBlock(context, physics, 0.5f);
    for (int i = 0; i < 120; ++i) frame();
    EXPECT_LT(context.camera.position.y, 2.0f);
    EXPECT_NEAR(context.camera.position.x, -3.5f, 0.1f);
    EXPECT_NEAR(context.camera.position.z, 6.0f, 0.1f);
    EXPECT_FALSE(context.won);
}

TEST_F(PlayingFrame, TitleAfterFirstFrameWithTheRenderersCounts) {
    context.drawCounts = DrawCounts{1200, 400, 25};
    input.tap(Key::F2);
    frame();
    EXPECT_EQ(input.windowTitle,
              "Murkhaven @0 fps (0 ms) - TSQ: bilinear; MMQ: linear FC: on TP: off;; "
              "#vertices: 1200; #faces: 400; #objects: 25");
}

TEST_F(PlayingFrame, TogglesAreIgnoredInMenus) {
    context.camera.playing = false;
    for (int key : {Key::F2, Key::F3, Key::F4, Key::F5, Key::F8, Key::F9}) input.press(key);
    frame();
    for (int key : {Key::F2, Key::F3, Key::F4, Key::F5, Key::F8, Key::F9}) input.release(key);
    frame();
    EXPECT_FALSE(context.showFps);
    EXPECT_FALSE(context.wireframe);
    EXPECT_FALSE(context.transparency);
    EXPECT_TRUE(context.frustum.enabled);
    EXPECT_EQ(input.titleChanges, 0);
    EXPECT_EQ(context.frameRate.frameCount, 0);
}

TEST_F(PlayingFrame, PickupCollectedThenUsedWithE) {
    context.camera.position = glm::vec3(-0.5f, 1.2f, 7.5f);
    context.camera.energy = 100.0f;
    input.pressButton(MouseButton::Left);
    for (int i = 0; i < 30; ++i) frame();
    EXPECT_EQ(context.camera.pickups, 1.0f);
    EXPECT_EQ(context.collectedPickups, std::vector<int>{1});
    EXPECT_LT(context.camera.energy, 100.0f);
    input.releaseButton(MouseButton::Left);
    context.camera.position = quietCorner;
    input.tap(Key::E);
    frame();
    EXPECT_EQ(context.camera.energy, 100.0f);
    EXPECT_EQ(context.camera.pickups, 0.0f);
    EXPECT_TRUE(context.collectedPickups.empty());
}

TEST_F(PlayingFrame, LightAndLampFollowTheRules) {
    input.pressButton(MouseButton::Left);
    input.now = 1.5707963;
    frame();
    EXPECT_EQ(context.flashlight->intensity, 1.0f);
    EXPECT_NEAR(context.camera.lightIntensity, 1.0f - 10.0f / 60.0f / 100.0f, 1e-5f);
    EXPECT_FLOAT_EQ(context.flashlight->position.x, quietCorner.x + 0.15f * context.camera.right.x);
    EXPECT_FLOAT_EQ(context.lights[1]->direction.x, 0.25f);
    EXPECT_FLOAT_EQ(context.lampUp.y, 0.25f);
    EXPECT_FLOAT_EQ(context.swingA, 1.0f);
    input.releaseButton(MouseButton::Left);
    frame();
    EXPECT_EQ(context.flashlight->intensity, 0.0f);
    EXPECT_FLOAT_EQ(context.camera.lightIntensity, 0.2f);
}

TEST_F(PlayingFrame, PadTriggerLightsTheFlashlightAndChargesOnce) {
    input.padConnected = true;
    input.pad.bRightTrigger = 200;
    input.pad.bLeftTrigger = 255;
    frame();
    EXPECT_EQ(context.flashlight->intensity, 1.0f);
    EXPECT_FLOAT_EQ(context.flashlight->cutOff, 0.94f);
    EXPECT_NEAR(context.camera.energy, 100.0f - 10.0f / 60.0f, 1e-4f);  // once, not twice

    input.pad.bRightTrigger = 0;
    context.camera.fear = 0.0f;
    frame();
    EXPECT_EQ(context.flashlight->intensity, 0.0f);
    EXPECT_NEAR(context.camera.fear, 7.5f / 60.0f, 1e-4f);
}

}  // namespace
