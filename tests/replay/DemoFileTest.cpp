// The demo file: what it keeps, and the refusal of anything that is not a
// whole demo of this version.
#include "app/CommandLine.h"
#include "app/Config.h"
#include "platform/DemoFile.h"
#include "tests/support/Process.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>

namespace {

demo::Demo sample() {
    demo::Demo d;
    demo::Frame a;
    a.clockMicros = 1500000;
    demo::Change key;
    key.channel = Key::W;
    key.query = 0;
    key.down = true;
    a.changes.push_back(key);
    demo::Change cursor;
    cursor.channel = demo::cursorChannel;
    cursor.query = 0;
    cursor.cursor = {false, -3.0, 12.0};
    a.changes.push_back(cursor);
    demo::Frame b;
    b.clockMicros = 1516000;
    cursor.query = 1;
    cursor.cursor = {false, 0.25, -1e-3};
    b.changes.push_back(cursor);
    cursor.cursor = {true, 400.5, 300.125};
    b.changes.push_back(cursor);
    demo::Change pad;
    pad.channel = demo::padChannel;
    pad.query = 2;
    pad.pad.connected = true;
    pad.pad.state.dwPacketNumber = 77;
    pad.pad.state.wButtons = Pad::A | Pad::Back;
    pad.pad.state.bRightTrigger = 255;
    pad.pad.state.sThumbLX = -32768;
    pad.pad.state.sThumbRY = 32767;
    b.changes.push_back(pad);
    demo::Change button;
    button.channel = demo::buttonChannel0 + MouseButton::Left;
    button.query = 1;
    button.down = true;
    b.changes.push_back(button);
    d.frames = {a, b, demo::Frame {1516000, {}}};
    d.endState = "eye x 0x1p+0 (1.0000)\ntitle Murkhaven\n";
    return d;
}

std::string decodeError(const std::string& bytes) {
    demo::Demo d;
    std::string error;
    EXPECT_FALSE(demo::decode(bytes, d, error));
    return error;
}

TEST(DemoFile, KeepsEveryAnswerExactly) {
    const demo::Demo original = sample();
    demo::Demo back;
    std::string error;
    ASSERT_TRUE(demo::decode(demo::encode(original), back, error)) << error;
    ASSERT_EQ(back.frames.size(), original.frames.size());
    for (std::size_t f = 0; f < back.frames.size(); ++f) {
        EXPECT_EQ(back.frames[f].clockMicros, original.frames[f].clockMicros);
        ASSERT_EQ(back.frames[f].changes.size(), original.frames[f].changes.size());
        for (std::size_t c = 0; c < back.frames[f].changes.size(); ++c) {
            EXPECT_TRUE(demo::sameAnswer(back.frames[f].changes[c], original.frames[f].changes[c]));
            EXPECT_EQ(back.frames[f].changes[c].query, original.frames[f].changes[c].query);
        }
    }
    EXPECT_EQ(back.endState, original.endState);
}

TEST(DemoFile, RefusesEveryTruncation) {
    const std::string bytes = demo::encode(sample());
    for (std::size_t length = 0; length < bytes.size(); ++length) {
        const std::string error = decodeError(bytes.substr(0, length));
        EXPECT_TRUE(error.rfind("truncated", 0) == 0 || error.rfind("damaged", 0) == 0 ||
                    error == "not a Murkhaven demo")
            << length << ": " << error;
    }
    EXPECT_EQ(decodeError(bytes.substr(0, 20)).rfind("truncated", 0), 0u);
}

TEST(DemoFile, RefusesEveryChangedByteAndTrailingBytes) {
    const std::string bytes = demo::encode(sample());
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        std::string changed = bytes;
        changed[at] = static_cast<char>(changed[at] ^ 0x5A);
        decodeError(changed);
    }
    EXPECT_EQ(decodeError(bytes + "x"), "damaged: 1 bytes after the end");
}

TEST(DemoFile, NamesAnotherVersion) {
    std::string bytes = demo::encode(sample());
    bytes[8] = 2;
    EXPECT_EQ(decodeError(bytes), "format version 2, this build reads version 1");
}

TEST(DemoFile, RefusesGarbageWithoutHugeAllocations) {
    EXPECT_EQ(decodeError(""), "not a Murkhaven demo");
    EXPECT_EQ(decodeError("#!/bin/sh\necho hello\n"), "not a Murkhaven demo");
    std::mt19937 random(7);
    for (int trial = 0; trial < 2000; ++trial) {
        std::string bytes = "MURKDEMO";
        bytes += std::string("\x01\x00\x00\x00", 4);
        const int length = static_cast<int>(random() % 64);
        for (int i = 0; i < length; ++i) bytes += static_cast<char>(random());
        decodeError(bytes);
    }
    // Four billion frames announced in a file of a few bytes.
    EXPECT_EQ(decodeError(std::string("MURKDEMO\x01\x00\x00\x00\xff\xff\xff\xff\x00\x00", 14)).rfind("truncated", 0),
              0u);
}

TEST(CommandLine, NoArgumentsIsPlainPlay) {
    const char* argv[] = {"murkhaven"};
    CommandLine options;
    std::string error;
    ASSERT_TRUE(parseCommandLine(1, argv, options, error));
    EXPECT_EQ(options.mode, CommandLine::Mode::Play);
    Settings settings;
    const Settings before = settings;
    applyOverrides(options, settings);
    EXPECT_EQ(settings.width, before.width);
    EXPECT_EQ(settings.shadowMapSize, before.shadowMapSize);
}

TEST(CommandLine, TimedemoWithFramesAndSizes) {
    const char* argv[] = {"murkhaven", "--timedemo", "demos/walk.mdemo", "--frames", "50", "--width", "640",
                          "--height", "360", "--shadow-map-size", "512", "--report", "/tmp/x"};
    CommandLine options;
    std::string error;
    ASSERT_TRUE(parseCommandLine(13, argv, options, error)) << error;
    EXPECT_EQ(options.mode, CommandLine::Mode::Timedemo);
    EXPECT_EQ(options.demoPath, "demos/walk.mdemo");
    EXPECT_EQ(options.frames, 50);
    EXPECT_EQ(options.report, "/tmp/x");
    Settings settings;
    applyOverrides(options, settings);
    EXPECT_EQ(settings.width, 640);
    EXPECT_EQ(settings.height, 360);
    EXPECT_EQ(settings.shadowMapSize, 512);
}

TEST(CommandLine, RefusesWhatItCannotUse) {
    const std::vector<std::vector<const char*>> bad = {
        {"murkhaven", "--frames"},           {"murkhaven", "--frames", "0"},
        {"murkhaven", "--frames", "12x"},    {"murkhaven", "--width", "-5"},
        {"murkhaven", "--fullscreen", "1"},  {"murkhaven", "--record", "a", "--replay", "b"},
        {"murkhaven", "--replay", ""},       {"murkhaven", "stray"},
    };
    for (const auto& argv : bad) {
        CommandLine options;
        std::string error;
        EXPECT_FALSE(parseCommandLine(static_cast<int>(argv.size()), argv.data(), options, error)) << argv[1];
        EXPECT_FALSE(error.empty());
    }
}

// The game itself refuses a bad demo before it opens a window: no display needed.
TEST(DemoProgram, BadDemoFileIsRefusedWithAClearMessage) {
    const std::string game = std::string(MURK_BINARY_DIR) + "/app/murkhaven";
    const std::string path = "/tmp/murk-bad-demo.mdemo";
    std::string bytes = demo::encode(sample());
    std::ofstream(path, std::ios::binary) << bytes.substr(0, bytes.size() - 7);
    auto run = murk::test::runProcess({game, "--replay", path}, MURK_DATA_DIR, 30, {"DISPLAY=:9999"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.output, "demo " + path + ": truncated: the end record is missing\n");

    run = murk::test::runProcess({game, "--timedemo", "/nonexistent.mdemo"}, MURK_DATA_DIR, 30, {"DISPLAY=:9999"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.output, "demo /nonexistent.mdemo: cannot open /nonexistent.mdemo\n");

    run = murk::test::runProcess({game, "--frames", "many"}, MURK_DATA_DIR, 30, {"DISPLAY=:9999"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.output.rfind("--frames needs a whole number", 0), 0u) << run.output;
}

}  // namespace
