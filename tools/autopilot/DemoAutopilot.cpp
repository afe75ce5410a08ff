// Makes the shipped demo: a player steered by the level's route, recorded by
// the game's own recorder while the real game runs, renders and plays. Run
// in data/ under X:  demo_autopilot ../tools/level/route.txt demos/walk.mdemo
#include "app/Config.h"
#include "app/DemoSession.h"
#include "app/Frame.h"
#include "app/GameContext.h"
#include "app/GameSetup.h"
#include "tools/autopilot/Route.h"
#include "platform/RecordingInput.h"
#include "platform/ScriptedInput.h"
#include "platform/Window.h"

#include <GL/glew.h>
#include <glm/geometric.hpp>

#include <cmath>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr double frameSeconds = 0.1;  // about what a player gets on these machines
constexpr int demoFrames = 300;        // 30 s of play

float wrapAngle(float a) {
    while (a > 3.14159265f) a -= 6.2831853f;
    while (a < -3.14159265f) a += 6.2831853f;
    return a;
}

// Looks at the next waypoint and walks to it; holds the light while fear is
// up and energy lasts; uses a pick-up once the light runs low.
class Autopilot : public ScriptedInput {
public:
    Autopilot(const GameContext& game, std::vector<Waypoint> waypoints) : context(game), route(std::move(waypoints)) {}

    void cursorPosition(double& x, double& y) override {
        x = setX + lookX;
        y = setY + lookY;
    }
    void setCursorPosition(double x, double y) override {
        setX = x;
        setY = y;
        ScriptedInput::setCursorPosition(x, y);
    }

    void endFrame() override {
        ScriptedInput::endFrame();
        ++frame;
        now = frame * frameSeconds;
        if (tracing && frame % 10 == 0)
            std::cout << frame << ": " << context.camera.position.x << ' ' << context.camera.position.y << ' '
                      << context.camera.position.z << " next " << next << " energy " << context.camera.energy
                      << " fear " << context.camera.fear << " pickups " << context.camera.pickups << '\n';
        plan();
    }

    int frame = 0;
    bool tracing = false;

private:
    void plan() {
        lookX = lookY = 0.0;
        const Camera& camera = context.camera;
        if (!camera.playing) {
            if (frame == 3) tap(Key::Space);
            return;
        }
        while (next < route.size()) {
            const glm::vec2 to(route[next].xz.x - camera.position.x, route[next].xz.y - camera.position.z);
            if (glm::length(to) > 0.25f) break;
            ++next;
        }
        const Waypoint target = next < route.size() ? route[next] : route.back();
        const float wanted = std::atan2(target.xz.x - camera.position.x, target.xz.y - camera.position.z);
        const float turn = std::clamp(wrapAngle(wanted - camera.horizontalAngle), -0.35f, 0.35f);
        lookX = -std::round(turn / camera.mouseSpeed);
        lookY = -std::round(std::clamp(-0.15f - camera.verticalAngle, -0.1f, 0.1f) / camera.mouseSpeed);
        if (std::fabs(turn) < 0.3f && next < route.size()) press(Key::W); else release(Key::W);
        if (target.crouched) press(Key::LeftControl); else release(Key::LeftControl);

        if (!lit && (camera.fear > 35.0f || frame < 60) && camera.energy > 20.0f) lit = true;
        if (lit && (camera.energy < 8.0f || (camera.fear <= 0.0f && frame >= 60))) lit = false;
        if (lit) pressButton(MouseButton::Left); else releaseButton(MouseButton::Left);
        if (camera.pickups >= 1.0f && camera.energy < 40.0f && frame % 5 == 0) tap(Key::E);
    }

    const GameContext& context;
    std::vector<Waypoint> route;
    std::size_t next = 0;
    double setX = 0.0, setY = 0.0;
    double lookX = 0.0, lookY = 0.0;
    bool lit = false;
};

class StopAfter : public FrameObserver {
public:
    explicit StopAfter(const Autopilot& pilot) : autopilot(pilot) {}
    bool frameEnds() override { return autopilot.frame < demoFrames; }

private:
    const Autopilot& autopilot;
};

}  // namespace

int main(int argc, char** argv) {
    // --trace: the path printed (for tuning the pilot only).
    // --small: a 256x144 window. The demo comes out the same as at 1280x720
    // (same shape, so the same objects are culled), only sooner.
    const std::string extra = argc == 4 ? argv[3] : "";
    const bool trace = extra == "--trace";
    const bool small = extra == "--small";
    if (argc != 3 && !trace && !small) {
        std::cout << "usage: demo_autopilot ROUTE OUTPUT [--trace | --small] (in the data folder)\n";
        return 1;
    }
    const std::vector<Waypoint> route = readRoute(argv[1]);
    if (route.empty()) {
        std::cout << "no route in " << argv[1] << '\n';
        return 1;
    }
    auto context = std::make_unique<GameContext>();
    if (!loadConfig("CONFIG.txt", context->settings, context->camera)) std::cout << "no CONFIG.txt here\n";
    context->camera.updateVectors();
    if (small) {
        context->settings.width = 256;
        context->settings.height = 144;
        context->settings.shadowMapSize = 64;
    }
    Window window;
    if (window.open(context->settings.width, context->settings.height, true, 60) != Window::OpenResult::Ok) return 1;
    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK) return 1;
    glGetError();

    initScene(*context, &window, std::cout);
    Autopilot pilot(*context, route);
    pilot.tracing = trace;
    RecordingInput recorder(pilot);
    StopAfter observer(pilot);
    runFrameLoop(*context, window, recorder, observer);

    std::string error;
    const int status = recorder.save(argv[2], describeEndState(*context), error) ? 0 : 1;
    std::cout << (status == 0 ? "recorded " + std::to_string(recorder.frameCount()) + " frames\n" : error + "\n")
              << describeEndState(*context);
    shutdown(*context);
    context.reset();
    window.terminate();
    return status;
}
