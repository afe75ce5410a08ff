// From the title screen to the won screen on the real level: the level
// tool's route walked with keys and mouse through the platform layer, the
// level's own collision bodies in a real PhysicsWorld and the real rules.
// Every pick-up, voice and enemy box must be entered with the eye height it
// needs, the low passage crawled and the exit reached; the meters are live,
// so the flashlight has to be managed on the way.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <string>

#include <glm/geometric.hpp>
#include <gtest/gtest.h>

#include "Autopilot.h"
#include "LevelGame.h"
#include "app/TriggerBoxes.h"

namespace {

constexpr double frameDt = 1.0 / 60.0;  // small enough not to skip the 0.2 m voice strips
constexpr double stuckSeconds = 3.0;    // no progress towards a waypoint for this long fails
constexpr double maxSeconds = 300.0;
constexpr float reachDistance = 0.1f;
constexpr float goalNudge = 0.15f;      // aim a little past a goal's edge, into its box
constexpr float lookPitch = -0.15f;     // the light a little ahead of the feet

struct NamedBox {
    const char* name;
    TriggerBox box;
    int sound;  // started when the box is entered; -1 for none
};

std::array<NamedBox, 10> namedBoxes(const SoundIds& ids) {
    return {{{"pick-up 0", boxes::pickup[0], -1},
             {"pick-up 1", boxes::pickup[1], -1},
             {"pick-up 2", boxes::pickup[2], -1},
             {"voice 1", boxes::voice1, ids.voiceHelloSomebody},
             {"voice 2", boxes::voice2, ids.voiceSomebodyHelp},
             {"voice 3", boxes::voice3, ids.voiceWhatWasThat},
             {"voice 4", boxes::voice4, ids.voiceWhereAmI},
             {"enemy 1", boxes::enemy1, ids.enemyDistorted},
             {"enemy 2", boxes::enemy2, ids.enemyRawr},
             {"exit", boxes::exitBox, -1}}};
}

// The light as a careful player uses it: on when fear gets high, off again
// once it has fallen, and a held pick-up used when the light runs low
// (never inside a pick-up box, where the returned one would be taken again).
class LightHand {
public:
    void decide(LevelGame& game) {
        const Camera& camera = game.context.camera;
        if (lit && (camera.fear < 15.0f || camera.energy <= 0.5f)) lit = false;
        if (!lit && camera.fear > 60.0f && camera.energy > 5.0f) lit = true;
        if (lit) {
            game.input.pressButton(MouseButton::Left);
            litSeconds += frameDt;
        } else {
            game.input.releaseButton(MouseButton::Left);
        }
        bool inPickupBox = false;
        for (const TriggerBox& box : boxes::pickup) inPickupBox = inPickupBox || box.contains(camera.position);
        if (camera.energy < 25.0f && camera.pickups >= 1.0f && !inPickupBox && !eHeld) {
            game.input.press(Key::E);
            eHeld = true;
            ++pickupsUsed;
        } else if (eHeld) {
            game.input.release(Key::E);  // the use key acts on release
            eHeld = false;
        }
    }

    bool lit = false;
    bool eHeld = false;
    double litSeconds = 0.0;
    int pickupsUsed = 0;
};

glm::vec2 flat(const glm::vec3& v) { return {v.x, v.z}; }

// A solid overhead that a crouched player fits under and a standing one
// does not: the low passage.
bool underLowCeiling(const std::vector<SolidBox>& solids, const glm::vec3& foot) {
    for (const SolidBox& s : solids) {
        const bool over = foot.x > s.min.x && foot.x < s.max.x && foot.z > s.min.z && foot.z < s.max.z;
        const float clearance = s.min.y - foot.y;
        if (over && clearance > 0.6f && clearance < 1.2f) return true;
    }
    return false;
}

float distanceToSegment(const SolidBox& s, glm::vec2 a, glm::vec2 b) {
    float best = 1e9f;
    for (float t = 0.0f; t <= 1.0f; t += 0.02f) {
        const glm::vec2 p = a + (b - a) * t;
        const float dx = std::max({s.min.x - p.x, 0.0f, p.x - s.max.x});
        const float dz = std::max({s.min.z - p.y, 0.0f, p.y - s.max.z});
        best = std::min(best, std::sqrt(dx * dx + dz * dz));
    }
    return best;
}

// The route's corners come from a grid model that lets the body climb a
// stair from its side; a player, and the real controller, take a flight of
// stairs head on. Before each leg that climbs more than one step, add a
// point in front of the flight's first step, on the line up the flight.
std::vector<Waypoint> squareUpToStairs(std::vector<Waypoint> route, const std::vector<SolidBox>& solids) {
    constexpr float stepHeight = 0.25f;
    for (std::size_t k = 1; k < route.size(); ++k) {
        const Waypoint& a = route[k - 1];
        const Waypoint& b = route[k];
        if (b.floor - a.floor <= 0.3f) continue;
        const SolidBox* first = nullptr;
        for (const SolidBox& s : solids) {
            if (s.min.y > 0.05f || std::fabs(s.max.y - (a.floor + stepHeight)) > 0.02f) continue;
            if (distanceToSegment(s, a.xz, b.xz) > 0.5f) continue;
            if (!first || glm::length(flat((s.min + s.max) * 0.5f) - a.xz) <
                              glm::length(flat((first->min + first->max) * 0.5f) - a.xz))
                first = &s;
        }
        if (!first) continue;
        const glm::vec2 centre = flat((first->min + first->max) * 0.5f);
        const glm::vec2 up = b.xz - centre;
        // Stairs run along x or z.
        const glm::vec2 along = std::fabs(up.x) > std::fabs(up.y) ? glm::vec2(up.x > 0 ? 1 : -1, 0)
                                                                  : glm::vec2(0, up.y > 0 ? 1 : -1);
        const float halfDepth = std::fabs(along.x) > 0 ? (first->max.x - first->min.x) / 2
                                                       : (first->max.z - first->min.z) / 2;
        Waypoint front = a;
        front.goal.clear();
        front.xz = centre - along * (halfDepth + 0.35f);
        route.insert(route.begin() + static_cast<std::ptrdiff_t>(k), front);
        ++k;
    }
    return route;
}

TEST(Playthrough, FromTheTitleThroughEveryBoxToTheExit) {
    LevelGame game(true);
    ASSERT_TRUE(game.configRead) << "CONFIG.txt not read from " << MURK_DATA_DIR;
    ASSERT_TRUE(game.loadError.empty()) << game.loadError;
    ASSERT_GT(game.solids.size(), 20u) << "the level has too few collision bodies";
    ASSERT_FALSE(game.context.settings.freezeMeters) << "the walk must manage live meters";
    const std::vector<Waypoint> corners = readRoute(std::string(MURK_DATA_DIR) + "/../tools/level/route.txt");
    ASSERT_GT(corners.size(), 2u) << "tools/level/route.txt is missing or empty";
    const std::vector<Waypoint> route = squareUpToStairs(corners, game.solids);
    const auto boxList = namedBoxes(game.context.sounds);

    Camera& camera = game.context.camera;
    PhysicsWorld& physics = game.physics;
    game.startGame(frameDt);
    ASSERT_TRUE(camera.playing);
    ASSERT_FALSE(game.context.won);

    std::array<double, 10> entered;
    entered.fill(-1.0);
    std::array<float, 10> enteredEye{};
    std::array<bool, 3> collected{};
    LightHand hand;
    double t = 0.0;
    double crawled = 0.0;
    float maxFear = 0.0f;
    float minEnergy = 100.0f;
    std::size_t next = 0;
    float best = 1e9f;
    double bestAt = 0.0;

    while (!game.context.won && t < maxSeconds && next < route.size()) {
        const Waypoint& point = route[next];
        const NamedBox* goal = nullptr;
        for (const NamedBox& b : boxList)
            if (point.goal == b.name) goal = &b;
        if (!point.goal.empty()) {
            ASSERT_NE(goal, nullptr) << "unknown goal in the route: " << point.goal;
        }

        glm::vec2 target = point.xz;
        if (goal != nullptr) {
            const glm::vec2 centre((goal->box.minX + goal->box.maxX) / 2, (goal->box.minZ + goal->box.maxZ) / 2);
            const glm::vec2 in = centre - target;
            if (glm::length(in) > 1e-3f) target += in * std::min(1.0f, goalNudge / glm::length(in));
        }
        const Steering steering = steerTowards(camera, target, lookPitch);
        game.look(steering.yaw, steering.pitch);
        const float distance = glm::length(point.xz - flat(camera.position));
        if (point.crouched)
            game.input.press(Key::LeftControl);
        else
            game.input.release(Key::LeftControl);
        const bool walk = steering.walk && glm::length(target - flat(camera.position)) > 0.02f;
        if (walk)
            game.input.press(Key::W);
        else
            game.input.release(Key::W);
        hand.decide(game);

        const glm::vec3 before = camera.position;
        game.frame(frameDt);
        t += frameDt;
        ASSERT_TRUE(camera.playing) << "fear took over at t = " << t << " s near (" << camera.position.x << ", "
                                    << camera.position.z << ")";
        maxFear = std::max(maxFear, camera.fear);
        minEnergy = std::min(minEnergy, camera.energy);

        for (std::size_t k = 0; k < boxList.size(); ++k)
            if (entered[k] < 0.0 && boxList[k].box.contains(camera.position)) {
                entered[k] = t;
                enteredEye[k] = camera.position.y;
            }
        for (int k : game.context.collectedPickups) collected[static_cast<std::size_t>(k)] = true;
        if (physics.crouched && underLowCeiling(game.solids, glm::vec3(physics.footPosition)))
            crawled += glm::length(flat(camera.position) - flat(before));

        bool reached = false;
        if (goal != nullptr)
            reached = goal->box.contains(camera.position);
        else
            reached = distance < reachDistance && physics.crouched == point.crouched;
        if (reached) {
            ++next;
            best = 1e9f;
            bestAt = t;
            continue;
        }
        const float toTarget = glm::length(target - flat(camera.position));
        if (toTarget < best - 0.02f) {
            best = toTarget;
            bestAt = t;
        } else if (t - bestAt > stuckSeconds) {
            FAIL() << "stuck on the way to waypoint " << next << " (" << point.xz.x << ", " << point.xz.y
                   << (point.goal.empty() ? "" : ", " + point.goal) << ") at (" << camera.position.x << ", "
                   << camera.position.y << ", " << camera.position.z << "), crouched " << physics.crouched
                   << ", t = " << t << " s";
        }
    }

    EXPECT_TRUE(game.context.won) << "not won after " << t << " s; last waypoint " << next << " of "
                                  << route.size() << ", eye (" << camera.position.x << ", " << camera.position.y
                                  << ", " << camera.position.z << ")";
    for (std::size_t k = 0; k < boxList.size(); ++k) {
        EXPECT_GE(entered[k], 0.0) << boxList[k].name << " was never entered";
        if (boxList[k].sound >= 0) {
            EXPECT_TRUE(game.sounds.started.count(boxList[k].sound)) << boxList[k].name << " did not sound";
        }
    }
    for (std::size_t k = 0; k < collected.size(); ++k)
        EXPECT_TRUE(collected[k]) << "pick-up " << k << " not collected";
    EXPECT_GT(crawled, 1.5) << "the low passage was not crawled through";
    EXPECT_GT(hand.litSeconds, 0.0);

    std::printf("playthrough: won after %.1f s of play, %.1f s of it with the light on, %d pick-ups used; "
                "fear peaked at %.0f, energy fell to %.0f; crawled %.1f m\n",
                t, hand.litSeconds, hand.pickupsUsed, maxFear, minEnergy, crawled);
    for (std::size_t k = 0; k < boxList.size(); ++k)
        std::printf("  %-9s entered at %5.1f s, eye at %.2f\n", boxList[k].name, entered[k], enteredEye[k]);
}

}  // namespace
