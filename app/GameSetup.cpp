#include "app/GameSetup.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <ostream>
#include <thread>

#include <glm/gtc/matrix_transform.hpp>

#include "app/GameContext.h"
#include "app/Subtitles.h"
#include "audio/GameSounds.h"
#include "audio/SoundManager.h"
#include "platform/Window.h"
#include "render/Projection.h"
#include "render/Renderer.h"
#include "scene/ModelLoader.h"
#include "scene/ObjectRoles.h"
#include "scene/SceneFile.h"
#include "scene/SceneObject.h"
#include "scene/World.h"

namespace {

// Back to the state of a program that has just started: no game played,
// nothing collected, every switch off.
void resetGameState(GameContext& context) {
    context.won = false;
    context.helpShown = false;
    context.hasPlayed = false;
    context.latches = KeyLatches{};
    context.lastFramePlayed = false;
    context.showFps = false;
    context.wireframe = false;
    context.transparency = false;
    context.frameRate = FrameRateCounter{};
    context.lampUp = glm::vec3(1.0f, 0.0f, 0.0f);
    context.lampSwing = rules::LampSwing{};
    context.collectedPickups.clear();
}

// The pick-ups are the last meshes, whatever their models are; their fixed
// places replace the identity the import gave them.
void placePickups(GameContext& context, std::ostream& console) {
    std::vector<murk::SceneObject*>& objects = context.sceneObjects;
    if (objects.size() < objectRole::minimumObjects) {
        console << "SCENE.txt: level incomplete, " << objects.size() << " scene objects (at least "
                << objectRole::minimumObjects << " needed); no pick-ups" << std::endl;
        return;
    }
    const std::size_t first = objectRole::firstPickup(objects.size());
    for (std::size_t k = 0; k < objectRole::pickupCount; ++k) {
        objects[first + k]->modelMatrix = level::pickupAtItsPlace(k);
    }
}

void loadLevel(GameContext& context, const std::string& sceneFile, std::ostream& console) {
    const SceneLines lines = readSceneFile(sceneFile, console);
    context.world = std::make_unique<World>(context.camera.position);
    context.physicsWorld = context.world->physicsWorld.get();
    context.world->cookedFolder = context.cookedFolder;
    context.modelLoader = std::make_unique<ModelLoader>(*context.world, context.sceneObjects);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        context.modelLoader->loadModel(lines.modelFiles[i], lines.shaderNames[i], lines.physicsShapes[i],
                                       lines.densities[i], lines.dynamics[i], lines.normalMaps[i]);
    }
    for (murk::SceneObject* object : context.sceneObjects) context.ownedSceneObjects.emplace_back(object);
}

void loadSounds(GameContext& context) {
    context.soundManager = std::make_unique<SoundManager>();
    int ids[12] = {};
    for (int i = 0; i < 12; ++i) {
        ids[i] = context.soundManager->load(gameSounds[i].path, gameSounds[i].is3D, gameSounds[i].loop);
    }
    context.sounds = SoundIds{ids[0], ids[1], ids[2], ids[3], ids[4],  ids[5],
                              ids[6], ids[7], ids[8], ids[9], ids[10], ids[11]};
    context.soundIds.assign(std::begin(ids), std::end(ids));
    // Loaded either way: the options can switch them on in play.
    context.subtitles = loadSubtitles("Subtitles.txt");
}

}  // namespace

void buildRenderer(GameContext& context) {
    const Settings& settings = context.settings;
    RendererSetup setup;
    setup.width = settings.width;
    setup.height = settings.height;
    setup.shadowMapSize = settings.shadowMapSize;
    setup.nextTextureSlot = &context.world->nextTextureSlot;
    setup.cookedFolder = context.cookedFolder;
    context.renderer.reset();  // its targets go before the new ones are made
    context.renderer = std::make_unique<Renderer>(context.sceneObjects, setup);
    context.rendererFor = {settings.width, settings.height, settings.shadowMapSize};
    context.frustum.setProjection(context.fieldOfView, projection::aspectRatio(settings.width, settings.height),
                                  projection::nearDistance, projection::farDistance);
}

void applyWindowSettings(GameContext& context, Window& window) {
    Settings& s = context.settings;
    // Full screen takes a size the monitor has, the largest unless one is chosen.
    const std::vector<Window::Size>& modes = context.windowSizes;
    const bool aMode = std::any_of(modes.begin(), modes.end(),
                                   [&](const Window::Size& m) { return m.width == s.width && m.height == s.height; });
    if (!s.windowed && !modes.empty() && !aMode) {
        s.width = modes.back().width;
        s.height = modes.back().height;
    }
    const bool sizeChanged = context.rendererFor[0] != s.width || context.rendererFor[1] != s.height;
    if (window.handle() != nullptr && (sizeChanged || window.fullScreen() == s.windowed))
        window.setMode(!s.windowed, s.width, s.height, s.refreshRate);
    if (sizeChanged || context.rendererFor[2] != s.shadowMapSize) buildRenderer(context);
}

glm::vec3 viewDirection(float horizontalAngle, float verticalAngle) {
    return {std::sin(horizontalAngle) * std::cos(verticalAngle), std::sin(verticalAngle),
            std::cos(horizontalAngle) * std::cos(verticalAngle)};
}

void initScene(GameContext& context, Window* window, std::ostream& console, const std::string& sceneFile) {
    const int width = context.settings.width;
    const int height = context.settings.height;
    Camera& camera = context.camera;
    context.fieldOfView = rules::fieldOfViewRadians(context.settings.fieldOfView);

    loadLevel(context, sceneFile, console);

    // Sounds need neither GL nor anything the renderer makes: they load on a
    // second core while this thread builds the renderer.
    std::thread sounds([&context] { loadSounds(context); });
    buildRenderer(context);

    context.flashlight = SpotLight{camera.position, viewDirection(camera.horizontalAngle, camera.verticalAngle),
                                   level::flashlightCutOff, 1.0f, camera.up};
    context.lamp = SpotLight{level::lampPosition, level::lampDirection, level::lampCutOff, 1.0f, context.lampUp};
    camera.lightIntensity = 1.0f;
    camera.swayX = 0.0f;
    camera.swayY = 0.0f;

    if (window != nullptr && window->handle() != nullptr) {
        window->hideCursor();
        window->placeCursor(width / 2, height / 2);
    }

    sounds.join();
    resetGameState(context);
    context.frustum.setProjection(context.fieldOfView, static_cast<float>(width) / static_cast<float>(height),
                                  projection::nearDistance, projection::farDistance);
    placePickups(context, console);
}
