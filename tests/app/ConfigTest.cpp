// CONFIG.txt: settings by line number, C conversions, defaults for what the file lacks.
#include "app/Camera.h"
#include "app/Config.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <sstream>
#include <vector>

namespace {

// Every setting the file can reach, in file order.
std::vector<float> fields(const Settings& s, const Camera& c) {
    return {float(s.width), float(s.height), float(s.windowed), float(s.refreshRate), s.ambient,
            float(s.shadowMapSize), c.startPosition.x, c.startPosition.y, c.startPosition.z,
            c.horizontalAngle, c.verticalAngle, c.mouseSpeed, c.walkSpeed, c.padLookSpeed, c.padSpeed,
            float(s.freezeMeters)};
}
const std::vector<float> defaults{1280, 720, 1, 60, 0.2f, 1024, 2.92f, 0.8f, 0.262f,
                                  -2.57f, -0.5f, 0.002f, 1, 1.5f, 5, 0};
// Lines without a setting carry values too: a reader that counts wrong picks them up.
const std::vector<std::string> fullFile{
    "settings = 9", "width = 800", "height = 600", "windowed = FALSE", "refresh = 75", "ambient = 0.35",
    "x = 9", "x = 9", "shadow map = 512", "x = 9", "x = 9", "x = 1.5", "y = 2.5", "z = -3.5",
    "h = 0.25", "v = -0.125", "mouse = 0.004", "walk = 2", "pad look = 3", "pad walk = 4",
    "x = 9", "x = 9", "freeze = TRUE"};
const std::vector<float> fullValues{800, 600, 0, 75, 0.35f, 512, 1.5f, 2.5f, -3.5f,
                                    0.25f, -0.125f, 0.004f, 2, 3, 4, 1};

std::vector<float> read(const std::vector<std::string>& lines, const char* ending = "\n") {
    std::string text;
    for (const std::string& line : lines) text += line + ending;
    std::istringstream in(text);
    Settings settings;
    Camera camera;
    applyConfigDefaults(settings, camera);
    readConfig(in, settings, camera);
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
                                               -2.57f, -0.5f, 0.002f, 1, 1.5f, 5, 0}));
    lines = fullFile;
    lines.back() = "freeze = FALSE";
    lines.insert(lines.end(), configLineCount, "freeze = TRUE");
    EXPECT_EQ(read(lines).back(), 0.0f);  // freeze
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

TEST(Config, MissingFileGivesDefaultsAndLeavesTheEyeAlone) {
    Settings settings;
    settings.width = 5;
    Camera camera;
    EXPECT_FALSE(loadConfig("/nonexistent/CONFIG.txt", settings, camera));
    EXPECT_EQ(fields(settings, camera), defaults);
    EXPECT_EQ(camera.position, glm::vec3(0.0f));
}

TEST(Config, ShippedFileHoldsTheDefaultsAndPlacesTheEye) {
    Settings settings;
    Camera camera;
    ASSERT_TRUE(loadConfig(std::string(MURK_DATA_DIR) + "/CONFIG.txt", settings, camera));
    EXPECT_EQ(fields(settings, camera), defaults);
    EXPECT_EQ(camera.position, camera.startPosition);
}

}  // namespace
