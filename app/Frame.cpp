// One frame of the game, top to bottom. runFrameLoop is the whole loop;
// playingFrame, pausedFrame and menuFrame are the branches of the update,
// each a list of named steps in the order they run.
#include "app/Frame.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <utility>

#include <glm/geometric.hpp>

#include "app/CarriedObjects.h"
#include "app/DebugToggles.h"
#include "app/FrameSounds.h"
#include "app/Folders.h"
#include "app/GameContext.h"
#include "app/GameRules.h"
#include "app/GameSetup.h"
#include "app/MenuFrames.h"
#include "app/OptionTexts.h"
#include "app/RenderScaleControl.h"
#include "app/SettingsSteps.h"
#include "app/Subtitles.h"
#include "app/WindowTitle.h"
#include "audio/SoundManager.h"
#include "physics/PhysicsWorld.h"
#include "platform/Input.h"
#include "platform/Window.h"
#include "render/GlState.h"
#include "render/Renderer.h"
#include "render/Screenshot.h"
#include "scene/SceneObject.h"
#include "scene/World.h"

namespace {

// What a frame's pad steps hand to later steps of the same frame.
struct PadFrame {
    bool answered = false;  // a pad is connected and took over the controls
    bool lit = false;       // right trigger or left button
    bool picked = false;    // the pick ray was cast
    int pickedActor = -1;
};

constexpr float brightnessShownSeconds = 2.0f;
constexpr float pickupFlashSeconds = 0.5f;
// A brush past a bench says nothing; a push into a deck's or a stage's edge does.
constexpr float obstacleHintAfterSeconds = 0.5f;

// A play action's key or mouse button, as the player bound it.
bool actionDown(const GameContext& context, const Controls& controls, Action action) {
    return controls.keyDown(context.settings.keys[action]);
}

// --- Steps of a playing frame ---

void unmuteSounds(GameContext& context) {
    if (context.soundManager) context.soundManager->setMuteAll(false);
}

// The left trigger widens the cone; the meters run under the right trigger,
// which lights the flashlight as the button does.
void padLightControls(GameContext& context, const Controls& controls, PadFrame& pad, float dt) {
    Camera& camera = context.camera;
    context.flashlight.cutOff = rules::padCutOff(controls.pad.bLeftTrigger);
    pad.lit = controls.pad.bRightTrigger > 0 || actionDown(context, controls, Action::Light);
    rules::padMeters(camera.energy, camera.fear, pad.lit, dt);
}

// While the right trigger is held: which actor the view ray hits, for the title.
void pickRay(GameContext& context, PadFrame& pad) {
    if (context.physicsWorld == nullptr) return;
    const Camera& camera = context.camera;
    pad.picked = true;
    pad.pickedActor = context.physicsWorld->pick(camera.position, glm::normalize(camera.direction));
}

void mouseLook(GameContext& context, const Controls& controls) {
    const int centreX = context.settings.width / 2;
    const int centreY = context.settings.height / 2;
    context.camera.mouseLook(static_cast<float>(centreX - controls.cursorX),
                             static_cast<float>(centreY - controls.cursorY));
}

// Left Control crouches; letting go stands up only where the capsule fits,
// so the player stays low under a low ceiling.
void crouchWithKeyboard(GameContext& context, const Controls& controls) {
    Camera& camera = context.camera;
    PhysicsWorld* physics = context.physicsWorld;
    const bool crouchKey = actionDown(context, controls, Action::Crouch);
    if (physics == nullptr) {
        camera.setCrouch(crouchKey);
        return;
    }
    if (crouchKey) {
        physics->resizeController(PhysicsWorld::crouchHeight);
        physics->crouched = true;
    } else if (physics->crouched && physics->canStandUp()) {
        // Only a crouched capsule asks: a standing player passing under a
        // shelf must not drop to a crouch.
        physics->resizeController(PhysicsWorld::standHeight);
        physics->crouched = false;
    }
    camera.setCrouch(physics->crouched);
}

void moveCharacter(GameContext& context, glm::dvec3 displacement, double dt) {
    if (context.physicsWorld != nullptr)
        context.physicsWorld->moveCharacter(displacement.x, displacement.y, displacement.z, dt);
}

// A standing player who keeps walking into something low enough to crawl
// under is told the crouch key, as bound; into a ledge, that it is no way up.
void hintObstacle(GameContext& context, glm::dvec3 displacement, float dt) {
    using Obstacle = PhysicsWorld::Obstacle;
    PhysicsWorld* physics = context.physicsWorld;
    const Obstacle ahead = physics != nullptr ? physics->obstacleAhead(displacement.x, displacement.z) : Obstacle::None;
    context.obstacleSeconds = ahead != Obstacle::None ? context.obstacleSeconds + dt : 0.0f;
    if (context.obstacleSeconds < obstacleHintAfterSeconds) return;
    if (ahead == Obstacle::LowOverhead)
        showNotice(context, "Too low to walk upright: hold " + inputName(context.settings.keys[Action::Crouch]) +
                                " to crouch");
    else
        showNotice(context, "Too high to climb here");
}

// A pad that answers takes over movement and look completely.
PadFrame movePlayer(GameContext& context, const Controls& controls, double dt) {
    Camera& camera = context.camera;
    const float frameTime = static_cast<float>(dt);
    PadFrame pad;
    if (controls.padConnected) {
        pad.answered = true;
        padLightControls(context, controls, pad, frameTime);
        moveCharacter(context, camera.gamepadControl(frameTime, controls.pad), dt);
        if (controls.pad.bRightTrigger > 0) pickRay(context, pad);
        return pad;
    }
    mouseLook(context, controls);
    const glm::dvec3 displacement =
        camera.keyboardMove(actionDown(context, controls, Action::Forward), actionDown(context, controls, Action::Back),
                            actionDown(context, controls, Action::Left), actionDown(context, controls, Action::Right),
                            frameTime);
    crouchWithKeyboard(context, controls);
    moveCharacter(context, displacement, dt);
    hintObstacle(context, displacement, frameTime);
    return pad;
}

// F2..F9, the frame-rate counter and the first half of the window title.
void debugToggles(GameContext& context, const Controls& controls, double dt) {
    if (!context.world) return;
    World& world = *context.world;
    const DebugSwitches switches{context.showFps,  context.wireframe,       world.samplingQuality,
                                 world.mipmapQuality, context.frustum.enabled, context.transparency};
    pollDebugToggles(controls, context.latches.debugKeys, switches, [&] {
        applyTextureFilters(context.sceneObjects, world.mipmapQuality, world.samplingQuality);
    });
    context.frameRate.count(dt);
    context.windowTitle = titleHead(context.showFps, context.frameRate, world.samplingQuality,
                                    world.mipmapQuality, context.frustum.enabled, context.transparency);
}

// The flashlight under the left button (or the pad's trigger): energy and fear.
void lightLogic(GameContext& context, const Controls& controls, const PadFrame& pad, float dt) {
    Camera& camera = context.camera;
    const bool lit = pad.answered ? pad.lit : actionDown(context, controls, Action::Light);
    const rules::LightOutput out =
        rules::lightLogic(camera.energy, camera.fear, lit, context.settings.freezeMeters, pad.answered, dt);
    context.flashlight.intensity = out.flashlightIntensity;
    camera.lightIntensity = out.lightIntensity;
}

// Calm mode: the fear the light logic added counts half.
void calmFear(GameContext& context, float fearBefore, float dt) {
    if (context.settings.calm) context.camera.fear = rules::calmFear(fearBefore, context.camera.fear, dt);
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

// Music, the television, voices and enemies in their boxes, footsteps.
void playFrameSounds(GameContext& context) {
    if (!context.soundManager) return;
    const Camera& camera = context.camera;
    const Listener listener{camera.position, camera.direction, camera.up, camera.moving};
    playSounds(*context.soundManager, frameSounds(context.sounds, listener), listener);
}

void placeFlashlight(GameContext& context) {
    const Camera& camera = context.camera;
    const rules::FlashlightPose pose =
        rules::placeFlashlight(camera.position, camera.direction, camera.right, camera.up);
    context.flashlight.position = pose.position;
    context.flashlight.direction = pose.direction;
}

void updateObjects(GameContext& context, double dt) {
    for (murk::SceneObject* object : context.sceneObjects) object->update(dt);
}

// F6 and F7 brightness, said on screen (and by its bar on the HUD for a
// moment): in play, paused and on the title, where the title names them.
void brightnessKeys(GameContext& context, const Controls& controls) {
    const bool darker = context.latches.f6.poll(controls, Key::F6);
    const bool brighter = context.latches.f7.poll(controls, Key::F7);
    if (darker == brighter) return;
    context.settings.brightness = rules::stepBrightness(context.settings.brightness, brighter ? 1 : -1);
    context.brightnessShown = brightnessShownSeconds;
    showNotice(context, "Brightness " + brightnessText(context.settings.brightness));
}

// The brightness keys, '-' and '=' mouse speed, each said on screen; F10
// saves the settings now. The HUD's brightness bar and pick-up flash fade here.
void settingsKeys(GameContext& context, const Controls& controls, float dt) {
    KeyLatches& latches = context.latches;
    context.brightnessShown = std::max(0.0f, context.brightnessShown - dt);
    context.pickupFlash = std::max(0.0f, context.pickupFlash - dt);
    brightnessKeys(context, controls);
    Camera& camera = context.camera;
    const bool slower = latches.minus.poll(controls, Key::Minus);
    const bool faster = latches.equal.poll(controls, Key::Equal);
    if (slower != faster) {
        camera.mouseSpeed = rules::stepMouseSpeed(camera.mouseSpeed, faster ? 1 : -1);
        showNotice(context, "Mouse speed " + mouseSpeedText(camera.mouseSpeed));
    }
    if (latches.f10.poll(controls, Key::F10)) saveSettingsNow(context);
}

// The drawing counts of the last frame and the pick ray's hit.
void finishTitle(GameContext& context, const PadFrame& pad) {
    if (context.renderer) appendDrawCounts(context.windowTitle, context.renderer->drawCounts());
    if (pad.picked) appendPickResult(context.windowTitle, pad.pickedActor);
}

// Pick-ups, the lamp's swing, the E key, then lose and win: decided last, so
// the frame that gets there is still drawn as play.
void endOfFrameRules(GameContext& context, const Controls& controls, double now) {
    Camera& camera = context.camera;
    rules::collectPickups(camera.position, camera.pickups, context.collectedPickups);

    context.lampSwing = rules::swingLamp(now);
    context.lampUp = context.lampSwing.lampUp;
    context.lamp.direction = context.lampSwing.lampDirection;

    if (context.latches.e.poll(controls, context.settings.keys[Action::Use])) {
        const float held = camera.pickups;
        rules::usePickup(camera.pickups, camera.energy, context.collectedPickups);
        if (camera.pickups < held) context.pickupFlash = pickupFlashSeconds;
    }
    if (rules::fearLoses(camera.fear)) camera.playing = false;
    context.hasPlayed = true;
    if (rules::insideExit(camera.position)) context.won = true;
}

void playingFrame(GameContext& context, const Controls& controls, const FrameTime& time) {
    const float dt = static_cast<float>(time.dt);
    const float fearBefore = context.camera.fear;
    unmuteSounds(context);
    const PadFrame pad = movePlayer(context, controls, time.dt);
    context.camera.headBob(static_cast<float>(time.now));
    debugToggles(context, controls, time.dt);
    settingsKeys(context, controls, dt);
    lightLogic(context, controls, pad, dt);
    calmFear(context, fearBefore, dt);
    stepPhysics(context, time.dt);
    playFrameSounds(context);
    placeFlashlight(context);
    updateObjects(context, time.dt);
    finishTitle(context, pad);
    endOfFrameRules(context, controls, time.now);
}

// --- A paused frame: nothing moves, nothing sounds ---

bool pauseKey(const GameContext& context, const Controls& controls) {
    return actionDown(context, controls, Action::Pause) ||
           (controls.padConnected && (controls.pad.wButtons & Pad::Start) != 0);
}

void pause(GameContext& context, const Controls& controls) {
    context.paused = true;
    openPauseMenu(context, controls);
    if (context.soundManager) context.soundManager->pauseAll(true);
}

void resume(GameContext& context, const Controls& controls) {
    context.paused = false;
    // The resuming press must not pause again in the next frame.
    context.pauseKeyDown = pauseKey(context, controls);
    if (context.soundManager) context.soundManager->pauseAll(false);
}

// The clock keeps running outside; the game's own time does not. The menu
// decides what a press does.
void pausedFrame(GameContext& context, const Controls& controls) {
    brightnessKeys(context, controls);
    switch (pauseMenuStep(context, controls)) {
    case PauseChoice::Resume: resume(context, controls); break;
    case PauseChoice::Options: openOptions(context, controls); break;
    case PauseChoice::Help: context.helpShown = true; break;
    case PauseChoice::Quit: context.quitAsked = true; break;
    case PauseChoice::Stay: break;
    }
}

// Focus lost, or P or Start pressed (an edge, so holding it does not flicker).
void pauseWhenAsked(GameContext& context, const Controls& controls) {
    const bool key = pauseKey(context, controls);
    if (!controls.focused || (key && !context.pauseKeyDown)) pause(context, controls);
    context.pauseKeyDown = key;
}

// --- A menu frame: title, lost, won, help ---

void menuFrame(GameContext& context, const Controls& controls) {
    // A level, not an edge: Space held while losing starts the next game at once.
    if (controls.keyDown(Key::Space)) startNewGame(context);
    if (context.latches.f1.poll(controls, Key::F1)) context.helpShown = !context.helpShown;
    brightnessKeys(context, controls);
    if (context.soundManager) context.soundManager->setMuteAll(true);
    const MenuInput in = context.menuReader.read(controls);
    if (context.latches.o.poll(controls, Key::O) || in.padY) openOptions(context, controls);
    // Kept here too, so a pause key held as the next game starts does not pause it.
    context.pauseKeyDown = pauseKey(context, controls);
}

// Alt and Enter, in any state: full screen or a window.
void fullScreenKey(GameContext& context, const Controls& controls) {
    const bool alt = controls.keyHeld(Key::LeftAlt) || controls.keyHeld(Key::RightAlt) ||
                     controls.keyDown(Key::LeftAlt) || controls.keyDown(Key::RightAlt);
    if (context.latches.enter.poll(controls, Key::Enter) && alt) context.settings.windowed = !context.settings.windowed;
}

void restartLatches(GameContext& context, const Controls& controls) {
    KeyLatches& latches = context.latches;
    latches.f1.restart(controls, Key::F1);
    latches.e.restart(controls, context.settings.keys[Action::Use]);
    latches.o.restart(controls, Key::O);
    const int keys[] = {Key::F2, Key::F3, Key::F4, Key::F5, Key::F8, Key::F9};
    for (std::size_t i = 0; i < latches.debugKeys.latches.size(); ++i) {
        latches.debugKeys.latches[i].restart(controls, keys[i]);
    }
    const std::pair<KeyLatch*, int> settingKeys[] = {
        {&latches.f6, Key::F6}, {&latches.f7, Key::F7}, {&latches.minus, Key::Minus},
        {&latches.equal, Key::Equal}, {&latches.f10, Key::F10}};
    for (const auto& [latch, key] : settingKeys) latch->restart(controls, key);
}

// --- After the picture is drawn ---

void takeScreenshot(GameContext& context, const Controls& controls) {
    if (!context.latches.f12.poll(controls, Key::F12)) return;
    // Beside the data while that can be written to (a copy run from the
    // repository), else in the player's pictures.
    const bool beside = folders::writable("");
    const std::string folder = beside ? "" : folders::picturesFolder();  // empty too without a home
    const std::string name = beside || !folder.empty() ? screenshot::nextFileName(folder) : "";
    if (!name.empty() && screenshot::saveBackBuffer(name, context.settings.width, context.settings.height)) {
        std::cout << "screenshot saved: " << name << std::endl;
    } else {
        if (!name.empty()) std::remove(name.c_str());  // the empty file that claimed the name
        std::cout << "screenshot could not be written: "
                  << (name.empty() ? "no new file can be made in " + (folder.empty() ? "a picture folder" : folder) : name)
                  << std::endl;
    }
}

}  // namespace

bool quitRequested(const Controls& controls) {
    return controls.keyDown(Key::Escape) || (controls.padConnected && controls.pad.wButtons == Pad::Back);
}

void startNewGame(GameContext& context) {
    Camera& camera = context.camera;
    camera.fear = 0.0f;
    camera.energy = 100.0f;
    camera.playing = true;
    camera.position = camera.startPosition;
    camera.horizontalAngle = camera.startHorizontalAngle;
    camera.verticalAngle = camera.startVerticalAngle;
    camera.updateVectors();
    if (context.physicsWorld != nullptr) {
        const glm::dvec3 start(camera.startPosition);
        context.physicsWorld->setControllerPosition(start.x, start.y - 0.6, start.z);
    }
    context.won = false;
    // The help opened on the title would stand in for the end screens.
    context.helpShown = false;
}

bool updateFrame(GameContext& context, const Controls& controls, const FrameTime& time) {
    Camera& camera = context.camera;
    const bool inGame = camera.playing && !context.won;
    fullScreenKey(context, controls);
    if (inGame && !context.paused) pauseWhenAsked(context, controls);
    const bool wasPaused = inGame && context.paused;
    const bool options = context.optionsOpen;
    if (options) {
        optionsFrame(context, controls);
    } else if (wasPaused) {
        pausedFrame(context, controls);
    }
    if (wasPaused) context.pausedSeconds += time.dt;
    const bool playing = inGame && !wasPaused;
    // A key pressed in one state must not act in the other: E held as the
    // game is lost would use a pick-up in the next game's first frame.
    if (playing != context.lastFramePlayed) restartLatches(context, controls);
    context.lastFramePlayed = playing;
    if (playing) {
        playingFrame(context, controls, FrameTime{time.now - context.pausedSeconds, time.dt});
    } else if (!inGame && !options) {
        menuFrame(context, controls);
    }
    applySettings(context);
    fadeNotice(context, static_cast<float>(time.dt));
    context.frustum.update(camera.position, camera.position + camera.direction, camera.up);
    // Time passes for every channel, muted or not; a pause holds them all.
    if (context.soundManager && !wasPaused) context.soundManager->update(time.dt);
    holdCarriedObjects(context);
    return playing;
}

FrameView frameView(const GameContext& context) {
    const Camera& camera = context.camera;
    FrameView view;
    view.eye = camera.position;
    view.direction = camera.direction;
    view.up = camera.up;
    view.fieldOfView = context.fieldOfView;
    view.width = context.settings.width;
    view.height = context.settings.height;
    view.renderScale = context.settings.renderScale;
    view.objects = &context.sceneObjects;
    view.frustum = &context.frustum;
    view.flashlight = context.flashlight;
    view.flashlight.up = camera.up;
    view.lamp = context.lamp;
    view.lamp.up = context.lampUp;
    view.lightIntensity = camera.lightIntensity;
    view.ambient = context.settings.ambient;
    const bool inGame = camera.playing && !context.won;
    // Help opened from the pause menu shows as it does in the menus.
    const bool pausedHelp = inGame && context.paused && context.helpShown;
    view.screen = ScreenState{camera.playing && !pausedHelp, context.won, context.helpShown, context.hasPlayed,
                              context.wireframe};
    view.fear = camera.fear;
    view.energy = camera.energy;
    view.wireframe = context.wireframe;
    view.transparency = context.transparency;
    view.brightness = context.settings.brightness;
    view.brightnessShown = context.brightnessShown;
    view.pickupsHeld = static_cast<int>(camera.pickups);
    view.pickupFlash = context.pickupFlash / pickupFlashSeconds;
    // Where a new player most needs the E key they have not found yet.
    view.useKeyShown = camera.pickups >= 1.0f && camera.energy < rules::meterMax / 3.0f;
    view.useKeyName = inputName(context.settings.keys[Action::Use]);
    view.paused = inGame && context.paused;
    view.menu = menuView(context);
    view.subtitleScale = static_cast<float>(context.settings.subtitleSize) / 100.0f;
    // Not over the help, whose title it would cover and whose keys it repeats.
    if (!inGame && !context.optionsOpen && !context.helpShown) view.screenNote = screenNote(context.settings.calm);
    view.notice = context.noticeSeconds > 0.0f ? context.notice : std::string();
    if (inGame && context.soundManager && context.settings.subtitles)
        view.subtitles = playingSubtitles(*context.soundManager, context.subtitles, context.soundIds);
    return view;
}

void runFrameLoop(GameContext& context, Window& window, InputSource& input, FrameObserver& observer) {
    FrameClock clock;
    // With a target frame rate the render scale follows the wall time of each frame.
    RenderScaleControl scaleControl(context.settings.renderScale, context.settings.targetFps);
    auto frameEnded = std::chrono::steady_clock::now();
    while (!window.shouldClose()) {
        observer.frameBegins();
        context.renderer->beginFrame();
        const FrameTime time = clock.tick(input);
        window.pollEvents();

        observer.updateBegins();
        const Controls controls = readControls(input);
        // Escape that leaves the options must be let go before it quits.
        context.quitBlocked = context.optionsOpen || (context.quitBlocked && quitRequested(controls));
        const bool quit = quitRequested(controls) && !context.quitBlocked;
        context.pointerX = controls.cursorX;
        context.pointerY = controls.cursorY;
        const bool played = updateFrame(context, controls, time);
        // The cursor goes back to the centre after every mouse look and in
        // the title, so the next offset is the next movement; not while
        // another window has the focus, nor while a menu follows the mouse.
        if (!(played && controls.padConnected) && controls.focused && !menuTakesPointer(context)) {
            input.setCursorPosition(context.settings.width / 2, context.settings.height / 2);
        }
        applyWindowSettings(context, window);
        if (played) input.setWindowTitle(context.windowTitle);
        observer.updateEnds();

        FrameView view = frameView(context);
        if (context.settings.targetFps > 0) view.renderScale = scaleControl.scale();
        context.renderer->draw(view);
        takeScreenshot(context, controls);
        // Last, so a key tapped within this frame has been read as down.
        input.endFrame();
        window.swapBuffers();
        reportGlError(std::cerr);
        const auto now = std::chrono::steady_clock::now();
        scaleControl.frameTook(std::chrono::duration<double, std::milli>(now - frameEnded).count());
        frameEnded = now;
        const bool goOn = observer.frameEnds();
        if (quit || context.quitAsked || !goOn) break;
    }
}
