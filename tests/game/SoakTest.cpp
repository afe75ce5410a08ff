// A long run of random but valid play over the real level: keys, mouse, a
// pad that comes and goes, the debug keys, and new games from the menus.
// Every screen is reached, and once warmed up the heap and the count of
// live allocations stay flat.
#include <malloc.h>

#include <atomic>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <random>
#include <sstream>

#include <gtest/gtest.h>

#include "app/TriggerBoxes.h"
#include "render/GlState.h"
#include "tests/support/TestGame.h"

// Live allocations made with C++ new (the game's, and the driver's shader
// compiler's): a count, which the allocator's own bookkeeping cannot blur.
// A sanitizer owns new and delete, and its quarantine the heap: no counts there.
namespace {
std::atomic<long> liveAllocations{0};
#if defined(__SANITIZE_ADDRESS__)
constexpr bool sanitized = true;
#else
constexpr bool sanitized = false;
void release(void* p) {
    if (p != nullptr) --liveAllocations;
    std::free(p);
}
#endif
}  // namespace

#if !defined(__SANITIZE_ADDRESS__)
void* operator new(std::size_t size) {
    if (void* p = std::malloc(size == 0 ? 1 : size)) {
        ++liveAllocations;
        return p;
    }
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { release(p); }
void operator delete(void* p, std::size_t) noexcept { release(p); }
#endif

namespace {

using murk::test::TestGame;

enum Screen { Title, Help, Play, Lost, Won, ScreenCount };

Screen screenOf(const GameContext& game) {
    if (game.helpShown && (game.won || !game.camera.playing)) return Help;
    if (game.won) return Won;
    if (game.camera.playing) return Play;
    return game.hasPlayed ? Lost : Title;
}

// A player's hands at random; never Escape, Back or F12.
class RandomPlayer {
public:
    Controls hands(const GameContext& game, bool debugKeys) {
        for (const int key : {Key::W, Key::A, Key::S, Key::D, Key::LeftControl})
            if (chance(0.05)) held.set(static_cast<std::size_t>(key), chance(0.5));
        if (chance(0.05)) lit = chance(0.4);
        if (chance(0.01)) padIn = !padIn;
        Controls c;
        c.pressed = c.held = held;
        c.lightButton = lit;
        c.cursorX = game.settings.width / 2 + static_cast<int>(random() % 21) - 10;
        c.cursorY = game.settings.height / 2 + static_cast<int>(random() % 11) - 5;
        const int taps[] = {Key::E, Key::F1, Key::F2, Key::F3, Key::F4, Key::F5, Key::F8, Key::F9};
        if (chance(0.03)) c.pressed.set(static_cast<std::size_t>(taps[random() % (debugKeys ? 8 : 2)]));
        if (padIn) {
            c.padConnected = true;
            const auto axis = [&] { return static_cast<std::int16_t>(static_cast<int>(random() % 65536) - 32768); };
            c.pad = {1, static_cast<std::uint16_t>(chance(0.1) ? Pad::A : 0), static_cast<std::uint8_t>(random()),
                     static_cast<std::uint8_t>(chance(0.3) ? random() : 0), axis(), axis(), axis(), axis()};
        }
        menuFrames = game.camera.playing && !game.won ? 0 : menuFrames + 1;
        if (menuFrames > 20 && !game.helpShown && chance(0.2)) c.pressed.set(Key::Space);
        return c;
    }

private:
    bool chance(double p) { return std::uniform_real_distribution<double>(0.0, 1.0)(random) < p; }

    std::mt19937 random{20261206};
    std::bitset<Key::Last + 1> held;
    bool lit = false;
    bool padIn = false;
    int menuFrames = 0;
};

TEST(Game, SoakOfRandomPlayKeepsTheHeapFlat) {
    TestGame test({128, 72, 64});
    ASSERT_TRUE(test.ok());
    GameContext& game = test.game();
    const glm::vec3 start = game.camera.startPosition;
    const glm::vec3 exit((boxes::exitBox.minX + boxes::exitBox.maxX) / 2, 2.2f,
                         (boxes::exitBox.minZ + boxes::exitBox.maxZ) / 2);
    RandomPlayer player;
    int seen[ScreenCount] = {};
    int games = 0;
    std::size_t lowest[2] = {SIZE_MAX, SIZE_MAX};
    long fewest[2] = {LONG_MAX, LONG_MAX};
    constexpr int frames = 3000, warmUp = 1000;
    for (int frame = 0; frame < frames; ++frame) {
        // Every fourth game starts inside the exit, so the won screen comes up.
        game.camera.startPosition = games % 4 == 3 ? exit : start;
        const Screen before = screenOf(game);
        // Every new mix of texture and drawing modes has the driver build and
        // keep more, so the debug keys are pressed only while warming up.
        test.frame(player.hands(game, frame < warmUp), 0.1, frame % 10 == 0);
        const Screen now = screenOf(game);
        ++seen[now];
        if (now == Play && before != Play) ++games;
        // The lowest heap and allocation count of each half after warm-up:
        // passing allocations come and go, a leak lifts the floor.
        if (frame >= warmUp) {
            const int half = frame < (frames + warmUp) / 2 ? 0 : 1;
            lowest[half] = std::min(lowest[half], mallinfo2().uordblks);
            fewest[half] = std::min(fewest[half], liveAllocations.load());
        }
    }
    std::ostringstream glErrors;
    reportGlError(glErrors);
    EXPECT_EQ(glErrors.str(), "");
    const char* names[ScreenCount] = {"title", "help", "play", "lost", "won"};
    for (int s = 0; s < ScreenCount; ++s) EXPECT_GT(seen[s], 0) << names[s] << " never shown";
    std::printf("soak: %d frames, %d games; heap at least %zu KiB, then %zu KiB; %ld allocations, then %ld\n",
                frames, games, lowest[0] / 1024, lowest[1] / 1024, fewest[0], fewest[1]);
    if (sanitized) return;
    EXPECT_LT(fewest[1], fewest[0] + 50);
    // The driver's own heap moves by some tens of KiB with what is drawn.
    EXPECT_LT(lowest[1], lowest[0] + 128 * 1024);
}

}  // namespace
