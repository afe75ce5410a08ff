#include "audio/GameSounds.h"
#include "audio/SoundManager.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

std::string dataPath(const char* file)
{
    return std::string(MURK_DATA_DIR) + "/" + file;
}

void loadAll(SoundManager& sounds)
{
    for (const SoundFile& s : gameSounds)
        sounds.load(dataPath(s.path), s.is3D, s.loop);
}

// Creating the manager and loading every sound, as the scene set-up does.
void BM_StartUp(benchmark::State& state)
{
    for (auto _ : state) {
        SoundManager sounds(SoundManager::Output::Loopback);
        loadAll(sounds);
        benchmark::DoNotOptimize(sounds.soundCount());
    }
    state.SetLabel("12 sounds");
}
BENCHMARK(BM_StartUp)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_LoadOne(benchmark::State& state)
{
    const SoundFile& s = gameSounds[state.range(0)];
    SoundManager sounds(SoundManager::Output::Loopback);
    for (auto _ : state)
        sounds.load(dataPath(s.path), s.is3D, s.loop);
    state.SetLabel(s.path);
}
BENCHMARK(BM_LoadOne)->DenseRange(0, 11)->Unit(benchmark::kMillisecond)->Iterations(3);

// A 60 Hz frame on the silent loopback mix with music, footsteps and the
// television playing.
void BM_SilentFrame(benchmark::State& state)
{
    SoundManager sounds(SoundManager::Output::Loopback);
    loadAll(sounds);
    sounds.play(0, 0.5f);
    sounds.play(1, 0.1f);
    sounds.play3D(2, 0.1f, 10000.0f, 1.0f);
    for (auto _ : state) {
        sounds.update3D(2, {2.25f, 1.2f, -1.94f}, {0, 1.2f, 0}, {}, {0, 0, -1}, {0, 1, 0});
        sounds.update(1.0 / 60.0);
    }
}
BENCHMARK(BM_SilentFrame)->Unit(benchmark::kMicrosecond);

}
