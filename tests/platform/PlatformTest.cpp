#include "platform/AtomicFile.h"
#include "platform/DemoFile.h"
#include "platform/GamepadMapping.h"
#include "platform/GlfwInput.h"
#include "platform/RecordingInput.h"
#include "platform/ReplayInput.h"
#include "platform/ScriptedInput.h"
#include "tests/support/GlContext.h"
#include "tests/support/Process.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>
#include <csignal>
#include <fstream>
#include <malloc.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

namespace {

struct RawPad {
    unsigned char buttons[glfwPadButtonCount] = {};
    float axes[glfwPadAxisCount] = {0.0f, 0.0f, 0.0f, 0.0f, -1.0f, -1.0f}; // triggers rest at -1
};

// Sticks, then triggers, in the order of GLFW's axes.
int axisField(const GamepadState& s, int axis) {
    const int fields[] = {s.sThumbLX, s.sThumbLY, s.sThumbRX, s.sThumbRY, s.bLeftTrigger, s.bRightTrigger};
    return fields[axis];
}

TEST(GamepadMapping, EachGlfwButtonSetsItsXInputMaskAlone) {
    const struct { int button; unsigned mask; } table[] = {
        {GLFW_GAMEPAD_BUTTON_A, 0x1000}, {GLFW_GAMEPAD_BUTTON_B, 0x2000}, {GLFW_GAMEPAD_BUTTON_X, 0x4000},
        {GLFW_GAMEPAD_BUTTON_Y, 0x8000}, {GLFW_GAMEPAD_BUTTON_LEFT_BUMPER, 0x0100},
        {GLFW_GAMEPAD_BUTTON_RIGHT_BUMPER, 0x0200}, {GLFW_GAMEPAD_BUTTON_BACK, 0x0020},
        {GLFW_GAMEPAD_BUTTON_START, 0x0010}, {GLFW_GAMEPAD_BUTTON_GUIDE, 0}, // XInput has no guide button
        {GLFW_GAMEPAD_BUTTON_LEFT_THUMB, 0x0040}, {GLFW_GAMEPAD_BUTTON_RIGHT_THUMB, 0x0080},
        {GLFW_GAMEPAD_BUTTON_DPAD_UP, 0x0001}, {GLFW_GAMEPAD_BUTTON_DPAD_RIGHT, 0x0008},
        {GLFW_GAMEPAD_BUTTON_DPAD_DOWN, 0x0002}, {GLFW_GAMEPAD_BUTTON_DPAD_LEFT, 0x0004},
    };
    RawPad all;
    for (const auto& t : table) {
        RawPad raw;
        raw.buttons[t.button] = all.buttons[t.button] = GLFW_PRESS;
        const GamepadState state = gamepadFromGlfw(raw.buttons, raw.axes);
        EXPECT_EQ(state.wButtons, t.mask) << "button " << t.button;
        for (int axis = 0; axis < glfwPadAxisCount; ++axis)
            EXPECT_EQ(axisField(state, axis), 0) << "a resting pad reads zero";
    }
    EXPECT_EQ(gamepadFromGlfw(all.buttons, all.axes).wButtons, 0xF3FF);
}

TEST(GamepadMapping, AxesBecomeFullRangeSticksUpPositiveAndTriggersFromRest) {
    const struct { int axis; float value; int expected; } table[] = {
        {0, 1.0f, 32767}, {0, -1.0f, -32768}, {0, 1.5f, 32767}, {0, 0.25f, 8192},
        {1, -1.0f, 32767}, {1, 1.0f, -32768}, {1, 0.75f, -24576}, // GLFW's stick y points down; down reaches -32768
        {2, -7.0f, -32768}, {2, 0.5f, 16384},
        {3, 0.5f, -16384}, {3, -0.25f, 8192},
        {4, 1.0f, 255}, {4, 0.0f, 128}, {4, 3.0f, 255},
        {5, -1.0f, 0}, {5, -2.0f, 0}, {5, std::nanf(""), 0}, {5, 0.5f, 191},
    };
    for (const auto& t : table) {
        RawPad raw;
        raw.axes[t.axis] = t.value;
        const GamepadState state = gamepadFromGlfw(raw.buttons, raw.axes);
        for (int axis = 0; axis < glfwPadAxisCount; ++axis)
            EXPECT_EQ(axisField(state, axis), axis == t.axis ? t.expected : 0) << t.axis << " at " << t.value;
        EXPECT_EQ(state.wButtons, 0);
    }
}

TEST(GlfwInput, SwitchesStickyKeysOnAndAnswersNoPadWithZeroes) {
    murk::test::GlContext gl(64, 64);
    ASSERT_TRUE(gl.ok());
    GlfwInput input(gl.handle());
    EXPECT_EQ(glfwGetInputMode(gl.handle(), GLFW_STICKY_KEYS), GLFW_TRUE);
    EXPECT_EQ(glfwGetInputMode(gl.handle(), GLFW_STICKY_MOUSE_BUTTONS), GLFW_TRUE);
    GamepadState state;
    state.wButtons = Pad::Back;
    EXPECT_FALSE(input.gamepad(state)); // no pad under a virtual display
    EXPECT_EQ(state.wButtons, 0);
    EXPECT_FALSE(input.keyDown(0)); // not a key: up, and no GLFW error
    EXPECT_FALSE(input.mouseButtonDown(MouseButton::Count));
    EXPECT_EQ(glfwGetError(nullptr), GLFW_NO_ERROR);
}

// A key pressed and released between two polls must still read as down once:
// that is what makes a quick tap act. Without sticky keys GLFW reports it up.
TEST(GlfwInput, TapBetweenTwoPollsReadsDownOnceAndNotAfterItsFrame) {
    murk::test::GlContext gl(64, 64, true);
    ASSERT_TRUE(gl.ok());
    GlfwInput input(gl.handle());
    const auto poll = [](int times, int ms) {
        for (int i = 0; i < times; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
            glfwPollEvents();
        }
    };
    poll(10, 20);
    const auto found = murk::test::runProcess({"xdotool", "search", "--name", "^murk-test$"}, "", 10);
    ASSERT_EQ(found.exitStatus, 0) << "xdotool cannot see the window";
    const std::string window = found.output.substr(0, found.output.find('\n'));
    murk::test::runProcess({"xdotool", "windowfocus", "--sync", window}, "", 10);
    poll(10, 20);
    ASSERT_FALSE(input.keyDown(Key::F5));
    for (bool readInItsFrame : {true, false}) {
        murk::test::runProcess({"xdotool", "key", "F5"}, "", 10);
        poll(10, 100); // press and release arrive together, late on a busy machine
        if (readInItsFrame) {
            EXPECT_TRUE(input.keyDown(Key::F5));
            EXPECT_FALSE(input.keyDown(Key::F5));
        } else {
            input.endFrame();
            EXPECT_FALSE(input.keyDown(Key::F5)) << "a tap nobody read is gone after its frame";
        }
    }
}

TEST(GlfwInput, TitleChangesReachTheWindowAtMostFourTimesASecond) {
    murk::test::GlContext gl(64, 64, true);
    ASSERT_TRUE(gl.ok());
    GlfwInput input(gl.handle());
    const auto shown = [](const std::string& title) {
        glfwPollEvents();
        return murk::test::runProcess({"xdotool", "search", "--name", "^" + title + "$"}, "", 10).exitStatus == 0;
    };
    const struct { double at; const char* title; const char* shown; } steps[] = {
        {0.0, "murk-first", "murk-first"}, {0.05, "murk-second", "murk-first"}, // too soon after the first
        {0.2, "murk-second", "murk-first"}, {0.3, "murk-second", "murk-second"},
        {0.1, "murk-third", "murk-third"}, // the clock was set back
        {0.36, "murk-third", "murk-third"}, {0.5, "murk-fourth", "murk-fourth"}, // the same title again sends nothing
    };
    for (const auto& step : steps) {
        glfwSetTime(step.at);
        input.setWindowTitle(step.title);
        EXPECT_TRUE(shown(step.shown)) << step.at;
    }
}

// The pad is the first connected joystick with a gamepad mapping, in any
// slot, and the game stays with it until it goes.
TEST(PadSlot, FirstMappedPadIsKeptWhileItIsThere) {
    const JoystickSlot none, pad{true, true}, stick{true, false};
    const std::tuple<std::vector<JoystickSlot>, int, int> rows[] = { // slots, the one in use, the one to use
        {{}, -1, -1},
        {{none, stick, none}, -1, -1}, // a joystick without a mapping is no pad
        {{none, stick, pad, pad}, -1, 2},
        {{pad, none, pad}, 2, 2}, // a pad plugged in lower down does not take over
        {{none, none, pad}, 0, 2}, // the one in use was unplugged
        {{pad, stick}, 1, 0}, // the one in use lost its mapping
        {{pad}, 16, 0},
    };
    for (std::size_t row = 0; row < std::size(rows); ++row)
        EXPECT_EQ(padSlot(std::get<0>(rows[row]), std::get<1>(rows[row])), std::get<2>(rows[row])) << "row " << row;
}

constexpr int frames = 7;
constexpr int absoluteFrame = 3;

// The player: a clock with parts of a microsecond, the cursor once where an
// offset cannot say it exactly, a pad plugged in and out, the focus lost.
void play(ScriptedInput& device, int frame, double cx, double cy) {
    device.now = 0.5 + 0.016 * frame + 1.23e-7 * frame;
    device.cursorX = frame == 1 ? cx + 7 : frame == 2 ? cx + 0.25 : frame == absoluteFrame ? 0.1 : cx;
    device.cursorY = frame == 1 ? cy - 3 : frame == 2 ? cy - 2.25 : cy;
    if (frame == 1) device.press(Key::W);
    if (frame == 6) device.release(Key::W);
    if (frame == 2) {
        device.tap(Key::F3);
        device.pressButton(MouseButton::Left);
    }
    if (frame == 4) device.releaseButton(MouseButton::Left);
    device.padConnected = frame >= 3 && frame < 6;
    device.hasFocus = frame < 2 || frame > 3;
    device.pad = {77, Pad::A | Pad::Back, 0, 255, -32768, 1, -1, 32767};
}

// One frame of the game's questions; the answers as text, every double exact,
// the cursor's own position after the '|'.
std::string ask(InputSource& in, double cx, double cy) {
    std::string out;
    const auto add = [&out](double v) {
        char text[32];
        std::snprintf(text, sizeof text, "%a ", v);
        out += text;
    };
    add(in.time());
    for (int key : {Key::W, Key::F3, Key::F3, Key::LeftControl}) // the tap reads down, then up
        add(in.keyDown(key));
    add(in.mouseButtonDown(MouseButton::Left));
    double x = 0.0, y = 0.0;
    in.cursorPosition(x, y);
    add(x - cx);
    add(y - cy);
    in.setCursorPosition(cx, cy);
    GamepadState pad;
    pad.sThumbLX = 99; // a pad that does not answer zeroes it
    add(in.gamepad(pad));
    for (int v : {int(pad.dwPacketNumber), int(pad.wButtons), int(pad.bLeftTrigger), int(pad.bRightTrigger),
                  int(pad.sThumbLX), int(pad.sThumbLY), int(pad.sThumbRX), int(pad.sThumbRY)})
        add(v);
    add(in.focused());
    out += '|';
    add(x);
    add(y);
    in.setWindowTitle("murk " + out);
    in.endFrame();
    return out;
}

TEST(Demo, ReplayGivesBackEveryRecordedAnswerBitForBit) {
    ScriptedInput device;
    RecordingInput recorder(device);
    std::vector<std::string> recorded;
    recorder.setCursorPosition(400.5, 300);
    for (int f = 0; f < frames; ++f) {
        play(device, f, 400.5, 300);
        recorded.push_back(ask(recorder, 400.5, 300));
    }
    EXPECT_EQ(recorder.frameCount(), frames);
    EXPECT_TRUE(recorder.demo().frames[0].changes.empty() && recorder.demo().frames[5].changes.empty())
        << "only changes are kept";
    const std::string path = std::string(MURK_BINARY_DIR) + "/platform-test.mdemo";
    std::string error;
    ASSERT_TRUE(recorder.save(path, "the end", error)) << error;
    demo::Demo loaded;
    ASSERT_TRUE(demo::loadDemo(path, loaded, error)) << error;
    std::filesystem::remove(path);
    EXPECT_EQ(loaded.endState, "the end");

    ScriptedInput window;
    ReplayInput replayer(loaded, &window);
    replayer.setCursorPosition(400.5, 300);
    for (int f = 0; f < frames; ++f) EXPECT_EQ(ask(replayer, 400.5, 300), recorded[f]) << "frame " << f;
    EXPECT_EQ(replayer.divergedAt(), -1);
    EXPECT_TRUE(replayer.finished());
    EXPECT_EQ(window.windowTitle, device.windowTitle) << "titles still reach a window";
    EXPECT_EQ(ask(replayer, 400.5, 300), recorded.back()) << "after the end every answer stays";

    // In another window the cursor moves by the same offsets; a frame that
    // skips its questions is where the game went another way.
    ReplayInput elsewhere(loaded);
    elsewhere.setCursorPosition(320, 180);
    for (int f = 0; f + 1 < frames; ++f) {
        const std::string answers = ask(elsewhere, 320, 180);
        EXPECT_TRUE(f == absoluteFrame || answers.substr(0, answers.find('|')) ==
                                              recorded[f].substr(0, recorded[f].find('|'))) << "frame " << f;
    }
    elsewhere.endFrame();
    EXPECT_EQ(elsewhere.divergedAt(), frames - 1);
    EXPECT_EQ(demo::loadDemo(path, loaded, error), false);
    EXPECT_EQ(error, "cannot open " + path);
}

TEST(Demo, TheClockIsReadOnceAFrameInWholeMicrosecondsAndATapReadsDownOnce) {
    const struct { double device, seen; } table[] = {
        {1.2345678912, 1.234568}, {1.0, 1.234568}, {std::nan(""), 1.234568}, {2.0000004, 2.0}};
    ScriptedInput device;
    RecordingInput recorder(device);
    device.tap(Key::F3);
    EXPECT_TRUE(recorder.keyDown(Key::F3));
    EXPECT_FALSE(recorder.keyDown(Key::F3));
    for (const auto& t : table) {
        device.now = t.device;
        EXPECT_EQ(recorder.time(), t.seen) << t.device;
        device.now += 5.0;
        EXPECT_EQ(recorder.time(), t.seen) << "the same clock all frame";
        recorder.endFrame();
    }
    ReplayInput replayer(recorder.demo());
    EXPECT_TRUE(replayer.keyDown(Key::F3));
    EXPECT_FALSE(replayer.keyDown(Key::F3));
    for (const auto& t : table) {
        EXPECT_EQ(replayer.time(), t.seen);
        replayer.endFrame();
    }
    EXPECT_EQ(replayer.time(), table[3].seen) << "after the end the clock stands";
}

demo::Demo oneChange(std::uint32_t channel, std::uint32_t query, std::string endState = "end") {
    demo::Change change;
    change.channel = channel;
    change.query = query;
    change.down = true;
    return demo::Demo{{demo::Frame{5, {change}}}, std::move(endState)};
}

TEST(DemoFile, RefusesWhatIsNotAWholeDemoOfThisVersionAndSaysWhy) {
    // Header 0-15, frame: clock 16, change count 17, channel 18, query 19, down 20.
    const std::string good = demo::encode(oneChange(Key::W, 0));
    const auto with = [](std::string bytes, std::size_t at, char value) {
        bytes[at] = value;
        return bytes;
    };
    const struct { std::string bytes, error; } table[] = {
        {"", "not a Murkhaven demo"},
        {with(good, 0, 'm'), "not a Murkhaven demo"},
        {good.substr(0, 12), "truncated: the header is incomplete"},
        {with(good, 8, 2), "format version 2, this build reads version 1"},
        {with(good, 10, 1), "unknown flags 1"},
        {good.substr(0, 12) + "\xff\xff\xff\xff" + good.substr(16),
         "truncated: 4294967295 frames announced, the file is too short"},
        {with(good, 17, 100), "truncated: ends in frame 1 of 1"},
        {with(good, 20, 2), "damaged: bad record in frame 1 of 1"},
        {demo::encode(oneChange(demo::channelCount, 0)), "damaged: bad record in frame 1 of 1"},
        {demo::encode(oneChange(Key::W, demo::maxQueriesPerFrame)), "damaged: bad record in frame 1 of 1"},
        {with(demo::encode(oneChange(demo::cursorChannel, 0)), 21, 3), "damaged: bad record in frame 1 of 1"},
        {demo::encode(oneChange(Key::W, 0, std::string(70000, 'x'))), "damaged: bad end record"},
        {good.substr(0, good.size() - 5), "truncated: the end record is missing"},
        {good + "x", "damaged: 1 bytes after the end"},
        {with(good, good.size() - 5, 'E'), "damaged: checksum mismatch"},
    };
    for (const auto& t : table) {
        demo::Demo d;
        std::string error;
        EXPECT_FALSE(demo::decode(t.bytes, d, error)) << t.error;
        EXPECT_EQ(error, t.error);
    }
    demo::Demo d;
    std::string error;
    ASSERT_TRUE(demo::decode(good, d, error)) << error;
    // Every cut and every changed byte is refused; noise after a header costs no huge allocation.
    for (std::size_t at = 0; at < good.size(); ++at) {
        EXPECT_FALSE(demo::decode(good.substr(0, at), d, error)) << at;
        EXPECT_FALSE(demo::decode(with(good, at, static_cast<char>(good[at] ^ 0x5A)), d, error)) << at;
    }
    std::mt19937 random(7);
    for (int trial = 0; trial < 2000; ++trial) {
        std::string bytes = good.substr(0, 12);
        bytes.resize(16 + random() % 60);
        std::generate(bytes.begin() + 12, bytes.end(), [&] { return static_cast<char>(random()); });
        EXPECT_FALSE(demo::decode(bytes, d, error));
    }
}

// Heap bytes in use, as the C library counts them (0 where a sanitizer keeps its own heap).
std::size_t heapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

TEST(DemoFile, AReplayHoldsLittleMoreThanItsFileWhateverItsFrameCount) {
    demo::Demo many;
    many.frames.resize(300000);  // two bytes each in the file
    for (std::size_t f = 0; f < many.frames.size(); ++f) many.frames[f].clockMicros = f * 1000;
    const std::string path = std::string(MURK_BINARY_DIR) + "/many-frames.mdemo";
    std::string error;
    ASSERT_TRUE(demo::saveDemo(path, many, error)) << error;
    many = {};
    const std::size_t fileSize = std::filesystem::file_size(path);
    const std::size_t before = heapInUse();
    demo::Playback playback;
    ASSERT_TRUE(demo::openDemo(path, playback, error)) << error;
    ReplayInput replayer(std::move(playback));
    EXPECT_LT(heapInUse() - std::min(before, heapInUse()), 3 * fileSize);
    while (!replayer.finished()) replayer.endFrame();
    EXPECT_EQ(replayer.time(), 299.999);
    std::filesystem::remove(path);
}

std::string fileText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Everything in `folder`, so a test sees a temporary left behind.
std::vector<std::string> folderNames(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(AtomicFile, ReplacesWholeOrLeavesTheOldFileAndNoTemporary) {
    const auto folder = std::filesystem::current_path() / "atomic-file-test";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const auto target = folder / "CONFIG.txt";
    const std::string old(4096, 'o');
    ASSERT_TRUE(writeFileAtomically(target, old));
    ASSERT_TRUE(writeFileAtomically(folder / "old.mdemo", old));
    EXPECT_EQ(fileText(target), old);
    struct stat info{};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_NE(info.st_mode & 0044, 0u) << "readable as an ordinary file is, not 0600";

    // A full disk, as root can have it: a file size limit makes write() fail
    // (EFBIG) part way, where the old code had already cut the file short.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 1000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string error;
    const bool written = writeFileAtomically(target, std::string(5000, 'n'), &error);
    // A recording over an older one of that name, the same way.
    demo::Demo longer;
    longer.frames.resize(2000);
    std::string demoError;
    const bool recorded = demo::saveDemo(folder / "old.mdemo", longer, demoError);
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_FALSE(recorded);
    EXPECT_TRUE(fileText(folder / "old.mdemo") == old) << "the old demo stays whole";
    std::filesystem::remove(folder / "old.mdemo");
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(written);
    EXPECT_NE(error.find("cannot write"), std::string::npos) << error;
    EXPECT_EQ(fileText(target), old) << "the old file stays whole";
    EXPECT_EQ(folderNames(folder), std::vector<std::string>{"CONFIG.txt"}) << "no temporary left";

    // An abandoned writer leaves nothing; a folder that does not exist is an error, not a crash.
    {
        AtomicFile abandoned(target);
        ASSERT_TRUE(abandoned.open());
        abandoned.write("half");
    }
    EXPECT_EQ(fileText(target), old);
    EXPECT_EQ(folderNames(folder), std::vector<std::string>{"CONFIG.txt"});
    EXPECT_FALSE(writeFileAtomically(folder / "missing" / "x", "x", &error));
    std::filesystem::remove_all(folder);
}

TEST(AtomicFile, PlantedLinksAreNeitherFollowedNorClaimed) {
    const auto folder = std::filesystem::current_path() / "atomic-link-test";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const auto victim = folder / "victim";
    ASSERT_TRUE(writeFileAtomically(victim, "precious"));
    // A screenshot's name planted as a dangling link, and a cache entry planted as a link to the victim.
    std::filesystem::create_symlink(folder / "elsewhere", folder / "shot.png");
    EXPECT_FALSE(claimNewFile(folder / "shot.png"));
    EXPECT_FALSE(std::filesystem::exists(folder / "elsewhere")) << "the link was followed";
    EXPECT_TRUE(claimNewFile(folder / "shot-2.png"));
    EXPECT_FALSE(claimNewFile(folder / "shot-2.png")) << "a name is claimed once";
    std::filesystem::create_symlink(victim, folder / "entry");
    ASSERT_TRUE(writeFileAtomically(folder / "entry", "cache bytes"));
    EXPECT_EQ(fileText(victim), "precious");
    EXPECT_FALSE(std::filesystem::is_symlink(folder / "entry"));
    EXPECT_TRUE(isRegularFile(victim));
    EXPECT_FALSE(isRegularFile(folder));
    EXPECT_FALSE(isRegularFile("/dev/zero"));
    std::filesystem::remove_all(folder);
}

}  // namespace
