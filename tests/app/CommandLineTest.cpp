// Command lines: what good ones set, and the one-line message for bad ones.
#include "app/CommandLine.h"
#include "app/Config.h"
#include "app/DemoSession.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <tuple>
#include <vector>

namespace {

using Args = std::vector<const char*>;

// One object for every row: each parse must start from nothing.
CommandLine options;

bool parse(Args args, std::string& error) {
    args.insert(args.begin(), "murkhaven");
    return parseCommandLine(static_cast<int>(args.size()), args.data(), options, error);
}

// Sizes given override CONFIG.txt's (1280 x 720, shadow maps 1024), the others stand.
TEST(CommandLine, GoodLines) {
    using Mode = CommandLine::Mode;
    struct Case { Args args; Mode mode; const char* demo; int frames, width, height, shadow; const char* report;
                  int applied[3]; };
    const Case cases[] = {
        {{"--timedemo", "demos/walk.mdemo", "--frames", "50", "--width", "640", "--height", "360",
          "--shadow-map-size", "512", "--report", "/tmp/x", "--floor"},
         Mode::Timedemo, "demos/walk.mdemo", 50, 640, 360, 512, "/tmp/x", {640, 360, 512}},
        {{}, Mode::Play, "", 0, 0, 0, 0, "timedemo", {1280, 720, 1024}},
        {{"--record", "a.mdemo", "--frames", "5", "--frames", "7"}, Mode::Record, "a.mdemo", 7, 0, 0, 0, "timedemo",
         {1280, 720, 1024}},
        {{"--height", "16384", "--replay", "b", "--frames", "1073741824"}, Mode::Replay, "b", 1 << 30, 0, 16384, 0,
         "timedemo", {1280, 16384, 1024}},
    };
    for (const Case& c : cases) {
        std::string error;
        ASSERT_TRUE(parse(c.args, error)) << error;
        EXPECT_EQ(options.mode, c.mode);
        EXPECT_FALSE(options.help);
        EXPECT_EQ(options.floor, c.mode == Mode::Timedemo);
        EXPECT_EQ(std::tie(options.demoPath, options.frames, options.width, options.height, options.shadowMapSize,
                           options.report),
                  std::tuple(c.demo, c.frames, c.width, c.height, c.shadow, c.report));
        Settings settings;
        applyOverrides(options, settings);
        EXPECT_EQ(std::tuple(settings.width, settings.height, settings.shadowMapSize),
                  std::tuple(c.applied[0], c.applied[1], c.applied[2]));
    }
}

TEST(CommandLine, BadLines) {
    const std::pair<Args, std::string> cases[] = {
        {{"--frames"}, "--frames needs a value"},
        {{"stray"}, "unknown argument stray"},
        {{"--bogus"}, "unknown argument --bogus"},
        {{"--replay", "a", "--floor"}, "--floor needs --timedemo"},
        {{"--frames", "5"}, "--frames needs --record, --replay or --timedemo"},
        {{"--fullscreen", "1"}, "unknown argument --fullscreen"},
        {{"--frames", "0"}, "--frames needs a whole number from 1 to 1073741824, not \"0\""},
        {{"--frames", "1073741825"}, "--frames needs a whole number from 1 to 1073741824, not \"1073741825\""},
        {{"--frames", "12x"}, "--frames needs a whole number from 1 to 1073741824, not \"12x\""},
        {{"--width", "-5"}, "--width needs a whole number from 1 to 16384, not \"-5\""},
        {{"--height", "16385"}, "--height needs a whole number from 1 to 16384, not \"16385\""},
        {{"--shadow-map-size", ""}, "--shadow-map-size needs a whole number from 1 to 16384, not \"\""},
        {{"--record", "a", "--replay", "b"}, "only one of --record, --replay and --timedemo"},
        {{"--timedemo", "a", "--timedemo", "a"}, "only one of --record, --replay and --timedemo"},
        {{"--replay", ""}, "--replay needs a file name"},
        {{"--report", ""}, "--report needs a file name prefix"},
    };
    for (const auto& [args, message] : cases) {
        std::string error;
        EXPECT_FALSE(parse(args, error)) << message;
        EXPECT_EQ(error, message);
    }
}

TEST(CommandLine, HelpStopsTheReading) {
    for (const Args& args : {Args{"--help"}, Args{"-h"}, Args{"--width", "640", "-h", "--bogus"}}) {
        std::string error;
        EXPECT_TRUE(parse(args, error)) << error;
        EXPECT_TRUE(options.help);
    }
}

// Refused before the game starts, not after a session is played; an older
// demo of that name is kept until the save, and no empty file is left.
TEST(CommandLine, ARecordingMustBeWritable) {
    const std::string dir = testing::TempDir();
    std::filesystem::remove(dir + "fresh.mdemo");
    std::ofstream(dir + "old.mdemo") << "old";
    for (const auto& [path, writable] : {std::pair{dir + "fresh.mdemo", true}, std::pair{dir + "old.mdemo", true},
                                         std::pair{dir, false}, std::pair{std::string("/nonexistent/a.mdemo"), false}}) {
        CommandLine record;
        record.mode = CommandLine::Mode::Record;
        record.demoPath = path;
        std::string error;
        EXPECT_EQ(DemoSession(record, DemoSession::Clock::now()).load(error), writable);
        EXPECT_EQ(error, writable ? "" : "demo " + path + ": cannot be written");
    }
    EXPECT_FALSE(std::filesystem::exists(dir + "fresh.mdemo"));
    EXPECT_EQ((std::stringstream() << std::ifstream(dir + "old.mdemo").rdbuf()).str(), "old");
}

}  // namespace
