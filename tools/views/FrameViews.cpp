// Renders the real level from fixed poses into PNGs and times the frame:
// the pictures to look at after a change to the shaders. Run by hand in the
// data folder, under X:  frame_views [output folder] [frames per timing] [poses]
// A poses file holds "name x y z horizontal vertical light(0/1)" per line and
// replaces the fixed poses: handy for looking round one corner of the level.
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include <GL/glew.h>
#include <glm/vec3.hpp>

#include "app/Frame.h"
#include "app/GameContext.h"
#include "app/GameRules.h"
#include "app/CarriedObjects.h"
#include "app/GameSetup.h"
#include "platform/Window.h"
#include "render/Renderer.h"
#include "render/Screenshot.h"

namespace {

struct Pose {
    std::string name;
    glm::vec3 eye;
    float horizontalAngle;
    float verticalAngle;
    bool light;
};

// The start, the lamp's corner, a pick-up, the stage, a wall close to,
// the lamp's shade, a doorway seen from across a room, painted arrows, a door
// frame a hand's breadth away and the way out with the torch off.
const std::vector<Pose> fixedPoses = {
    {"start-dark", {2.92f, 1.2f, 0.262f}, -2.57f, -0.5f, false},
    {"start-light", {2.92f, 1.2f, 0.262f}, -2.57f, -0.5f, true},
    {"lamp-dark", {-2.3f, 1.2f, -4.9f}, -2.4f, 0.15f, false},
    {"lamp-light", {-2.3f, 1.2f, -4.9f}, -2.4f, 0.15f, true},
    {"pickup-dark", {3.0f, 1.2f, -6.2f}, 3.14159f, -0.35f, false},
    {"stage-light", {0.5f, 1.2f, 6.0f}, -1.5708f, -0.15f, true},
    {"wall-close", {3.9f, 1.2f, 0.0f}, 1.5708f, 0.0f, true},
    {"lamp-shade", {-3.8f, 1.2f, -5.2f}, 3.14159f, 0.69f, false},
    {"doorway-far", {1.3f, 1.2f, -6.5f}, 3.14159f, -0.05f, true},
    {"arrow-start", {2.6f, 1.2f, -0.6f}, 3.14159f, 0.1f, true},
    {"arrow-hall", {-3.8f, 1.2f, -6.3f}, 0.0f, 0.0f, true},
    {"hall-from-door", {-5.75f, 1.2f, 3.7f}, 0.43f, 0.05f, true},
    {"frame-close", {-6.15f, 1.2f, -5.0f}, -0.6f, 0.0f, true},
    // the way out with the torch off: the lamps over its doors lead on
    {"way-kitchen-dark", {3.1f, 1.2f, -5.5f}, 3.4f, 0.1f, false},
    {"way-corridor-dark", {-7.45f, 1.2f, -13.2f}, 0.0f, 0.05f, false},
    {"way-lamp-hall-dark", {-6.5f, 1.2f, -6.3f}, 0.45f, 0.15f, false},
    {"way-storeroom-dark", {-6.3f, 1.2f, -3.8f}, 0.05f, 0.05f, false},
    {"way-hall-dark", {-1.6f, 1.2f, 3.8f}, -0.1f, 0.08f, false},
};

std::vector<Pose> readPoses(const char* path) {
    std::vector<Pose> poses;
    std::ifstream in(path);
    Pose pose;
    int light = 0;
    while (in >> pose.name >> pose.eye.x >> pose.eye.y >> pose.eye.z >> pose.horizontalAngle >> pose.verticalAngle >> light) {
        pose.light = light != 0;
        poses.push_back(pose);
    }
    if (poses.empty()) std::cerr << path << ": no poses read\n";
    return poses;
}

void aim(GameContext& c, const Pose& pose) {
    Camera& camera = c.camera;
    camera.position = pose.eye;
    camera.horizontalAngle = pose.horizontalAngle;
    camera.verticalAngle = pose.verticalAngle;
    camera.updateVectors();
    const rules::FlashlightPose light = rules::placeFlashlight(camera.position, camera.direction, camera.right, camera.up);
    c.flashlight.position = light.position;
    c.flashlight.direction = light.direction;
    c.flashlight.intensity = pose.light ? 1.0f : 0.0f;
    camera.lightIntensity = pose.light ? 0.8f : 0.2f;
    c.frustum.update(camera.position, camera.position + camera.direction, camera.up);
    holdCarriedObjects(c);
}

void frame(GameContext& context) {
    context.renderer->draw(frameView(context));
}

double milliseconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since).count();
}

template <class Work>
double timed(int frames, Work work) {
    glFinish();
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < frames; ++i) work();
    glFinish();
    return milliseconds(start) / frames;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string out = argc > 1 ? argv[1] : ".";
    const int frames = argc > 2 ? std::atoi(argv[2]) : 5;
    const std::vector<Pose> poses = argc > 3 ? readPoses(argv[3]) : fixedPoses;
    if (poses.empty()) return 1;
    Window window;
    glewExperimental = GL_TRUE;
    if (window.open(1280, 720, true, 60) != Window::OpenResult::Ok || glewInit() != GLEW_OK) {
        std::cerr << "no GL context\n";
        return 1;
    }
    glGetError();
    auto game = std::make_unique<GameContext>();
    GameContext& context = *game;
    initScene(context, nullptr, std::cout);
    context.camera.playing = true;
    context.camera.energy = 70.0f;
    context.camera.fear = 35.0f;

    for (const Pose& pose : poses) {
        aim(context, pose);
        frame(context);
        const std::string path = out + "/" + pose.name + ".png";
        screenshot::saveBackBuffer(path, 1280, 720);
        std::cout << path << ": " << context.renderer->drawCounts().objects << " objects, " << context.renderer->drawCounts().faces
                  << " faces\n";
    }

    // All three pick-ups carried beside the held light.
    aim(context, poses[poses.size() > 1 ? 1 : 0]);
    context.collectedPickups = {0, 1, 2};
    context.lampSwing.sine = 0.6f;
    context.lampSwing.cosine = 0.8f;
    holdCarriedObjects(context);
    frame(context);
    screenshot::saveBackBuffer(out + "/carried-light.png", 1280, 720);
    context.collectedPickups.clear();

    // The cost of each pass is the timedemo's job (--timedemo); here only
    // the whole frame, lit and dark.
    const double whole = timed(frames, [&] { frame(context); });
    context.flashlight.intensity = 0.0f;
    context.lamp.intensity = 0.0f;
    const double dark = timed(frames, [&] { frame(context); });
    std::printf("frame %.1f ms; both lights off: %.1f ms\n", whole, dark);
    shutdown(context);
    game.reset();
    window.terminate();
    return 0;
}
