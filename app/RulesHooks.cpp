#include "app/RulesHooks.h"

#include <memory>

#include <GL/glew.h>
#include <glm/geometric.hpp>

#include "app/FrameHooks.h"
#include "app/FrameSounds.h"
#include "app/GameContext.h"
#include "app/GameRules.h"
#include "app/SoundSink.h"
#include "app/Statistics.h"
#include "app/WindowTitle.h"
#include "audio/SoundManager.h"
#include "physics/PhysicsWorld.h"
#include "platform/Input.h"
#include "render/Light.h"
#include "scene/World.h"

namespace {

// What one step hands to a later step of the same frame.
struct FrameNotes {
    bool padAnswered = false;  // the pad's light step ran
    bool padLit = false;       // right trigger or left button, read once
    bool picked = false;       // the pick ray ran
    int pickedActor = -1;
};

// Texture qualities live in the World; before the scene is set up the keys
// still cycle these.
struct SpareQualities {
    int mipmapQuality = 2;
    int samplingQuality = 1;
};

Light* lamp(GameContext& context) {
    return context.lights.size() > 1 ? context.lights[1].get() : nullptr;
}

void padLightControls(GameContext& context, InputSource& input, FrameNotes& notes, float dt) {
    Camera& camera = context.camera;
    if (context.flashlight != nullptr) {
        context.flashlight->cutOff = rules::padCutOff(camera.padState.bLeftTrigger);
    }
    // The trigger lights the flashlight as the button does, so a pad player has a light.
    notes.padAnswered = true;
    notes.padLit = camera.padState.bRightTrigger > 0 || input.mouseButtonDown(MouseButton::Left);
    rules::padMeters(camera.energy, camera.fear, notes.padLit, dt);
}

void pickRay(GameContext& context, FrameNotes& notes) {
    if (context.physicsWorld == nullptr) return;
    const Camera& camera = context.camera;
    notes.picked = true;
    notes.pickedActor = context.physicsWorld->pick(camera.position, glm::normalize(camera.direction));
}

void debugToggles(GameContext& context, InputSource& input, SpareQualities& spare, bool polygonMode,
                  double dt) {
    int& mipmapQuality = context.world ? context.world->mipmapQuality : spare.mipmapQuality;
    int& samplingQuality = context.world ? context.world->samplingQuality : spare.samplingQuality;
    const DebugSwitches switches{context.showFps,  context.wireframe,       samplingQuality,
                                 mipmapQuality,    context.frustum.enabled, context.transparency};
    pollDebugToggles(input, context.latches.debugKeys, switches, [&] {
        applyTextureFilters(context.sceneObjects, mipmapQuality, samplingQuality);
    });
    context.frameRate.count(dt);
    context.windowTitle = titleHead(context.showFps, context.frameRate, samplingQuality, mipmapQuality,
                                    context.frustum.enabled, context.transparency);
    // Every playing frame, so the scene pass always starts in the chosen mode.
    if (polygonMode) glPolygonMode(GL_FRONT_AND_BACK, context.wireframe ? GL_LINE : GL_FILL);
}

void lightLogic(GameContext& context, InputSource& input, FrameNotes& notes, float dt) {
    Camera& camera = context.camera;
    const bool lit = notes.padAnswered ? notes.padLit : input.mouseButtonDown(MouseButton::Left);
    const rules::LightOutput out = rules::lightLogic(camera.energy, camera.fear, lit,
                                                     context.settings.freezeMeters,
                                                     notes.padAnswered, dt);
    notes.padAnswered = false;
    if (context.flashlight != nullptr) context.flashlight->intensity = out.flashlightIntensity;
    camera.lightIntensity = out.lightIntensity;
}

void frameSounds(GameContext& context, SoundSink* sounds) {
    const Camera& camera = context.camera;
    const Listener listener{camera.position, camera.direction, camera.up, camera.moving};
    if (sounds != nullptr) {
        playFrameSounds(*sounds, context.sounds, listener);
    } else if (context.soundManager) {
        SoundManagerSink sink(*context.soundManager);
        playFrameSounds(sink, context.sounds, listener);
    }
}

void placeFlashlight(GameContext& context) {
    if (context.flashlight == nullptr) return;
    const Camera& camera = context.camera;
    const rules::FlashlightPose pose =
        rules::placeFlashlight(camera.position, camera.direction, camera.right, camera.up);
    context.flashlight->position = pose.position;
    context.flashlight->direction = pose.direction;
}

void finishTitle(GameContext& context, InputSource& input, FrameNotes& notes) {
    appendDrawCounts(context.windowTitle, context.drawCounts);
    if (notes.picked) appendPickResult(context.windowTitle, notes.pickedActor);
    notes.picked = false;
    input.setWindowTitle(context.windowTitle);
}

void endOfFrameRules(GameContext& context, InputSource& input) {
    Camera& camera = context.camera;
    rules::collectPickups(camera.position, camera.pickups, context.collectedPickups);

    const double t1 = input.time();
    const double t2 = input.time();
    const double t3 = input.time();
    const rules::LampSwing swing = rules::swingLamp(t1, t2, t3);
    context.swingA = swing.sin1;
    context.swingB = swing.sin2;
    context.swingC = swing.cos3;
    context.lampUp = swing.lampUp;
    if (Light* light = lamp(context)) light->direction = swing.lampDirection;

    if (context.latches.e.poll(input, Key::E)) {
        rules::usePickup(camera.pickups, camera.energy, context.collectedPickups);
    }
    // Decided here, so the frame that gets there is still drawn as play.
    if (rules::fearLoses(camera.fear)) camera.playing = false;
    context.hasPlayed = true;
    if (rules::insideExit(camera.position)) context.won = true;
}

}  // namespace

void addRulesHooks(FrameHooks& hooks, RulesHookOptions options) {
    auto notes = std::make_shared<FrameNotes>();
    auto spare = std::make_shared<SpareQualities>();
    hooks.padLightControls = [notes](GameContext& c, InputSource& in, double dt) {
        padLightControls(c, in, *notes, static_cast<float>(dt));
    };
    hooks.pickRay = [notes](GameContext& c, InputSource&, double) { pickRay(c, *notes); };
    hooks.debugToggles = [spare, gl = options.polygonMode](GameContext& c, InputSource& in, double dt) {
        debugToggles(c, in, *spare, gl, dt);
    };
    hooks.lightLogic = [notes](GameContext& c, InputSource& in, double dt) {
        lightLogic(c, in, *notes, static_cast<float>(dt));
    };
    hooks.frameSounds = [sounds = options.sounds](GameContext& c, InputSource&, double) {
        frameSounds(c, sounds);
    };
    hooks.placeFlashlight = [](GameContext& c, InputSource&, double) { placeFlashlight(c); };
    hooks.finishTitle = [notes](GameContext& c, InputSource& in, double) { finishTitle(c, in, *notes); };
    hooks.endOfFrameRules = [](GameContext& c, InputSource& in, double) { endOfFrameRules(c, in); };
}
