// Demos: what a recording keeps, what its replay answers, and the refusal of
// bytes that are not a whole demo of this version.
#include "platform/DemoFile.h"
#include "platform/RecordingInput.h"
#include "platform/ReplayInput.h"
#include "platform/ScriptedInput.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int frames = 7;
constexpr int absoluteFrame = 3;

// The player: a clock with parts of a microsecond, a held key, a tap, a
// mouse button, the cursor moved by whole and part pixels and once to where
// an offset cannot say it exactly, a pad plugged in and out, and the focus
// lost for a while.
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

} // namespace
