#include "scene/SceneSetup.h"

#include <cmath>
#include <ostream>

#include <glm/gtc/matrix_transform.hpp>

#include "app/GameContext.h"
#include "audio/SoundManager.h"
#include "platform/GlfwInput.h"
#include "platform/Window.h"
#include "render/Light.h"
#include "render/PostProcess.h"
#include "render/ShaderProgram.h"
#include "render/ShadowMap.h"
#include "scene/Material.h"
#include "scene/ModelLoader.h"
#include "scene/SceneFile.h"
#include "scene/SceneObject.h"
#include "scene/Texture.h"
#include "scene/World.h"

namespace {

// A 1x1 mid-grey texture for untextured surfaces.
GLuint makePlainTexture() {
    const unsigned char grey[3] = {150, 150, 150};
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 1, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, grey);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glBindTexture(GL_TEXTURE_2D, 0);
    return texture;
}

// A full-window quad with its own program of the given base name and an
// empty material, both kept by the assets.
Owned<murk::QuadObject> makeQuad(SceneAssets& assets, const std::string& shader) {
    assets.quadPrograms.push_back(
        std::make_unique<ShaderProgram>("Shader/" + shader + ".vert", "Shader/" + shader + ".frag"));
    assets.quadMaterials.push_back(std::make_unique<Material>());
    return makeOwned<murk::QuadObject>(glm::mat4(1.0f), assets.quadPrograms.back().get(),
                                       assets.quadMaterials.back().get());
}

ShadowMap* makeShadowMap(int size, int slot) {
    return new ShadowMap(size, size, GL_RG32F, GL_RG, GL_FLOAT, slot, "varianceShadowMapping",
                         "gaussian");
}

Owned<Texture> loadScreen(const char* name, int slot) {
    Owned<Texture> texture = makeOwned<Texture>();
    texture->load(name, slot, "RGB");
    return texture;
}

// Back to the state of a program that has just started: no game played,
// nothing collected, every switch off.
void resetGameState(GameContext& context) {
    context.won = false;
    context.helpShown = false;
    context.latches = KeyLatches{};
    context.showFps = false;
    context.wireframe = false;
    context.transparency = false;
    context.frameRate = FrameRateCounter{};
    context.lampUp = glm::vec3(1.0f, 0.0f, 0.0f);
    context.swingA = context.swingB = context.swingC = 0.0f;
    context.collectedPickups.clear();
}

// The pick-ups are the last three meshes, whatever their models are; their
// fixed places replace the identity the import gave them.
void placePickups(GameContext& context, std::ostream& console) {
    std::vector<murk::SceneObject*>& objects = context.sceneObjects;
    if (objects.size() < level::minimumObjects) {
        console << "SCENE.txt: level incomplete, " << objects.size() << " scene objects (at least "
                << level::minimumObjects << " needed); no pick-ups" << std::endl;
        return;
    }
    const std::size_t first = objects.size() - 3;
    for (std::size_t k = 0; k < 3; ++k) {
        objects[first + k]->modelMatrix = glm::translate(glm::mat4(1.0f), level::pickupPositions[k]);
    }
}

}  // namespace

SceneAssets::SceneAssets() = default;

SceneAssets::~SceneAssets() {
    glDeleteTextures(1, &plainTexture);
}

FrameShortcuts frameShortcuts(const SceneAssets& assets) {
    FrameShortcuts shortcuts;
    shortcuts.depthProgram = assets.depthProgram.get();
    shortcuts.defaultVariants = {assets.withoutFlashlight.get(), assets.withoutLamp.get(), assets.withoutLights.get()};
    return shortcuts;
}

glm::vec3 viewDirection(float horizontalAngle, float verticalAngle) {
    return {std::sin(horizontalAngle) * std::cos(verticalAngle), std::sin(verticalAngle),
            std::cos(horizontalAngle) * std::cos(verticalAngle)};
}

void initScene(GameContext& context, Window* window, SceneAssets& assets,
               const SceneSetupOptions& options, std::ostream& console) {
    const int width = context.settings.width;
    const int height = context.settings.height;
    const int shadowMapSize = context.settings.shadowMapSize;
    Camera& camera = context.camera;

    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glViewport(0, 0, width, height);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);

    context.fieldOfView = projection::cameraFieldOfView;

    SceneLines lines = readSceneFile(options.sceneFile, console);

    context.world = makeOwned<World>(camera.position);
    World& world = *context.world;
    context.physicsWorld = world.physicsWorld.get();

    assets.modelLoader = std::make_unique<ModelLoader>(world, context.sceneObjects);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        assets.modelLoader->loadModel(lines.modelFiles[i], lines.shaderNames[i], lines.physicsShapes[i],
                                      lines.densities[i], lines.dynamics[i], lines.normalMaps[i]);
    }
    for (murk::SceneObject* object : context.sceneObjects) {
        assets.sceneObjects.emplace_back(object);
    }

    assets.hudTexture = std::make_unique<Texture>();
    assets.hudTexture->load("hud.png", world.nextTextureSlot, "RGB");
    ++world.nextTextureSlot;
    context.hudMaterial = makeOwned<Material>();
    context.hudMaterial->diffuseTexture = assets.hudTexture.get();

    context.hudQuad = makeQuad(assets, "hud");

    context.lights.push_back(makeOwned<Light>(camera.position, glm::vec3(1.0f),
                                              viewDirection(camera.horizontalAngle, camera.verticalAngle),
                                              level::flashlightCutOff,
                                              makeShadowMap(shadowMapSize, world.nextTextureSlot), 1.0f));
    world.nextTextureSlot += 4;
    context.flashlight = context.lights.back().get();

    camera.lightIntensity = 1.0f;

    context.postProcess = makeOwned<PostProcess>(width, height, GL_RGBA8, GL_RGB, GL_UNSIGNED_BYTE,
                                                 "threshold", "gaussian_bloom", "mix");

    context.screenQuad = makeQuad(assets, "quad");

    context.lights.push_back(makeOwned<Light>(level::lampPosition, glm::vec3(1.0f), level::lampDirection,
                                              level::lampCutOff,
                                              makeShadowMap(shadowMapSize, world.nextTextureSlot), 1.0f));

    if (window != nullptr && window->handle() != nullptr) {
        window->hideCursor();
        GlfwInput(window->handle()).setCursorPosition(width / 2, height / 2);
    }

    camera.swayX = 0.0f;
    camera.swayY = 0.0f;

    context.soundManager = makeOwned<SoundManager>(options.silent ? SoundManager::Output::Loopback
                                                                  : SoundManager::Output::Device);
    int ids[12] = {};
    for (int i = 0; i < 12; ++i) {
        ids[i] = context.soundManager->load(gameSounds[i].path, gameSounds[i].is3D, gameSounds[i].loop);
    }
    context.sounds = SoundIds{ids[0], ids[1], ids[2], ids[3], ids[4], ids[5],
                              ids[6], ids[7], ids[8], ids[9], ids[10], ids[11]};

    resetGameState(context);

    context.uniformTable = buildUniformTable(context.sceneObjects);

    context.frustum.setProjection(context.fieldOfView,
                                  static_cast<float>(width) / static_cast<float>(height),
                                  projection::nearDistance, projection::farDistance);

    context.startScreen = loadScreen("Start.jpg", world.nextTextureSlot + 1);
    context.endScreen = loadScreen("End.jpg", world.nextTextureSlot + 2);
    context.helpScreen = loadScreen("Help.jpg", world.nextTextureSlot + 3);
    context.wonScreen = loadScreen("Won.jpg", world.nextTextureSlot + 4);
    context.spareQuad = makeQuad(assets, "quad");

    context.hasPlayed = false;
    context.won = false;
    context.pickupObjectCount = 3;
    placePickups(context, console);

    assets.plainTexture = makePlainTexture();
    assets.depthProgram = std::make_unique<ShaderProgram>("Shader/depth.vert", "Shader/depth.frag");
    const auto variant = [](const char* defines) {
        return std::make_unique<ShaderProgram>("Shader/default.vert", "Shader/default.frag", "", defines);
    };
    assets.withoutFlashlight = variant("#define WITHOUT_FLASHLIGHT");
    assets.withoutLamp = variant("#define WITHOUT_LAMP");
    assets.withoutLights = variant("#define WITHOUT_FLASHLIGHT\n#define WITHOUT_LAMP");
}
