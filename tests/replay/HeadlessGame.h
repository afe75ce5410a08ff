#pragma once

#include "app/Config.h"
#include "app/FrameHooks.h"
#include "app/FrameUpdate.h"
#include "app/GameContext.h"
#include "app/RulesHooks.h"
#include "physics/PhysicsWorld.h"
#include "platform/Input.h"
#include "platform/ScriptedInput.h"
#include "render/Light.h"

#include <glm/vec3.hpp>

#include <string>
#include <vector>

namespace murk::test {

// The game without a window: real rules, controls and physics (a floor, a
// wall and a box to push), no scene objects, no sound. Frames run the way the
// frame loop runs them.
class HeadlessGame {
public:
    explicit HeadlessGame(int width = 801, int height = 601) {
        applyConfigDefaults(context.settings, context.camera);
        context.settings.width = width;
        context.settings.height = height;
        context.camera.startPosition = glm::vec3(0.0f, 1.21f, 0.0f);
        context.camera.horizontalAngle = 0.3f;
        context.camera.updateVectors();
        RulesHookOptions options;
        options.polygonMode = false;
        addRulesHooks(hooks, options);
        context.lights.push_back(makeOwned<Light>(glm::vec3(0.0f), glm::vec3(1.0f), glm::vec3(0.0f, 0.0f, 1.0f),
                                                  0.95f, nullptr, 1.0f));
        context.lights.push_back(makeOwned<Light>(glm::vec3(-3.8f, 3.0f, -7.5f), glm::vec3(1.0f),
                                                  glm::vec3(0.0f, 1.0f, 0.0f), 0.95f, nullptr, 1.0f));
        context.flashlight = context.lights[0].get();
        physics.init(0.0f, 0.61f, 0.0f);
        physics.addBox(false, glm::dvec3(0.0, 1.0, 4.0), glm::dvec3(5.0, 1.0, 0.2), 0.0f);
        physics.addBox(true, glm::dvec3(1.0, 0.3, 1.5), glm::dvec3(0.3, 0.3, 0.3), 50.0f);
        context.physicsWorld = &physics;
    }

    // One frame as the loop runs it; false once a quit key was seen.
    bool frame(InputSource& input) {
        const double now = input.time();
        const double dt = now - previous;
        previous = now;
        const bool quit = quitRequested(context, input);
        updateFrame(context, input, hooks, dt);
        input.endFrame();
        return !quit;
    }

    // Everything a frame leaves that a replay must give back bit for bit.
    std::string snapshot() const {
        const Camera& c = context.camera;
        std::string out;
        for (float v : {c.position.x, c.position.y, c.position.z, c.horizontalAngle, c.verticalAngle, c.energy,
                        c.fear, c.pickups, c.lightIntensity, c.bobOffset}) {
            char text[32];
            std::snprintf(text, sizeof text, "%a ", static_cast<double>(v));
            out += text;
        }
        out += std::to_string(c.playing) + std::to_string(context.won) + std::to_string(context.showFps) + ' ';
        out += context.windowTitle;
        return out;
    }

    GameContext context;
    FrameHooks hooks;
    PhysicsWorld physics;
    double previous = 0.0;
};

// A player with uneven frame times: starts the game with Space, walks and
// turns, taps F2 and E, holds the light, crouches, moves the mouse by whole
// and fractional pixels, and plugs a pad in for a while.
inline void scriptFrame(ScriptedInput& in, int frame, int width, int height) {
    in.now += 0.011 + 0.0037 * (frame % 7) + 1e-9 * frame;
    const double cx = width / 2;
    const double cy = height / 2;
    in.cursorX = cx;
    in.cursorY = cy;
    if (frame == 2) in.tap(Key::Space);
    if (frame == 5) in.press(Key::W);
    if (frame == 60) in.release(Key::W);
    if (frame == 40) in.press(Key::A);
    if (frame == 55) in.release(Key::A);
    if (frame % 9 == 3) in.cursorX = cx + 7.0;
    if (frame % 13 == 5) in.cursorY = cy - 2.25;
    if (frame == 20) in.tap(Key::F2);
    if (frame == 30) in.pressButton(MouseButton::Left);
    if (frame == 70) in.releaseButton(MouseButton::Left);
    if (frame == 45) in.press(Key::LeftControl);
    if (frame == 52) in.release(Key::LeftControl);
    if (frame == 65) in.tap(Key::E);
    if (frame == 75) {
        in.padConnected = true;
        in.pad.sThumbLY = 30000;
        in.pad.sThumbRX = -20000;
        in.pad.bRightTrigger = 200;
        in.pad.dwPacketNumber = 1;
    }
    if (frame == 90) in.padConnected = false;
}

}  // namespace murk::test
