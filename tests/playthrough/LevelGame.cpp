#include "LevelGame.h"

#include <cmath>
#include <sstream>

#include "app/Config.h"
#include "app/FrameUpdate.h"
#include "app/RulesHooks.h"
#include "render/Light.h"
#include "scene/MeshData.h"
#include "scene/ModelImporter.h"
#include "scene/SceneFile.h"

std::vector<SolidBox> addLevelBodies(PhysicsWorld& physics, const std::string& dataDir,
                                     std::string& error) {
    std::ostringstream console;
    const SceneLines lines = readSceneFile(dataDir + "/SCENE.txt", console);
    std::vector<SolidBox> boxes;
    ModelImporter importer;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::vector<MeshData> meshes;
        std::string why;
        if (!importer.read(dataDir + "/" + lines.modelFiles[i], meshes, why)) {
            error += lines.modelFiles[i] + ": " + why + "\n";
            continue;
        }
        for (const MeshData& mesh : meshes) {
            const CollisionBody body = collisionBodyFor(lines.physicsShapes[i], mesh);
            if (body.kind == CollisionBody::Kind::none) continue;
            if (body.kind == CollisionBody::Kind::box) {
                physics.addBox(lines.dynamics[i], body.centre, body.halfExtents, lines.densities[i]);
            } else {
                std::vector<glm::vec3> points;
                for (std::size_t p = 0; p + 2 < mesh.positions.size(); p += 3)
                    points.emplace_back(mesh.positions[p], mesh.positions[p + 1], mesh.positions[p + 2]);
                std::vector<unsigned> indices(mesh.indices.begin(), mesh.indices.end());
                physics.addConvexMesh(std::move(points), std::move(indices), lines.dynamics[i], body.centre,
                                      body.halfExtents, lines.densities[i]);
            }
            boxes.push_back(
                {glm::vec3(body.centre - body.halfExtents), glm::vec3(body.centre + body.halfExtents)});
        }
    }
    if (lines.size() == 0) error += "no object lines in SCENE.txt: " + console.str();
    return boxes;
}

LevelGame::LevelGame(bool withRules) {
    const std::string data = MURK_DATA_DIR;
    configRead = loadConfig(data + "/CONFIG.txt", context.settings, context.camera);
    const glm::vec3 start = context.camera.startPosition;
    physics.init(start.x, start.y, start.z);
    solids = addLevelBodies(physics, data, loadError);
    context.physicsWorld = &physics;
    context.camera.updateVectors();
    input.cursorX = context.settings.width / 2;
    input.cursorY = context.settings.height / 2;
    if (!withRules) return;

    RulesHookOptions options;
    options.sounds = &sounds;
    options.polygonMode = false;
    addRulesHooks(hooks, options);
    // The flashlight and the swinging lamp, without shadow maps: the rules
    // only set their intensity, position and direction.
    context.lights.push_back(makeOwned<Light>(glm::vec3(0.0f), glm::vec3(1.0f), glm::vec3(0.0f, 0.0f, 1.0f),
                                              0.95f, nullptr, 0.0f));
    context.lights.push_back(makeOwned<Light>(glm::vec3(-3.8f, 3.0f, -7.5f), glm::vec3(1.0f),
                                              glm::vec3(0.0f, 1.0f, 0.0f), 0.95f, nullptr, 1.0f));
    context.flashlight = context.lights[0].get();
}

void LevelGame::frame(double dt) {
    updateFrame(context, input, hooks, dt);
    input.endFrame();
    input.now += dt;
}

void LevelGame::startGame(double dt) {
    frame(dt);
    input.press(Key::Space);
    frame(dt);
    input.release(Key::Space);
}

void LevelGame::look(float yaw, float pitch) {
    const float speed = context.camera.mouseSpeed;
    const double centreX = context.settings.width / 2;
    const double centreY = context.settings.height / 2;
    input.cursorX = centreX - std::round(yaw / speed);
    input.cursorY = centreY - std::round(pitch / speed);
}

void LevelGame::teleport(float x, float floor, float z) {
    // Capsule centre: feet, contact offset, radius and half the standing height.
    physics.setControllerPosition(x, floor + 0.62, z);
    physics.fallVelocity = 0.0;
}
