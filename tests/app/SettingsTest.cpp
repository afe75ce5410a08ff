// The player's settings file, the key bindings and what the settings change.
#include "app/Camera.h"
#include "app/Config.h"
#include "app/GameRules.h"
#include "app/KeyBindings.h"
#include "app/MenuInput.h"
#include "app/OptionsMenu.h"
#include "app/PauseMenu.h"
#include "app/PlayerSettings.h"
#include "app/SettingsSteps.h"
#include "platform/Input.h"
#include "render/Projection.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sys/resource.h>

namespace {

namespace fs = std::filesystem;

struct Start {
    Settings settings;
    Camera camera;
    Start() { applyConfigDefaults(settings, camera); }
};

std::string slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace

// What the player changed is written, and only that; read back over
// CONFIG.txt's values it gives the same settings.
TEST(PlayerSettings, ChangesRoundTripAndNothingElseIsWritten) {
    const Start base;
    EXPECT_EQ(playerSettings::text(base.settings, base.camera, base.settings, base.camera),
              "# Murkhaven: what the player changed, over CONFIG.txt\nversion = 1\n");
    Start changed;
    changed.settings.volumes = {40, 100, 5, 0};
    changed.settings.fieldOfView = 85;
    changed.settings.calm = true;
    changed.settings.headBob = false;
    changed.settings.windowed = false;
    changed.camera.mouseSpeed = 0.002f * 1.25f * 1.25f * 0.8f;
    changed.camera.invertPadY = true;
    changed.settings.renderScale = 0.75f;
    bind(changed.settings.keys, Action::Forward, Key::Up);
    bind(changed.settings.keys, Action::Light, MouseButton::code(MouseButton::Right));
    bind(changed.settings.keys, Action::Use, Key::W);  // swapped with forward's old key
    const std::string text = playerSettings::text(changed.settings, changed.camera, base.settings, base.camera);
    EXPECT_NE(text.find("\nmaster volume = 40\neffects volume = 5\nvoices volume = 0\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nkey forward = Up\nkey use = W\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nkey flashlight = Mouse Right\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("music volume"), std::string::npos) << text;

    Start read;
    EXPECT_EQ(playerSettings::apply(text, read.settings, read.camera), "");
    EXPECT_EQ(playerSettings::text(read.settings, read.camera, base.settings, base.camera), text);
    EXPECT_EQ(read.camera.mouseSpeed, changed.camera.mouseSpeed);
    EXPECT_EQ(read.settings.renderScale, 0.75f);
    EXPECT_EQ(read.settings.keys, changed.settings.keys);
}

// A write that fails (no room left, a folder that is a file) leaves the old
// file as it was and says why.
TEST(PlayerSettings, AFailedWriteLeavesTheOldFileWhole) {
    const fs::path dir = fs::path(testing::TempDir()) / "murk-settings";
    fs::remove_all(dir);
    const std::string path = (dir / "murkhaven" / "settings.txt").string();
    const std::string old = "version = 1\ncalm mode = TRUE\n";
    ASSERT_EQ(playerSettings::save(path, old), "");
    ASSERT_EQ(slurp(path), old);

    const std::string longer = old + std::string(8192, '#') + "\n";
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    const rlimit small{4096, limit.rlim_max};
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    const std::string full = playerSettings::save(path, longer);
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_NE(full, "");
    EXPECT_EQ(slurp(path), old);

    std::ofstream(dir / "file") << "x";
    EXPECT_NE(playerSettings::save((dir / "file" / "settings.txt").string(), old), "");
    EXPECT_EQ(fs::directory_iterator(dir / "murkhaven")->path().filename(), "settings.txt");  // no temporary left
}

// A key takes an action; one already bound moves to the old key; F-keys,
// Escape and the mouse-speed keys stay theirs.
TEST(KeyBindings, BindingSwapsOrRefuses) {
    using Kind = BindResult::Kind;
    struct Case { Action action; int code; Kind kind; Action other; KeyBindings::Codes want; };
    const int left = MouseButton::code(MouseButton::Left);
    const Case cases[] = {
        {Action::Forward, Key::Up, Kind::Bound, {}, {Key::Up, Key::S, Key::A, Key::D, Key::LeftControl, Key::E, left, Key::P}},
        {Action::Forward, Key::W, Kind::Unchanged, {}, KeyBindings::defaults()},
        {Action::Use, Key::W, Kind::Swapped, Action::Forward,
         {Key::E, Key::S, Key::A, Key::D, Key::LeftControl, Key::W, left, Key::P}},
        {Action::Pause, left, Kind::Swapped, Action::Light,
         {Key::W, Key::S, Key::A, Key::D, Key::LeftControl, Key::E, Key::P, left}},
        {Action::Crouch, Key::F5, Kind::Refused, {}, KeyBindings::defaults()},
        {Action::Crouch, Key::Escape, Kind::Refused, {}, KeyBindings::defaults()},
        {Action::Crouch, Key::Minus, Kind::Refused, {}, KeyBindings::defaults()},
        {Action::Crouch, 33, Kind::Refused, {}, KeyBindings::defaults()},  // no such key
    };
    for (const Case& c : cases) {
        KeyBindings keys;
        const BindResult result = bind(keys, c.action, c.code);
        EXPECT_EQ(result.kind, c.kind) << c.code;
        if (c.kind == Kind::Swapped) {
            EXPECT_EQ(result.other, c.other);
        }
        EXPECT_EQ(keys.codes, c.want) << c.code;
    }
    for (const int code : {Key::Space, Key::LeftShift, 44, MouseButton::code(4), Key::F12 + 1})
        EXPECT_EQ(codeFromName(inputName(code)), code) << inputName(code);
}

// Volumes multiply, whole at 100 %; calm halves only a rise; 60 degrees is the game's own view.
TEST(SettingsSteps, VolumesCalmModeAndFieldOfView) {
    EXPECT_EQ(volumeScale(Volumes{}, SoundKind::Music), 1.0f);
    EXPECT_FLOAT_EQ(volumeScale(Volumes{50, 100, 40, 0}, SoundKind::Effect), 0.2f);
    EXPECT_FLOAT_EQ(volumeScale(Volumes{50, 30, 40, 0}, SoundKind::Music), 0.15f);
    EXPECT_EQ(volumeScale(Volumes{50, 100, 40, 0}, SoundKind::Voice), 0.0f);
    EXPECT_FLOAT_EQ(rules::calmFear(10.0f, 10.75f, 0.1f), 10.375f);
    EXPECT_FLOAT_EQ(rules::calmFear(10.0f, 7.0f, 0.1f), 7.0f);
    EXPECT_EQ(rules::calmFear(99.9f, 100.0f, 0.1f), 100.0f);  // calm still loses in the end
    EXPECT_EQ(rules::fieldOfViewRadians(60), projection::cameraFieldOfView);
    EXPECT_FLOAT_EQ(rules::fieldOfViewRadians(90), 1.5707964f);
}

namespace {

Controls pressing(int code) {
    Controls c;
    if (code >= MouseButton::firstCode) {
        c.buttons.set(static_cast<std::size_t>(code - MouseButton::firstCode));
        c.lightButton = code == MouseButton::code(MouseButton::Left);
    } else if (code >= 0) {
        c.pressed.set(static_cast<std::size_t>(code));
        c.held.set(static_cast<std::size_t>(code));
    }
    return c;
}
Controls padPressing(std::uint16_t buttons, std::int16_t stickX = 0, std::int16_t stickY = 0) {
    Controls c;
    c.padConnected = true;
    c.pad.wButtons = buttons;
    c.pad.sThumbLX = stickX;
    c.pad.sThumbLY = stickY;
    return c;
}

}  // namespace

// The options as a table of presses, pad buttons, clicks and drags at
// 960x540, each with the row it leaves chosen and what the settings file
// would then keep.
TEST(OptionsMenu, KeysPadAndMouseChangeWhatTheySay) {
    Start base, now;
    OptionTargets targets{now.settings, now.camera, {}};
    OptionsMenu menu;
    MenuReader reader;
    const MenuLayout layout = optionsLayout(960, 540, OptionsMenu::rowsPerColumn);
    const auto at = [&](int row, float across, int code = -1) {
        Controls c = pressing(code);
        c.cursorX = layout.rowLeft(row) + layout.columnWidth * across;
        c.cursorY = layout.rowTop(row) + layout.rowHeight / 2;
        return c;
    };
    const int click = MouseButton::code(MouseButton::Left);
    const Controls none;
    // kept: the file's lines after the version; a step's frames run as given, one after another.
    struct Step { const char* what; std::vector<Controls> frames; int selected; std::string kept; std::string hint = ""; };
    const Step steps[] = {
        {"Left lowers the master volume", {pressing(Key::Left)}, 0, "master volume = 95\n"},
        {"the d-pad goes down and lowers", {padPressing(Pad::DpadDown), padPressing(0), padPressing(Pad::DpadLeft)},
         1, "master volume = 95\nmusic volume = 95\n"},
        {"the stick held down moves once", {padPressing(0, 0, -30000), padPressing(0, 0, -30000)}, 2,
         "master volume = 95\nmusic volume = 95\n"},
        {"a click switches calm mode", {at(13, 0.2f), at(13, 0.2f, click), none}, 13,
         "master volume = 95\nmusic volume = 95\ncalm mode = TRUE\n"},
        {"a drag takes the field of view to its end", {at(5, 0.6f, click), at(5, 0.95f, click), none}, 5,
         "master volume = 95\nmusic volume = 95\nfield of view = 100\ncalm mode = TRUE\n"},
        {"Enter, then a key, binds forward", {at(18, 0.2f), pressing(Key::Enter), none, pressing(Key::Up), none}, 18,
         "master volume = 95\nmusic volume = 95\nfield of view = 100\ncalm mode = TRUE\nkey forward = Up\n"},
        {"a key bound elsewhere swaps", {at(23, 0.2f, click), none, pressing(Key::Up), none}, 23,
         "master volume = 95\nmusic volume = 95\nfield of view = 100\ncalm mode = TRUE\nkey forward = E\nkey use = Up\n",
         "Up was on forward: swapped, forward is now on E"},
        {"an F-key is refused", {at(22, 0.2f, click), none, pressing(Key::F5), none}, 22,
         "master volume = 95\nmusic volume = 95\nfield of view = 100\ncalm mode = TRUE\nkey forward = E\nkey use = Up\n",
         "F5 keeps its own job"},
        {"defaults", {at(26, 0.2f, click), none}, 26,
         "master volume = 95\nmusic volume = 95\nfield of view = 100\ncalm mode = TRUE\n", "Keys back to their defaults"},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        for (const Controls& frame : step.frames) EXPECT_TRUE(menu.update(reader.read(frame), layout, targets));
        const std::string text = playerSettings::text(now.settings, now.camera, base.settings, base.camera);
        EXPECT_EQ(menu.selected, step.selected);
        EXPECT_EQ(text.substr(text.find("version = 1\n") + 12), step.kept);
        if (!step.hint.empty()) {
            EXPECT_EQ(menu.hint(), step.hint);
        }
    }
    EXPECT_FALSE(menu.update(reader.read(pressing(Key::Escape)), layout, targets));
}

// The pause menu: what each press, pad button and click chooses.
TEST(PauseMenu, ArrowsAndEnterChooseAnyOtherPressResumes) {
    const MenuLayout layout = pauseLayout(960, 540, PauseMenu::rowCount);
    const auto onRow = [&](int row, int code) {
        Controls c = pressing(code);
        c.cursorX = 480;
        c.cursorY = layout.rowTop(row) + layout.rowHeight / 2;
        return c;
    };
    const auto key = [&](int code) { return onRow(1, code); };  // the pointer stays on Options
    const auto pad = [&](std::uint16_t button) {
        Controls c = key(-1);
        c.padConnected = true;
        c.pad.wButtons = button;
        return c;
    };
    const int click = MouseButton::code(MouseButton::Left);
    using enum PauseChoice;
    struct Step { const char* what; Controls input; PauseChoice choice; };
    const Step steps[] = {
        {"x", key(Key::X), Resume}, {"Shift", key(Key::LeftShift), Resume},
        {"a click before the pointer moved", key(click), Resume},
        {"Up wraps round to Quit", key(Key::Up), Stay}, {"Enter", key(Key::Enter), Quit},
        {"F12 takes its picture", key(Key::F12), Stay}, {"O", key(Key::O), Options},
        {"Escape", key(Key::Escape), Quit}, {"the d-pad", pad(Pad::DpadDown), Stay},
        {"the d-pad again", pad(Pad::DpadDown), Stay}, {"A on Options", pad(Pad::A), Options},
        {"B", pad(Pad::B), Resume}, {"Start", pad(Pad::Start), Resume},
        {"the pointer onto Help", onRow(2, -1), Stay}, {"a click there", onRow(2, click), Help},
    };
    PauseMenu menu;
    MenuReader reader;
    reader.prime(key(-1));
    for (const Step& step : steps) {
        EXPECT_EQ(menu.update(reader.read(step.input), layout), step.choice) << step.what;
        Controls up;
        up.cursorX = step.input.cursorX;
        up.cursorY = step.input.cursorY;
        reader.read(up);
    }
}
