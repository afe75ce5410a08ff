// CONFIG.txt: settings by line number, C conversions, defaults for what the file lacks.
#include "app/Camera.h"
#include "app/Config.h"
#include "app/SettingsCheck.h"

#include <gtest/gtest.h>

#include <glm/vec2.hpp>

#include <algorithm>
#include <climits>
#include <cmath>
#include <fstream>
#include <numeric>
#include <sstream>
#include <vector>

namespace {

// Every setting the file can reach, in file order.
std::vector<float> fields(const Settings& s, const Camera& c) {
    return {float(s.width), float(s.height), float(s.windowed), float(s.refreshRate), s.ambient,
            float(s.shadowMapSize), c.startPosition.x, c.startPosition.y, c.startPosition.z,
            c.horizontalAngle, c.verticalAngle, c.mouseSpeed, c.walkSpeed, c.padLookSpeed, c.padSpeed,
            float(s.freezeMeters), float(s.subtitles), s.brightness, float(s.invertY)};
}
const std::vector<float> defaults{1280, 720, 1, 60, 0.2f, 1024, 2.92f, 0.8f, 0.262f,
                                  -2.57f, -0.5f, 0.002f, 1, 1.5f, 5, 0, 1, 1, 0};
// Lines without a setting carry values too: a reader that counts wrong picks them up.
const std::vector<std::string> fullFile{
    "settings = 9", "width = 800", "height = 600", "windowed = FALSE", "refresh = 75", "ambient = 0.35",
    "x = 9", "x = 9", "shadow map = 512", "x = 9", "x = 9", "x = 1.5", "y = 2.5", "z = -3.5",
    "h = 0.25", "v = -0.125", "mouse = 0.004", "walk = 2", "pad look = 3", "pad walk = 4",
    "x = 9", "x = 9", "freeze = TRUE", "subtitles = FALSE", "brightness = 1.5", "invert = TRUE"};
const std::vector<float> fullValues{800, 600, 0, 75, 0.35f, 512, 1.5f, 2.5f, -3.5f,
                                    0.25f, -0.125f, 0.004f, 2, 3, 4, 1, 0, 1.5f, 1};

// With a console, the numbers are checked as at start-up.
std::vector<float> read(const std::vector<std::string>& lines, const char* ending = "\n",
                        std::ostream* console = nullptr) {
    std::string text;
    for (const std::string& line : lines) text += line + ending;
    std::istringstream in(text);
    Settings settings;
    Camera camera;
    applyConfigDefaults(settings, camera);
    readConfig(in, settings, camera);
    if (console != nullptr) {
        checkConfigNumbers(settings, camera, *console);
        EXPECT_EQ(camera.position, camera.startPosition);
    }
    // The speeds in force until the first crouch or stand, and what those scale with.
    EXPECT_EQ(glm::vec2(camera.walkSpeed, camera.padSpeed),
              glm::vec2(camera.walkSpeedSetting, camera.padSpeedSetting));
    EXPECT_EQ(camera.invertY, settings.invertY);  // the look reads the camera's
    return fields(settings, camera);
}

TEST(Config, EveryLineLandsInItsField) {
    EXPECT_EQ(read(fullFile), fullValues);
    EXPECT_EQ(read(fullFile, "\r\n"), fullValues);
}

TEST(Config, OddSeparatorsShortFilesAndLinesPastTheLast) {
    std::vector<std::string> lines = fullFile;
    lines[1] = "a = b = 3";    // the value is "b = 3": no digits
    lines[2] = "height=1024";  // no " = ": keeps its value
    lines[4] = " =  120";      // no label, a leading space
    lines.resize(12);          // ends at start x
    EXPECT_EQ(read(lines), (std::vector<float>{0, 720, 0, 120, 0.35f, 512, 1.5f, 0.8f, 0.262f,
                                               -2.57f, -0.5f, 0.002f, 1, 1.5f, 5, 0, 1, 1, 0}));
    lines = fullFile;
    lines.back() = "invert = FALSE";
    lines.insert(lines.end(), configLineCount, "invert = TRUE");
    EXPECT_EQ(read(lines).back(), 0.0f);  // lines past the last setting are not read
}

TEST(Config, NumbersAndSwitchesReadLikeC) {
    const std::pair<const char*, int> ints[] = {
        {"1280px", 1280}, {"px1280", 0}, {"", 0}, {"  \t+42abc", 42}, {"-17", -17}, {"- 5", 0},
        {"2147483647", INT_MAX}, {"-2147483648", INT_MIN}, {"2147483648", INT_MAX},
        {"99999999999999999999999", INT_MAX}, {"-99999999999999999999999", INT_MIN}};
    for (const auto& [text, want] : ints) EXPECT_EQ(configInt(text), want) << '"' << text << '"';
    const std::pair<const char*, float> floats[] = {
        {"0.35", 0.35f}, {"  -2.57rad", -2.57f}, {"1e-3", 0.001f}, {"abc", 0.0f}, {"1e999", INFINITY}};
    for (const auto& [text, want] : floats) EXPECT_FLOAT_EQ(configFloat(text), want) << text;
    EXPECT_TRUE(configBool("TRUE"));
    for (const char* text : {"true", "True", "TRUE ", " TRUE", "1", "YES"}) EXPECT_FALSE(configBool(text)) << text;
}

// nan, inf and numbers beyond a float go back to the default, one line each.
TEST(Config, NumbersThatAreNotFiniteFallBackToTheirDefaults) {
    std::ostringstream console;
    EXPECT_EQ(read(fullFile, "\n", &console), fullValues);
    EXPECT_EQ(console.str(), "");
    std::vector<std::string> lines = fullFile;
    std::vector<float> want = fullValues;
    const char* notFinite[] = {"nan", "inf", "-inf", "1e40", "-nan"};
    int k = 0;
    for (int number : {6, 12, 13, 14, 15, 16, 17, 18, 19, 20})
        lines[static_cast<std::size_t>(number - 1)] = std::string("x = ") + notFinite[k++ % 5];
    for (std::size_t i : {4, 6, 7, 8, 9, 10, 11, 12, 13, 14}) want[i] = defaults[i];
    EXPECT_EQ(read(lines, "\n", &console), want);
    const std::string said = console.str();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 10) << said;
    EXPECT_NE(said.find("\nstart z inf in CONFIG.txt is not a finite number; using 0.262\n"), std::string::npos);
}

// Outside what F6 and F7 reach the picture is black or white: back to 1, said once.
TEST(Config, BrightnessOutsideItsRangeFallsBackToOne) {
    const std::pair<const char*, float> cases[] = {{"0.5", 0.5f}, {"2.5", 2.5f}, {"0.49", 1}, {"2.6", 1},
                                                   {"nan", 1}, {"-inf", 1}};
    for (const auto& [value, want] : cases) {
        std::vector<std::string> lines = fullFile;
        lines[configLine::brightness - 1] = std::string("brightness = ") + value;
        std::ostringstream console;
        EXPECT_EQ(read(lines, "\n", &console)[17], want) << value;
        EXPECT_EQ(console.str().find("brightness ") == 0, want == 1.0f) << console.str();
    }
}

// F10 changes three values, keeps every other byte, and labels the lines a
// short file lacks. Unwritable, the player's own file is made.
TEST(Config, SavingRewritesOnlyTheThreeValues) {
    const auto join = [](const std::vector<std::string>& lines, const std::string& end) {
        return std::accumulate(lines.begin(), lines.end(), std::string(), [&](auto t, auto& l) { return t + l + end; });
    };
    std::vector<std::string> after = fullFile;
    after[16] = "mouse = 0.0016";
    after[24] = "brightness = 1.2";
    after[25] = "invert = FALSE";
    const SavedSettings saved{0.0016f, 1.2f, false};
    EXPECT_EQ(rewriteConfig(join(fullFile, "\n"), saved), join(after, "\n"));
    EXPECT_EQ(rewriteConfig(join(fullFile, "\r\n"), saved), join(after, "\r\n"));
    const std::string grown = rewriteConfig("width = 800 = wide", saved);
    EXPECT_EQ(std::count(grown.begin(), grown.end(), '\n'), 26);
    EXPECT_TRUE(grown.starts_with("width = 800 = wide\n") && grown.ends_with("\n\nbrightness (1.0 as made; higher is "
                                                                         "brighter) = 1.2\ninvert mouse and pad look (TRUE: push down to look up) = FALSE\n"));
    const std::string own = testing::TempDir() + "own/murkhaven/CONFIG.txt";
    EXPECT_EQ(saveConfig(testing::TempDir() + "none/CONFIG.txt", own, saved), own);
}

// A folder, binary garbage or text without settings reads as no file at all.
TEST(Config, UnreadableFilesGiveDefaultsAndLeaveTheEyeAlone) {
    const std::string dir = testing::TempDir();
    std::ofstream(dir + "binary.txt") << "window width = 800\n" << std::string("\0\x7f\0", 3) << "height = 600\n";
    std::ofstream(dir + "labels.txt") << "window width 800\nwindow height: 600\n";
    for (const std::string& path : {std::string("/nonexistent/CONFIG.txt"), dir, dir + "binary.txt", dir + "labels.txt"}) {
        Settings settings;
        settings.width = 5;
        Camera camera;
        EXPECT_FALSE(loadConfig(path, settings, camera)) << path;
        EXPECT_EQ(fields(settings, camera), defaults);
        EXPECT_EQ(camera.position, glm::vec3(0.0f));
    }
}

// Before the window is made; 0 x 0 is a screen that did not say.
TEST(Config, TheWindowFitsTheScreen) {
    struct Case { int width, height, screenWidth, screenHeight, wantWidth, wantHeight; const char* console; };
    const Case cases[] = {
        {100000, 720, 1280, 720, 1280, 720, "window width 100000 clamped to 1280 (what the screen allows)\n"},
        {16384, 16384, 1920, 1080, 1920, 1080, "window width 16384 clamped to 1920 (what the screen allows)\n"
                                               "window height 16384 clamped to 1080 (what the screen allows)\n"},
        {1280, 720, 1280, 720, 1280, 720, ""},
        {5000, 4000, 0, 0, 5000, 4000, ""},
        {0, -3, 1280, 720, 0, -3, "window width 0 in CONFIG.txt: no window can be that small\n"
                                  "window height -3 in CONFIG.txt: no window can be that small\n"},
    };
    for (const Case& c : cases) {
        Settings settings;
        settings.width = c.width;
        settings.height = c.height;
        std::ostringstream console;
        fitWindowToScreen(settings, c.screenWidth, c.screenHeight, console);
        EXPECT_EQ(glm::ivec2(settings.width, settings.height), glm::ivec2(c.wantWidth, c.wantHeight));
        EXPECT_EQ(console.str(), c.console);
    }
}

TEST(Config, ShippedFileHoldsTheDefaultsAndPlacesTheEye) {
    Settings settings;
    Camera camera;
    ASSERT_TRUE(loadConfig(std::string(MURK_DATA_DIR) + "/CONFIG.txt", settings, camera));
    EXPECT_EQ(fields(settings, camera), defaults);
    EXPECT_EQ(camera.position, camera.startPosition);
}

}  // namespace
