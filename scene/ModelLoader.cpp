#include "scene/ModelLoader.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <iostream>

#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>

#include "physics/PhysicsWorld.h"
#include "platform/AtomicFile.h"
#include "scene/ShaderProgram.h"
#include "scene/Material.h"
#include "scene/ModelConversion.h"
#include "scene/SceneObject.h"
#include "scene/Texture.h"
#include "scene/World.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void addCollisionBody(PhysicsWorld& physics, const murk::SceneObject& object,
                      const CollisionBody& body, bool dynamic, float density) {
    switch (body.kind) {
    case CollisionBody::Kind::none:
        return;
    case CollisionBody::Kind::box:
        physics.addBox(dynamic, body.centre, body.halfExtents, density);
        return;
    case CollisionBody::Kind::mesh: {
        std::vector<glm::vec3> points;
        const std::vector<float>& p = object.positions;
        points.reserve(p.size() / 3);
        for (std::size_t i = 0; i + 2 < p.size(); i += 3) {
            points.emplace_back(p[i], p[i + 1], p[i + 2]);
        }
        std::vector<unsigned> triangles(object.indices.begin(), object.indices.end());
        physics.addConvexMesh(std::move(points), std::move(triangles), dynamic, body.centre,
                              body.halfExtents, density);
        return;
    }
    }
}

}  // namespace

ModelLoader::ModelLoader(World& gameWorld, std::vector<murk::SceneObject*>& objects)
    : world(gameWorld), sceneObjects(objects) {
    importer.cookedFolder = world.cookedFolder;
}

ModelLoader::~ModelLoader() = default;

Texture* ModelLoader::cachedTexture(const std::string& name, std::vector<std::string>& names,
                                    std::vector<unsigned>& ids, bool advanceSlot) {
    textures.push_back(std::make_unique<Texture>());
    Texture* texture = textures.back().get();
    const auto found = std::find(names.begin(), names.end(), name);
    if (found != names.end()) {
        texture->id = ids[static_cast<std::size_t>(found - names.begin())];
        return texture;
    }
    // A failed file is cached as noImage too: one message for it, not one
    // per mesh that names it.
    const Clock::time_point start = Clock::now();
    const bool loaded = texture->load(name, world.nextTextureSlot, "RGB", world.cookedFolder);
    names.push_back(name);
    ids.push_back(loaded ? texture->id : Texture::noImage);
    if (loaded && advanceSlot) {
        ++world.nextTextureSlot;
    }
    textureSeconds += secondsSince(start);
    return texture;
}

ShaderProgram* ModelLoader::programFor(const std::string& shaderName, const std::string& normalMap) {
    // "glow" is the rim program built to shine by itself (the lamp's shade);
    // the renderer knows it by its vertex file and sets it up as the rim.
    if (shaderName == "glow") {
        programs.push_back(
            std::make_unique<ShaderProgram>("Shader/rim.vert", "Shader/rim.frag", normalMap, "#define GLOW"));
        return programs.back().get();
    }
    const std::string base = "Shader/" + shaderName;
    // The renderer sets every uniform of these two before each draw, so their
    // objects can share a program: compiling and keeping one per mesh cost
    // seconds at start-up and tens of megabytes in a software driver. Each
    // normal map keeps its own name on a program object, all on one linked
    // program, which the driver then compiles to machine code once.
    const bool shareable = shaderName == "default" || shaderName == "rim";
    if (shareable) {
        const ShaderProgram* linked = nullptr;
        for (const auto& program : programs) {
            if (program->vertexPath != base + ".vert" || !program->defines.empty()) continue;
            if (program->extraName == normalMap) return program.get();
            if (program->ownsProgram && linked == nullptr) linked = program.get();
        }
        if (linked != nullptr) {
            programs.push_back(std::make_unique<ShaderProgram>(*linked, normalMap));
            return programs.back().get();
        }
    }
    programs.push_back(normalMap.empty() ? std::make_unique<ShaderProgram>(base + ".vert", base + ".frag")
                                         : std::make_unique<ShaderProgram>(base + ".vert", base + ".frag", normalMap));
    return programs.back().get();
}

void ModelLoader::loadModel(const std::string& modelFile, const std::string& shaderName,
                            const std::string& physicsShape, float density, bool dynamic,
                            const std::string& normalMap) {
    const double left = importBudgetSeconds - loadSeconds;
    if (left <= 0.0) {
        if (!budgetSpent)
            std::cout << "model import over its " << importBudgetSeconds << " s budget: " << modelFile
                      << " and the models after it are skipped\n";
        budgetSpent = true;
        return;
    }
    const Clock::time_point start = Clock::now();
    std::cout << "reading " << modelFile << '\n';
    std::vector<MeshData> meshes;
    std::string error;
    std::error_code ignored;
    // A FIFO or a device could keep the import waiting or feed it without end.
    const bool readable = !std::filesystem::exists(modelFile, ignored) || isRegularFile(modelFile);
    if (!readable) error = "not a regular file";
    const double fileLimit = importer.timeLimitSeconds;
    importer.timeLimitSeconds = std::min(fileLimit, left);
    const bool read = readable && importer.read(modelFile, meshes, error);
    importer.timeLimitSeconds = fileLimit;
    if (read)
        addObjects(meshes, shaderName, physicsShape, density, dynamic, normalMap);
    else
        std::cout << "Model-File kann nicht gelesen werden: " << modelFile << " (" << error << ")\n";
    loadSeconds += secondsSince(start);
}

void ModelLoader::addObjects(std::vector<MeshData>& meshes, const std::string& shaderName,
                             const std::string& physicsShape, float density, bool dynamic,
                             const std::string& normalMap) {
    for (MeshData& mesh : meshes) {
        materials.push_back(std::make_unique<Material>());
        Material* material = materials.back().get();
        material->ambient = mesh.ambient;
        material->diffuse = mesh.diffuse;
        material->specular = mesh.specular;
        material->opacity = mesh.opacity;

        Clock::time_point start = Clock::now();
        ShaderProgram* program = programFor(shaderName, normalMap);
        programSeconds += secondsSince(start);

        auto* object = new murk::SceneObject(glm::mat4(1.0f), program, material);
        program->use();
        object->vertexCount = mesh.vertexCount();
        object->indexCount = mesh.indexCount();
        object->minX = mesh.minX;
        object->maxX = mesh.maxX;
        object->minY = mesh.minY;
        object->maxY = mesh.maxY;
        object->minZ = mesh.minZ;
        object->maxZ = mesh.maxZ;

        material->diffuseTexture = cachedTexture(mesh.diffuseTexturePath,
                                                 world.diffuseTextureNames,
                                                 world.diffuseTextureIds, false);
        material->normalTexture =
            cachedTexture(normalMap, world.normalTextureNames, world.normalTextureIds, true);

        object->positions = std::move(mesh.positions);
        object->normals = std::move(mesh.normals);
        object->uvs = std::move(mesh.uvs);
        object->tangents = std::move(mesh.tangents);
        object->indices = std::move(mesh.indices);
        start = Clock::now();
        object->setupBuffers();
        uploadSeconds += secondsSince(start);

        const CollisionBody body = collisionBodyFor(physicsShape, mesh);
        addCollisionBody(*world.physicsWorld, *object, body, dynamic, density);

        sceneObjects.push_back(object);
    }
}
