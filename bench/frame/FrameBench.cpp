// The CPU paths of a frame, without rendering: the update, frustum culling,
// the scene file parser and the tangents of a mesh. Not a test; run by hand:
//   frame_bench [--benchmark_filter=...]
#include "app/Config.h"
#include "app/Frame.h"
#include "app/GameContext.h"
#include "render/Frustum.h"
#include "render/Projection.h"
#include "scene/MeshData.h"
#include "scene/SceneFile.h"
#include "scene/World.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <fstream>
#include <random>
#include <sstream>

namespace {

struct Box {
    float minX, maxX, minY, maxY, minZ, maxZ;
};

// One playing frame: controls, light and meters, toggles and title, physics
// step, flashlight, pick-ups and lamp, then the frustum; no scene objects,
// no sound, no drawing.
void updateFrameLogic(benchmark::State& state) {
    GameContext game;
    applyConfigDefaults(game.settings, game.camera);
    game.settings.freezeMeters = true;  // stays in play however long it runs
    game.camera.updateVectors();
    game.world = std::make_unique<World>(game.camera.startPosition);
    game.physicsWorld = game.world->physicsWorld.get();
    game.frustum.setProjection(projection::cameraFieldOfView, 1280.0f / 720.0f, projection::nearDistance,
                               projection::farDistance);
    Controls controls;
    controls.pressed.set(Key::Space);
    updateFrame(game, controls, FrameTime{0.0, 0.0});
    controls = Controls{};
    controls.pressed.set(Key::W);
    controls.held.set(Key::W);
    controls.lightButton = true;
    int frame = 0;
    double now = 0.0;
    for (auto _ : state) {
        now += 1.0 / 60.0;
        controls.cursorX = game.settings.width / 2 + ((frame % 40) < 20 ? 3 : -3);
        controls.cursorY = game.settings.height / 2;
        updateFrame(game, controls, FrameTime{now, 1.0 / 60.0});
        ++frame;
    }
    benchmark::DoNotOptimize(game.camera.position);
}
BENCHMARK(updateFrameLogic);

std::vector<Box> boxes(int count) {
    std::mt19937 random(3);
    std::uniform_real_distribution<float> place(-30.0f, 30.0f);
    std::uniform_real_distribution<float> size(0.1f, 2.0f);
    std::vector<Box> out;
    for (int i = 0; i < count; ++i) {
        const float x = place(random), y = place(random) / 10.0f, z = place(random);
        const float s = size(random);
        out.push_back({x - s, x + s, y - s, y + s, z - s, z + s});
    }
    return out;
}

// Frustum::update once, then isVisible over 1,000 boxes: one frame's culling.
void frustumCulling(benchmark::State& state) {
    const std::vector<Box> level = boxes(1000);
    Frustum frustum;
    frustum.setProjection(projection::cameraFieldOfView, 16.0f / 9.0f, projection::nearDistance,
                          projection::farDistance);
    float angle = 0.0f;
    int visible = 0;
    for (auto _ : state) {
        angle += 0.01f;
        const glm::vec3 eye(0.0f, 1.2f, 0.0f);
        frustum.update(eye, eye + glm::vec3(std::sin(angle), -0.1f, std::cos(angle)), glm::vec3(0.0f, 1.0f, 0.0f));
        for (const Box& box : level) visible += frustum.isVisible(box) ? 1 : 0;
    }
    benchmark::DoNotOptimize(visible);
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(frustumCulling);

// The game's own SCENE.txt, from memory.
void sceneFileParser(benchmark::State& state) {
    std::ifstream file(std::string(MURK_DATA_DIR) + "/SCENE.txt");
    std::stringstream text;
    text << file.rdbuf();
    const std::string scene = text.str();
    std::ostringstream console;
    std::size_t objects = 0;
    for (auto _ : state) {
        std::istringstream in(scene);
        objects += readSceneLines(in, console).size();
        console.str("");
    }
    benchmark::DoNotOptimize(objects);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(scene.size()));
}
BENCHMARK(sceneFileParser);

// A grid mesh of range(0) x range(0) quads with wavy uvs.
void tangents(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    std::vector<float> positions, normals, uvs;
    std::vector<std::uint32_t> indices;
    for (int i = 0; i <= n; ++i) {
        for (int k = 0; k <= n; ++k) {
            const float x = static_cast<float>(i), z = static_cast<float>(k);
            positions.insert(positions.end(), {x, 0.1f * std::sin(x + z), z});
            normals.insert(normals.end(), {0.0f, 1.0f, 0.0f});
            const float size = static_cast<float>(n);
            uvs.insert(uvs.end(), {x / size + 0.01f * std::sin(z), z / size});
        }
    }
    for (int i = 0; i < n; ++i) {
        for (int k = 0; k < n; ++k) {
            const auto a = static_cast<std::uint32_t>(i * (n + 1) + k);
            const auto b = a + static_cast<std::uint32_t>(n + 1);
            indices.insert(indices.end(), {a, b, a + 1, a + 1, b, b + 1});
        }
    }
    for (auto _ : state) benchmark::DoNotOptimize(computeTangents(positions, normals, uvs, indices));
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(indices.size() / 3));
}
BENCHMARK(tangents)->Arg(16)->Arg(128);

}  // namespace

BENCHMARK_MAIN();
