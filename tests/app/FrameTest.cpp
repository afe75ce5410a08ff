// The frame's state machine and the wiring of a playing frame, on the real level.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <tuple>

#include <gtest/gtest.h>

#include "app/DebugToggles.h"
#include "app/Frame.h"
#include "app/GameRules.h"
#include "app/GameSetup.h"
#include "app/PlayerSettings.h"
#include "app/Subtitles.h"
#include "audio/SoundManager.h"
#include "physics/PhysicsWorld.h"
#include "scene/ObjectRoles.h"
#include "scene/SceneObject.h"
#include "scene/Texture.h"
#include "scene/World.h"
#include "tests/support/Process.h"
#include "tests/support/TestGame.h"

using murk::test::holding;
using murk::test::TestGame;

namespace {

class Frame : public ::testing::Test {
protected:
    static void SetUpTestSuite() { shared = new TestGame(); }
    static void TearDownTestSuite() {
        delete shared;
        shared = nullptr;
    }

    // Each test starts in the title screen with a fresh game's state.
    void SetUp() override {
        if (!shared->ok()) GTEST_SKIP() << "no display or GL context";
        GameContext& g = shared->game();
        g.camera.playing = false;
        g.won = g.helpShown = g.hasPlayed = false;
        g.camera.pickups = 0.0f;
        g.settings.brightness = 1.0f;
        g.collectedPickups.clear();
        g.latches = KeyLatches{};
        g.paused = g.pauseKeyDown = g.optionsOpen = g.quitAsked = false;
        g.pausedSeconds = 0.0;
        g.settings.keys = KeyBindings{};
        g.settings.calm = false;
        g.settings.headBob = true;
        g.settings.fieldOfView = 60;
        g.showFps = g.wireframe = g.transparency = false;
        g.frustum.enabled = true;
        g.world->samplingQuality = 1;
        g.world->mipmapQuality = 2;
        g.physicsWorld->crouched = false;
        g.physicsWorld->resizeController(PhysicsWorld::standHeight);
    }

    GameContext& game() { return shared->game(); }
    Controls keys(std::initializer_list<int> held, bool light = false) { return holding(held, game(), light); }
    // A key tapped and let go within the frame: read pressed, then not held.
    Controls tapped(int key) {
        Controls c = keys({});
        c.pressed.set(static_cast<std::size_t>(key));
        return c;
    }
    bool frame(const Controls& c, double dt = 0.1) { return shared->frame(c, dt, false); }
    void play() {
        shared->startPlaying();
        frame(keys({}));  // lands the capsule on the floor
    }

    static TestGame* shared;
};

TestGame* Frame::shared = nullptr;

TEST_F(Frame, SpaceStartsAGameFromTheTitleAndAfterLosing) {
    EXPECT_FALSE(frame(keys({})));
    EXPECT_FALSE(frame(keys({Key::W})));  // menus ignore the game's keys
    frame(tapped(Key::F1));  // help opened on the title closes as the game starts
    ASSERT_TRUE(game().helpShown);
    game().camera.fear = 40.0f;
    game().camera.energy = 3.0f;
    EXPECT_FALSE(frame(keys({Key::Space})));  // the frame that starts is still a menu frame
    EXPECT_TRUE(game().camera.playing);
    EXPECT_FALSE(game().helpShown);
    EXPECT_EQ(game().camera.fear, 0.0f);
    EXPECT_EQ(game().camera.energy, 100.0f);
    EXPECT_EQ(game().camera.position, game().camera.startPosition);
    EXPECT_TRUE(frame(keys({})));
    EXPECT_TRUE(game().hasPlayed);

    // Full fear loses at the end of the frame; the frame itself was play.
    game().camera.fear = 99.99f;
    EXPECT_TRUE(frame(keys({})));
    EXPECT_FALSE(game().camera.playing);
    EXPECT_EQ(chooseScreen(frameView(game()).screen), ScreenImage::End);
    EXPECT_FALSE(frame(keys({})));
    // The next game starts as the first did, looking the configured way.
    Camera& camera = game().camera;
    const auto startView = std::tuple(camera.horizontalAngle, camera.verticalAngle, camera.direction);
    std::tie(camera.horizontalAngle, camera.verticalAngle) = std::tuple(1.0f, 0.3f);
    camera.updateVectors();
    EXPECT_FALSE(frame(keys({Key::Space})));
    EXPECT_TRUE(camera.playing);
    EXPECT_EQ(std::tuple(camera.horizontalAngle, camera.verticalAngle, camera.direction), startView);
}

TEST_F(Frame, ReachingTheExitWinsAndTheWonScreenWaits) {
    play();
    game().physicsWorld->setControllerPosition(-3.5, 1.0, 6.0);
    EXPECT_TRUE(frame(keys({})));
    EXPECT_TRUE(game().won);
    EXPECT_FALSE(frame(keys({})));
    EXPECT_FALSE(frame(keys({Key::Space})));
    EXPECT_FALSE(game().won);  // Space starts the next game
    EXPECT_TRUE(game().camera.playing);
}

TEST_F(Frame, F1TogglesHelpOnReleaseOnlyInMenus) {
    frame(keys({Key::F1}));
    EXPECT_FALSE(game().helpShown);  // held: not yet
    frame(keys({}));
    EXPECT_TRUE(game().helpShown);
    frame(tapped(Key::F1));  // a tap inside one frame acts in that frame
    EXPECT_FALSE(game().helpShown);
    play();
    frame(keys({Key::F1}));
    frame(keys({}));
    EXPECT_FALSE(game().helpShown);
}

TEST_F(Frame, QuitKeys) {
    Controls pad = keys({});
    EXPECT_TRUE(quitRequested(keys({Key::Escape})));
    pad.padConnected = true;
    pad.pad.wButtons = Pad::Back;
    EXPECT_TRUE(quitRequested(pad));
    pad.pad.wButtons = Pad::Back | Pad::A;  // Back with another button is not quit
    EXPECT_FALSE(quitRequested(pad));
    pad.padConnected = false;
    pad.pad.wButtons = Pad::Back;
    EXPECT_FALSE(quitRequested(pad));
}

TEST_F(Frame, WalkingCrouchingAndLookingFollowTheSnapshot) {
    play();
    Camera& camera = game().camera;
    const glm::vec3 start = camera.position;
    const glm::vec3 facing = camera.direction;
    for (int i = 0; i < 5; ++i) frame(keys({Key::W}));
    SoundManager& sounds = *game().soundManager;
    EXPECT_TRUE(sounds.isPlaying(game().sounds.footstepsSound));
    const glm::vec3 walked = camera.position - start;
    EXPECT_GT(glm::dot(glm::vec2(walked.x, walked.z), glm::normalize(glm::vec2(facing.x, facing.z))), 0.5f);
    const auto foot = [&] { return static_cast<float>(game().physicsWorld->footPosition.y); };
    EXPECT_NEAR(camera.position.y - foot(), Camera::standEyeHeight, 1e-4);

    frame(keys({Key::LeftControl}));
    EXPECT_NEAR(camera.position.y - foot(), Camera::crouchEyeHeight, 1e-4);
    EXPECT_EQ(camera.walkSpeed, Camera::crouchSpeed);
    frame(keys({}));
    EXPECT_NEAR(camera.position.y - foot(), Camera::standEyeHeight, 1e-4);
    EXPECT_FALSE(sounds.isPlaying(game().sounds.footstepsSound));
    EXPECT_TRUE(sounds.isPlaying(game().sounds.staticTvSound));

    // The cursor's offset from the centre turns the view: left and up positive.
    Controls look = keys({});
    look.cursorX -= 50.0;
    const float yaw = camera.horizontalAngle;
    frame(look);
    EXPECT_NEAR(camera.horizontalAngle - yaw, 50.0f * camera.mouseSpeed, 1e-5);
}

TEST_F(Frame, AStandingPlayerStaysUpUnderAShelfAndACrouchedOneStaysDown) {
    play();
    // A shelf 1.35-1.45 above the living room's floor: clear of a standing
    // capsule, low enough that a crouched one could not stand up under it.
    static bool shelf = false;
    if (!shelf) game().physicsWorld->addBox(false, {1.2, 1.4, 2.6}, {0.4, 0.05, 0.4}, 0.0f);
    shelf = true;
    const auto eyeAboveFoot = [&] {
        return game().camera.position.y - static_cast<float>(game().physicsWorld->footPosition.y);
    };
    game().physicsWorld->setControllerPosition(1.2, 0.61, 2.6);
    frame(keys({}));
    frame(keys({}));
    EXPECT_NEAR(eyeAboveFoot(), Camera::standEyeHeight, 1e-4);
    frame(keys({Key::LeftControl}));
    frame(keys({}));
    EXPECT_NEAR(eyeAboveFoot(), Camera::crouchEyeHeight, 1e-4) << "no room to stand";
    game().physicsWorld->setControllerPosition(2.5, 0.41, 0.0);
    frame(keys({}));
    EXPECT_NEAR(eyeAboveFoot(), Camera::standEyeHeight, 1e-4);
}

TEST_F(Frame, KeysHeldAcrossAStateChangeDoNotActInTheNewState) {
    play();
    game().camera.pickups = 1.0f;
    game().collectedPickups = {0};
    game().camera.energy = 20.0f;
    game().camera.fear = 99.99f;
    frame(keys({Key::E}));  // the game is lost with E down
    frame(keys({}));        // E let go on the end screen
    frame(keys({Key::Space}));
    frame(keys({}));
    EXPECT_EQ(game().camera.pickups, 1.0f);
    frame(keys({Key::F1}));  // F1 held into the menu does not open the help
    game().camera.fear = 99.99f;
    frame(keys({Key::F1}));
    frame(keys({}));
    EXPECT_FALSE(game().helpShown);
}

TEST_F(Frame, TheLightAndMetersRunOnTheButtonOrThePadsTriggerOnce) {
    play();
    Camera& camera = game().camera;
    camera.fear = 50.0f;
    camera.energy = 50.0f;
    frame(keys({}, true), 0.5);
    EXPECT_NEAR(camera.energy, 45.0f, 1e-3);
    EXPECT_NEAR(camera.fear, 45.0f, 1e-3);
    EXPECT_EQ(game().flashlight.intensity, 1.0f);
    frame(keys({}), 0.5);
    EXPECT_NEAR(camera.energy, 47.5f, 1e-3);
    EXPECT_NEAR(camera.fear, 48.75f, 1e-3);
    EXPECT_EQ(game().flashlight.intensity, 0.0f);

    // A pad's trigger lights the torch and its step charges the meters; the
    // light logic must not charge them a second time.
    Controls pad = keys({});
    pad.padConnected = true;
    pad.pad.bRightTrigger = 255;
    pad.pad.bLeftTrigger = 255;
    frame(pad, 0.5);
    EXPECT_NEAR(camera.energy, 42.5f, 1e-3);
    EXPECT_NEAR(camera.fear, 43.75f, 1e-3);
    EXPECT_EQ(game().flashlight.intensity, 1.0f);
    EXPECT_NEAR(game().flashlight.cutOff, rules::padCutOff(255), 1e-6);
    EXPECT_NE(game().windowTitle.find("; hit objects: "), std::string::npos);
}

TEST_F(Frame, PickUpsAreCollectedAndUsedOnERelease) {
    play();
    Camera& camera = game().camera;
    game().physicsWorld->setControllerPosition(3.0, 0.5, -7.8);  // on the third pick-up
    frame(keys({}));
    EXPECT_EQ(camera.pickups, 1.0f);
    EXPECT_EQ(game().collectedPickups, std::vector<int>{2});
    // The HUD names E while one is held and the light is below a third.
    const struct { float held, energy; bool shown; } hints[] = {{1, 34, false}, {1, 33, true}, {0, 10, false}, {3, 0, true}};
    for (const auto& hint : hints) {
        std::tie(camera.pickups, camera.energy) = std::tuple(hint.held, hint.energy);
        EXPECT_EQ(frameView(game()).useKeyShown, hint.shown) << hint.held << " held, energy " << hint.energy;
    }
    // ... or the key the player bound to Use instead.
    EXPECT_EQ(frameView(game()).useKeyName, "E");
    bind(game().settings.keys, Action::Use, Key::Q);
    EXPECT_EQ(frameView(game()).useKeyName, "Q");
    game().settings.keys = {};
    std::tie(camera.pickups, camera.energy) = std::tuple(1.0f, 10.0f);
    const auto& objects = game().sceneObjects;
    const glm::mat4& third = objects[objectRole::firstPickup(objects.size()) + 2]->modelMatrix;
    const glm::vec4 itsPlace(level::pickupPositions[2], 1.0f);
    EXPECT_NE(third[3], itsPlace) << "carried";
    frame(keys({Key::E}));
    EXPECT_EQ(camera.pickups, 1.0f);  // held: not yet
    game().physicsWorld->setControllerPosition(2.0, 0.5, 0.0);
    frame(keys({}), 0.01);
    EXPECT_EQ(camera.pickups, 0.0f);
    EXPECT_GT(camera.energy, 90.0f);
    EXPECT_TRUE(game().collectedPickups.empty());
    EXPECT_FALSE(frameView(game()).useKeyShown);
    EXPECT_EQ(third[3], itsPlace) << "used: back at its place";
    EXPECT_EQ(frameView(game()).pickupFlash, 1.0f);  // the LIGHT bar flashes from full
    for (int i = 0; i < 6; ++i) frame(i == 5 ? tapped(Key::E) : keys({}));
    EXPECT_EQ(frameView(game()).pickupFlash, 0.0f);  // gone, and E with none held starts none
}

// F6/F7 brightness with its bar for two seconds, '-' and '=' mouse speed,
// each said on screen; F10 keeps them in the player's settings file.
TEST_F(Frame, SettingKeysInPlayAndF10KeepsThem) {
    play();
    GameContext& g = game();
    const float speed = g.camera.mouseSpeed;
    g.configSettings = g.settings;
    g.configCamera = g.camera;
    for (const int key : {Key::Equal, Key::Equal, Key::Minus, Key::F6, Key::F6, Key::F7}) frame(tapped(key));
    EXPECT_FLOAT_EQ(g.camera.mouseSpeed, speed * 1.25f);
    EXPECT_FLOAT_EQ(frameView(g).brightness, 0.9f);
    EXPECT_FLOAT_EQ(frameView(g).brightnessShown, 2.0f);
    EXPECT_EQ(frameView(g).notice, "Brightness 0.9");
    for (int i = 0; i < 20; ++i) frame(keys({}));
    EXPECT_EQ(frameView(g).brightnessShown, 0.0f);
    EXPECT_EQ(frameView(g).notice, "");

    g.settingsPath = testing::TempDir() + "frame-settings.txt";
    std::filesystem::remove(g.settingsPath);
    frame(tapped(Key::F10));
    EXPECT_EQ(frameView(g).notice, "Settings saved");
    Settings settings = g.configSettings;
    Camera read = g.configCamera;
    EXPECT_EQ(playerSettings::load(g.settingsPath, settings, read), "");
    EXPECT_FLOAT_EQ(read.mouseSpeed, g.camera.mouseSpeed);
    EXPECT_FLOAT_EQ(settings.brightness, 0.9f);
    g.settingsPath.clear();
}

// The title names F6 and F7: they work there, and in the pause menu
// without resuming the game.
TEST_F(Frame, BrightnessKeysWorkOnTheTitleAndInThePauseMenu) {
    GameContext& g = game();
    frame(keys({}));  // the title's first frame: keys held from play are let go
    EXPECT_NE(frameView(g).screenNote.find("F6 / F7"), std::string::npos);
    frame(tapped(Key::F1));
    EXPECT_EQ(frameView(g).screenNote, "") << "the help's title stays clear";
    frame(tapped(Key::F1));
    frame(tapped(Key::F7));
    EXPECT_FLOAT_EQ(g.settings.brightness, 1.1f);
    EXPECT_EQ(frameView(g).notice, "Brightness 1.1");
    EXPECT_FALSE(g.camera.playing);
    play();
    frame(tapped(Key::P));
    ASSERT_TRUE(g.paused);
    for (const int key : {Key::F6, Key::F6, Key::F6}) frame(tapped(key));
    EXPECT_FLOAT_EQ(g.settings.brightness, 0.8f);
    EXPECT_TRUE(g.paused);
    frame(tapped(Key::X));
    EXPECT_FALSE(g.paused);
}

TEST_F(Frame, FunctionKeysSwitchOnReleaseAndTheTitleSaysSo) {
    play();
    const int f[] = {Key::F2, Key::F3, Key::F4, Key::F5, Key::F8, Key::F9};
    // The scene's textures take each new quality in the press that sets it.
    const auto filter = [&](GLenum which) {
        GLint value = 0;
        glBindTexture(GL_TEXTURE_2D, filterableTextures(game().sceneObjects).front()->id);
        glGetTexParameteriv(GL_TEXTURE_2D, which, &value);
        return value;
    };
    for (const int key : f) {
        frame(tapped(key));
        if (key == Key::F4) {
            EXPECT_EQ(filter(GL_TEXTURE_MAG_FILTER), GL_NEAREST);
        } else if (key == Key::F5) {
            EXPECT_EQ(filter(GL_TEXTURE_MIN_FILTER), GL_NEAREST);
        }
    }
    EXPECT_TRUE(game().showFps);
    EXPECT_TRUE(game().wireframe);
    EXPECT_EQ(game().world->samplingQuality, 0);
    EXPECT_EQ(game().world->mipmapQuality, 0);
    EXPECT_FALSE(game().frustum.enabled);
    EXPECT_TRUE(game().transparency);
    frame(keys({}));
    const std::string& title = game().windowTitle;
    EXPECT_EQ(title.rfind("Murkhaven @", 0), 0u) << title;
    EXPECT_NE(title.find("TSQ: nearest; MMQ: off FC: off TP: on;"), std::string::npos) << title;
    EXPECT_NE(title.find("; #objects: "), std::string::npos) << title;
}

TEST_F(Frame, APauseHoldsTheGameAndItsSoundsUntilAFreshPress) {
    play();
    frame(keys({Key::W}));
    const double before = shared->now;
    Camera& camera = game().camera;
    SoundManager& sounds = *game().soundManager;
    const auto state = [&] {
        return std::vector<float>{camera.position.x, camera.position.z, camera.energy, camera.fear,
                                  camera.horizontalAngle, game().lamp.direction.x};
    };
    const std::vector<float> held = state();
    const std::string title = game().windowTitle;
    const double music = sounds.playbackOffset(game().sounds.ambienceMusic);
    struct Step { const char* what; Controls controls; bool paused; };
    Controls away = keys({Key::W}, true);
    away.focused = false;
    away.cursorX += 40;
    Controls start = keys({});
    start.padConnected = true;
    start.pad.wButtons = Pad::Start;
    const Step steps[] = {{"focus lost, walking with the light on", away, true},
                          {"focus back, the same keys still held", keys({Key::W}, true), true},
                          {"everything let go", keys({}), true},
                          {"a fresh press resumes", keys({Key::Space}), false},
                          {"the pad's Start pauses", start, true},
                          {"Start let go", keys({}), true},
                          {"a click resumes", keys({}, true), false},
                          {"P pauses", keys({Key::P}), true},
                          {"P still held", keys({Key::P}), true},
                          {"P let go", keys({}), true},
                          {"P again resumes", tapped(Key::P), false}};
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        EXPECT_FALSE(frame(step.controls, 0.5));
        EXPECT_EQ(game().paused, step.paused);
        EXPECT_EQ(frameView(game()).paused, step.paused);
        EXPECT_EQ(state(), held);
        EXPECT_EQ(game().windowTitle, title);
        EXPECT_EQ(sounds.isPlaying(game().sounds.ambienceMusic), !step.paused);
        EXPECT_EQ(sounds.playbackOffset(game().sounds.ambienceMusic), music);
    }
    // The game's clock left the paused frames out: the lamp swings on from where it stopped.
    EXPECT_TRUE(frame(keys({}), 0.1));
    EXPECT_NEAR(game().lampSwing.cosine, std::cos(before + 0.1), 1e-5);
    EXPECT_NEAR(game().lamp.direction.x, 0.25f * std::sin(before + 0.1), 1e-5);
    EXPECT_NEAR(game().lampUp.y, 0.25f * std::sin(before + 0.1), 1e-5);
    EXPECT_TRUE(sounds.isPlaying(game().sounds.ambienceMusic));
}

// The pause menu: x, q and Shift resume like any key; arrows and Enter open
// the options, whose changes apply at once; Escape leaves them; Quit quits.
// A pause key held as a game starts does not pause it.
TEST_F(Frame, ThePauseMenuResumesOnAnyOtherKeyAndLeadsToTheOptions) {
    GameContext& g = game();
    frame(keys({Key::P}));
    frame(keys({Key::P, Key::Space}));
    EXPECT_TRUE(frame(keys({Key::P})));
    EXPECT_FALSE(g.paused);
    frame(keys({}));
    for (const int key : {Key::X, Key::Q, Key::LeftShift}) {
        frame(tapped(Key::P));
        EXPECT_TRUE(g.paused);
        EXPECT_EQ(frameView(g).menu.kind, MenuView::Kind::Pause);
        frame(tapped(key));
        EXPECT_FALSE(g.paused) << key;
    }
    frame(tapped(Key::P));
    for (const int key : {Key::Down, Key::Enter, Key::Right, Key::Down, Key::Down, Key::Down, Key::Left})
        frame(tapped(key));
    EXPECT_TRUE(g.optionsOpen);
    EXPECT_EQ(frameView(g).menu.kind, MenuView::Kind::Options);
    EXPECT_EQ(g.appliedVolumes, (Volumes{100, 100, 100, 95}));  // Right held at most, Left took five
    frame(tapped(Key::Escape));
    EXPECT_FALSE(g.optionsOpen);
    EXPECT_TRUE(g.paused);
    for (const int key : {Key::Up, Key::Up, Key::Enter}) frame(tapped(key));
    EXPECT_TRUE(g.quitAsked);
    g.settings.volumes = Volumes{};
}

// Bound keys move their actions; calm mode halves the rise of fear; the head
// bob stays flat when off; the field of view reaches the projection and the culling.
TEST_F(Frame, BindingsCalmModeHeadBobAndFieldOfView) {
    play();
    GameContext& g = game();
    Camera& camera = g.camera;
    g.settings.keys.codes[static_cast<std::size_t>(Action::Forward)] = Key::Up;
    g.settings.keys.codes[static_cast<std::size_t>(Action::Light)] = MouseButton::code(MouseButton::Right);
    const glm::vec3 start = camera.position;
    frame(keys({Key::W}, true));
    EXPECT_EQ(camera.position, start);
    EXPECT_FALSE(camera.moving);
    Controls right = keys({Key::Up});
    right.buttons.set(MouseButton::Right);
    frame(right);
    EXPECT_TRUE(camera.moving);
    EXPECT_LT(camera.energy, 100.0f);  // the light is on the right button now

    for (const bool calm : {false, true}) {
        g.settings.calm = calm;
        camera.fear = 10.0f;
        frame(keys({}));
        EXPECT_FLOAT_EQ(camera.fear, calm ? 10.375f : 10.75f);
    }
    g.settings.headBob = false;
    for (int i = 0; i < 5; ++i) frame(keys({Key::Up}), 0.13);
    EXPECT_EQ(camera.bobOffset, 0.0f);

    g.settings.fieldOfView = 90;
    frame(keys({}));
    EXPECT_FLOAT_EQ(frameView(g).fieldOfView, 1.5707964f);
    EXPECT_FLOAT_EQ(g.frustum.angle, 1.5707964f);
}

TEST_F(Frame, SubtitlesShowWhileTheirSoundPlays) {
    play();
    SoundManager& sounds = *game().soundManager;
    const SoundIds& ids = game().sounds;
    const std::pair<int, const char*> lines[] = {{ids.voiceHelloSomebody, "Hello? Somebody up there?"},
                                                 {ids.voiceWhereWhereAmI, "Where... where am I?"},
                                                 {ids.enemyDistorted, "[a distorted voice] I... see... you."}};
    for (int id = ids.voiceHelloSomebody; id <= ids.enemyRawr; ++id) sounds.pause(id);  // the start's voice
    EXPECT_TRUE(sounds.isPlaying(ids.ambienceMusic));
    EXPECT_TRUE(frameView(game()).subtitles.empty());  // music and the television say nothing
    for (const auto& [id, text] : lines) {
        SCOPED_TRACE(text);
        sounds.play(id, 1.0f);
        EXPECT_EQ(frameView(game()).subtitles, std::vector<std::string>{text});
        sounds.pause(id);
        EXPECT_TRUE(frameView(game()).subtitles.empty());
    }
    // Either separator; a name no sound has is reported, not shown.
    std::vector<std::string> warnings;
    const std::vector<std::string> table =
        parseSubtitles("enemy_rawr.wav = Roar!\nAssets/Sounds/tavi_where am i.wav\tWhere?\nrain.wav\tx\n", warnings);
    EXPECT_EQ(table[static_cast<std::size_t>(ids.enemyRawr)], "Roar!");
    EXPECT_EQ(table[static_cast<std::size_t>(ids.voiceWhereAmI)], "Where?");
    EXPECT_EQ(std::count(table.begin(), table.end(), ""), 10);
    EXPECT_EQ(warnings, std::vector<std::string>{"line 3: no sound named \"rain.wav\""});
}

// The game itself through a pipe. --help answers and ends well; in play,
// killed while it runs, what it said is already out, and a window larger
// than the screen was cut down before it was made.
TEST_F(Frame, TheGameThroughAPipe) {
    const std::string game = MURK_BINARY_DIR "/app/murkhaven";
    const auto help = murk::test::runProcess({game, "--help"}, MURK_DATA_DIR, 10);
    EXPECT_EQ(help.exitStatus, 0);
    EXPECT_EQ(help.output.rfind("usage: murkhaven", 0), 0u) << help.output;
    const auto run = murk::test::runProcess(
        {game, "--width", "16384", "--height", "16384", "--shadow-map-size", "16"}, MURK_DATA_DIR, 2);
    EXPECT_TRUE(run.timedOut);
    EXPECT_EQ(run.output.rfind("window width 16384 clamped to ", 0), 0u) << run.output;
    EXPECT_NE(run.output.find("\nreading "), std::string::npos);  // a line ended by '\n' alone
}

}  // namespace
