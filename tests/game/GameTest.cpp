#include "app/DemoSession.h"
#include "app/KeyBindings.h"
#include "app/TriggerBoxes.h"
#include "audio/SoundManager.h"
#include "physics/PhysicsWorld.h"
#include "platform/RecordingInput.h"
#include "platform/ReplayInput.h"
#include "platform/ScriptedInput.h"
#include "render/GlState.h"
#include "tests/support/GlContext.h"
#include "tests/support/Process.h"
#include "tests/support/TestGame.h"
#include "tools/autopilot/Route.h"

#include <glm/geometric.hpp>
#include <glm/trigonometric.hpp>
#include <gtest/gtest.h>

#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <new>
#include <numbers>
#include <random>
#include <sstream>
#include <string>
#include <vector>

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

using murk::test::holding;
using murk::test::TestGame;

// The level tool's route walked with keys and mouse, the meters live.
using std::numbers::pi_v;

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

// The player's hands: turn to the target, walk once facing it, the light on
// at high fear; a pick-up used when the light runs low, outside the pick-up
// boxes (there the returned one would be taken again at once).
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
    // The flights are railed, so the route climbs them from their foot as it is.
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
        ASSERT_TRUE(camera.playing) << "fear took over at t = " << t << " s";
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
            ASSERT_LT(t - bestAt, 3.0) << "stuck on the way to waypoint " << next << " " << point.goal << " at ("
                                       << camera.position.x << ", " << camera.position.z << ")";
        }
    }
    EXPECT_TRUE(game.won) << "the route's end, inside the exit, did not win";
    EXPECT_TRUE(collected[2]) << "the kitchen's pick-up lies on the way";
    EXPECT_GT(used, 0) << "no pick-up was used";
    const SoundIds& ids = game.sounds;
    for (int id : {ids.voiceHelloSomebody, ids.voiceSomebodyHelp, ids.voiceWhatWasThat, ids.voiceWhereAmI,
                   ids.enemyRawr, ids.enemyDistorted})
        EXPECT_TRUE(game.soundManager->isPlaying(id) || game.soundManager->hasExpired(id)) << "sound " << id;
    std::printf("playthrough: won after %.1f s, %d pick-ups used\n", t, used);
    // The won screen holds: further frames are menu frames.
    EXPECT_FALSE(test.frame(holding({Key::W}, game), dt));
}


// Inner faces of the outer walls.
constexpr float innerMinX = -7.9f, innerMaxX = 4.2f, innerMinZ = -14.7f, innerMaxZ = 8.6f;
constexpr float reach = 0.2f;  // the capsule's radius: the eye comes no closer to a face

struct Walk {
    const char* what;
    glm::vec2 start;  // x, z on the ground floor
    float yawDegrees;  // 0 looks along +z, 90 along +x
    bool crouch;
    glm::vec2 along;  // the eye's position along this axis stays below mark the
    float mark;       // whole walk and ends close to it, or ends beyond it when through
    bool through;
    const char* notice = "";  // what pushing on, standing, brings up
};

constexpr Walk walks[] = {
    {"east outer wall", {3.0f, 0.0f}, 90, false, {1, 0}, innerMaxX - reach, false},
    {"west outer wall", {-6.5f, -3.0f}, -90, false, {-1, 0}, -innerMinX - reach, false},
    {"north outer wall", {-1.0f, 7.5f}, 0, false, {0, 1}, innerMaxZ - reach, false},
    {"south outer wall", {0.5f, -13.5f}, 180, false, {0, -1}, -innerMinZ - reach, false},
    {"into the living room's corner", {3.5f, 2.7f}, 45, false, {1, 0}, innerMaxX - reach, false},
    {"kitchen wall from the kitchen", {1.5f, -9.5f}, -90, false, {-1, 0}, -0.6f - reach, false},
    {"boiler from the side", {1.0f, -13.75f}, 90, false, {1, 0}, 2.2f - reach, false},
    {"crate too high to climb", {-7.55f, -7.0f}, 0, false, {0, 1}, -5.3f - reach, false, "Too high to climb here"},
    {"into the stage's edge", {-3.5f, 3.8f}, 0, false, {0, 1}, 4.4f - reach, false, "Too high to climb here"},
    {"standing into the gallery's underside", {-1.0f, 5.7f}, 0, false, {0, 1}, 6.0f - reach, false, "Too low to walk upright: hold Left Ctrl to crouch"},
    {"crouched under the gallery", {-1.0f, 5.7f}, 0, true, {0, 1}, 7.2f, true},
    {"into the boarded door to the bedroom", {2.0f, 1.2f}, -90, false, {-1, 0}, -0.55f - reach, false},
    {"through the kitchen's doorway", {1.3f, -10.0f}, 180, false, {0, -1}, 11.6f, true},
    {"along the corridor's east wall, over a seam", {-7.31f, -13.0f}, 15, false, {0, 1}, -10.0f, true},
    {"along the corridor's west wall", {-7.69f, -13.0f}, -15, false, {0, 1}, -10.0f, true},
    // Where a player once stuck on a step's edge: now a rail stops the walk.
    {"onto the gallery stairs from the side", {1.0f, 8.35f}, 180, false, {0, -1}, -8.0f - reach, false},
    {"onto the walkway's stairs from the side", {-0.6f, -13.6f}, 0, false, {0, 1}, -13.1f - reach, false},
};

TEST(Game, WallsStopThePlayerAndDoorwaysLetThrough) {
    TestGame test;
    ASSERT_TRUE(test.ok());
    GameContext& game = test.game();
    game.settings.freezeMeters = true;  // long enough in the dark to lose otherwise
    test.startPlaying();
    // At a smooth frame rate and at the few frames a second these machines give.
    for (const double dt : {1.0 / 60.0, 0.1}) {
        for (const Walk& walk : walks) {
            SCOPED_TRACE(std::string(walk.what) + " at " + std::to_string(1.0 / dt) + " frames a second");
            test.place(walk.start.x, 0.0f, walk.start.y, glm::radians(walk.yawDegrees));
            for (int i = 0; i < 10; ++i) test.frame(holding({}, game), dt, false);  // stand up and settle
            const Controls keys = walk.crouch ? holding({Key::W, Key::LeftControl}, game) : holding({Key::W}, game);
            float furthest = 0.0f;
            for (int i = 0; i < static_cast<int>(2.5 / dt); ++i) {
                test.frame(keys, dt, false);
                const glm::vec3 eye = game.camera.position;
                ASSERT_TRUE(eye.x > innerMinX && eye.x < innerMaxX && eye.z > innerMinZ && eye.z < innerMaxZ)
                    << "left the level at (" << eye.x << ", " << eye.z << ")";
                furthest = glm::dot(glm::vec2(eye.x, eye.z), walk.along);
                if (!walk.through) {
                    ASSERT_LT(furthest, walk.mark) << "frame " << i;
                }
            }
            // Stopped by the face itself, not short of it.
            EXPECT_GT(furthest, walk.through ? walk.mark : walk.mark - 0.1f);
            EXPECT_EQ(game.noticeSeconds > 0.0f ? game.notice : "", walk.notice);
        }
    }
    // The hint names the key as bound.
    bind(game.settings.keys, Action::Crouch, Key::Q);
    test.place(-1.0f, 0.0f, 5.7f, 0.0f);
    for (int i = 0; i < 60; ++i) test.frame(holding({Key::W}, game), 1.0 / 60.0, false);
    EXPECT_EQ(game.notice, "Too low to walk upright: hold Q to crouch");
}

// Close to a wall in the torch's beam its texture still shows, neither flat
// nor burnt to white (the render tests' kept pictures are all from further away).
// The east outer wall at x = 4.2, and the pale jamb of the lamp hall's door
// to the storeroom, whose face into the opening stands at x = -6.49.
struct CloseUp { const char* name; float x, z, yawDegrees; };
constexpr CloseUp closeUps[] = {{"Wall", 3.9f, 0.0f, 90.0f}, {"PaleDoorFrame", -6.15f, -4.38f, -90.0f}};

class AThirdOfAMetreAway : public testing::TestWithParam<CloseUp> {};
INSTANTIATE_TEST_SUITE_P(Game, AThirdOfAMetreAway, testing::ValuesIn(closeUps),
                         [](const testing::TestParamInfo<CloseUp>& param) { return std::string(param.param.name); });

TEST_P(AThirdOfAMetreAway, InTheBeamShowsItsTexture) {
    TestGame test;
    ASSERT_TRUE(test.ok());
    GameContext& game = test.game();
    game.settings.freezeMeters = true;
    test.startPlaying();
    test.place(GetParam().x, 0.0f, GetParam().z, glm::radians(GetParam().yawDegrees));
    for (int i = 0; i < 6; ++i) test.frame(holding({}, game, true), 0.05, i == 5);
    const std::vector<unsigned char> rgb = test.pixels();
    const int width = game.settings.width, height = game.settings.height;
    // Around the brightness-weighted centre, where the beam falls.
    double total = 0.0, cx = 0.0, cy = 0.0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const double weight = std::pow(rgb[(static_cast<std::size_t>(y) * width + x) * 3 + 1], 2.0);
            total += weight, cx += weight * x, cy += weight * y;
        }
    const int w = static_cast<int>(width * 0.15) / 2, h = static_cast<int>(height * 0.15) / 2;
    double n = 0.0, sum = 0.0, squares = 0.0, saturated = 0.0;
    for (int y = std::max(0, int(cy / total) - h); y < std::min(height, int(cy / total) + h); ++y)
        for (int x = std::max(0, int(cx / total) - w); x < std::min(width, int(cx / total) + w); ++x) {
            const unsigned char* p = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
            const double l = 0.2126 * p[0] + 0.7152 * p[1] + 0.0722 * p[2];
            n += 1.0, sum += l, squares += l * l;
            saturated += p[0] >= 250 || p[1] >= 250 || p[2] >= 250;
        }
    EXPECT_GT(sum / n, 60.0) << "the beam lights the wall";
    EXPECT_LT(saturated / n, 0.02) << "burnt to white";
    EXPECT_GT(std::sqrt(squares / n - sum * sum / n / n), 5.0) << "a flat patch where the texture should be";
}


constexpr int frameCount = 100;

// A player with uneven frame times, fractional mouse moves, taps, holds, a
// pad for a while and a focus loss resumed with P; keeps each end state.
class Script : public FrameObserver {
public:
    Script(const GameContext& context, ScriptedInput* input) : game(context), device(input) {}

    void frameBegins() override {
        if (device == nullptr) return;
        ScriptedInput& in = *device;
        in.now += 0.011 + 0.0037 * (frame % 7) + 1e-9 * frame;
        in.cursorX += frame % 9 == 3 ? 7.0 : 0.0;
        in.cursorY -= frame % 13 == 5 ? 2.25 : 0.0;
        const std::pair<int, int> holds[] = {{Key::W, 5}, {Key::A, 40}, {Key::LeftControl, 45}};
        for (const auto& [key, from] : holds) {
            if (frame == from) in.press(key);
            if (frame == from + 15) in.release(key);
        }
        if (frame == 2) in.tap(Key::Space);
        if (frame == 20) in.tap(Key::F2);
        if (frame == 65) in.tap(Key::E);
        if (frame == 30) in.pressButton(MouseButton::Left);
        if (frame == 70) in.releaseButton(MouseButton::Left);
        in.padConnected = frame >= 75 && frame < 90;
        in.hasFocus = frame < 72 || frame > 74;
        if (frame == 77) in.tap(Key::P);
        in.pad = GamepadState{1, 0, 0, 200, 0, 30000, -20000, 0};
    }
    bool frameEnds() override {
        std::ostringstream look;
        look << std::hexfloat << "look " << game.camera.horizontalAngle << ' ' << game.camera.verticalAngle
             << " paused " << game.paused << '\n';
        trace.push_back(describeEndState(game) + look.str());
        return ++frame < frameCount;
    }

    const GameContext& game;
    ScriptedInput* device;
    int frame = 0;
    std::vector<std::string> trace;
};

TEST(Game, ReplayGivesBackTheRecordedGameFrameByFrame) {
    demo::Demo demo;
    std::vector<std::string> recorded;
    {
        TestGame test({160, 90, 64});
        ASSERT_TRUE(test.ok());
        ScriptedInput device;
        RecordingInput recorder(device);
        Script script(test.game(), &device);
        runFrameLoop(test.game(), test.window(), recorder, script);
        recorded = script.trace;
        std::string error;
        ASSERT_TRUE(demo::decode(demo::encode(recorder.demo()), demo, error)) << error;
    }
    ASSERT_EQ(recorded.size(), std::size_t{frameCount});
    // The script reached what it means to test: a game, the frame rate in the title.
    EXPECT_NE(recorded.back().find("playing 1"), std::string::npos) << recorded.back();
    EXPECT_NE(recorded.back().find(" fps"), std::string::npos) << recorded.back();
    EXPECT_NE(recorded[76].find("paused 1"), std::string::npos) << recorded[76];

    // The cursor is kept as offsets from where the game put it, so another
    // window of the same shape sees the same movements.
    TestGame test({128, 72, 64});
    ASSERT_TRUE(test.ok());
    ReplayInput replayer(demo);
    Script script(test.game(), nullptr);
    runFrameLoop(test.game(), test.window(), replayer, script);
    ASSERT_EQ(script.trace.size(), recorded.size());
    for (std::size_t f = 0; f < recorded.size(); ++f)
        ASSERT_EQ(endStateDifferences(recorded[f], script.trace[f]), "") << "frame " << f;
    EXPECT_TRUE(replayer.finished());
    EXPECT_EQ(replayer.divergedAt(), -1);

    // The end state tells apart every value a replay could get wrong.
    GameContext& game = test.game();
    const auto next = [](float& value) { value = std::nextafter(value, 1e9f); };
    const std::function<void()> changes[] = {
        [&] { next(game.camera.position.x); }, [&] { next(game.camera.position.y); },
        [&] { next(game.camera.position.z); }, [&] { next(game.camera.energy); },
        [&] { next(game.camera.fear); },       [&] { next(game.camera.pickups); },
        [&] { game.collectedPickups.push_back(1); }, [&] { game.won = !game.won; },
        [&] { game.camera.playing = !game.camera.playing; }, [&] { game.helpShown = !game.helpShown; },
        [&] { game.hasPlayed = !game.hasPlayed; }, [&] { game.windowTitle += '.'; }};
    for (const auto& change : changes) {
        const std::string before = describeEndState(game);
        change();
        EXPECT_NE(describeEndState(game), before) << "change " << &change - changes;
    }
}

// The value on the report's line "name   value unit"; -1 when none.
double figure(const std::string& output, const std::string& name) {
    const std::size_t at = output.find("\n" + name + "  ");
    return at == std::string::npos ? -1.0 : std::atof(output.c_str() + at + name.size() + 1);
}

std::string fileText(const std::filesystem::path& path) {
    return (std::stringstream() << std::ifstream(path).rdbuf()).str();
}

// The real program on the shipped demo must end exactly where the demo was
// made to end (when the level, the rules or the physics change on purpose,
// remake it with tools/autopilot), report its figures and write its files.
TEST(Game, ShippedDemoEndsAsRecordedInTheTimedemo) {
    ASSERT_TRUE(murk::test::ensureDisplay());
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "murk-game-tests";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const std::string prefix = (folder / "walk").string();
    const auto run = murk::test::runProcess({MURK_BINARY_DIR "/app/murkhaven", "--timedemo", "demos/walk.mdemo",
                                             "--width", "128", "--height", "72", "--shadow-map-size", "64",
                                             "--report", prefix},
                                            MURK_DATA_DIR, 120);
    ASSERT_FALSE(run.timedOut);
    ASSERT_EQ(run.exitStatus, 0) << run.output;
    EXPECT_NE(run.output.find("replay ends as recorded"), std::string::npos) << run.output;
    demo::Demo demo;
    std::string error;
    ASSERT_TRUE(demo::loadDemo(MURK_DATA_DIR "/demos/walk.mdemo", demo, error)) << error;
    // Every pass was timed, and the passes make up the GPU's whole frame.
    EXPECT_EQ(figure(run.output, "frames"), static_cast<double>(demo.frames.size())) << run.output;
    double passes = 0.0;
    for (const char* pass : {"shadow 0", "shadow 1", "blurs", "scene", "bloom", "present+hud"}) {
        EXPECT_GT(figure(run.output, std::string("gpu ") + pass), 0.0) << pass << "\n" << run.output;
        passes += figure(run.output, std::string("gpu ") + pass);
    }
    EXPECT_NEAR(passes, figure(run.output, "gpu total"), 0.05);
    EXPECT_GT(figure(run.output, "peak memory"), 0.0);

    // A header and one row a frame; a chart with the frame times drawn.
    const std::string csv = fileText(prefix + ".csv");
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), static_cast<long>(demo.frames.size()) + 1);
    EXPECT_NE(fileText(prefix + ".svg").find("<polyline"), std::string::npos);
    std::filesystem::remove_all(folder);
}

// The real game in a copy of data/ with one damaged file: it says what is
// wrong and plays on, or stops with its message. Never a crash or a hang.

TEST(BinaryRuns, OneDamagedFileEach) {
    ASSERT_TRUE(murk::test::ensureDisplay());
    std::string garbage;
    for (int i = 0; i < 4096; ++i) garbage += static_cast<char>(i * 7919 % 251);
    const std::string played = "recorded 3 frames to run.mdemo\n";
    // A model that is not there, and a moving body of no defined mass.
    const std::string scene = "//PLAYER OBJECTS\nAssets/Models/gone.obj, rim, none, 0, FALSE, \n//END\n"
                              "//ENEMY OBJECTS\n//END\n//SCENE OBJECTS\n"
                              "Assets/Models/curtain.obj, default, box, nan, TRUE, \n//END\n";
    struct Row { const char* file; std::string bytes; int status; std::vector<std::string> says; };
    const Row rows[] = {
        {"CONFIG.txt", "\nwidth = 160\nheight = 120\nwindowed = TRUE\nrate = 60\nambient = nan\n\n\nshadow = 0\n", 0,
         {"shadow map size 0 clamped to 16 (what the GL allows)\n",
          "ambient light nan in CONFIG.txt is not a finite number; using 0.2\n", played}},
        {"SCENE.txt", garbage, 0,
         {"SCENE.txt: no \"//PLAYER OBJECTS\" before the end of the file\n",
          "SCENE.txt: level incomplete, 0 scene objects (at least 5 needed); no pick-ups\n", played}},
        {"SCENE.txt", scene, 0, {"Model-File kann nicht gelesen werden: Assets/Models/gone.obj (", played}},
        {"Shader/default.frag", garbage, 255, {"compile fehler\n"}},
        {"Assets/Textures/Start.jpg", garbage, 0, {"cannot read image: Assets/Textures/Start.jpg\n", played}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file);
        char pattern[] = "/tmp/murk-run-XXXXXX";
        const std::filesystem::path dir = mkdtemp(pattern);
        std::filesystem::copy(MURK_DATA_DIR, dir, std::filesystem::copy_options::recursive);
        std::ofstream(dir / row.file, std::ios::binary | std::ios::trunc) << row.bytes;
        const auto run = murk::test::runProcess({std::string(MURK_BINARY_DIR) + "/app/murkhaven", "--record",
                                                 "run.mdemo", "--frames", "3", "--width", "160", "--height", "120"},
                                                dir.string(), 60);
        std::filesystem::remove_all(dir);
        EXPECT_FALSE(run.timedOut);
        EXPECT_EQ(run.exitStatus, row.status) << run.output;
        for (const std::string& line : row.says) EXPECT_NE(run.output.find(line), std::string::npos) << run.output;
        for (const char* fault : {"Sanitizer", "runtime error", "GL: "}) {
            EXPECT_EQ(run.output.find(fault), std::string::npos) << run.output;
        }
    }
}

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
    // The driver's own pools move by some hundreds of KiB with what is drawn
    // (the bloom's tile draws vary from frame to frame); a leak of a KiB a
    // frame still shows.
    EXPECT_LT(lowest[1], lowest[0] + 1024 * 1024);
}

}  // namespace
