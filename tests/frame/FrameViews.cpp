// Renders the real level from fixed poses into PNGs and times the frame:
// the pictures to look at after a change to the shaders. Not a test; run by hand in the data folder:
//   frame_views [output folder] [frames per timing]
#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>

#include <GL/glew.h>
#include <glm/vec3.hpp>

#include "app/GameContext.h"
#include "app/GameRules.h"
#include "render/FrameRenderer.h"
#include "render/Hud.h"
#include "render/Light.h"
#include "render/PostProcess.h"
#include "render/Screenshot.h"
#include "scene/SceneSetup.h"
#include "tests/support/GlContext.h"

namespace {

struct Pose {
    const char* name;
    glm::vec3 eye;
    float horizontalAngle;
    float verticalAngle;
    bool light;
};

// The start, the lamp's corner, a pick-up, and the stage.
const Pose poses[] = {
    {"start-dark", {2.92f, 1.2f, 0.262f}, -2.57f, -0.5f, false},
    {"start-light", {2.92f, 1.2f, 0.262f}, -2.57f, -0.5f, true},
    {"lamp-dark", {-1.0f, 1.2f, -4.5f}, -2.4f, 0.15f, false},
    {"lamp-light", {-1.0f, 1.2f, -4.5f}, -2.4f, 0.15f, true},
    {"pickup-dark", {3.0f, 1.2f, -6.2f}, 3.14159f, -0.35f, false},
    {"stage-light", {0.5f, 1.2f, 6.0f}, -1.5708f, -0.15f, true},
};

void aim(GameContext& c, const Pose& pose) {
    Camera& camera = c.camera;
    camera.position = pose.eye;
    camera.horizontalAngle = pose.horizontalAngle;
    camera.verticalAngle = pose.verticalAngle;
    camera.updateVectors();
    const rules::FlashlightPose light = rules::placeFlashlight(camera.position, camera.direction, camera.right, camera.up);
    c.lights[0]->position = light.position;
    c.lights[0]->direction = light.direction;
    c.lights[0]->intensity = pose.light ? 1.0f : 0.0f;
    camera.lightIntensity = pose.light ? 0.8f : 0.2f;
    c.frustum.update(camera.position, camera.position + camera.direction, camera.up);
}

// What the frame loop does around renderFrame: the window is cleared first,
// or the screen quad fails the depth test against the last frame's.
void frame(GameContext& context, const SceneAssets& assets) {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    renderFrame(context, assets.plainTexture, frameShortcuts(assets));
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
    murk::test::GlContext gl(1280, 720, true);
    if (!gl.ok()) {
        std::cerr << "no GL context\n";
        return 1;
    }
    GameContext context;
    context.settings = Settings{};
    SceneAssets assets;
    SceneSetupOptions options;
    options.silent = true;
    initScene(context, nullptr, assets, options, std::cout);
    context.camera.playing = true;
    context.camera.energy = 70.0f;
    context.camera.fear = 35.0f;

    for (const Pose& pose : poses) {
        aim(context, pose);
        frame(context, assets);
        const std::string path = out + "/" + pose.name + ".png";
        screenshot::saveBackBuffer(path, 1280, 720);
        std::cout << path << ": " << context.drawCounts.objects << " objects, " << context.drawCounts.faces
                  << " faces\n";
    }

    // All three pick-ups carried beside the held light.
    aim(context, poses[1]);
    context.collectedPickups = {0, 1, 2};
    context.swingA = 0.6f;
    context.swingB = 0.6f;
    context.swingC = 0.8f;
    frame(context, assets);
    screenshot::saveBackBuffer(out + "/carried-light.png", 1280, 720);
    context.collectedPickups.clear();

    // The cost of each pass is the timedemo's job (--timedemo); here only
    // the whole frame, lit and dark.
    const double whole = timed(frames, [&] { frame(context, assets); });
    context.lights[0]->intensity = 0.0f;
    context.lights[1]->intensity = 0.0f;
    const double dark = timed(frames, [&] { frame(context, assets); });
    std::printf("frame %.1f ms; both lights off: %.1f ms\n", whole, dark);
    return 0;
}
