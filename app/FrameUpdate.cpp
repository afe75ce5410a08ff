#include "app/FrameUpdate.h"

#include "app/GameContext.h"
#include "audio/SoundManager.h"
#include "physics/PhysicsWorld.h"
#include "platform/Input.h"

namespace {

void run(const FrameHooks::Step& step, GameContext& context, InputSource& input, double dt) {
    if (step) step(context, input, dt);
}

// Offset of the cursor from the window centre (left and up positive), which
// it is then put back to.
void mouseLook(GameContext& context, InputSource& input) {
    const int centreX = context.settings.width / 2;
    const int centreY = context.settings.height / 2;
    double x = 0.0;
    double y = 0.0;
    input.cursorPosition(x, y);
    input.setCursorPosition(centreX, centreY);
    context.camera.mouseLook(static_cast<float>(centreX - x), static_cast<float>(centreY - y));
}

// Left Control crouches; letting go stands up only where the capsule fits,
// so the player stays low under a low ceiling.
void crouchWithKeyboard(GameContext& context, InputSource& input) {
    Camera& camera = context.camera;
    PhysicsWorld* physics = context.physicsWorld;
    const bool crouchKey = input.keyDown(Key::LeftControl);
    if (physics == nullptr) {
        camera.setCrouch(crouchKey);
        return;
    }
    if (crouchKey) {
        camera.setCrouch(true);
        physics->resizeController(PhysicsWorld::crouchHeight);
        physics->crouched = true;
    } else {
        camera.setCrouch(false);
        physics->crouched = true;
        if (physics->canStandUp()) {
            physics->resizeController(PhysicsWorld::standHeight);
            physics->crouched = false;
        }
    }
    camera.setCrouch(physics->crouched);
}

void moveCharacter(GameContext& context, glm::dvec3 displacement, double dt) {
    if (context.physicsWorld != nullptr)
        context.physicsWorld->moveCharacter(displacement.x, displacement.y, displacement.z, dt);
}

// A pad that answers takes over movement and look completely.
void movePlayer(GameContext& context, InputSource& input, const FrameHooks& hooks, double dt) {
    Camera& camera = context.camera;
    const float frameTime = static_cast<float>(dt);
    if (input.gamepad(camera.padState)) {
        run(hooks.padLightControls, context, input, dt);
        moveCharacter(context, camera.gamepadControl(frameTime, input), dt);
        if (camera.padState.bRightTrigger > 0) run(hooks.pickRay, context, input, dt);
        return;
    }
    mouseLook(context, input);
    const glm::dvec3 displacement = camera.keyboardMove(input.keyDown(Key::W), input.keyDown(Key::S),
                                                        input.keyDown(Key::A), input.keyDown(Key::D), frameTime);
    crouchWithKeyboard(context, input);
    moveCharacter(context, displacement, dt);
}

// The eye follows the capsule's feet.
void stepPhysics(GameContext& context, double dt) {
    PhysicsWorld* physics = context.physicsWorld;
    if (physics == nullptr) return;
    physics->step(dt);
    const float eyeHeight = physics->crouched ? Camera::crouchEyeHeight : Camera::standEyeHeight;
    context.camera.position = glm::vec3(static_cast<float>(physics->footPosition.x),
                                        static_cast<float>(physics->footPosition.y) + eyeHeight,
                                        static_cast<float>(physics->footPosition.z));
}

void playingFrame(GameContext& context, InputSource& input, const FrameHooks& hooks, double dt) {
    if (context.soundManager) context.soundManager->setMuteAll(false);
    movePlayer(context, input, hooks, dt);
    context.camera.headBob(static_cast<float>(input.time()));
    run(hooks.debugToggles, context, input, dt);
    run(hooks.lightLogic, context, input, dt);
    stepPhysics(context, dt);
    run(hooks.frameSounds, context, input, dt);
    run(hooks.placeFlashlight, context, input, dt);
    run(hooks.updateObjects, context, input, dt);
    run(hooks.finishTitle, context, input, dt);
    run(hooks.endOfFrameRules, context, input, dt);
    context.hasPlayed = true;
}

void menuFrame(GameContext& context, InputSource& input) {
    // Held at the centre so the first playing frame starts without a jump.
    input.setCursorPosition(context.settings.width / 2, context.settings.height / 2);
    // A level, not an edge: Space held while losing starts the next game at once.
    if (input.keyDown(Key::Space)) startNewGame(context);
    if (context.latches.f1.poll(input, Key::F1)) context.helpShown = !context.helpShown;
    if (context.soundManager) context.soundManager->setMuteAll(true);
}

}  // namespace

void startNewGame(GameContext& context) {
    Camera& camera = context.camera;
    camera.fear = 0.0f;
    camera.energy = 100.0f;
    camera.playing = true;
    camera.position = camera.startPosition;
    if (context.physicsWorld != nullptr) {
        const glm::dvec3 start(camera.startPosition);
        context.physicsWorld->setControllerPosition(start.x, start.y - 0.6, start.z);
    }
    context.won = false;
}

bool quitRequested(GameContext& context, InputSource& input) {
    bool quit = input.keyDown(Key::Escape);
    GamepadState& pad = context.camera.padState;
    if (input.gamepad(pad) && input.gamepad(pad) && pad.wButtons == Pad::Back) quit = true;
    return quit;
}

void updateFrame(GameContext& context, InputSource& input, const FrameHooks& hooks, double dt) {
    Camera& camera = context.camera;
    if (camera.playing && !context.won)
        playingFrame(context, input, hooks, dt);
    else
        menuFrame(context, input);
    context.frustum.update(camera.position, camera.position + camera.direction, camera.up);
    // Time passes for every channel, muted or not.
    if (context.soundManager) context.soundManager->update(dt);
}
