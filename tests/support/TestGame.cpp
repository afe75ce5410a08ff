#include "tests/support/TestGame.h"

#include <cstdlib>
#include <iostream>

#include <GL/glew.h>

#include "app/Frame.h"
#include "app/GameSetup.h"
#include "physics/PhysicsWorld.h"
#include "render/Renderer.h"
#include "tests/support/GlContext.h"

namespace murk::test {

TestGame::TestGame(const TestGameOptions& options) {
    setenv("ALSOFT_DRIVERS", "null", 0);
    if (!ensureDisplay()) return;
    if (gameWindow.open(options.width, options.height, true, 60) != Window::OpenResult::Ok) return;
    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK) return;
    glGetError();
    context = std::make_unique<GameContext>();
    GameContext& game = *context;
    loadConfig("CONFIG.txt", game.settings, game.camera);
    game.settings.width = options.width;
    game.settings.height = options.height;
    game.settings.shadowMapSize = options.shadowMapSize;
    game.camera.updateVectors();
    initScene(game, &gameWindow, std::cout, options.sceneFile);
}

TestGame::~TestGame() {
    if (context) shutdown(*context);
    context.reset();
    gameWindow.terminate();
}

void TestGame::startPlaying() {
    frame(holding({Key::Space}, *context), 0.1, false);
}

void TestGame::place(float x, float floor, float z, float yaw) {
    // The capsule's centre: margin, radius, half the height and a centimetre.
    context->physicsWorld->setControllerPosition(x, floor + 0.62, z);
    context->physicsWorld->fallVelocity = 0.0;
    context->camera.horizontalAngle = yaw;
    context->camera.verticalAngle = 0.0f;
    context->camera.updateVectors();
}

bool TestGame::frame(const Controls& controls, double dt, bool draw) {
    now += dt;
    const bool played = updateFrame(*context, controls, FrameTime{now, dt});
    if (draw) context->renderer->draw(frameView(*context));
    return played;
}

std::vector<unsigned char> TestGame::pixels() const {
    const auto width = static_cast<std::size_t>(context->settings.width);
    const auto height = static_cast<std::size_t>(context->settings.height);
    std::vector<unsigned char> rgb(width * height * 3);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, static_cast<GLsizei>(width), static_cast<GLsizei>(height), GL_RGB, GL_UNSIGNED_BYTE,
                 rgb.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    return rgb;
}

Controls holding(std::initializer_list<int> keys, const GameContext& game, bool light) {
    Controls controls;
    for (const int key : keys) {
        controls.pressed.set(static_cast<std::size_t>(key));
        controls.held.set(static_cast<std::size_t>(key));
    }
    controls.lightButton = light;
    controls.cursorX = game.settings.width / 2;
    controls.cursorY = game.settings.height / 2;
    return controls;
}

}  // namespace murk::test
