#include "tests/fuzz/FuzzEntries.h"

#include "app/Camera.h"
#include "app/Config.h"
#include "app/PlayerSettings.h"
#include "scene/ModelImporter.h"
#include "scene/SceneFile.h"

#include <assimp/Importer.hpp>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace murk::fuzz {

namespace {

// A broken invariant is a finding: abort so libFuzzer keeps the input.
void require(bool condition) {
    if (!condition) std::abort();
}

std::string text(const std::uint8_t* data, std::size_t size) {
    return std::string(reinterpret_cast<const char*>(data), size);
}

}  // namespace

void config(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(text(data, size));
    Settings settings;
    Camera camera;
    applyConfigDefaults(settings, camera);
    readConfig(in, settings, camera);
    // Every line's value also through the conversions on their own.
    std::istringstream lines(text(data, size));
    std::string line;
    while (std::getline(lines, line)) {
        (void)configInt(line);
        (void)configFloat(line);
        require(configBool(line) == (line == "TRUE"));
    }
    camera.updateVectors();

    // The same bytes as the player's settings file: what it keeps of them
    // reads back to the very same settings.
    Settings base, own, read;
    Camera baseCamera, ownCamera, readCamera;
    applyConfigDefaults(base, baseCamera);
    applyConfigDefaults(own, ownCamera);
    applyConfigDefaults(read, readCamera);
    (void)playerSettings::apply(text(data, size), own, ownCamera);
    const std::string kept = playerSettings::text(own, ownCamera, base, baseCamera);
    require(playerSettings::apply(kept, read, readCamera).empty());
    require(playerSettings::text(read, readCamera, base, baseCamera) == kept);
}

void scene(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(text(data, size));
    std::ostringstream console;
    const SceneLines lines = readSceneLines(in, console);
    const std::size_t n = lines.size();
    require(lines.shaderNames.size() == n && lines.physicsShapes.size() == n &&
            lines.densities.size() == n && lines.dynamics.size() == n && lines.normalMaps.size() == n);
    SceneLine fields;
    (void)splitSceneLine(text(data, size), fields);
}

namespace {

// Every extension Assimp reads ("3ds", "mesh.xml", ...), from its own list.
const std::vector<std::string>& modelExtensions() {
    static const std::vector<std::string> extensions = [] {
        std::string list;
        Assimp::Importer().GetExtensionList(list);
        std::vector<std::string> found;
        std::istringstream in(list);
        std::string pattern;
        while (std::getline(in, pattern, ';')) {
            if (pattern.rfind("*.", 0) == 0) found.push_back(pattern.substr(2));
        }
        return found;
    }();
    return extensions;
}

// Writes the input as a model file and returns its name: through a file,
// as the game reads models (Assimp's read-from-memory path resolves "mtllib"
// differently, and crashes on inputs the file path reads fine).
std::string modelFile(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string>& extensions = modelExtensions();
    const std::string bytes = text(data, size);
    const std::size_t newline = bytes.find('\n');
    std::string extension = bytes.substr(0, std::min(newline, std::size_t{16}));
    std::string content = bytes;
    if (newline != std::string::npos && std::find(extensions.begin(), extensions.end(), extension) != extensions.end()) {
        content = bytes.substr(newline + 1);
    } else {
        extension = extensions[size > 0 ? data[0] % extensions.size() : 0];
    }
    const std::string path = "/tmp/murk-fuzz-" + std::to_string(getpid()) + "." + extension;
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << content;
    return path;
}

void checkMeshes(const std::vector<MeshData>& meshes) {
    for (const MeshData& mesh : meshes) {
        const std::size_t vertices = mesh.positions.size() / 3;
        require(mesh.positions.size() % 3 == 0);
        require(mesh.normals.size() == mesh.positions.size());
        require(mesh.uvs.empty() || mesh.uvs.size() == 2 * vertices);
        require(mesh.tangents.empty() || mesh.tangents.size() == 4 * vertices);
        require(mesh.indices.size() % 3 == 0 && !mesh.indices.empty());
        for (const std::uint32_t index : mesh.indices) require(index < vertices);
        const CollisionBody body = collisionBodyFor("box", mesh);
        (void)body;
        // The tangents once more, here where the fuzzer sees the coverage,
        // from what came back: the same code on the same numbers, the same bits.
        if (!mesh.uvs.empty()) {
            const std::vector<float> again = computeTangents(mesh.positions, mesh.normals, mesh.uvs, mesh.indices);
            require(again.size() == mesh.tangents.size() &&
                    (again.empty() || std::memcmp(again.data(), mesh.tangents.data(), again.size() * sizeof(float)) == 0));
        }
    }
}

}  // namespace

void model(const std::uint8_t* data, std::size_t size) {
    // The worker's sanitizer reports are Assimp's faults, found by the
    // thousand: symbolizing each took most of a second.
    static const bool quietWorker = [] {
        const char* options = std::getenv("ASAN_OPTIONS");
        return setenv("ASAN_OPTIONS", (std::string(options ? options : "") + ":symbolize=0").c_str(), 1) == 0;
    }();
    (void)quietWorker;
    static ModelImporter game;
    // Assimp loops forever on some files (a cut-off SMD header is enough):
    // they are found by the dozen, and the small inputs here read in milliseconds.
    game.timeLimitSeconds = 0.5;
    const std::string path = modelFile(data, size);
    std::vector<MeshData> meshes;
    std::string error;
    const bool ok = game.read(path, meshes, error);
    std::remove(path.c_str());
    require(ok || !error.empty());
    checkMeshes(meshes);
}

}  // namespace murk::fuzz
