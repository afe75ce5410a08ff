// CONFIG.txt: settings by line number, C conversions with saturating
// integers, exactly "TRUE", defaults for whatever the file lacks.
#include "app/Camera.h"
#include "app/Config.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

namespace {

// A valid file: 23 lines with these values on their setting lines.
std::vector<std::string> fullFile() {
    std::vector<std::string> lines(configLineCount, "# comment");
    lines[1] = "width = 800";
    lines[2] = "height = 600";
    lines[3] = "windowed = TRUE";
    lines[4] = "refresh = 75";
    lines[5] = "ambient = 0.35";
    lines[8] = "shadow map = 512";
    lines[11] = "x = 1.5";
    lines[12] = "y = 2.5";
    lines[13] = "z = -3.5";
    lines[14] = "h = 0.25";
    lines[15] = "v = -0.125";
    lines[16] = "mouse = 0.004";
    lines[17] = "walk = 2";
    lines[18] = "pad look = 3";
    lines[19] = "pad walk = 4";
    lines[22] = "freeze = TRUE";
    return lines;
}

struct Loaded {
    Settings settings;
    Camera camera;
};

Loaded read(const std::vector<std::string>& lines, const char* ending = "\n") {
    std::string text;
    for (const std::string& line : lines) text += line + ending;
    std::istringstream in(text);
    Loaded result;
    applyConfigDefaults(result.settings, result.camera);
    readConfig(in, result.settings, result.camera);
    return result;
}

TEST(Config, FullFileFillsSettingsAndCamera) {
    const Loaded c = read(fullFile());
    EXPECT_EQ(c.settings.width, 800);
    EXPECT_EQ(c.settings.height, 600);
    EXPECT_TRUE(c.settings.windowed);
    EXPECT_EQ(c.settings.refreshRate, 75);
    EXPECT_FLOAT_EQ(c.settings.ambient, 0.35f);
    EXPECT_EQ(c.settings.shadowMapSize, 512);
    EXPECT_EQ(c.camera.position, glm::vec3(1.5f, 2.5f, -3.5f));
    EXPECT_EQ(c.camera.startPosition, glm::vec3(1.5f, 2.5f, -3.5f));
    EXPECT_FLOAT_EQ(c.camera.horizontalAngle, 0.25f);
    EXPECT_FLOAT_EQ(c.camera.verticalAngle, -0.125f);
    EXPECT_FLOAT_EQ(c.camera.mouseSpeed, 0.004f);
    EXPECT_FLOAT_EQ(c.camera.walkSpeed, 2.0f);
    EXPECT_FLOAT_EQ(c.camera.padLookSpeed, 3.0f);
    EXPECT_FLOAT_EQ(c.camera.padSpeed, 4.0f);
    EXPECT_TRUE(c.settings.freezeMeters);
}

TEST(Config, OnlyExactUpperCaseTrueIsTrue) {
    for (const char* value : {"true", "True", "TRUE ", " TRUE", "1", "YES"}) {
        std::vector<std::string> lines = fullFile();
        lines[3] = std::string("windowed = ") + value;
        lines[22] = std::string("freeze = ") + value;
        const Loaded c = read(lines);
        EXPECT_FALSE(c.settings.windowed) << value;  // lower-case true opens full screen
        EXPECT_FALSE(c.settings.freezeMeters) << value;
    }
}

TEST(Config, CarriageReturnsAreNotPartOfTheValue) {
    const Loaded c = read(fullFile(), "\r\n");
    EXPECT_TRUE(c.settings.windowed);
    EXPECT_TRUE(c.settings.freezeMeters);
    EXPECT_EQ(c.settings.width, 800);
}

TEST(Config, KeyTextIsIgnoredOnlyTheLineCounts) {
    std::vector<std::string> lines = fullFile();
    lines[1] = "hieght (misspelt) = 1024";
    lines[2] = " = 768";
    const Loaded c = read(lines);
    EXPECT_EQ(c.settings.width, 1024);
    EXPECT_EQ(c.settings.height, 768);
}

TEST(Config, ValueFollowsTheFirstSeparator) {
    std::vector<std::string> lines = fullFile();
    lines[1] = "a = b = 3";       // value "b = 3": no digits
    lines[2] = "width=1024";      // no " = ": keeps the default
    lines[4] = "rate =  120";     // value " 120": leading space skipped
    const Loaded c = read(lines);
    EXPECT_EQ(c.settings.width, 0);
    EXPECT_EQ(c.settings.height, 720);
    EXPECT_EQ(c.settings.refreshRate, 120);
}

TEST(Config, ShortFileKeepsDefaultsForMissingLines) {
    const std::vector<std::string> all = fullFile();
    const Loaded c = read({all.begin(), all.begin() + 12});  // up to start x
    EXPECT_EQ(c.settings.width, 800);
    EXPECT_EQ(c.settings.shadowMapSize, 512);
    EXPECT_FLOAT_EQ(c.camera.startPosition.x, 1.5f);
    EXPECT_FLOAT_EQ(c.camera.startPosition.y, 0.8f);
    EXPECT_FLOAT_EQ(c.camera.startPosition.z, 0.262f);
    EXPECT_FLOAT_EQ(c.camera.horizontalAngle, -2.57f);
    EXPECT_FLOAT_EQ(c.camera.padSpeed, 5.0f);
    EXPECT_FALSE(c.settings.freezeMeters);

    const Loaded empty = read({});
    EXPECT_EQ(empty.settings.width, 1280);
    EXPECT_EQ(empty.camera.position, glm::vec3(0.0f));
}

TEST(Config, LinesAfterTheTwentyThirdAreNeverRead) {
    std::vector<std::string> lines = fullFile();
    lines[22] = "freeze = FALSE";
    // A reader that kept going, or counted from the end, would pick these up.
    for (int i = 0; i < configLineCount; ++i) lines.push_back("freeze = TRUE");
    EXPECT_FALSE(read(lines).settings.freezeMeters);
}

TEST(Config, IntegersReadLikeAtoiButSaturate) {
    EXPECT_EQ(configInt("1280px"), 1280);
    EXPECT_EQ(configInt("px1280"), 0);
    EXPECT_EQ(configInt(""), 0);
    EXPECT_EQ(configInt("  \t+42abc"), 42);
    EXPECT_EQ(configInt("-17"), -17);
    EXPECT_EQ(configInt("- 5"), 0);
    EXPECT_EQ(configInt("2147483647"), INT_MAX);
    EXPECT_EQ(configInt("-2147483648"), INT_MIN);
    EXPECT_EQ(configInt("2147483648"), INT_MAX);
    EXPECT_EQ(configInt("99999999999999999999999"), INT_MAX);
    EXPECT_EQ(configInt("-99999999999999999999999"), INT_MIN);
}

TEST(Config, FloatsReadLikeAtof) {
    EXPECT_FLOAT_EQ(configFloat("0.35"), 0.35f);
    EXPECT_FLOAT_EQ(configFloat("  -2.57rad"), -2.57f);
    EXPECT_FLOAT_EQ(configFloat("1e-3"), 0.001f);
    EXPECT_FLOAT_EQ(configFloat("abc"), 0.0f);
    EXPECT_TRUE(std::isinf(configFloat("1e999")));  // too big for a float: infinity, not garbage
}

TEST(Config, MissingFileGivesDefaultsAndLeavesTheEyeAtTheOrigin) {
    Settings settings;
    settings.width = 5;
    Camera camera;
    EXPECT_FALSE(loadConfig("/nonexistent/CONFIG.txt", settings, camera));
    EXPECT_EQ(settings.width, 1280);
    EXPECT_EQ(settings.height, 720);
    EXPECT_TRUE(settings.windowed);
    EXPECT_EQ(settings.refreshRate, 60);
    EXPECT_FLOAT_EQ(settings.ambient, 0.2f);
    EXPECT_EQ(settings.shadowMapSize, 1024);
    EXPECT_FALSE(settings.freezeMeters);
    EXPECT_EQ(camera.position, glm::vec3(0.0f));
    EXPECT_EQ(camera.startPosition, glm::vec3(2.92f, 0.8f, 0.262f));
    EXPECT_FLOAT_EQ(camera.horizontalAngle, -2.57f);
    EXPECT_FLOAT_EQ(camera.verticalAngle, -0.5f);
    EXPECT_FLOAT_EQ(camera.mouseSpeed, 0.002f);
    EXPECT_FLOAT_EQ(camera.walkSpeed, 1.0f);
    EXPECT_FLOAT_EQ(camera.padLookSpeed, 1.5f);
    EXPECT_FLOAT_EQ(camera.padSpeed, 5.0f);
}

TEST(Config, ShippedFileHoldsTheDefaultsAndPlacesTheEye) {
    Settings shipped;
    Camera camera;
    ASSERT_TRUE(loadConfig(std::string(MURK_DATA_DIR) + "/CONFIG.txt", shipped, camera));
    Settings defaults;
    Camera defaultCamera;
    applyConfigDefaults(defaults, defaultCamera);
    EXPECT_EQ(shipped.width, defaults.width);
    EXPECT_EQ(shipped.height, defaults.height);
    EXPECT_EQ(shipped.windowed, defaults.windowed);
    EXPECT_EQ(shipped.refreshRate, defaults.refreshRate);
    EXPECT_FLOAT_EQ(shipped.ambient, defaults.ambient);
    EXPECT_EQ(shipped.shadowMapSize, defaults.shadowMapSize);
    EXPECT_EQ(shipped.freezeMeters, defaults.freezeMeters);
    EXPECT_EQ(camera.startPosition, defaultCamera.startPosition);
    EXPECT_EQ(camera.position, camera.startPosition);
    EXPECT_FLOAT_EQ(camera.horizontalAngle, defaultCamera.horizontalAngle);
    EXPECT_FLOAT_EQ(camera.verticalAngle, defaultCamera.verticalAngle);
    EXPECT_FLOAT_EQ(camera.mouseSpeed, defaultCamera.mouseSpeed);
    EXPECT_FLOAT_EQ(camera.walkSpeed, defaultCamera.walkSpeed);
    EXPECT_FLOAT_EQ(camera.padLookSpeed, defaultCamera.padLookSpeed);
    EXPECT_FLOAT_EQ(camera.padSpeed, defaultCamera.padSpeed);
}

}  // namespace
