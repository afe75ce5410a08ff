// Settings no driver can draw are brought into the GL's range, each with a line.
#include "app/Config.h"
#include "app/SettingsCheck.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

namespace {

const GlLimits llvmpipe{16384, 16384, 16384, 16384};

std::string check(Settings& settings, const GlLimits& limits = llvmpipe) {
    std::ostringstream console;
    checkSettings(settings, limits, console);
    return console.str();
}

TEST(SettingsCheck, GoodSettingsPassSilently) {
    Settings settings;
    EXPECT_EQ(check(settings), "");
    EXPECT_EQ(settings.shadowMapSize, 1024);
    EXPECT_EQ(settings.width, 1280);
    EXPECT_FLOAT_EQ(settings.ambient, 0.2f);
}

TEST(SettingsCheck, ShadowMapSizeIntoTheGlsRange) {
    for (const auto& [asked, made] : {std::pair{0, 16}, {-1, 16}, {3000, 3000}, {4096, 4096}}) {
        Settings settings;
        settings.shadowMapSize = asked;
        const std::string line = check(settings);
        EXPECT_EQ(settings.shadowMapSize, made);
        if (asked != made) {
            EXPECT_EQ(line, "shadow map size " + std::to_string(asked) + " clamped to " + std::to_string(made) +
                                " (what the GL allows)\n");
        }
    }
    // Beyond the GL's limits and the game's own, the game's decides.
    Settings huge;
    huge.shadowMapSize = 100000;
    EXPECT_EQ(check(huge), "shadow map size 100000 clamped to 4096 (the largest the shadow pass uses)\n");
    EXPECT_EQ(huge.shadowMapSize, 4096);
    huge.shadowMapSize = 100000;
    EXPECT_EQ(check(huge, GlLimits{2048, 2048, 2048, 2048}),
              "shadow map size 100000 clamped to 2048 (what the GL allows)\n");
    // The smaller of the texture and render-target limits counts.
    Settings settings;
    settings.shadowMapSize = 1500;
    check(settings, GlLimits{16384, 1024, 16384, 16384});
    EXPECT_EQ(settings.shadowMapSize, 1024);
}

TEST(SettingsCheck, FrameLargerThanATextureOrViewport) {
    Settings settings;
    settings.height = 100000;
    EXPECT_EQ(check(settings, GlLimits{16384, 16384, 16384, 8192}),
              "window height 100000 clamped to 8192 (what the GL allows)\n");
    EXPECT_EQ(settings.height, 8192);
    EXPECT_EQ(settings.width, 1280);
}

TEST(SettingsCheck, AmbientThatIsNotANumber) {
    for (const char* text : {"nan", "inf", "-inf", "1e99"}) {
        Settings settings;
        settings.ambient = configFloat(text);
        EXPECT_NE(check(settings).find(" is not a finite number; using 0.2\n"), std::string::npos) << text;
        EXPECT_FLOAT_EQ(settings.ambient, 0.2f);
    }
    Settings negative;
    negative.ambient = -3.0f;  // dark but drawable: left as the player wants it
    EXPECT_EQ(check(negative), "");
}

TEST(SettingsCheck, UnreportedLimitsLimitNothing) {
    Settings settings;
    settings.height = 100000;
    EXPECT_EQ(check(settings, GlLimits{}), "");
    EXPECT_EQ(settings.height, 100000);
}

}  // namespace
