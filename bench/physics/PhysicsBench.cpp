// One moveCharacter + step of a walking player among 1,000 static boxes.
#include <benchmark/benchmark.h>

#include <cmath>

#include "physics/PhysicsWorld.h"

namespace {

// A 40 x 25 grid of crates and pillars over 80 x 50 m around the start,
// plus `dynamicBoxes` loose crates near the player's path.
void buildScene(PhysicsWorld& world, int dynamicBoxes)
{
    world.init(0.0f, 1.21f, 0.0f);
    for (int i = 0; i < 40; ++i) {
        for (int k = 0; k < 25; ++k) {
            const double x = -40.0 + 2.0 * i + 1.0;
            const double z = -25.0 + 2.0 * k + 1.0;
            const double h = 0.2 + 0.1 * ((i * 7 + k * 3) % 20);
            world.addBox(false, {x, h, z}, {0.4, h, 0.4}, 100.0f);
        }
    }
    for (int d = 0; d < dynamicBoxes; ++d)
        world.addBox(true, {2.0 * d - 4.0, 0.25, 0.0}, {0.25, 0.25, 0.25}, 100.0f);
}

void moveAndStep(benchmark::State& state)
{
    PhysicsWorld world;
    buildScene(world, static_cast<int>(state.range(0)));
    const double dt = 1.0 / 60.0;
    double angle = 0.0;
    for (auto _ : state) {
        // Wander among the boxes: they slide, step and block the capsule.
        angle += 0.01;
        world.moveCharacter(2.0 * std::cos(angle) * dt, 0.0, 2.0 * std::sin(angle * 0.7) * dt, dt);
        world.step(dt);
    }
    benchmark::DoNotOptimize(world.footPosition);
}
// 0: the static scene alone; 5: the same with five dynamic crates, which
// makes the world simulate every frame.
BENCHMARK(moveAndStep)->Arg(0)->Arg(5)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
