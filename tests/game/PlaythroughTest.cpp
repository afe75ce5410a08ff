// From the title screen to the won screen: the level tool's route walked on
// the real level with keys and mouse, the meters live, so the light and the
// pick-ups have to be managed on the way.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include <glm/geometric.hpp>
#include <gtest/gtest.h>

#include "app/TriggerBoxes.h"
#include "audio/SoundManager.h"
#include "physics/PhysicsWorld.h"
#include "tests/support/TestGame.h"

namespace {

using murk::test::holding;
using murk::test::TestGame;
using std::numbers::pi_v;

struct Waypoint {
    glm::vec2 xz{0.0f};  // capsule centre
    float floor = 0.0f;
    bool crouched = false;
    std::string goal;  // the box the leg ends in: "pick-up 2", "voice 1", "exit"
};

// "x z floor crouched [goal]" lines, as the demo autopilot reads them. The
// corners come from a grid model that lets the body climb a flight of
// stairs from its side; the controller, like a player, takes the level's
// flights head on, and they all climb along x. So a leg that climbs more
// than a step first goes along z, a step's depth further out in x than it
// starts (clear of the second step), then up the flight.
std::vector<Waypoint> readRoute(const std::string& path) {
    std::vector<Waypoint> route;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        Waypoint w;
        int crouched = 0;
        if (!(fields >> w.xz.x >> w.xz.y >> w.floor >> crouched)) continue;
        w.crouched = crouched != 0;
        std::getline(fields >> std::ws, w.goal);
        if (!route.empty() && w.floor > route.back().floor + 0.3f) {
            const Waypoint& from = route.back();
            const float out = from.xz.x > w.xz.x ? 0.35f : -0.35f;
            route.push_back({{from.xz.x + out, w.xz.y}, from.floor, from.crouched, ""});
        }
        route.push_back(w);
    }
    return route;
}

const TriggerBox* goalBox(const std::string& goal) {
    static const std::pair<const char*, const TriggerBox*> named[] = {
        {"pick-up 0", &boxes::pickup[0]}, {"pick-up 1", &boxes::pickup[1]}, {"pick-up 2", &boxes::pickup[2]},
        {"voice 1", &boxes::voice1},      {"voice 2", &boxes::voice2},      {"voice 3", &boxes::voice3},
        {"voice 4", &boxes::voice4},      {"enemy 1", &boxes::enemy1},      {"enemy 2", &boxes::enemy2},
        {"exit", &boxes::exitBox}};
    for (const auto& [name, box] : named)
        if (goal == name) return box;
    return nullptr;
}

// The player's hands for one frame: turn towards the target with the mouse
// (a flick at most), walk once roughly facing it, crouch where the route
// does; the light on when fear gets high and off once it has fallen; a
// held pick-up used when the light runs low, outside the pick-up boxes
// (there the returned one would be taken again at once).
class Pilot {
public:
    Controls hands(const GameContext& game, glm::vec2 target, bool crouch) {
        const Camera& camera = game.camera;
        const glm::vec2 to = target - glm::vec2(camera.position.x, camera.position.z);
        const float error = std::remainder(std::atan2(to.x, to.y) - camera.horizontalAngle, 2.0f * pi_v<float>);
        const float turn = std::clamp(error, -0.15f, 0.15f);
        const float pitch = std::clamp(-0.15f - camera.verticalAngle, -0.15f, 0.15f);
        const bool walk = std::fabs(error - turn) < 0.35f && glm::length(to) > 0.02f;

        if (lit && (camera.fear < 15.0f || camera.energy <= 0.5f)) lit = false;
        if (!lit && camera.fear > 60.0f && camera.energy > 5.0f) lit = true;
        bool inPickupBox = false;
        for (const TriggerBox& box : boxes::pickup) inPickupBox = inPickupBox || box.contains(camera.position);
        using K = std::initializer_list<int>;
        Controls c = holding(walk ? (crouch ? K{Key::W, Key::LeftControl} : K{Key::W})
                                  : (crouch ? K{Key::LeftControl} : K{}),
                             game, lit);
        c.cursorX -= std::round(turn / camera.mouseSpeed);
        c.cursorY -= std::round(pitch / camera.mouseSpeed);
        usesPickup = camera.energy < 40.0f && camera.pickups >= 1.0f && !inPickupBox;
        if (usesPickup) c.pressed.set(Key::E);  // a tap: pressed, not held, acts at once
        return c;
    }

    bool lit = false;
    bool usesPickup = false;
};

TEST(Game, PlaythroughFromTheTitleToTheWonScreen) {
    TestGame test;
    ASSERT_TRUE(test.ok());
    GameContext& game = test.game();
    const std::vector<Waypoint> route = readRoute(MURK_DATA_DIR "/../tools/level/route.txt");
    ASSERT_GT(route.size(), 2u);
    test.startPlaying();
    ASSERT_TRUE(game.camera.playing);

    constexpr double dt = 1.0 / 60.0;  // small enough not to step over the 0.2 m voice strips
    Pilot pilot;
    std::vector<bool> collected(3, false);
    int used = 0;
    double t = 0.0;
    std::size_t next = 0;
    float best = 1e9f;
    double bestAt = 0.0;
    for (int frame = 0; !game.won && next < route.size(); ++frame) {
        const Waypoint& point = route[next];
        const TriggerBox* box = goalBox(point.goal);
        ASSERT_TRUE(point.goal.empty() || box != nullptr) << "unknown goal " << point.goal;
        // Aim a little past a goal's corner, into its box.
        glm::vec2 target = point.xz;
        if (box != nullptr) {
            const glm::vec2 in = glm::vec2((box->minX + box->maxX) / 2, (box->minZ + box->maxZ) / 2) - target;
            if (glm::length(in) > 1e-3f) target += in * std::min(1.0f, 0.15f / glm::length(in));
        }
        const Controls hands = pilot.hands(game, target, point.crouched);
        const float pickupsBefore = game.camera.pickups;
        test.frame(hands, dt, frame % 60 == 0);
        t += dt;
        const Camera& camera = game.camera;
        ASSERT_TRUE(camera.playing) << "fear took over at t = " << t << " s near (" << camera.position.x << ", "
                                    << camera.position.z << ")";
        if (pilot.usesPickup) {
            ++used;
            EXPECT_EQ(camera.pickups, pickupsBefore - 1.0f) << "t = " << t;
            EXPECT_EQ(camera.energy, 100.0f) << "a used pick-up fills the light, t = " << t;
        }
        for (int k : game.collectedPickups) collected[static_cast<std::size_t>(k)] = true;

        const glm::vec2 eye(camera.position.x, camera.position.z);
        const bool reached = box != nullptr ? box->contains(camera.position)
                                            : glm::length(point.xz - eye) < 0.1f &&
                                                  game.physicsWorld->crouched == point.crouched;
        if (reached) {
            ++next;
            best = 1e9f;
            bestAt = t;
        } else if (glm::length(target - eye) < best - 0.02f) {
            best = glm::length(target - eye);
            bestAt = t;
        } else {
            ASSERT_LT(t - bestAt, 3.0) << "stuck on the way to waypoint " << next << " (" << point.xz.x << ", "
                                       << point.xz.y << " " << point.goal << ") at (" << camera.position.x << ", "
                                       << camera.position.y << ", " << camera.position.z << ")";
        }
    }
    EXPECT_TRUE(game.won) << "the route's end, inside the exit, did not win";
    EXPECT_EQ(collected, std::vector<bool>(3, true)) << "every pick-up lies on the way";
    EXPECT_GT(used, 0) << "no pick-up was used";
    // The voices and the enemy on the way were heard.
    const SoundIds& ids = game.sounds;
    for (int id : {ids.voiceHelloSomebody, ids.voiceSomebodyHelp, ids.voiceWhatWasThat, ids.voiceWhereAmI,
                   ids.enemyRawr, ids.enemyDistorted})
        EXPECT_TRUE(game.soundManager->isPlaying(id) || game.soundManager->hasExpired(id)) << "sound " << id;
    std::printf("playthrough: won after %.1f s, %d pick-ups used\n", t, used);
    // The won screen holds: further frames are menu frames.
    EXPECT_FALSE(test.frame(holding({Key::W}, game), dt));
}

}  // namespace
