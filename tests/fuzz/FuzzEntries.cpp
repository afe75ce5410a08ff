#include "tests/fuzz/FuzzEntries.h"

#include "app/Camera.h"
#include "app/Config.h"
#include "scene/ModelConversion.h"
#include "scene/ModelImporter.h"
#include "scene/SceneFile.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define MURK_FUZZ_LSAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define MURK_FUZZ_LSAN 1
#endif
#if defined(MURK_FUZZ_LSAN)
#include <sanitizer/lsan_interface.h>
#endif

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

void model(const std::uint8_t* data, std::size_t size) {
    // Through a file and the game's own importer, as the game reads models:
    // Assimp's read-from-memory path resolves "mtllib" differently (and
    // crashes on inputs the file path reads fine).
    static ModelImporter importer;
    static const std::string path = "/tmp/murk-fuzz-" + std::to_string(getpid()) + ".obj";
    {
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    std::vector<MeshData> meshes;
    std::string error;
    {
#if defined(MURK_FUZZ_LSAN)
        // Assimp 5.2's OBJ reader leaks on some broken files; that is the
        // library's, not the game's, and would drown every real finding.
        __lsan::ScopedDisabler libraryLeaks;
#endif
        if (!importer.read(path, meshes, error)) return;
    }
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
    }
}

}  // namespace murk::fuzz
