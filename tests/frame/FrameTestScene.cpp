#include "tests/frame/FrameTestScene.h"

#include <fstream>
#include <random>

#include <glm/gtc/matrix_transform.hpp>

#include "render/PostProcess.h"
#include "render/ShaderProgram.h"
#include "render/UniformTable.h"
#include "scene/Material.h"

namespace frametest {

ScratchDir::ScratchDir() {
    std::random_device random;
    path = std::filesystem::temp_directory_path() / ("murk-frame-" + std::to_string(random()));
    std::filesystem::create_directories(path);
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

void writeFile(const std::filesystem::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

std::string boxesObj(const std::vector<Box>& boxes) {
    std::ostringstream obj;
    int base = 1;
    int n = 0;
    for (const Box& box : boxes) {
        obj << "o box" << n++ << "\n";
        for (int corner = 0; corner < 8; ++corner) {
            const glm::vec3 sign((corner & 1) ? 1.0f : -1.0f, (corner & 2) ? 1.0f : -1.0f,
                                 (corner & 4) ? 1.0f : -1.0f);
            const glm::vec3 p = box.centre + sign * box.half;
            obj << "v " << p.x << ' ' << p.y << ' ' << p.z << "\n";
        }
        // Counter-clockwise seen from outside.
        const int faces[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4},
                                 {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
        for (const auto& face : faces) {
            obj << "f " << base + face[0] << ' ' << base + face[1] << ' ' << base + face[2] << ' '
                << base + face[3] << "\n";
        }
        base += 8;
    }
    return obj.str();
}

TestGame::TestGame(const std::string& file, bool setUpNow, int windowWidth, int windowHeight)
    : sceneFile(file), gl(windowWidth, windowHeight, true) {
    context.settings.width = windowWidth;
    context.settings.height = windowHeight;
    context.settings.shadowMapSize = 64;
    context.settings.ambient = 0.2f;
    context.camera.position = glm::vec3(0.0f, 1.2f, 0.0f);
    context.camera.startPosition = context.camera.position;
    context.camera.horizontalAngle = 3.14159265f;  // looking down -z
    context.camera.verticalAngle = 0.0f;
    context.camera.updateVectors();
    if (setUpNow) setUp();
}

void TestGame::setUp() {
    if (!gl.ok()) return;
    SceneSetupOptions options;
    options.sceneFile = sceneFile;
    options.silent = true;
    initScene(context, nullptr, assets, options, console);
}

ProbeObject::ProbeObject(std::size_t probeIndex, ShaderProgram* objectProgram, Material* objectMaterial,
                         Box box, std::vector<DrawRecord>& drawLog)
    : murk::SceneObject(glm::mat4(1.0f), objectProgram, objectMaterial), index(probeIndex), log(drawLog) {
    for (int corner = 0; corner < 8; ++corner) {
        const glm::vec3 sign((corner & 1) ? 1.0f : -1.0f, (corner & 2) ? 1.0f : -1.0f, (corner & 4) ? 1.0f : -1.0f);
        const glm::vec3 p = box.centre + sign * box.half;
        positions.insert(positions.end(), {p.x, p.y, p.z});
        const glm::vec3 n = glm::normalize(sign);
        normals.insert(normals.end(), {n.x, n.y, n.z});
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
        minZ = std::min(minZ, p.z);
        maxZ = std::max(maxZ, p.z);
    }
    indices = {0, 2, 3, 3, 1, 0, 4, 5, 7, 7, 6, 4, 0, 1, 5, 5, 4, 0,
               2, 6, 7, 7, 3, 2, 0, 4, 6, 6, 2, 0, 1, 3, 7, 7, 5, 1};
    vertexCount = 8;
    indexCount = static_cast<int>(indices.size());
    setupBuffers();
}

void ProbeObject::draw() {
    GLint program = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    GLint framebuffer = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &framebuffer);
    GLboolean depthWrites = GL_TRUE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
    log.push_back({index, glIsEnabled(GL_CULL_FACE) == GL_TRUE, glIsEnabled(GL_BLEND) == GL_TRUE,
                   depthWrites == GL_TRUE, program, framebuffer});
    murk::SceneObject::draw();
}

std::unique_ptr<ProbeScene> makeProbeScene(GameContext& context, const std::vector<std::string>& shaders,
                                           const std::vector<Box>& boxes) {
    auto scene = std::make_unique<ProbeScene>();
    context.sceneObjects.clear();
    for (std::size_t i = 0; i < shaders.size(); ++i) {
        const std::string base = "Shader/" + shaders[i];
        scene->programs.push_back(std::make_unique<ShaderProgram>(base + ".vert", base + ".frag"));
        scene->materials.push_back(std::make_unique<Material>());
        scene->objects.push_back(std::make_unique<ProbeObject>(i, scene->programs.back().get(),
                                                               scene->materials.back().get(), boxes[i],
                                                               scene->log));
        context.sceneObjects.push_back(scene->objects.back().get());
    }
    context.uniformTable = buildUniformTable(context.sceneObjects);
    return scene;
}

std::vector<DrawRecord> sceneDraws(const ProbeScene& scene, const GameContext& context) {
    std::vector<DrawRecord> draws;
    const GLint target = static_cast<GLint>(context.postProcess->sceneFramebuffer);
    for (const DrawRecord& record : scene.log) {
        if (record.framebuffer == target) draws.push_back(record);
    }
    return draws;
}

std::vector<std::size_t> drawOrder(const ProbeScene& scene, const GameContext& context) {
    std::vector<std::size_t> order;
    for (const DrawRecord& record : sceneDraws(scene, context)) order.push_back(record.index);
    return order;
}

const DrawRecord* findDraw(const ProbeScene& scene, const GameContext& context, std::size_t index) {
    const GLint target = static_cast<GLint>(context.postProcess->sceneFramebuffer);
    for (const DrawRecord& record : scene.log) {
        if (record.index == index && record.framebuffer == target) return &record;
    }
    return nullptr;
}

}  // namespace frametest
