#include "audio/SoundManager.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

struct GameSound { const char* file; bool is3D; bool loop; };

// The twelve sounds in the order the game loads them.
constexpr GameSound gameSounds[] = {
    {"Assets/Music/Dream Ambience.mp3", false, true},
    {"Assets/Sounds/footsteps_concrete_01.ogg", false, true},
    {"Assets/Sounds/static tv.mp3", true, true},
    {"Assets/Sounds/tavi_hello somebody up there.wav", false, false},
    {"Assets/Sounds/tavi_somebody help.wav", false, false},
    {"Assets/Sounds/tavi_two what was that.wav", false, false},
    {"Assets/Sounds/tavi_what was that.wav", false, false},
    {"Assets/Sounds/tavi_where am i.wav", false, false},
    {"Assets/Sounds/tavi_where where am i.wav", false, false},
    {"Assets/Sounds/enemy_breath.wav", true, false},
    {"Assets/Sounds/enemy_distorted.wav", true, false},
    {"Assets/Sounds/enemy_rawr.wav", true, false},
};

std::string dataPath(const char* file)
{
    return std::string(MURK_DATA_DIR) + "/" + file;
}

void loadAll(SoundManager& sounds)
{
    for (const GameSound& s : gameSounds)
        sounds.load(dataPath(s.file), s.is3D, s.loop);
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
    const GameSound& s = gameSounds[state.range(0)];
    SoundManager sounds(SoundManager::Output::Loopback);
    for (auto _ : state)
        sounds.load(dataPath(s.file), s.is3D, s.loop);
    state.SetLabel(s.file);
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
